#include "main/app_scheduler_host.h"

#include "badge/badge.h"
#include "main/app_state_ops.h"
#include "main/shell_surface.h"
#include "main/update_cycle.h"

namespace tessel {

void AppSchedulerHost::FullUpdate() { tessel::FullUpdate(state_); }
void AppSchedulerHost::RefreshMode() { tessel::RefreshMode(state_); }
bool AppSchedulerHost::RefreshCaret() { return tessel::RefreshCaret(state_); }
void AppSchedulerHost::CheckModeAtRest() { tessel::CheckModeAtRest(state_); }
// A stimulus delivered while an update waits on another program must not pull
// the caches from under it: they are emptied when it ends.
void AppSchedulerHost::InvalidateCaretCaches() {
    if (UpdateRunning(state_)) OweDuringUpdate(state_, kOwedInvalidateCaches);
    else tessel::InvalidateCaretCaches(state_);
}

void AppSchedulerHost::TickTopmostCountdown() {
    if (!state_.badgePlatform) return;
    tessel::TickTopmostCountdown(state_.badge, *state_.badgePlatform, [this] {
        InvalidateCaretCaches();
        RequestFullUpdate(state_.sched);
    });
}

void AppSchedulerHost::ReassertTopmost() {
    if (state_.badgePlatform) tessel::ReassertTopmost(state_.badge, *state_.badgePlatform);
}

void AppSchedulerHost::ArmTopmostCountdown() { state_.badge.TopmostCountdown = 3; }

void AppSchedulerHost::ForgetShellHostState() {
    if (UpdateRunning(state_)) OweDuringUpdate(state_, kOwedForgetShellHost);
    else ForgetShellHost(state_);
}

void AppSchedulerHost::FocusMoved() { state_.presence.focusMoved = true; }

bool AppSchedulerHost::ReadTaskbarIndicator() { return tessel::ReadTaskbarIndicator(state_); }

bool AppSchedulerHost::TaskManagerMode() const { return state_.taskManagerMode; }
void AppSchedulerHost::SwitchOffTaskManagerMode() { state_.taskManagerMode = false; }
// A badge stepped aside still follows its caret and mode, so it is polled as if
// shown, until an update finds no caret to follow.
bool AppSchedulerHost::BadgeVisible() const { return state_.badge.Visible || state_.BadgeAtCaret(); }
bool AppSchedulerHost::LastCaretFound() const { return state_.lastCaret.Found; }
bool AppSchedulerHost::BadgeDrawnModeIsNone() const { return state_.badge.Content.Mode == InputMode::None; }
bool AppSchedulerHost::ShutdownDone() const { return state_.shutdownDone; }
bool AppSchedulerHost::RawInputRegistered() const { return state_.rawInputRegistered; }
bool AppSchedulerHost::AllHooksInstalled() const { return state_.HooksComplete(); }
WindowId AppSchedulerHost::MainWindow() const { return state_.mainWindow; }

bool AppSchedulerHost::TargetUnchangedSinceFullUpdate() {
    if (!state_.lastFullUpdateTarget || !state_.desktop) return false;
    // Thread 0 asks for the foreground thread: one query instead of three.
    const std::optional<GuiThreadInfo> now = state_.desktop->GuiThreadInfoOf(0);
    if (!now || !SameTarget(*state_.lastFullUpdateTarget, *now)) return false;
    // The same client caret moves on screen when its window scrolls or moves.
    if (!state_.lastFullUpdateCaretOrigin || now->caret == kNoWindow) return true;
    return state_.desktop->ClientToScreen(now->caret, Point{0, 0}) == state_.lastFullUpdateCaretOrigin;
}

}  // namespace tessel
