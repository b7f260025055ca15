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
// it for longer than a moment.
constexpr UINT kCaretObjectTimeoutMs = 150;

// Tessel reads the caret several times a second, so a hung thread would cost
// the bound at every read. A thread whose window did not answer is not asked
// again until it answers a WM_NULL sent after the request, or this long has
// passed (by then SMTO_ABORTIFHUNG fails at once for a thread still hung).
constexpr ULONGLONG kUnansweredPatienceMs = 5000;

struct Unanswered {
    DWORD thread = 0;
    ULONGLONG since = 0;
};
// Callbacks of SendMessageCallback run on the sending thread, so the reading
// (GUI) thread keeps its own.
thread_local Unanswered t_unanswered;

void CALLBACK AnswerArrived(HWND, UINT, ULONG_PTR thread, LRESULT) noexcept {
    if (t_unanswered.thread == static_cast<DWORD>(thread)) t_unanswered = Unanswered{};
}

bool StillUnanswered(DWORD thread) noexcept {
    return thread != 0 && t_unanswered.thread == thread &&
           ::GetTickCount64() - t_unanswered.since < kUnansweredPatienceMs;
}

bool AwaitAnswer(HWND window, DWORD thread) noexcept {
    if (thread == 0 || !::SendMessageCallbackW(window, WM_NULL, 0, 0, AnswerArrived, thread)) return false;
    t_unanswered = Unanswered{thread, ::GetTickCount64()};
    return true;
}

}  // namespace

// What AccessibleObjectFromWindow does, with the one window message bounded:
// it waits for the WM_GETOBJECT answer however long the window hangs.
std::optional<AccessibleBox> Win32Accessibility::CaretLocation(WindowId window) noexcept {
    using ObjectFromLresultFn = HRESULT(WINAPI*)(LRESULT, REFIID, WPARAM, void**);
    using CreateStdObjectFn = HRESULT(WINAPI*)(HWND, LONG, REFIID, void**);
    static const auto objectFromLresult = SystemFunction<ObjectFromLresultFn>(L"oleacc.dll", "ObjectFromLresult");
    static const auto createStdObject = SystemFunction<CreateStdObjectFn>(L"oleacc.dll", "CreateStdAccessibleObject");
    if (!objectFromLresult || !createStdObject) return std::nullopt;
    const HWND hwnd = ToHwnd(window);
    if (!hwnd) return std::nullopt;
    const DWORD thread = ::GetWindowThreadProcessId(hwnd, nullptr);
    if (StillUnanswered(thread)) {
        late_ = true;
        return std::nullopt;
    }

    // SMTO_BLOCK: no other sent message (a WinEvent, a tray click) re-enters
    // Tessel while it waits for the answer.
    DWORD_PTR answer = 0;
    if (!::SendMessageTimeoutW(hwnd, WM_GETOBJECT, 0, static_cast<LPARAM>(kObjIdCaret),
                               SMTO_ABORTIFHUNG | SMTO_BLOCK, kCaretObjectTimeoutMs, &answer)) {
        // Fails, leaving nothing to wait for, when the window is gone.
        if (AwaitAnswer(hwnd, thread)) late_ = true;
        return std::nullopt;        // hung, timed out or gone: no caret object
    }
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
