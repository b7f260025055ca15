#pragma once
// Reads the raw IME status of the thread that serves the keyboard focus.
#include <cstddef>
#include <cstdint>
#include <unordered_set>
#include <vector>

#include "common/time.h"
#include "input_mode/ime_query_state.h"
#include "input_mode/input_mode.h"
#include "main/focus_snapshot.h"
#include "platform/clock.h"
#include "platform/desktop.h"
#include "platform/ime.h"

namespace tessel {

// Most windows the query collects from one process.
constexpr std::size_t kMaxProcessWindows = 128;

// Windows to ask, in order, without duplicates.
struct CandidateList {
    std::vector<WindowId> Windows;
    std::unordered_set<WindowId> Seen;
};

// Appends `window` unless it is null, already seen, or no longer a window.
// A rejected invalid handle is not remembered, so a later valid add still works.
// Returns true when the window was appended.
bool AddCandidate(CandidateList& list, Desktop& desktop, WindowId window);

// Adds the windows of one process: its top-level windows in enumeration order
// (at most 128 collected), each followed by its descendants of the same process
// while the list holds fewer than 128 windows.
void AddProcessWindows(CandidateList& list, Desktop& desktop, std::uint32_t processId);

// Supplies windows of IME host processes when the focused control's own
// windows gave no answer.
class ImeHostDiscovery {
public:
    virtual ~ImeHostDiscovery() = default;
    // Appends host windows to `candidates` with AddCandidate's rules and returns
    // how many were appended. `uiaFocusKnown` is true when the UI Automation
    // focus process or window is known. May use and update state.HostWindowCache.
    virtual std::size_t AppendHostWindows(ImeQueryState& state, CandidateList& candidates,
                                          std::uint32_t foregroundProcessId, std::uint32_t uiaFocusProcessId,
                                          bool uiaFocusKnown, MonoTime now) = 0;
};

// Offers no host windows.
class NoImeHostDiscovery final : public ImeHostDiscovery {
public:
    std::size_t AppendHostWindows(ImeQueryState&, CandidateList&, std::uint32_t, std::uint32_t, bool,
                                  MonoTime) override {
        return 0;
    }
};

// The platform services the query uses.
struct ImeQueryServices {
    Desktop& desktop;
    Ime& ime;
    const Clock& clock;
    ImeHostDiscovery& hosts;
};

// Reads the IME status of the thread that serves the focus described by
// `focus`, `uiaFocusWindow` and `uiaFocusProcessId` (both may be 0).
ImeStatus QueryImeStatus(ImeQueryState& state, const FocusSnapshot& focus, WindowId uiaFocusWindow,
                         std::uint32_t uiaFocusProcessId, const ImeQueryServices& services);

}  // namespace tessel
