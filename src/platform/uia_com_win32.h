#pragma once
// The UI Automation client interfaces that MinGW's headers lack, declared in
// the Windows SDK's vtable order. Only the methods Tessel calls carry real
// parameter types; the slots before them keep the order.
#include <windows.h>
#include <unknwn.h>

namespace tessel::uia {

// CLSID_CUIAutomation {ff48dba4-60ef-4201-aa87-54103eef594e}
inline constexpr GUID kClsidCUIAutomation = {0xff48dba4, 0x60ef, 0x4201, {0xaa, 0x87, 0x54, 0x10, 0x3e, 0xef, 0x59, 0x4e}};
// IID_IUIAutomation {30cbe57d-d9d0-452a-ab13-7ac5ac4825ee}
inline constexpr GUID kIidIUIAutomation = {0x30cbe57d, 0xd9d0, 0x452a, {0xab, 0x13, 0x7a, 0xc5, 0xac, 0x48, 0x25, 0xee}};

struct IUIAutomationElement;

// Methods are declared in order; later issues fill in the element and
// walker methods they use.
struct IUIAutomationTreeWalker : public IUnknown {};

struct IUIAutomation : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE CompareElements(void*, void*, BOOL*) = 0;
    virtual HRESULT STDMETHODCALLTYPE CompareRuntimeIds(void*, void*, BOOL*) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetRootElement(IUIAutomationElement**) = 0;
    virtual HRESULT STDMETHODCALLTYPE ElementFromHandle(HWND, IUIAutomationElement**) = 0;
    virtual HRESULT STDMETHODCALLTYPE ElementFromPoint(POINT, IUIAutomationElement**) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetFocusedElement(IUIAutomationElement**) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetRootElementBuildCache(void*, IUIAutomationElement**) = 0;
    virtual HRESULT STDMETHODCALLTYPE ElementFromHandleBuildCache(HWND, void*, IUIAutomationElement**) = 0;
    virtual HRESULT STDMETHODCALLTYPE ElementFromPointBuildCache(POINT, void*, IUIAutomationElement**) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetFocusedElementBuildCache(void*, IUIAutomationElement**) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateTreeWalker(void*, IUIAutomationTreeWalker**) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_ControlViewWalker(IUIAutomationTreeWalker**) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_ContentViewWalker(IUIAutomationTreeWalker**) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_RawViewWalker(IUIAutomationTreeWalker**) = 0;
};

}  // namespace tessel::uia
