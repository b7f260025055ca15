#pragma once
// What the event and poll scheduling reaches outside its own state: the three
// update operations, the badge's topmost bookkeeping, the caret caches, the
// taskbar indicator, and a few read-only facts about the application.
//
// Contract with the scheduling state (main/scheduling_state.h), which the
// implementation shares with the scheduler:
//  - FullUpdate() calls MarkFullUpdateStarted(state, now) as its first step.
//  - RefreshCaret() calls MarkCaretRefreshStarted(state) first and
//    MarkCaretRefreshed(state, now) when it found the caret; when it falls
//    back to a full update it returns false and that FullUpdate marks itself.
//  - TickTopmostCountdown() calls InvalidateCaretCaches() and
//    RequestFullUpdate(state) when it wants another full update.
//  - The scheduler zeroes the WinEvent target process itself (through the
//    coalescer it is given); ForgetShellHostState() need not.
#include <cstdint>

#include "platform/types.h"

namespace tessel {

class SchedulerHost {
public:
    virtual ~SchedulerHost() = default;

    // --- update operations ---
    virtual void FullUpdate() = 0;
    virtual void RefreshMode() = 0;
    // True when the caret was located and the badge moved; false when it fell
    // back to a FullUpdate.
    virtual bool RefreshCaret() = 0;
    // RefreshMode for a target the rest probe found unchanged: only the IME
    // is asked, and the badge is touched only when the mode or Caps Lock changed.
    virtual void CheckModeAtRest() = 0;

    // --- caches and badge bookkeeping ---
    virtual void InvalidateCaretCaches() = 0;
    virtual void TickTopmostCountdown() = 0;
    virtual void ReassertTopmost() = 0;
    // TopmostCountdown = 3.
    virtual void ArmTopmostCountdown() = 0;
    // Forgets the last examined foreground window, its shell-host verdict and
    // the cached IME host lookup.
    virtual void ForgetShellHostState() = 0;
    // A foreground or focus event arrived: the user moved to another control.
    virtual void FocusMoved() = 0;

    // --- taskbar indicator while Task Manager's search box has the focus ---
    // Reads the indicator; true when the reading changed.
    virtual bool ReadTaskbarIndicator() = 0;
    virtual bool TaskManagerMode() const = 0;
    // Clears the mode flag only; the scheduler kills the timer.
    virtual void SwitchOffTaskManagerMode() = 0;

    // --- facts the dispatch needs ---
    virtual bool BadgeVisible() const = 0;
    virtual bool LastCaretFound() const = 0;
    // The mode of the badge's content key is None (nothing drawn yet).
    virtual bool BadgeDrawnModeIsNone() const = 0;
    virtual bool ShutdownDone() const = 0;
    virtual bool RawInputRegistered() const = 0;
    // All four WinEvent hook handles are non-null.
    virtual bool AllHooksInstalled() const = 0;
    virtual WindowId MainWindow() const = 0;
    // The foreground thread still has the active, focus and caret windows and
    // the caret rectangle that the last FullUpdate saw. One platform query.
    virtual bool TargetUnchangedSinceFullUpdate() = 0;
};

}  // namespace tessel
