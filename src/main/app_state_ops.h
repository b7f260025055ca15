#pragma once
// Operations on the application record shared by several subsystems.
#include "main/app_state.h"

namespace tessel {

// Empties the short-lived caret-location caches at once.
void InvalidateCaretCaches(AppState& state);

// Makes the next known input mode count as a change (sound and redraw).
void ForgetLastMode(AppState& state);

// Forgets the examined foreground window, its shell-host verdict and the
// cached input-host lookup.
void ForgetShellHost(AppState& state);

// Initial values that depend on the start time.
void InitialiseAppState(AppState& state, MonoTime startTime);

}  // namespace tessel
