#include "main/win_event_callback_win32.h"

#include "main/win_event_coalescer.h"
#include "platform/desktop_win32.h"
#include "platform/win32_types_win32.h"

namespace tessel {

void CALLBACK WinEventCallback(HWINEVENTHOOK, DWORD event, HWND window, LONG objectId, LONG, DWORD,
                               DWORD) noexcept {
    try {
        Win32Desktop desktop;  // stateless; costs nothing to make
        ProcessWinEventCoalescer().OnWinEvent(desktop, event, ToWindowId(window),
                                              static_cast<std::int32_t>(objectId));
    } catch (...) {
        // Never unwind into the system; the poll timer catches up.
    }
}

}  // namespace tessel
