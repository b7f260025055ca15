#pragma once
// The three update operations that every stimulus ends in.
#include "main/app_state.h"

namespace tessel {

// Looks at the foreground application afresh and shows, moves or hides the badge.
void FullUpdate(AppState& state);

// Re-reads the input mode for the same target and redraws at the known caret.
void RefreshMode(AppState& state);

// Locates the caret again and moves the badge; false when it fell back to FullUpdate.
bool RefreshCaret(AppState& state);

// Reads the taskbar's input indicator into TaskbarReading; true when it changed.
bool ReadTaskbarIndicator(AppState& state);

}  // namespace tessel
