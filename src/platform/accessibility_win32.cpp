#include "platform/accessibility_win32.h"

#include "platform/win32_types_win32.h"

#include <oleacc.h>

#include "common/raii_win32.h"
#include "platform/system_library_win32.h"
#include "platform/unanswered_thread_win32.h"

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

MonoTime TickNow() noexcept { return MonoTime{Ms(static_cast<std::int64_t>(::GetTickCount64()))}; }

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
    if (StillUnanswered(AnswerSlot::CaretObject, thread, TickNow())) {
        late_ = true;
        return std::nullopt;
    }

    // One budget for the whole read: the window's answer, then the calls the
    // message filter bounds (making the caret object, asking it, releasing it).
    ComQuestion question(bound_, kCaretObjectCallBudget);
    // SMTO_BLOCK: no other sent message (a WinEvent, a tray click) re-enters
    // Tessel while it waits for the answer.
    DWORD_PTR answer = 0;
    if (!::SendMessageTimeoutW(hwnd, WM_GETOBJECT, 0, static_cast<LPARAM>(kObjIdCaret),
                               SMTO_ABORTIFHUNG | SMTO_BLOCK, kCaretObjectTimeoutMs, &answer)) {
        // Fails, leaving nothing to wait for, when the window is gone.
        if (AwaitAnswer(AnswerSlot::CaretObject, hwnd, thread, TickNow())) late_ = true;
        return std::nullopt;        // hung, timed out or gone: no caret object
    }
    const auto result = static_cast<LRESULT>(answer);
    if (result < 0) return std::nullopt;

    // From here the caret object is a proxy into the application.
    std::optional<AccessibleBox> box;
    std::optional<HRESULT> givenUp;
    // A call cancelled for time, or answered only after the deadline (Wine
    // cannot cancel), gave no answer.
    const auto inTime = [&](HRESULT hr) {
        if (question.TooLate(hr)) {
            if (!givenUp) givenUp = hr;
            return false;
        }
        return SUCCEEDED(hr);
    };
    {
        ComPtr<IAccessible> object;
        const HRESULT made = question.Call([&] {
            void** out = reinterpret_cast<void**>(object.Put());
            return result > 0 ? objectFromLresult(result, kIidIAccessible, 0, out)
                              // the window has none of its own: the system's caret object
                              : createStdObject(hwnd, kObjIdCaret, kIidIAccessible, out);
        });
        if (inTime(made) && object) {
            VARIANT self;
            ::VariantInit(&self);
            self.vt = VT_I4;
            self.lVal = CHILDID_SELF;
            long left = 0, top = 0, width = 0, height = 0;
            if (inTime(question.Call([&] { return object->accLocation(&left, &top, &width, &height, self); })))
                box = AccessibleBox{left, top, width, height};
        }
        question.Call([&] {
            object.Reset();
            return 0;
        });
    }
    if (givenUp) {
        // The application stopped answering after it handed out its object.
        lastLateResult_ = *givenUp;
        AwaitAnswer(AnswerSlot::CaretObject, hwnd, thread, TickNow());
        late_ = true;
    }
    return box;
}

}  // namespace tessel
