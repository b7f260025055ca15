#pragma once
// The settings window: a small modeless window with the sound switches, the
// badge position and the four badge colours.
#include <windows.h>

#include <string_view>

#include "main/app_state.h"

namespace tessel {

// Opens the window, or brings the open one forward with its edits kept.
void OpenSettingsWindow(AppState& state);

// Window procedure of the "Tessel.SettingsWindow" class.
// Catches every exception at its boundary and answers as DefWindowProcW would.
LRESULT CALLBACK SettingsWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;

// The OK action: validates the colours, copies every value into the settings
// and saves them. Returns whether the window may close.
bool ApplySettingsWindow(AppState& state, HWND window);

// The invalid-colour box, owned by the settings window.
void ShowColourError(HWND window, std::string_view label);

}  // namespace tessel
