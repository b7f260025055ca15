#include "input_mode/candidate_list.h"

namespace tessel {

bool AddCandidate(CandidateList& list, Desktop& desktop, WindowId window) {
    if (window == kNoWindow || list.Seen.count(window) != 0) return false;
    if (!desktop.IsWindow(window)) return false;
    list.Seen.insert(window);
    list.Windows.push_back(window);
    return true;
}

std::vector<WindowId> ProcessTopLevelWindows(Desktop& desktop, std::uint32_t processId) {
    std::vector<WindowId> topLevel;
    if (processId == 0) return topLevel;
    desktop.EnumTopLevelWindows([&](WindowId w) {
        std::uint32_t pid = 0;
        desktop.WindowThreadProcessId(w, &pid);
        if (pid == processId) topLevel.push_back(w);
        return topLevel.size() < kMaxProcessWindows;
    });
    return topLevel;
}

void AddWindowsWithDescendants(CandidateList& list, Desktop& desktop, std::uint32_t processId,
                               const std::vector<WindowId>& topLevel, bool capTopLevel) {
    for (WindowId top : topLevel) {
        if (capTopLevel && list.Windows.size() >= kMaxProcessWindows) return;
        AddCandidate(list, desktop, top);
        if (list.Windows.size() >= kMaxProcessWindows) continue;
        desktop.EnumChildWindows(top, [&](WindowId child) {
            std::uint32_t pid = 0;
            desktop.WindowThreadProcessId(child, &pid);
            if (pid == processId) AddCandidate(list, desktop, child);
            return list.Windows.size() < kMaxProcessWindows;
        });
    }
}

void AddProcessWindows(CandidateList& list, Desktop& desktop, std::uint32_t processId) {
    if (processId == 0) return;
    AddWindowsWithDescendants(list, desktop, processId, ProcessTopLevelWindows(desktop, processId), false);
}

}  // namespace tessel
