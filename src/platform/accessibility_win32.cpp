#include "platform/accessibility_win32.h"

#include "platform/win32_types_win32.h"

#include <oleacc.h>

#include "common/raii_win32.h"
#include "platform/system_library_win32.h"

namespace tessel {
namespace {

// Defined here: a static MinGW link resolves liboleacc's IID_IAccessible to an
// import thunk rather than the GUID itself.
constexpr IID kIidIAccessible = {0x618736E0, 0x3C3D, 0x11CF, {0x81, 0x0C, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};
constexpr LONG kObjIdCaret = -8;  // OBJID_CARET

}  // namespace

std::optional<AccessibleBox> Win32Accessibility::CaretLocation(WindowId window) noexcept {
    using ObjectFromWindowFn = HRESULT(WINAPI*)(HWND, DWORD, REFIID, void**);
    static const auto objectFromWindow = SystemFunction<ObjectFromWindowFn>(L"oleacc.dll", "AccessibleObjectFromWindow");
    if (!objectFromWindow) return std::nullopt;
    ComPtr<IAccessible> object;
    if (FAILED(objectFromWindow(ToHwnd(window), static_cast<DWORD>(kObjIdCaret), kIidIAccessible,
                                reinterpret_cast<void**>(object.Put()))) ||
        !object)
        return std::nullopt;
    VARIANT self;
    ::VariantInit(&self);
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    long left = 0, top = 0, width = 0, height = 0;
    if (FAILED(object->accLocation(&left, &top, &width, &height, self))) return std::nullopt;
    return AccessibleBox{left, top, width, height};
}

}  // namespace tessel
