#include "main/scheduler.h"

#include <algorithm>
#include <chrono>

#include "main/shell_surface.h"

namespace tessel {
namespace {

constexpr std::uint32_t kFastPollMs = 100;
constexpr std::uint32_t kShortestTimerMs = 10;  // USER_TIMER_MINIMUM
constexpr Duration kDuplicateKeyWindow = Ms(2);
constexpr Duration kCaretThrottle = Ms(50);

constexpr std::uint16_t kVkShift = 0x10;
constexpr std::uint16_t kVkControl = 0x11;
constexpr std::uint16_t kVkMenu = 0x12;
constexpr std::uint16_t kVkLWin = 0x5B;
constexpr std::uint16_t kVkRWin = 0x5C;
constexpr std::uint16_t kVkProcessKey = 0xE5;
// Japanese keyboards report their mode keys (英数, カタカナ, ひらがな, 半角/全角,
// ローマ字) in raw input as VK_DBE_ALPHANUMERIC to VK_DBE_NOROMAN.
constexpr std::uint16_t kVkDbeAlphanumeric = 0xF0;
constexpr std::uint16_t kVkDbeNoRoman = 0xF6;

bool ModifierHeld(Desktop& desktop) {
    // Asked in this order; the first key found down answers.
    for (int vk : {kVkShift, kVkControl, kVkMenu, kVkLWin, kVkRWin}) {
        if (desktop.AsyncKeyDown(vk)) return true;
    }
    return false;
}

bool BadgeShowsCaret(const SchedulerHost& host) { return host.BadgeVisible() && host.LastCaretFound(); }

bool HooksComplete(const SchedulerHost& host) { return host.RawInputRegistered() && host.AllHooksInstalled(); }

void ArmKeyCheck(SchedulingState& state, Desktop& desktop, const SchedulerHost& host) {
    state.caretEventDuringKeyCheck = false;
    // Re-arming restarts the delay, so a burst is checked once, after its last key.
    state.keyCheckArmed = desktop.SetTimer(host.MainWindow(), kKeyCheckTimerId, kKeyCheckDelayMs);
}

}  // namespace

bool IsDuplicateKey(const std::optional<SeenKey>& last, const RawKeyEvent& key, MonoTime now) {
    if (!last || !(last->key == key)) return false;
    std::optional<Duration> since = Elapsed(now, last->at);
    return since && *since <= kDuplicateKeyWindow;
}

bool IsModeKey(std::uint16_t vk) {
    return (vk >= 0x10 && vk <= 0x20) || vk == kVkLWin || vk == kVkRWin || vk == kVkProcessKey ||
           (vk >= 0xA0 && vk <= 0xA5) || (vk >= kVkDbeAlphanumeric && vk <= kVkDbeNoRoman);
}

bool IsCtrlShortcutKey(std::uint16_t vk) { return vk == 0x46 || vk == 0x48 || vk == 0x50; }

int ActivityTier(bool hooksComplete, MonoTime now, MonoTime lastActivity) {
    if (!hooksComplete) return 0;
    std::int64_t idle = WholeSecondsSince(now, lastActivity);
    if (idle >= 15) return 2;
    if (idle >= 3) return 1;
    return 0;
}

std::uint32_t TierPollPeriodMs(int tier) {
    switch (tier) {
        case 2: return 5000;
        case 1: return 2000;
        default: return 500;
    }
}

Duration FullUpdateInterval(int tier, bool rawInputRegistered) {
    switch (tier) {
        case 2: return Ms(5000);
        case 1: return Ms(2000);
        default: return rawInputRegistered ? Ms(1000) : Ms(500);
    }
}

namespace {

// Milliseconds until the caret throttle opens, at least the shortest timer.
std::uint32_t OwedCaretRefreshDelayMs(const OptionalTime& lastCaretUpdate, MonoTime now) {
    if (!lastCaretUpdate) return kFastPollMs;
    const std::optional<Duration> since = Elapsed(now, *lastCaretUpdate);
    if (!since) return kFastPollMs;
    if (*since >= kCaretThrottle) return kShortestTimerMs;
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(kCaretThrottle - *since).count();
    return std::max<std::uint32_t>(kShortestTimerMs, static_cast<std::uint32_t>(left));
}

}  // namespace

bool CaretThrottleOpen(const OptionalTime& lastCaretUpdate, MonoTime now) {
    if (!lastCaretUpdate) return true;
    std::optional<Duration> since = Elapsed(now, *lastCaretUpdate);
    return !since || *since >= kCaretThrottle;
}

void OnWinEventPending(SchedulingState& state, const Clock& clock, Desktop& desktop, SchedulerHost& host,
                       WinEventCoalescer& coalescer) {
    // Even when an update throws, the next WinEvent must be able to post
    // again, or the hooks would fall silent for good.
    struct FinishHandlingOnExit {
        WinEventCoalescer& coalescer;
        Desktop& desktop;
        ~FinishHandlingOnExit() { coalescer.FinishHandling(desktop); }
    } finish{coalescer, desktop};
    const std::uint32_t mask = coalescer.TakePending();
    if (mask != 0 && !host.ShutdownDone()) {
        const MonoTime now = clock.Now();
        state.lastActivity = now;
        const std::uint32_t fg = mask & (kEventForeground | kEventFocus);
        const std::uint32_t sel = mask & (kEventCaretMoved | kEventTextSelection);

        bool invalidated = false;
        if (fg != 0 || (sel != 0 && !BadgeShowsCaret(host))) {
            host.ArmTopmostCountdown();
            host.InvalidateCaretCaches();
            invalidated = true;
        }
        if (fg != 0) {
            host.FocusMoved();
            host.ForgetShellHostState();
            coalescer.SetEventTargetProcessId(0);
        }

        const bool throttleOpen = CaretThrottleOpen(state.lastCaretUpdate, now);
        constexpr std::uint32_t kCaretBits = kEventCaretMoved | kEventTextSelection | kEventWindowMoved;
        bool ranFullUpdate = false;
        if (fg != 0) {
            host.FullUpdate();
            ranFullUpdate = true;
            host.TickTopmostCountdown();
        } else if ((mask & kCaretBits) != 0 && !state.fullUpdatePending && BadgeShowsCaret(host)) {
            const bool nothingDrawn = host.BadgeDrawnModeIsNone();
            if (!throttleOpen) {
                if (nothingDrawn) state.fullUpdatePending = true;
                else state.caretRefreshPending = true;
            } else if (nothingDrawn) {
                host.FullUpdate();
                ranFullUpdate = true;
                if (invalidated) host.TickTopmostCountdown();
            } else {
                ranFullUpdate = !host.RefreshCaret();
            }
        } else if (throttleOpen) {
            host.FullUpdate();
            ranFullUpdate = true;
            if (invalidated) host.TickTopmostCountdown();
        } else {
            state.fullUpdatePending = true;
        }

        // The pending key check need not redo what this update just did.
        if (sel != 0 && state.keyCheckArmed && ranFullUpdate) state.caretEventDuringKeyCheck = true;
        SchedulePollTimer(state, clock, desktop, host);
    }
}

void OnRawKey(SchedulingState& state, const Clock& clock, Desktop& desktop, SchedulerHost& host,
              const std::optional<RawKeyEvent>& key) {
    if (!host.RawInputRegistered() || host.ShutdownDone() || host.MainWindow() == kNoWindow) return;
    const MonoTime now = clock.Now();
    if (!key) {
        // Unreadable packet: it may have been a mode key, so check anyway.
        state.lastKey.reset();
        state.lastActivity = now;
        ArmKeyCheck(state, desktop, host);
        return;
    }
    if (IsDuplicateKey(state.lastKey, *key, now)) {
        state.lastKey->at = now;
        return;
    }
    state.lastKey = SeenKey{*key, now};

    if (IsCtrlShortcutKey(key->virtualKey) && desktop.AsyncKeyDown(kVkControl)) state.ctrlShortcutPressed = true;
    const bool relevant = IsModeKey(key->virtualKey) || ModifierHeld(desktop);

    state.lastActivity = now;
    if (!relevant && BadgeShowsCaret(host) && !state.fullUpdatePending) {
        // Plain typing: the caret events keep the badge in place.
        SchedulePollTimer(state, clock, desktop, host);
        return;
    }
    ArmKeyCheck(state, desktop, host);
}

void OnKeyCheckTimer(SchedulingState& state, const Clock& clock, Desktop& desktop, SchedulerHost& host) {
    const WindowId mainWindow = host.MainWindow();
    if (mainWindow != kNoWindow) desktop.KillTimer(mainWindow, kKeyCheckTimerId);
    const bool sawCaretEvent = state.caretEventDuringKeyCheck;
    const bool shortcut = state.ctrlShortcutPressed;
    state.keyCheckArmed = false;
    state.caretEventDuringKeyCheck = false;
    state.ctrlShortcutPressed = false;
    if (host.ShutdownDone()) return;

    if (state.fullUpdatePending) {
        host.FullUpdate();
    } else if (sawCaretEvent) {
        // A caret event already ran a full update after the key.
    } else if (BadgeShowsCaret(host)) {
        host.RefreshMode();
    } else {
        host.FullUpdate();
    }

    if (shortcut) {
        // Search and print surfaces open with a delay: look again three times.
        host.InvalidateCaretCaches();
        state.ctrlShortcutRetryCount = 3;
        state.fullUpdatePending = true;
    }
    SchedulePollTimer(state, clock, desktop, host);
}

void OnPollTimer(SchedulingState& state, const Clock& clock, Desktop& desktop, SchedulerHost& host) {
    // A tick that slipped in after shutdown must not bring the badge back.
    if (host.ShutdownDone()) return;
    if (state.fullUpdatePending) {
        host.FullUpdate();
        host.TickTopmostCountdown();
        if (state.ctrlShortcutRetryCount != 0) {
            host.ReassertTopmost();
            --state.ctrlShortcutRetryCount;
            if (state.ctrlShortcutRetryCount != 0) {
                host.InvalidateCaretCaches();
                state.fullUpdatePending = true;
            }
        }
    } else if (state.caretRefreshPending) {
        host.RefreshCaret();
    } else {
        const MonoTime now = clock.Now();
        const int tier = ActivityTier(HooksComplete(host), now, state.lastActivity);
        std::optional<Duration> sinceFull;
        if (state.lastFullUpdate) sinceFull = Elapsed(now, *state.lastFullUpdate);
        if (tier == 2 && host.TargetUnchangedSinceFullUpdate()) {
            // At rest with the same target a full update would redo some
            // eighty window-manager queries to reach the same answer. The
            // mode can still change without a key or event (the taskbar's
            // mode button, a program switching its own input context): one
            // or two IME messages tell.
            if (BadgeShowsCaret(host)) host.CheckModeAtRest();
        } else if (sinceFull && BadgeShowsCaret(host) &&
                   *sinceFull < FullUpdateInterval(tier, host.RawInputRegistered())) {
            host.RefreshMode();
        } else {
            host.FullUpdate();
        }
    }
    SchedulePollTimer(state, clock, desktop, host);
}

void OnTaskManagerTimer(SchedulingState& state, const Clock& clock, Desktop& desktop, SchedulerHost& host) {
    if (host.ShutdownDone() || !host.TaskManagerMode()) return;
    const FocusSnapshot now = TakeFocusSnapshot(desktop);
    if (IsTaskManagerSearchBox(desktop, now.foreground, now.focus)) {
        if (host.ReadTaskbarIndicator()) {
            state.lastActivity = clock.Now();
            host.RefreshMode();
        }
        return;
    }
    host.SwitchOffTaskManagerMode();
    const WindowId mainWindow = host.MainWindow();
    if (mainWindow != kNoWindow) desktop.KillTimer(mainWindow, kTaskManagerTimerId);
}

void SchedulePollTimer(SchedulingState& state, const Clock& clock, Desktop& desktop, SchedulerHost& host) {
    const WindowId mainWindow = host.MainWindow();
    // After shutdown the timers stay dead, whoever asks.
    if (mainWindow == kNoWindow || host.ShutdownDone()) return;
    std::uint32_t period = kFastPollMs;
    if (!state.fullUpdatePending) {
        const bool rawInput = host.RawInputRegistered();
        const int tier = ActivityTier(rawInput && host.AllHooksInstalled(), clock.Now(), state.lastActivity);
        if (state.caretRefreshPending) {
            // The owed caret refresh runs when the throttle opens, not a
            // whole fast-poll period later: typing stays within 50 ms plus a frame.
            period = OwedCaretRefreshDelayMs(state.lastCaretUpdate, clock.Now());
        } else if (!(host.BadgeVisible() && !rawInput)) {
            period = TierPollPeriodMs(tier);
        }
    }
    if (period == state.pollPeriod) return;
    if (state.pollPeriod != 0) desktop.KillTimer(mainWindow, kPollTimerId);
    state.pollPeriod = desktop.SetTimer(mainWindow, kPollTimerId, period) ? period : 0;
}

}  // namespace tessel
