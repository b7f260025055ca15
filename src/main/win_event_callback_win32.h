#pragma once
#include <windows.h>

namespace tessel {

// The WinEventProc installed for the foreground, focus, location-change and
// text-selection events. Runs on the GUI thread between messages; it only
// feeds the process-wide coalescer, which posts WM_APP+3 at most once.
void CALLBACK WinEventCallback(HWINEVENTHOOK hook, DWORD event, HWND window, LONG objectId, LONG childId,
                               DWORD thread, DWORD time) noexcept;

}  // namespace tessel
