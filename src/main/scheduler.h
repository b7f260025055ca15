#pragma once
// Turns the main window's stimuli (WinEvent notifications, raw key-downs,
// timer ticks) into calls of the three update operations, without one update
// per event: events are coalesced, key-downs filtered and checked 20 ms after
// the last of a burst, caret events throttled, and a poll timer adapts its
// period to the user's activity.
#include <cstdint>
#include <optional>

#include "main/scheduler_host.h"
#include "main/scheduling_state.h"
#include "main/win_event_coalescer.h"
#include "platform/clock.h"
#include "platform/desktop.h"

namespace tessel {

// --- the decisions, as plain functions ---

// The same key reported again within 2 ms (a second delivery, not a repeat).
bool IsDuplicateKey(const std::optional<SeenKey>& last, const RawKeyEvent& key, MonoTime now);

// Keys that can change the input mode or Caps Lock state by themselves.
bool IsModeKey(std::uint16_t virtualKey);

// Ctrl+F, Ctrl+H and Ctrl+P open search or print surfaces whose caret appears late.
bool IsCtrlShortcutKey(std::uint16_t virtualKey);

// 0 active, 1 after 3 s idle, 2 after 15 s idle; the slow tiers need every
// event source, since polling stands in for a missing one.
int ActivityTier(bool hooksComplete, MonoTime now, MonoTime lastActivity);

// Poll period in ms for a tier when nothing is owed.
std::uint32_t TierPollPeriodMs(int tier);

// Longest time the poll lets pass between full updates.
Duration FullUpdateInterval(int tier, bool rawInputRegistered);

// Caret events within 50 ms of the last caret update wait for the poll; a
// clock that went backwards leaves the throttle open.
bool CaretThrottleOpen(const OptionalTime& lastCaretUpdate, MonoTime now);

// --- the handlers ---

// WM_WINEVENT_PENDING.
void OnWinEventPending(SchedulingState& state, const Clock& clock, Desktop& desktop, SchedulerHost& host,
                       WinEventCoalescer& coalescer = ProcessWinEventCoalescer());

// WM_INPUT: a key-down, or nothing when the packet was unreadable.
void OnRawKey(SchedulingState& state, const Clock& clock, Desktop& desktop, SchedulerHost& host,
              const std::optional<RawKeyEvent>& key);

// WM_TIMER ids 3, 1 and 4.
void OnKeyCheckTimer(SchedulingState& state, const Clock& clock, Desktop& desktop, SchedulerHost& host);
void OnPollTimer(SchedulingState& state, const Clock& clock, Desktop& desktop, SchedulerHost& host);
void OnTaskManagerTimer(SchedulingState& state, const Clock& clock, Desktop& desktop, SchedulerHost& host);

// Chooses the poll period and (re)arms PollTimer when it changed.
void SchedulePollTimer(SchedulingState& state, const Clock& clock, Desktop& desktop, SchedulerHost& host);

}  // namespace tessel
