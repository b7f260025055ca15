#pragma once
// How long the GUI thread may wait on a call into another program's COM
// objects, and what the thread's COM message filter answers while it waits.
// Plain decisions over plain values; the Win32 filter (com_call_bound_win32)
// only asks them.
#include <cstdint>
#include <optional>

#include "common/time.h"

namespace tessel {

// A caret object's location: the reply of a responsive application takes a
// few milliseconds, a hung one must not freeze the badge and the tray.
inline constexpr Duration kCaretObjectCallBudget = Ms(150);
// One question to Outlook (is this pane written in?): its connection, its
// member reads and its releases together.
inline constexpr Duration kOutlookQuestionBudget = Ms(300);
// A busy callee is asked again after this long, while that still fits.
inline constexpr std::uint32_t kBusyRetryMs = 100;
// SetTimer rounds shorter periods up to this (USER_TIMER_MINIMUM).
inline constexpr std::uint32_t kShortestTimerMs = 10;
// A timer counts in system ticks (about 15.6 ms) and may fire up to one of
// them early; a wake that comes early finds the call not yet overdue.
inline constexpr std::uint32_t kTimerTickMs = 16;

// What waits in the GUI thread's queue when COM consults the filter.
enum class PendingMessage : std::uint8_t {
    Input,  // keyboard, mouse or raw input
    Other,  // paint, timers, posted and sent messages
};

// IMessageFilter::MessagePending answers; the values are COM's PENDINGMSG_*.
enum class WhilePending : std::uint32_t {
    CancelCall = 0,      // the call returns RPC_E_CALL_CANCELED
    WaitNoProcess = 1,   // keep waiting, leave the message queued
    WaitDefProcess = 2,  // keep waiting, COM paints and handles activation
};

// While a call waits: past its deadline it is cancelled. Input is never left
// to COM's default processing, which may discard keyboard and mouse input,
// and Tessel must see every key the user presses; otherwise COM only paints
// and handles activation, and what else arrives waits for the update to end.
WhilePending OnMessagePending(const OptionalTime& deadline, MonoTime now, PendingMessage pending) noexcept;

// A callee that rejected the call (`busy`: it asked to be retried later).
// Empty cancels the call (the filter answers -1); otherwise the milliseconds
// to wait before asking again. A busy callee is retried only while the wait
// and the retried call still fit before the deadline; an outright rejection,
// or a call without a deadline, is not retried (COM's own default).
std::optional<std::uint32_t> RetryRejected(const OptionalTime& deadline, MonoTime now, bool busy) noexcept;

// The wake timer's period, so that it fires once the deadline has come: the
// time left rounded up to whole milliseconds and one tick more, at least the
// shortest period.
std::uint32_t WakeAfterMs(MonoTime deadline, MonoTime now) noexcept;

}  // namespace tessel
