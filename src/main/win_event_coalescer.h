#pragma once
// WinEvent notifications arrive through a callback without a user pointer, so
// the little they need lives in a process-wide coalescer: pending event bits,
// whether a notification message is already queued, the window to post it to,
// and a process whose windows count as foreground. The callback only filters,
// ORs a bit and posts at most one message; the main window does the work.
#include <atomic>
#include <cstdint>
#include <optional>

#include "platform/desktop.h"
#include "platform/types.h"

namespace tessel {

// Bits of the pending event mask.
constexpr std::uint32_t kEventForeground = 0x01;
constexpr std::uint32_t kEventFocus = 0x02;
constexpr std::uint32_t kEventCaretMoved = 0x04;
constexpr std::uint32_t kEventTextSelection = 0x08;
constexpr std::uint32_t kEventWindowMoved = 0x10;

// The hooked events and the object ids that matter.
constexpr std::uint32_t kEventSystemForeground = 0x0003;
constexpr std::uint32_t kEventObjectFocus = 0x8005;
constexpr std::uint32_t kEventObjectLocationChange = 0x800B;
constexpr std::uint32_t kEventObjectTextSelectionChanged = 0x8014;
constexpr std::int32_t kObjIdWindow = 0;
constexpr std::int32_t kObjIdCaret = -8;

// The mask bit of an event, or nothing for an event that does not count.
std::optional<std::uint32_t> WinEventBit(std::uint32_t event, WindowId window, std::int32_t objectId);

// Whether an event on `window` concerns the foreground application. The
// foreground event itself is always relevant.
bool IsWinEventRelevant(Desktop& desktop, std::uint32_t bit, WindowId window, std::uint32_t eventTargetProcessId);

class WinEventCoalescer {
public:
    constexpr WinEventCoalescer() = default;
    WinEventCoalescer(const WinEventCoalescer&) = delete;
    WinEventCoalescer& operator=(const WinEventCoalescer&) = delete;

    // The callback's work: map, filter, OR the bit, post at most once.
    void OnWinEvent(Desktop& desktop, std::uint32_t event, WindowId window, std::int32_t objectId);

    // Takes the pending bits, leaving none.
    std::uint32_t TakePending() { return pendingEventMask_.exchange(0); }

    // End of the pending handler: allow a new post, and post again at once
    // when events arrived while the handler ran.
    void FinishHandling(Desktop& desktop);

    void SetNotifyWindow(WindowId window) { notifyWindow_.store(window); }
    WindowId NotifyWindow() const { return notifyWindow_.load(); }
    void SetEventTargetProcessId(std::uint32_t pid) { eventTargetProcessId_.store(pid); }
    std::uint32_t EventTargetProcessId() const { return eventTargetProcessId_.load(); }
    std::uint32_t PendingMask() const { return pendingEventMask_.load(); }
    bool NotifyPosted() const { return notifyPosted_.load(); }

    // Shutdown: no window to post to, nothing pending, no target process.
    void Reset();

private:
    void PostIfNeeded(Desktop& desktop);

    std::atomic<std::uint32_t> pendingEventMask_{0};
    std::atomic<bool> notifyPosted_{false};
    std::atomic<WindowId> notifyWindow_{kNoWindow};
    std::atomic<std::uint32_t> eventTargetProcessId_{0};
};

// The instance the real WinEvent callback uses.
WinEventCoalescer& ProcessWinEventCoalescer();

}  // namespace tessel
