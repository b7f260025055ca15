#pragma once
// The ordered list of windows whose threads the input-mode query asks.
#include <cstddef>
#include <cstdint>
#include <unordered_set>
#include <vector>

#include "platform/desktop.h"

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

// The top-level windows of one process in enumeration order, at most 128.
std::vector<WindowId> ProcessTopLevelWindows(Desktop& desktop, std::uint32_t processId);

// Adds each of `topLevel` (windows of `processId`), each followed by its
// descendants of the same process while the list holds fewer than 128
// windows. With `capTopLevel` the top-level windows stop at 128 too, so the
// list never grows past 128; without it every given top-level window is added.
void AddWindowsWithDescendants(CandidateList& list, Desktop& desktop, std::uint32_t processId,
                               const std::vector<WindowId>& topLevel, bool capTopLevel);

// The windows of the UI Automation focus process: its top-level windows (at
// most 128 collected), each followed by its descendants of the same process
// while the list holds fewer than 128 windows.
void AddProcessWindows(CandidateList& list, Desktop& desktop, std::uint32_t processId);

}  // namespace tessel
