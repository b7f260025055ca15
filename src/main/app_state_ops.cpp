#include "main/app_state_ops.h"

namespace tessel {

void InvalidateCaretCaches(AppState& state) {
    // The caret-location caches arrive with the caret locator; until then the
    // only cached caret fact is the top-band flag.
    state.CaretNearTop = false;
}

void ForgetLastMode(AppState& state) { state.mode.LastMode = InputMode::None; }

void ForgetShellHost(AppState& state) {
    state.shellHost = ShellHostState{};
}

void InitialiseAppState(AppState& state, MonoTime startTime) { state.sched = MakeSchedulingState(startTime); }

}  // namespace tessel
