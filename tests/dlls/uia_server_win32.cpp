// An in-process UI Automation server for the end-to-end tests. Wine has no
// UI Automation client; registered in the test prefix as CUIAutomation and,
// where the test wants Windows 8 and later, as CUIAutomation8, this one gives
// the real Tessel.exe a browser-like tree for the fake browser in the
// foreground: a focused group over one multi-line text field whose caret range
// stands where the window says its caret is. As on Windows, only the
// CUIAutomation8 object offers the time-outs; it records what it is given.
#include <windows.h>
#include <objbase.h>

#include "dlls/fake_browser_caret_win32.h"
#include "dlls/uia_server_win32.h"
#include "editability/uia_element.h"
#include "win32/uia_fake_win32.h"

namespace {

using namespace tessel;
namespace fake = tessel::testing::uia_fake;
namespace fb = tessel::testing::fake_browser;
namespace server = tessel::testing::uia_server;

constexpr HRESULT kElementNotAvailable = static_cast<HRESULT>(0x80040201);
constexpr HRESULT kTimeout = static_cast<HRESULT>(0x80131505);

LONG g_locks = 0;

int Prop(HWND window, const wchar_t* name) {
    return static_cast<int>(reinterpret_cast<INT_PTR>(::GetPropW(window, name)));
}

std::vector<double> ScreenRect(HWND window, int left, int top, int width, int height) {
    POINT origin{0, 0};
    ::ClientToScreen(window, &origin);
    return {double(origin.x + left), double(origin.y + top), double(width), double(height)};
}

// Leaves a time-out where the test can read it.
void Record(const wchar_t* name, DWORD value) {
    HKEY key = nullptr;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, server::kRecordKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                          nullptr) != ERROR_SUCCESS)
        return;
    ::RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value));
    ::RegCloseKey(key);
}

class BrowserAutomation final : public fake::Automation {
public:
    BrowserAutomation(fake::World& world, const GUID& clsid) : Automation(world, clsid) {
        walker = world.Make<fake::Walker>();
        focused = world.Make<fake::Element>();
        focused->Set(uia_property::kControlType, uia_control_type::kGroup);
        focused->Set(uia_property::kIsEnabled, true);
        field_ = focused->AddChild();
        field_->Set(uia_property::kControlType, uia_control_type::kEdit);
        field_->Set(uia_property::kIsEnabled, true);
        field_->Set(uia_property::kHasKeyboardFocus, true);
        field_->Set(uia_property::kIsKeyboardFocusable, true);
        field_->Set(uia_property::kIsValuePatternAvailable, true);
        field_->Set(uia_property::kValueIsReadOnly, false);
        field_->Set(uia_property::kIsTextPatternAvailable, true);
        field_->Set(uia_property::kIsTextEditPatternAvailable, true);
        text_ = world.Make<fake::TextPattern>();
        field_->text = text_;
        text_->selection = world.Make<fake::RangeArray>();
        text_->caret = world.Make<fake::Range>();
        text_->caretActive = true;
        word_ = world.Make<fake::Range>();
        word_->comparison = -1;  // its start lies before its end
    }

    HRESULT STDMETHODCALLTYPE GetFocusedElement(uia::IUIAutomationElement** out) override {
        *out = nullptr;
        world_.calls.clear();  // lives as long as Tessel: keep no log
        if (!Refresh(::GetForegroundWindow())) return kElementNotAvailable;
        return Automation::GetFocusedElement(out);
    }
    HRESULT STDMETHODCALLTYPE put_ConnectionTimeout(DWORD timeout) override {
        Record(server::kConnectionTimeout, timeout);
        return Automation::put_ConnectionTimeout(timeout);
    }
    HRESULT STDMETHODCALLTYPE put_TransactionTimeout(DWORD timeout) override {
        Record(server::kTransactionTimeout, timeout);
        return Automation::put_TransactionTimeout(timeout);
    }

private:
    // Reads the foreground window's caret into the tree; false when it is
    // not a fake browser.
    bool Refresh(HWND window) {
        if (!window || !::GetPropW(window, fb::kPublished)) return false;
        RECT client{};
        ::GetClientRect(window, &client);
        DWORD pid = 0;
        ::GetWindowThreadProcessId(window, &pid);
        const auto width = static_cast<int>(client.right), height = static_cast<int>(client.bottom);
        for (fake::Element* e : {focused, field_}) e->Set(uia_property::kProcessId, static_cast<std::int32_t>(pid));
        focused->Set(uia_property::kBoundingRectangle, ScreenRect(window, 0, 0, width, height));
        const int m = fb::kFieldMargin;
        field_->Set(uia_property::kBoundingRectangle, ScreenRect(window, m, m, width - 2 * m, height - 2 * m));
        const int x = Prop(window, fb::kCaretX), y = Prop(window, fb::kCaretY);
        text_->caret->rectangles = ScreenRect(window, x, y, 2, fb::kCaretHeight);
        word_->rectangles = ScreenRect(window, x, y, 40, fb::kCaretHeight);
        text_->selection->ranges.clear();
        // A collapsed selection is reported as none, so the caret range decides.
        if (Prop(window, fb::kSelected)) text_->selection->ranges.push_back(word_);
        world_.failing.clear();
        if (Prop(window, fb::kProviderHangs)) {
            world_.failing = {"GetCurrentPropertyValueEx", "GetCurrentPatternAs", "GetFirstChildElement",
                              "GetNextSiblingElement",     "GetParentElement",    "GetSelection",
                              "GetCaretRange",             "GetBoundingRectangles"};
            world_.failure = kTimeout;
            world_.failureDelayMs = fb::kHangMs;
        }
        return true;
    }

    fake::Element* field_ = nullptr;
    fake::TextPattern* text_ = nullptr;
    fake::Range* word_ = nullptr;
};

fake::World* g_world = nullptr;  // one for the objects of both classes

class Factory final : public IClassFactory {
public:
    explicit Factory(const GUID& clsid) : clsid_(clsid) {}
    const GUID& Class() const { return clsid_; }
    void Forget() { automation_ = nullptr; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        *out = IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IClassFactory) ? this : nullptr;
        return *out ? S_OK : E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }  // a static object
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
        *out = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        if (!g_world) g_world = new fake::World;  // freed once COM may unload the server
        if (!automation_) automation_ = g_world->Make<BrowserAutomation>(clsid_);
        return automation_->QueryInterface(iid, out);
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
        if (lock) ::InterlockedIncrement(&g_locks);
        else ::InterlockedDecrement(&g_locks);
        return S_OK;
    }

private:
    const GUID& clsid_;
    BrowserAutomation* automation_ = nullptr;
};

Factory g_factories[] = {Factory(uia::kClsidCUIAutomation), Factory(uia::kClsidCUIAutomation8)};

}  // namespace

extern "C" HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
    *out = nullptr;
    for (Factory& factory : g_factories)
        if (IsEqualCLSID(clsid, factory.Class())) return factory.QueryInterface(iid, out);
    return CLASS_E_CLASSNOTAVAILABLE;
}

extern "C" HRESULT STDAPICALLTYPE DllCanUnloadNow() {
    if (g_locks != 0 || (g_world && g_world->liveRefs != 0)) return S_FALSE;
    for (Factory& factory : g_factories) factory.Forget();
    delete g_world;
    g_world = nullptr;
    return S_OK;
}
