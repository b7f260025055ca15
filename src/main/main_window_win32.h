#pragma once
#include <windows.h>

#include "main/app_state.h"

namespace tessel {

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Tears down every event source, window and handle; runs once.
void Shutdown(AppState& state);

}  // namespace tessel
