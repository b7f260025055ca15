// An in-process UI Automation server for the end-to-end tests. Wine has no
// UI Automation client; registered as CUIAutomation in the test prefix, this
// one gives the real Tessel.exe a browser-like tree for the fake browser in
// the foreground: a focused group over one multi-line text field whose caret
// range stands where the window says its caret is.
#include <windows.h>
#include <objbase.h>

#include "dlls/fake_browser_caret_win32.h"
#include "editability/uia_element.h"
#include "win32/uia_fake_win32.h"

namespace {

using namespace tessel;
namespace fake = tessel::testing::uia_fake;
namespace fb = tessel::testing::fake_browser;

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

class BrowserAutomation final : public fake::Automation {
public:
    explicit BrowserAutomation(fake::World& world) : Automation(world, true) {
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

fake::World* g_world = nullptr;
BrowserAutomation* g_automation = nullptr;

class Factory final : public IClassFactory {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        *out = IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IClassFactory) ? this : nullptr;
        return *out ? S_OK : E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }  // a static object
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
        *out = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        if (!g_world) {
            g_world = new fake::World;  // freed once COM may unload the server
            g_automation = g_world->Make<BrowserAutomation>();
        }
        return g_automation->QueryInterface(iid, out);
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
        if (lock) ::InterlockedIncrement(&g_locks);
        else ::InterlockedDecrement(&g_locks);
        return S_OK;
    }
};

Factory g_factory;

}  // namespace

extern "C" HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
    *out = nullptr;
    if (!IsEqualCLSID(clsid, uia::kClsidCUIAutomation)) return CLASS_E_CLASSNOTAVAILABLE;
    return g_factory.QueryInterface(iid, out);
}

extern "C" HRESULT STDAPICALLTYPE DllCanUnloadNow() {
    if (g_locks != 0 || (g_world && g_world->liveRefs != 0)) return S_FALSE;
    delete g_world;
    g_world = nullptr;
    g_automation = nullptr;
    return S_OK;
}
