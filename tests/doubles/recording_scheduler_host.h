#pragma once
// A SchedulerHost that records every call and plays the update cycle's part in
// the shared scheduling state: FullUpdate marks itself, RefreshCaret falls back
// to FullUpdate when it cannot work, and the topmost countdown asks for more
// full updates as the badge does.
#include <string>
#include <vector>

#include "fake_clock.h"
#include "main/scheduler_host.h"
#include "main/scheduling_state.h"

namespace tessel::testing {

class RecordingSchedulerHost : public SchedulerHost {
public:
    RecordingSchedulerHost(SchedulingState& state, FakeClock& clock) : state_(state), clock_(clock) {}

    // --- script ---
    bool badgeVisible = false;
    bool lastCaretFound = false;
    bool drawnModeNone = false;
    bool shutdownDone = false;
    bool rawInputRegistered = true;
    bool allHooksInstalled = true;
    WindowId mainWindow = 0x1000;
    bool refreshCaretFinds = true;      // RefreshCaret locates the caret (when it can try)
    bool fullUpdateShowsBadge = false;  // FullUpdate leaves the badge visible at a found caret
    bool taskManagerMode = false;
    bool taskbarReadingChanges = false;
    bool targetUnchanged = false;  // the rest probe sees what the last FullUpdate saw
    // The badge's topmost countdown (TopmostCountdown, NearTop).
    int topmostCountdown = 0;
    bool nearTop = false;
    // Simulated cost of each operation; the fake clock advances by it.
    Duration fullUpdateCost{0};
    Duration refreshModeCost{0};
    Duration refreshCaretCost{0};

    // --- observation ---
    std::vector<std::string> calls;
    std::vector<MonoTime> fullUpdateTimes;
    int Count(const std::string& name) const;
    void ClearCalls() {
        calls.clear();
        fullUpdateTimes.clear();
    }

    // --- SchedulerHost ---
    void FullUpdate() override;
    void RefreshMode() override;
    bool RefreshCaret() override;
    void CheckModeAtRest() override { calls.emplace_back("CheckModeAtRest"); }
    void InvalidateCaretCaches() override { calls.emplace_back("InvalidateCaretCaches"); }
    void TickTopmostCountdown() override;
    void ReassertTopmost() override { calls.emplace_back("ReassertTopmost"); }
    void ArmTopmostCountdown() override {
        calls.emplace_back("ArmTopmostCountdown");
        topmostCountdown = 3;
    }
    void ForgetShellHostState() override { calls.emplace_back("ForgetShellHostState"); }
    void FocusMoved() override { ++focusMoves; }
    int focusMoves = 0;
    bool ReadTaskbarIndicator() override {
        calls.emplace_back("ReadTaskbarIndicator");
        return taskbarReadingChanges;
    }
    bool TaskManagerMode() const override { return taskManagerMode; }
    void SwitchOffTaskManagerMode() override {
        calls.emplace_back("SwitchOffTaskManagerMode");
        taskManagerMode = false;
    }
    bool BadgeVisible() const override { return badgeVisible; }
    bool LastCaretFound() const override { return lastCaretFound; }
    bool BadgeDrawnModeIsNone() const override { return drawnModeNone; }
    bool ShutdownDone() const override { return shutdownDone; }
    bool RawInputRegistered() const override { return rawInputRegistered; }
    bool AllHooksInstalled() const override { return allHooksInstalled; }
    WindowId MainWindow() const override { return mainWindow; }
    // Counted apart from `calls`: it is a query, not an update.
    bool TargetUnchangedSinceFullUpdate() override {
        ++targetProbes;
        return targetUnchanged;
    }
    int targetProbes = 0;

private:
    SchedulingState& state_;
    FakeClock& clock_;
};

}  // namespace tessel::testing
