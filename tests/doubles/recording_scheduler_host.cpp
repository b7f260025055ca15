#include "recording_scheduler_host.h"

#include <algorithm>

namespace tessel::testing {

int RecordingSchedulerHost::Count(const std::string& name) const {
    return static_cast<int>(std::count(calls.begin(), calls.end(), name));
}

void RecordingSchedulerHost::FullUpdate() {
    calls.emplace_back("FullUpdate");
    fullUpdateTimes.push_back(clock_.Now());
    MarkFullUpdateStarted(state_, clock_.Now());
    if (fullUpdateShowsBadge) {
        badgeVisible = true;
        lastCaretFound = true;
        drawnModeNone = false;
    }
    clock_.Advance(fullUpdateCost);
}

void RecordingSchedulerHost::RefreshMode() {
    calls.emplace_back("RefreshMode");
    clock_.Advance(refreshModeCost);
}

bool RecordingSchedulerHost::RefreshCaret() {
    calls.emplace_back("RefreshCaret");
    MarkCaretRefreshStarted(state_);
    if (drawnModeNone || !badgeVisible || !lastCaretFound || !refreshCaretFinds) {
        FullUpdate();
        return false;
    }
    MarkCaretRefreshed(state_, clock_.Now());
    clock_.Advance(refreshCaretCost);
    return true;
}

void RecordingSchedulerHost::TickTopmostCountdown() {
    calls.emplace_back("TickTopmostCountdown");
    auto askAgain = [this] {
        InvalidateCaretCaches();
        RequestFullUpdate(state_);
    };
    if (badgeVisible && nearTop && topmostCountdown > 0) {
        ReassertTopmost();
        if (--topmostCountdown > 0) askAgain();
    } else if (badgeVisible) {
        topmostCountdown = 0;
    } else if (topmostCountdown > 0) {
        --topmostCountdown;
        askAgain();
    }
}

}  // namespace tessel::testing
