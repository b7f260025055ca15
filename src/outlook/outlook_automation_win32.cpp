#include "outlook/outlook_automation_win32.h"

#include <windows.h>
#include <oaidl.h>
#include <objbase.h>
#include <oleauto.h>

#include <string>

#include "common/raii_win32.h"

namespace tessel {
namespace {

// Defined here: MinGW's static import libraries may resolve these to thunks.
constexpr IID kIidIDispatch = {0x00020400, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
constexpr IID kIidNull = {0x00000000, 0x0000, 0x0000, {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}};

IDispatch* AsDispatch(std::uintptr_t handle) { return reinterpret_cast<IDispatch*>(handle); }

OutlookRef Adopt(OutlookAutomation* owner, IDispatch* dispatch) {
    return OutlookRef(owner, reinterpret_cast<std::uintptr_t>(dispatch));
}

// A VARIANT cleared on every path.
struct ClearedVariant {
    VARIANT v;
    ClearedVariant() { ::VariantInit(&v); }
    ~ClearedVariant() { ::VariantClear(&v); }
    ClearedVariant(const ClearedVariant&) = delete;
    ClearedVariant& operator=(const ClearedVariant&) = delete;
};

}  // namespace

std::u16string Win32Outlook::WindowTitle(WindowId window) noexcept {
    wchar_t buffer[512];
    const int n = ::GetWindowTextW(reinterpret_cast<HWND>(window), buffer, 512);
    if (n <= 0) return {};
    return std::u16string(reinterpret_cast<const char16_t*>(buffer), static_cast<std::size_t>(n));
}

OutlookRef Win32Outlook::Connect() noexcept {
    CLSID clsid;
    if (FAILED(::CLSIDFromProgID(L"Outlook.Application", &clsid))) return {};
    ComPtr<IUnknown> unknown;
    if (FAILED(::GetActiveObject(clsid, nullptr, unknown.Put())) || !unknown) return {};
    IDispatch* dispatch = nullptr;
    if (FAILED(unknown->QueryInterface(kIidIDispatch, reinterpret_cast<void**>(&dispatch))) || !dispatch) return {};
    return Adopt(this, dispatch);
}

OutlookValue Win32Outlook::Read(const OutlookRef& object, std::u16string_view member, std::uint16_t flags) noexcept {
    OutlookValue value;
    if (!object) return value;
    IDispatch* dispatch = AsDispatch(object.Handle());
    std::wstring name(member.begin(), member.end());
    LPOLESTR names[1] = {name.data()};
    DISPID id = 0;
    if (FAILED(dispatch->GetIDsOfNames(kIidNull, names, 1, 0, &id))) return value;
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    ClearedVariant result;
    if (FAILED(dispatch->Invoke(id, kIidNull, 0, flags, &none, &result.v, nullptr, nullptr))) return value;

    VARIANT& v = result.v;
    switch (V_VT(&v)) {
        case VT_DISPATCH:
            if (!V_DISPATCH(&v)) break;
            // The reference moves out of the VARIANT, which is left empty.
            value.kind = OutlookValueKind::Object;
            value.object = Adopt(this, V_DISPATCH(&v));
            V_VT(&v) = VT_EMPTY;
            return value;
        case VT_UNKNOWN: {
            if (!V_UNKNOWN(&v)) break;
            // Still an object; without IDispatch its members simply cannot be read.
            value.kind = OutlookValueKind::Object;
            IDispatch* inner = nullptr;
            if (SUCCEEDED(V_UNKNOWN(&v)->QueryInterface(kIidIDispatch, reinterpret_cast<void**>(&inner))) && inner)
                value.object = Adopt(this, inner);
            return value;
        }
        case VT_BSTR:
            value.kind = OutlookValueKind::String;
            if (V_BSTR(&v))
                value.text.assign(reinterpret_cast<const char16_t*>(V_BSTR(&v)), ::SysStringLen(V_BSTR(&v)));
            return value;
        case VT_I4:
            value.kind = OutlookValueKind::I32;
            value.i32 = V_I4(&v);
            return value;
        case VT_BOOL:
            value.kind = OutlookValueKind::Bool;
            value.boolean = V_BOOL(&v) != VARIANT_FALSE;
            return value;
        default:
            break;
    }
    value.kind = OutlookValueKind::Other;
    return value;
}

void Win32Outlook::Release(std::uintptr_t handle) noexcept {
    if (handle) AsDispatch(handle)->Release();
}

}  // namespace tessel
