// A window that publishes its caret only through an accessibility caret
// object, as word processors do: a frame of class "OpusApp" with a focused
// document pane of class "_WwG" that answers WM_GETOBJECT for OBJID_CARET
// with its own IAccessible and draws no system caret.
//   WM_APP + 1  set the caret: wParam = MAKEWPARAM(x, y) in the pane's client
//               coordinates, lParam = MAKELPARAM(width, height); all four are
//               signed 16-bit values. Raises the caret's location change.
//   WM_APP + 2  returns the number of caret objects not yet released.
//   WM_APP + 3  wParam 0: no caret object from now on; 1: publish it again.
//   WM_APP + 10 (posted) the GUI thread sleeps for wParam milliseconds, as a
//               hung application does.
#include <windows.h>
#include <oleacc.h>

#include "apps/app_window_win32.h"

namespace {

constexpr UINT kSetCaret = WM_APP + 1;
constexpr UINT kLiveObjects = WM_APP + 2;
constexpr UINT kPublish = WM_APP + 3;
constexpr UINT kHang = WM_APP + 10;

// Defined here: liboleacc's IID_IAccessible links to an import thunk.
constexpr IID kIidIAccessible = {0x618736E0, 0x3C3D, 0x11CF, {0x81, 0x0C, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};

HWND g_pane = nullptr;
RECT g_caret{40, 30, 41, 48};  // left, top, right (left + width), bottom in client coordinates
bool g_publish = true;
LONG g_liveObjects = 0;

class CaretObject final : public IAccessible {
public:
    CaretObject() { ::InterlockedIncrement(&g_liveObjects); }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        if (iid == IID_IUnknown || iid == IID_IDispatch || iid == kIidIAccessible) {
            *out = static_cast<IAccessible*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(::InterlockedIncrement(&refs_)); }
    ULONG STDMETHODCALLTYPE Release() override {
        LONG n = ::InterlockedDecrement(&refs_);
        if (n == 0) {
            ::InterlockedDecrement(&g_liveObjects);
            delete this;
        }
        return static_cast<ULONG>(n);
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

    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override {
        if (parent) *parent = nullptr;
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accChildCount(LONG* count) override {
        if (count) *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT, IDispatch** child) override {
        if (child) *child = nullptr;
        return E_INVALIDARG;
    }
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT, BSTR* name) override {
        if (name) *name = nullptr;
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT, BSTR* value) override {
        if (value) *value = nullptr;
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT, BSTR* text) override {
        if (text) *text = nullptr;
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT, VARIANT* role) override {
        if (!role) return E_POINTER;
        role->vt = VT_I4;
        role->lVal = ROLE_SYSTEM_CARET;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT, VARIANT* state) override {
        if (!state) return E_POINTER;
        state->vt = VT_I4;
        state->lVal = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT, BSTR* text) override {
        if (text) *text = nullptr;
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT, LONG* topic) override {
        if (file) *file = nullptr;
        if (topic) *topic = 0;
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT, BSTR* text) override {
        if (text) *text = nullptr;
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override {
        if (focus) focus->vt = VT_EMPTY;
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) override {
        if (selection) selection->vt = VT_EMPTY;
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT, BSTR* text) override {
        if (text) *text = nullptr;
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE accSelect(LONG, VARIANT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE accLocation(LONG* left, LONG* top, LONG* width, LONG* height, VARIANT child) override {
        if (!left || !top || !width || !height) return E_POINTER;
        if (child.vt != VT_I4 || child.lVal != CHILDID_SELF) return E_INVALIDARG;
        POINT origin{g_caret.left, g_caret.top};
        if (!::ClientToScreen(g_pane, &origin)) return E_FAIL;
        *left = origin.x;
        *top = origin.y;
        *width = g_caret.right - g_caret.left;
        *height = g_caret.bottom - g_caret.top;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE accNavigate(LONG, VARIANT, VARIANT* end) override {
        if (end) end->vt = VT_EMPTY;
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE accHitTest(LONG, LONG, VARIANT* hit) override {
        if (hit) hit->vt = VT_EMPTY;
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

private:
    LONG refs_ = 1;
};

LRESULT CALLBACK PaneProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_GETOBJECT:
            if (g_publish && static_cast<LONG>(lParam) == OBJID_CARET) {
                auto* object = new CaretObject;
                LRESULT result = ::LresultFromObject(kIidIAccessible, wParam, object);
                object->Release();  // LresultFromObject holds its own reference
                return result;
            }
            break;
        case WM_GETDLGCODE:
            return DLGC_WANTALLKEYS | DLGC_WANTCHARS;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

LRESULT CALLBACK FrameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case kSetCaret: {
            const short x = static_cast<short>(LOWORD(wParam)), y = static_cast<short>(HIWORD(wParam));
            const short w = static_cast<short>(LOWORD(lParam)), h = static_cast<short>(HIWORD(lParam));
            g_caret = RECT{x, y, x + w, y + h};
            ::NotifyWinEvent(EVENT_OBJECT_LOCATIONCHANGE, g_pane, OBJID_CARET, CHILDID_SELF);
            return 0;
        }
        case kLiveObjects:
            return g_liveObjects;
        case kPublish:
            g_publish = wParam != 0;
            return 0;
        case kHang:
            ::Sleep(static_cast<DWORD>(wParam));
            return 0;
    }
    return tessel::testing::FrameOf(g_pane, false, window, message, wParam, lParam);
}

}  // namespace

using tessel::testing::RegisterAppClass;
using tessel::testing::RunMessageLoop;

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    ::OleInitialize(nullptr);
    if (!RegisterAppClass(instance, L"OpusApp", FrameProc, nullptr) ||
        !RegisterAppClass(instance, L"_WwG", PaneProc, nullptr))
        return 1;
    HWND top = ::CreateWindowExW(0, L"OpusApp", L"caret object", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 200, 150, 500, 350,
                                 nullptr, nullptr, instance, nullptr);
    if (!top) return 1;
    g_pane = ::CreateWindowExW(0, L"_WwG", L"", WS_CHILD | WS_VISIBLE, 10, 40, 460, 250, top, nullptr, instance, nullptr);
    if (!g_pane) return 1;
    ::SetForegroundWindow(top);
    ::SetFocus(g_pane);
    RunMessageLoop();
    ::OleUninitialize();
    return 0;
}
