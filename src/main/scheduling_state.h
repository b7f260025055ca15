#pragma once
// Scheduling state of the main window: when the next update is owed, how often
// the poll timer ticks, and what the keyboard was doing. It lives inside the
// application state; the handlers in main/scheduler.h and the update cycle
// both write it.
//
// Ownership of the update-cycle writes: this struct is the single source of
// the pending flags and update times. The update operations (FullUpdate,
// RefreshCaret) write them through the helpers below on the same instance the
// scheduler reads, so the scheduler never writes lastFullUpdate itself and
// never assumes an update ran unless the host says so.
#include <cstdint>
#include <optional>

#include "common/time.h"
#include "platform/types.h"

namespace tessel {

// Timers of the main window (ids of SetTimer, all delivered as WM_TIMER).
constexpr std::uintptr_t kPollTimerId = 1;
constexpr std::uintptr_t kHintTimerId = 2;
constexpr std::uintptr_t kKeyCheckTimerId = 3;
constexpr std::uintptr_t kTaskManagerTimerId = 4;
constexpr std::uintptr_t kBadgeTimerId = 5;  // the badge steps aside when it fires

constexpr std::uint32_t kKeyCheckDelayMs = 20;
constexpr std::uint32_t kTaskManagerPeriodMs = 50;

// Private message that tells the main window WinEvent bits are pending.
constexpr std::uint32_t kWmWinEventPending = 0x8000 + 3;  // WM_APP + 3

// One keyboard event as raw input reports it.
struct RawKeyEvent {
    std::uint64_t device = 0;  // RAWINPUTHEADER hDevice
    std::uint16_t makeCode = 0;
    std::uint16_t flags = 0;
    std::uint16_t virtualKey = 0;
    friend constexpr bool operator==(const RawKeyEvent&, const RawKeyEvent&) = default;
};

struct SeenKey {
    RawKeyEvent key;
    MonoTime at;
};

struct SchedulingState {
    MonoTime lastActivity{};         // last foreground/focus/caret event, key or indicator change
    std::uint32_t pollPeriod = 0;    // period PollTimer runs with; 0 = not armed
    bool fullUpdatePending = false;  // a FullUpdate is owed at the next poll tick
    bool caretRefreshPending = false;  // a RefreshCaret is owed at the next poll tick
    OptionalTime lastFullUpdate;     // start of the last FullUpdate
    OptionalTime lastCaretUpdate;    // start of the last FullUpdate or successful RefreshCaret
    bool keyCheckArmed = false;      // KeyCheckTimer is running
    bool caretEventDuringKeyCheck = false;  // an event already ran a full update during the key check
    bool ctrlShortcutPressed = false;       // Ctrl+F/H/P since the last key check
    std::uint8_t ctrlShortcutRetryCount = 0;  // follow-up full updates still owed after such a shortcut
    std::optional<SeenKey> lastKey;  // for duplicate suppression

    // An update operation is running. Calls into other programs may deliver
    // messages meanwhile; a stimulus they bring must not start a second
    // update inside the first, so it only marks its work owed here.
    bool updateRunning = false;
    std::uint8_t owedDuringUpdate = 0;  // kOwed* bits
};

// Work a stimulus asked for while an update was running.
constexpr std::uint8_t kOwedFullUpdate = 0x01;
constexpr std::uint8_t kOwedRefreshMode = 0x02;
constexpr std::uint8_t kOwedRefreshCaret = 0x04;
constexpr std::uint8_t kOwedInvalidateCaches = 0x08;  // before the owed update runs
constexpr std::uint8_t kOwedForgetShellHost = 0x10;

// Fresh state; idle time counts from `startTime`.
constexpr SchedulingState MakeSchedulingState(MonoTime startTime) {
    SchedulingState s;
    s.lastActivity = startTime;
    return s;
}

// --- writes owned by the update cycle ---

// First step of every FullUpdate: nothing is owed any more, and both the full
// update and the caret update count as done now.
constexpr void MarkFullUpdateStarted(SchedulingState& s, MonoTime now) {
    s.fullUpdatePending = false;
    s.caretRefreshPending = false;
    s.lastFullUpdate = now;
    s.lastCaretUpdate = now;
}

// First step of RefreshCaret: the owed caret refresh is being done.
constexpr void MarkCaretRefreshStarted(SchedulingState& s) { s.caretRefreshPending = false; }

// RefreshCaret located the caret and moved the badge.
constexpr void MarkCaretRefreshed(SchedulingState& s, MonoTime now) { s.lastCaretUpdate = now; }

// Another full update is wanted at the next poll tick (used by the badge's
// topmost countdown).
constexpr void RequestFullUpdate(SchedulingState& s) { s.fullUpdatePending = true; }

// Shutdown clears the key-check and poll bookkeeping (the timers are killed
// by the caller).
constexpr void ClearSchedulingOnShutdown(SchedulingState& s) {
    s.keyCheckArmed = false;
    s.caretEventDuringKeyCheck = false;
    s.ctrlShortcutPressed = false;
    s.ctrlShortcutRetryCount = 0;
    s.pollPeriod = 0;
}

}  // namespace tessel
