#include "main/update_cycle.h"

#include "badge/badge.h"

namespace tessel {
namespace {

// The badge disappears; the mode last shown is kept so that returning to the
// same mode later stays silent.
void Hide(AppState& state) {
    state.lastCaret = CaretInfo{};
    state.badge.NearTop = false;
    state.KeepOutRect.reset();
    state.imeHostWindow = kNoWindow;
    state.imeHostProcessId = 0;
    if (state.badgePlatform) HideBadge(state.badge, *state.badgePlatform);
    else state.badge.Visible = false;
}

}  // namespace

void FullUpdate(AppState& state) {
    MarkFullUpdateStarted(state.sched, state.clock->Now());
    // Until the caret locator exists no caret can be accepted, so every full
    // update ends hidden.
    Hide(state);
}

void RefreshMode(AppState& state) {
    if (!state.lastCaret.Found) {
        FullUpdate(state);
        return;
    }
    FullUpdate(state);
}

bool RefreshCaret(AppState& state) {
    MarkCaretRefreshStarted(state.sched);
    FullUpdate(state);
    return false;
}

}  // namespace tessel
