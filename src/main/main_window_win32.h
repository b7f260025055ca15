#pragma once
#include <windows.h>

#include "main/app_state.h"

namespace tessel {

// Catches every exception at its boundary and answers as DefWindowProcW would.
LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;

// Tears down every event source, window and handle; runs once.
void Shutdown(AppState& state);

}  // namespace tessel
