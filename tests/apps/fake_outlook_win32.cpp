// A scripted stand-in for a running Outlook. It registers the ProgID
// "Outlook.Application" (HKLM classes), publishes an application object in the
// running object table and shows a message window built like Outlook's editor:
// a top-level "rctrl_renwnd32" window, a "_WwB" inside it and a focused "_WwG"
// pane with a system caret, whose caret object (OBJID_CARET) reports the
// caret rectangle. The window title is the caption the scripted objects give.
//
//   fake_outlook.exe [compose|received|inline|reading] [--withdrawn]
//
// A hidden control window of class "Tessel.FakeOutlook.Control" answers:
//   WM_APP + 10 (wParam scenario 0..3): shows the scenario in fresh windows;
//                returns the new frame window
//   WM_APP + 11: objects handed out and not yet released, the application's
//                connections to other processes among them
//   WM_APP + 12: objects made for member reads, in all
//   WM_APP + 13: member reads (Invoke calls)
//   WM_APP + 14: member reads with flags the member does not take
//   WM_APP + 15 (wParam 0 or 1): withdraws or publishes the application object
//   WM_APP + 16: the members read since the scenario was shown, bit (1 << DISPID)
//   WM_APP + 17: caret objects asked for (WM_GETOBJECT with OBJID_CARET)
//   WM_APP + 18: raises a focus event for the pane (as Outlook's editor would)
//   WM_APP + 19 (wParam ms, lParam 0 or 1): the next member read (0) or caret
//                location (1) sleeps that long first, as a hung Outlook would
//   WM_APP + 20: calls that reached the objects (name lookups, member reads,
//                caret locations)
//   WM_APP + 21 (wParam ms): the next WM_NULL sent to the frame or the pane
//                takes that long: Outlook still hangs when a ping arrives
//   WM_APP + 22 (wParam thread id, lParam ms): that far into the next hang, a
//                WM_NULL is posted to that thread, as a key or a click would
//                reach a caller waiting on the hung call
// The application object is registered weakly: the running object table does
// not keep it connected, so its external connections are its clients' alone.
// The exit code is the number of objects, connections included, still held
// when the message loop ends: the fake's own COM teardown would release them.
#include <windows.h>
#include <oleacc.h>
#include <oleauto.h>

#include <cwchar>
#include <string>
#include <utility>

#include "apps/app_window_win32.h"
#include "apps/fake_outlook_protocol_win32.h"

namespace {

using namespace tessel::testing::fake_outlook;

// {6B0F56F1-3A5B-4E57-9D6B-0F5A7C1E2D01}: the fake's own class id.
constexpr CLSID kFakeClsid = {0x6b0f56f1, 0x3a5b, 0x4e57, {0x9d, 0x6b, 0x0f, 0x5a, 0x7c, 0x1e, 0x2d, 0x01}};
constexpr wchar_t kFakeClsidText[] = L"{6B0F56F1-3A5B-4E57-9D6B-0F5A7C1E2D01}";
constexpr IID kIidIUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
constexpr IID kIidIDispatch = {0x00020400, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
constexpr IID kIidIAccessible = {0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};
constexpr IID kIidIExternalConnection = {0x00000019, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

const wchar_t* const kTitles[] = {L"Untitled - Message (HTML)", L"Lunch on Friday - Message (HTML)",
                                  L"Inbox - tester@example.com - Outlook", L"Inbox - tester@example.com - Outlook"};

Scenario g_scenario = kCompose;
long g_alive = 0;
long g_connections = 0;  // strong connections of other processes to the application object
long g_handedOut = 0;
long g_reads = 0;
long g_badFlagReads = 0;
long g_membersRead = 0;  // bit (1 << member) for each member read since the scenario was shown
long g_caretObjectRequests = 0;
long g_calls = 0;
DWORD g_hangMs[2] = {0, 0};  // by HangTarget
DWORD g_busyOnPingMs = 0;
DWORD g_pokeThread = 0;
DWORD g_pokeAfterMs = 0;

// A WM_NULL is how a caller finds out whether the thread answers again.
bool AnswerPing(UINT message) {
    if (message != WM_NULL) return false;
    if (const DWORD ms = g_busyOnPingMs) {
        g_busyOnPingMs = 0;
        ::Sleep(ms);
    }
    return true;
}

// A call that was told to hang sleeps first, once.
void MaybeHang(HangTarget target) {
    if (const DWORD ms = g_hangMs[target]) {
        g_hangMs[target] = 0;
        DWORD slept = 0;
        if (const DWORD thread = std::exchange(g_pokeThread, 0); thread && g_pokeAfterMs < ms) {
            ::Sleep(g_pokeAfterMs);
            ::PostThreadMessageW(thread, WM_NULL, 0, 0);
            slept = g_pokeAfterMs;
        }
        ::Sleep(ms - slept);
    }
}
HWND g_frame = nullptr;
HWND g_pane = nullptr;

enum Kind { kApplication, kInspector, kExplorer, kItem };

struct MemberName {
    const wchar_t* name;
    Member id;
    Kind owner;
};
constexpr MemberName kMembers[] = {
    {L"ActiveInspector", kActiveInspector, kApplication}, {L"ActiveExplorer", kActiveExplorer, kApplication},
    {L"Caption", kCaption, kInspector},                   {L"Caption", kCaption, kExplorer},
    {L"CurrentItem", kCurrentItem, kInspector},           {L"Class", kClass, kItem},
    {L"Sent", kSent, kItem},                              {L"ActiveInlineResponse", kActiveInlineResponse, kExplorer},
};

// One automation object. Every object but the application is made for the
// one read that hands it out and counted until its last release. The
// application lives as long as the fake; what other processes hold of it is
// counted through the connections COM reports to it.
class Object final : public IDispatch, public IExternalConnection {
public:
    Object(Kind kind, std::wstring caption, long itemClass, bool sent)
        : kind_(kind), caption_(std::move(caption)), itemClass_(itemClass), sent_(sent) {
        if (kind_ != kApplication) {
            ++g_alive;
            ++g_handedOut;
        }
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        if (IsEqualIID(iid, kIidIUnknown) || IsEqualIID(iid, kIidIDispatch)) {
            *out = static_cast<IDispatch*>(this);
            AddRef();
            return S_OK;
        }
        if (kind_ == kApplication && IsEqualIID(iid, kIidIExternalConnection)) {
            *out = static_cast<IExternalConnection*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++refs_); }
    ULONG STDMETHODCALLTYPE Release() override {
        const long left = --refs_;
        if (left == 0) {
            if (kind_ != kApplication) --g_alive;
            delete this;
        }
        return static_cast<ULONG>(left);
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (count) *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    DWORD STDMETHODCALLTYPE AddConnection(DWORD type, DWORD) override {
        if (type & EXTCONN_STRONG) ++g_connections;
        return static_cast<DWORD>(g_connections);
    }
    DWORD STDMETHODCALLTYPE ReleaseConnection(DWORD type, DWORD, BOOL) override {
        if (type & EXTCONN_STRONG) --g_connections;
        return static_cast<DWORD>(g_connections);
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
        ++g_calls;
        if (count != 1 || !names || !ids) return E_INVALIDARG;
        for (const MemberName& m : kMembers) {
            if (m.owner == kind_ && _wcsicmp(m.name, names[0]) == 0) {
                ids[0] = m.id;
                return S_OK;
            }
        }
        ids[0] = DISPID_UNKNOWN;
        return DISP_E_UNKNOWNNAME;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                     EXCEPINFO*, UINT*) override {
        ++g_calls;
        ++g_reads;
        MaybeHang(kHangMemberRead);
        if (!result) return E_POINTER;
        if (params && params->cArgs != 0) return DISP_E_BADPARAMCOUNT;
        // Application members are methods as well as properties; the rest are properties.
        const WORD wanted = kind_ == kApplication ? (DISPATCH_METHOD | DISPATCH_PROPERTYGET) : DISPATCH_PROPERTYGET;
        if (flags != wanted) {
            ++g_badFlagReads;
            return DISP_E_MEMBERNOTFOUND;
        }
        ::VariantInit(result);
        if (id >= kActiveInspector && id <= kActiveInlineResponse) g_membersRead |= MemberBit(static_cast<Member>(id));
        switch (id) {
            case kActiveInspector:
                return Hand(result, InspectorOf(g_scenario));
            case kActiveExplorer:
                return Hand(result, new Object(kExplorer, kTitles[kInline], 0, false));
            case kCaption:
                V_VT(result) = VT_BSTR;
                V_BSTR(result) = ::SysAllocStringLen(caption_.data(), static_cast<UINT>(caption_.size()));
                return S_OK;
            case kCurrentItem:
                return Hand(result, new Object(kItem, L"", itemClass_, sent_));
            case kClass:
                V_VT(result) = VT_I4;
                V_I4(result) = itemClass_;
                return S_OK;
            case kSent:
                V_VT(result) = VT_BOOL;
                V_BOOL(result) = sent_ ? VARIANT_TRUE : VARIANT_FALSE;
                return S_OK;
            case kActiveInlineResponse:
                return Hand(result, g_scenario == kInline ? new Object(kItem, L"", 43, false) : nullptr);
            default:
                return DISP_E_MEMBERNOTFOUND;
        }
    }

private:
    // Outlook gives Nothing (a null object) where there is no such object.
    static HRESULT Hand(VARIANT* result, Object* object) {
        V_VT(result) = VT_DISPATCH;
        V_DISPATCH(result) = object;
        return S_OK;
    }
    static Object* InspectorOf(Scenario s) {
        if (s == kCompose) return new Object(kInspector, std::wstring(kTitles[kCompose]) + L"  ", 43, false);
        if (s == kReceived) return new Object(kInspector, kTitles[kReceived], 43, true);
        // The main window is in front: the last message opened is elsewhere.
        return new Object(kInspector, L"Older message - Message (HTML)", 43, true);
    }

    long refs_ = 1;
    Kind kind_;
    std::wstring caption_;
    long itemClass_;
    bool sent_;
};

// The pane's caret object: only its location is asked for.
class CaretObject final : public IAccessible {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        if (IsEqualIID(iid, kIidIUnknown) || IsEqualIID(iid, kIidIDispatch) || IsEqualIID(iid, kIidIAccessible)) {
            *out = static_cast<IAccessible*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++refs_); }
    ULONG STDMETHODCALLTYPE Release() override {
        const long left = --refs_;
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (count) *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** out) override { return Null(out); }
    HRESULT STDMETHODCALLTYPE get_accChildCount(LONG* count) override {
        if (count) *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT, IDispatch** out) override { return Null(out); }
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT, BSTR* out) override { return Null(out); }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT, BSTR* out) override { return Null(out); }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT, BSTR* out) override { return Null(out); }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT, VARIANT* out) override {
        if (!out) return E_POINTER;
        V_VT(out) = VT_I4;
        V_I4(out) = ROLE_SYSTEM_CARET;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT, VARIANT* out) override {
        if (!out) return E_POINTER;
        V_VT(out) = VT_I4;
        V_I4(out) = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT, BSTR* out) override { return Null(out); }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* out, VARIANT, LONG*) override { return Null(out); }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT, BSTR* out) override { return Null(out); }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* out) override { return Empty(out); }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* out) override { return Empty(out); }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT, BSTR* out) override { return Null(out); }
    HRESULT STDMETHODCALLTYPE accSelect(LONG, VARIANT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE accLocation(LONG* left, LONG* top, LONG* width, LONG* height, VARIANT) override {
        ++g_calls;
        MaybeHang(kHangCaretLocation);
        if (!left || !top || !width || !height) return E_POINTER;
        POINT origin{kCaretInPane.left, kCaretInPane.top};
        if (!g_pane || !::ClientToScreen(g_pane, &origin)) return E_FAIL;
        *left = origin.x;
        *top = origin.y;
        *width = kCaretInPane.right - kCaretInPane.left;
        *height = kCaretInPane.bottom - kCaretInPane.top;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE accNavigate(LONG, VARIANT, VARIANT* out) override { return Empty(out); }
    HRESULT STDMETHODCALLTYPE accHitTest(LONG, LONG, VARIANT* out) override { return Empty(out); }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

private:
    template <typename T>
    static HRESULT Null(T** out) {
        if (!out) return E_POINTER;
        *out = nullptr;
        return S_FALSE;
    }
    static HRESULT Empty(VARIANT* out) {
        if (!out) return E_POINTER;
        ::VariantInit(out);
        return S_FALSE;
    }
    long refs_ = 1;
};

Object* g_application = nullptr;
DWORD g_registration = 0;

bool RegisterProgId() {
    HKEY key = nullptr;
    if (::RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Classes\\Outlook.Application\\CLSID", 0, nullptr, 0,
                          KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return false;
    const LONG set = ::RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(kFakeClsidText),
                                      sizeof(kFakeClsidText));
    ::RegCloseKey(key);
    return set == ERROR_SUCCESS;
}

void Publish(bool on) {
    if (on && !g_registration) {
        ::RegisterActiveObject(static_cast<IDispatch*>(g_application), kFakeClsid, ACTIVEOBJECT_WEAK,
                               &g_registration);
    } else if (!on && g_registration) {
        ::RevokeActiveObject(g_registration, nullptr);
        g_registration = 0;
    }
}

LRESULT CALLBACK PaneProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (AnswerPing(message)) return 0;
    switch (message) {
        case WM_GETOBJECT:
            if (static_cast<LONG>(lParam) == OBJID_CARET) {
                ++g_caretObjectRequests;
                CaretObject* caret = new CaretObject;
                const LRESULT r = ::LresultFromObject(kIidIAccessible, wParam, caret);
                caret->Release();
                return r;
            }
            break;
        case WM_SETFOCUS:
            ::CreateCaret(window, nullptr, kCaretInPane.right - kCaretInPane.left,
                          kCaretInPane.bottom - kCaretInPane.top);
            ::SetCaretPos(kCaretInPane.left, kCaretInPane.top);
            ::ShowCaret(window);
            return 0;
        case WM_KILLFOCUS:
            ::DestroyCaret();
            return 0;
        default:
            break;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

LRESULT CALLBACK FrameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (AnswerPing(message)) return 0;
    if (message == WM_SETFOCUS && g_pane && ::GetAncestor(g_pane, GA_ROOT) == window) {
        ::SetFocus(g_pane);
        return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

// Fresh windows for each scenario, so that each one is a new focus target.
HWND ShowScenario(HINSTANCE instance, Scenario s) {
    g_scenario = s;
    g_membersRead = 0;
    HWND old = g_frame;
    g_frame = ::CreateWindowExW(0, L"rctrl_renwnd32", kTitles[s], WS_OVERLAPPEDWINDOW, 120, 100, 640, 480, nullptr,
                                nullptr, instance, nullptr);
    HWND body = ::CreateWindowExW(0, L"_WwB", L"", WS_CHILD | WS_VISIBLE, 0, 40, 620, 380, g_frame, nullptr,
                                  instance, nullptr);
    g_pane = ::CreateWindowExW(0, L"_WwG", L"", WS_CHILD | WS_VISIBLE, 0, 0, 620, 380, body, nullptr, instance,
                               nullptr);
    tessel::testing::ShowInFront(g_frame, g_pane, SW_SHOW);
    if (old) ::DestroyWindow(old);
    return g_frame;
}

HINSTANCE g_instance = nullptr;

LRESULT CALLBACK ControlProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case kShowScenario:
            if (wParam > kReading) return 0;
            return reinterpret_cast<LRESULT>(ShowScenario(g_instance, static_cast<Scenario>(wParam)));
        case kAliveObjects:
            return g_alive + g_connections;
        case kHandedOut:
            return g_handedOut;
        case kReads:
            return g_reads;
        case kBadFlagReads:
            return g_badFlagReads;
        case kMembersRead:
            return g_membersRead;
        case kCaretObjectRequests:
            return g_caretObjectRequests;
        case kHangNextCall:
            if (lParam == kHangMemberRead || lParam == kHangCaretLocation)
                g_hangMs[lParam] = static_cast<DWORD>(wParam);
            return 1;
        case kCalls:
            return g_calls;
        case kBusyOnPing:
            g_busyOnPingMs = static_cast<DWORD>(wParam);
            return 1;
        case kPokeDuringHang:
            g_pokeThread = static_cast<DWORD>(wParam);
            g_pokeAfterMs = static_cast<DWORD>(lParam);
            return 1;
        case kRaiseFocusEvent:
            ::NotifyWinEvent(EVENT_OBJECT_FOCUS, g_pane, OBJID_CLIENT, CHILDID_SELF);
            return 1;
        case kPublish:
            Publish(wParam != 0);
            return g_registration != 0;
        case WM_CLOSE:
            ::DestroyWindow(window);
            return 0;
        default:
            return tessel::testing::QuitOnDestroy(window, message, wParam, lParam);
    }
}

}  // namespace

using tessel::testing::RegisterAppClass;
using tessel::testing::RunMessageLoop;

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
    g_instance = instance;
    Scenario scenario = kCompose;
    if (std::wcsstr(commandLine, L"received")) scenario = kReceived;
    if (std::wcsstr(commandLine, L"inline")) scenario = kInline;
    if (std::wcsstr(commandLine, L"reading")) scenario = kReading;
    const bool withdrawn = std::wcsstr(commandLine, L"--withdrawn") != nullptr;

    if (FAILED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 100;
    if (!RegisterProgId()) return 101;
    if (!RegisterAppClass(instance, L"rctrl_renwnd32", FrameProc, IDC_IBEAM) ||
        !RegisterAppClass(instance, L"_WwB", ::DefWindowProcW, IDC_IBEAM) ||
        !RegisterAppClass(instance, L"_WwG", PaneProc, IDC_IBEAM) ||
        !RegisterAppClass(instance, L"Tessel.FakeOutlook.Control", ControlProc, IDC_IBEAM))
        return 102;

    g_application = new Object(kApplication, L"", 0, false);
    if (!withdrawn) Publish(true);
    HWND control = ::CreateWindowExW(0, L"Tessel.FakeOutlook.Control", L"", 0, 0, 0, 0, 0, nullptr, nullptr, instance,
                                     nullptr);
    if (!control) return 103;
    ShowScenario(instance, scenario);

    RunMessageLoop();
    const long unreleased = g_alive + g_connections;
    Publish(false);
    g_application->Release();
    ::CoUninitialize();
    return static_cast<int>(unreleased);
}
