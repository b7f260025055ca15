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

// RefreshMode at rest, for the target the last full update saw: asks the IME
// only, and redraws only when the mode or Caps Lock changed. Each quiet poll
// tick runs it, so it must cost a few platform calls, not a redraw's dozens.
void CheckModeAtRest(AppState& state);

// Reads the taskbar's input indicator into TaskbarReading; true when it
// changed. Not while an update runs (the next tick reads it).
bool ReadTaskbarIndicator(AppState& state);

// An update operation is running: a stimulus that arrives meanwhile (a
// message delivered while Tessel waits on another program) owes its work
// through OweDuringUpdate instead of starting another.
bool UpdateRunning(const AppState& state);
void OweDuringUpdate(AppState& state, std::uint8_t owed);  // kOwed* bits

// The badge's step-aside timer fired: it hides until the next change.
void OnBadgeTimer(AppState& state);

}  // namespace tessel
