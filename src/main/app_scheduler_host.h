#pragma once
// Connects the event scheduling to the application record.
#include "main/app_state.h"
#include "main/scheduler_host.h"

namespace tessel {

class AppSchedulerHost final : public SchedulerHost {
public:
    explicit AppSchedulerHost(AppState& state) : state_(state) {}

    void FullUpdate() override;
    void RefreshMode() override;
    bool RefreshCaret() override;
    void CheckModeAtRest() override;
    void InvalidateCaretCaches() override;
    void TickTopmostCountdown() override;
    void ReassertTopmost() override;
    void ArmTopmostCountdown() override;
    void ForgetShellHostState() override;
    void FocusMoved() override;
    bool ReadTaskbarIndicator() override;
    bool TaskManagerMode() const override;
    void SwitchOffTaskManagerMode() override;
    bool BadgeVisible() const override;
    bool LastCaretFound() const override;
    bool BadgeDrawnModeIsNone() const override;
    bool ShutdownDone() const override;
    bool RawInputRegistered() const override;
    bool AllHooksInstalled() const override;
    WindowId MainWindow() const override;
    bool TargetUnchangedSinceFullUpdate() override;

private:
    AppState& state_;
};

}  // namespace tessel
