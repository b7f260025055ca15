#include "main/app_state_ops.h"

namespace tessel {

void InvalidateCaretCaches(AppState& state) {
    state.editabilityVerdict = EditabilityVerdict{};
    state.outlookAnswer = OutlookAnswerCache{};
    InvalidateCaretLocatorCaches(state.caretLocator);
    EmptyFocusedElementCache(state.uia.focusedElement);
}

void ForgetLastMode(AppState& state) { state.mode.LastMode = InputMode::None; }

void ForgetShellHost(AppState& state) { state.shellHost = ShellHostState{}; }

void InitialiseAppState(AppState& state, MonoTime startTime) { state.sched = MakeSchedulingState(startTime); }

}  // namespace tessel
