#include "main/win_event_coalescer.h"

#include "main/scheduling_state.h"

namespace tessel {

std::optional<std::uint32_t> WinEventBit(std::uint32_t event, WindowId window, std::int32_t objectId) {
    if (event == kEventSystemForeground) return kEventForeground;
    std::optional<std::uint32_t> bit;
    if (event == kEventObjectFocus) {
        bit = kEventFocus;
    } else if (event == kEventObjectTextSelectionChanged) {
        bit = kEventTextSelection;
    } else if (event == kEventObjectLocationChange) {
        if (objectId == kObjIdCaret) bit = kEventCaretMoved;
        else if (objectId == kObjIdWindow) bit = kEventWindowMoved;
    }
    if (bit && window == kNoWindow) return std::nullopt;
    return bit;
}

bool IsWinEventRelevant(Desktop& desktop, std::uint32_t bit, WindowId window, std::uint32_t eventTargetProcessId) {
    if (bit == kEventForeground) return true;
    WindowId foreground = desktop.ForegroundWindow();
    if (foreground == kNoWindow || window == foreground) return true;
    // Moves of other windows, even the foreground window's children, do not
    // move the caret of interest.
    if (bit == kEventWindowMoved) return false;
    if (desktop.Ancestor(window, AncestorKind::Root) == foreground) return true;
    if (desktop.Ancestor(window, AncestorKind::RootOwner) == foreground) return true;
    if (eventTargetProcessId == 0) return false;
    std::uint32_t pid = 0;
    desktop.WindowThreadProcessId(window, &pid);
    return pid == eventTargetProcessId;
}

void WinEventCoalescer::OnWinEvent(Desktop& desktop, std::uint32_t event, WindowId window, std::int32_t objectId) {
    std::optional<std::uint32_t> bit = WinEventBit(event, window, objectId);
    if (!bit) return;
    if (!IsWinEventRelevant(desktop, *bit, window, eventTargetProcessId_.load())) return;
    pendingEventMask_.fetch_or(*bit);
    PostIfNeeded(desktop);
}

void WinEventCoalescer::PostIfNeeded(Desktop& desktop) {
    if (pendingEventMask_.load() == 0) return;
    WindowId target = notifyWindow_.load();
    if (target == kNoWindow) return;
    if (notifyPosted_.exchange(true)) return;
    // A failed post must not block every later event from posting.
    if (!desktop.PostToWindow(target, kWmWinEventPending, 0, 0)) notifyPosted_.store(false);
}

void WinEventCoalescer::FinishHandling(Desktop& desktop) {
    notifyPosted_.store(false);
    PostIfNeeded(desktop);
}

void WinEventCoalescer::Reset() {
    notifyWindow_.store(kNoWindow);
    notifyPosted_.store(false);
    pendingEventMask_.store(0);
    eventTargetProcessId_.store(0);
}

WinEventCoalescer& ProcessWinEventCoalescer() {
    static constinit WinEventCoalescer instance;
    return instance;
}

}  // namespace tessel
