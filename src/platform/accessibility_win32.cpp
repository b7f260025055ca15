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

// How long the application may take to hand out its caret object. Making and
// marshalling one takes a responsive word processor a few milliseconds; a
// hung one must not freeze the badge, the tray and the settings window with
// it. After about five seconds without pumping, SMTO_ABORTIFHUNG fails at
// once, so a long hang costs this bound only at its start.
constexpr UINT kCaretObjectTimeoutMs = 150;

}  // namespace

// What AccessibleObjectFromWindow does, with the one window message bounded:
// it sends WM_GETOBJECT with a plain SendMessage and waits out any hang.
std::optional<AccessibleBox> Win32Accessibility::CaretLocation(WindowId window) noexcept {
    using ObjectFromLresultFn = HRESULT(WINAPI*)(LRESULT, REFIID, WPARAM, void**);
    using CreateStdObjectFn = HRESULT(WINAPI*)(HWND, LONG, REFIID, void**);
    static const auto objectFromLresult = SystemFunction<ObjectFromLresultFn>(L"oleacc.dll", "ObjectFromLresult");
    static const auto createStdObject = SystemFunction<CreateStdObjectFn>(L"oleacc.dll", "CreateStdAccessibleObject");
    if (!objectFromLresult || !createStdObject) return std::nullopt;
    const HWND hwnd = ToHwnd(window);
    if (!hwnd) return std::nullopt;

    // SMTO_BLOCK: no other sent message (a WinEvent, a tray click) re-enters
    // Tessel while it waits for the answer.
    DWORD_PTR answer = 0;
    if (!::SendMessageTimeoutW(hwnd, WM_GETOBJECT, 0, static_cast<LPARAM>(kObjIdCaret),
                               SMTO_ABORTIFHUNG | SMTO_BLOCK, kCaretObjectTimeoutMs, &answer))
        return std::nullopt;  // hung, timed out or gone: no caret object
    const auto result = static_cast<LRESULT>(answer);
    ComPtr<IAccessible> object;
    HRESULT hr = E_FAIL;
    if (result > 0)
        hr = objectFromLresult(result, kIidIAccessible, 0, reinterpret_cast<void**>(object.Put()));
    else if (result == 0)  // the window has none of its own: the system's caret object
        hr = createStdObject(hwnd, kObjIdCaret, kIidIAccessible, reinterpret_cast<void**>(object.Put()));
    if (FAILED(hr) || !object) return std::nullopt;

    VARIANT self;
    ::VariantInit(&self);
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    long left = 0, top = 0, width = 0, height = 0;
    if (FAILED(object->accLocation(&left, &top, &width, &height, self))) return std::nullopt;
    return AccessibleBox{left, top, width, height};
}

}  // namespace tessel
