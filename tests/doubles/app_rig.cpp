#include "doubles/app_rig.h"

#include "main/app_state_ops.h"

namespace tessel::testing {

std::optional<std::u16string> FakeProcesses::ImageFileName(std::uint32_t processId) {
    ++imageNameReads;
    auto it = names.find(processId);
    if (imageNamesUnreadable || it == names.end()) return std::nullopt;
    return it->second;
}

std::optional<std::u16string> FakeProcesses::ExecutableName(std::uint32_t processId) {
    ++lookups;
    auto it = names.find(processId);
    if (it == names.end()) return std::nullopt;
    return it->second;
}

std::optional<std::vector<ProcessEntry>> FakeProcesses::Snapshot() {
    ++snapshots;
    if (snapshotFails) return std::nullopt;
    std::vector<ProcessEntry> list;
    for (const auto& [pid, name] : names) list.push_back(ProcessEntry{pid, name});
    return list;
}

std::optional<std::uint32_t> FakeProcesses::SessionId(std::uint32_t processId) {
    ++sessionReads;
    auto it = sessions.find(processId);
    if (it == sessions.end()) return std::nullopt;
    return it->second;
}

ScriptedWindow MakeWindow(std::u16string className, WindowId parent, std::uint32_t threadId,
                          std::uint32_t processId, Rect rect) {
    ScriptedWindow w;
    w.className = std::move(className);
    w.parent = w.root = w.rootOwner = parent;
    w.threadId = threadId;
    w.processId = processId;
    w.topLevel = parent == kNoWindow;
    w.rect = rect;
    w.clientOrigin = Point{rect.left, rect.top};
    return w;
}

AppRig::AppRig() {
    state.clock = &clock;
    state.desktop = &desktop;
    state.badgePlatform = &badge;
    state.ime = &ime;
    state.sound = &sound;
    state.processes = &processes;
    state.accessibility = &accessibility;
    state.console = &console;
    automation.present = false;
    state.automation = &automation;
    state.outlook = &outlook;
    state.coalescer = &coalescer;
    state.mainWindow = kMainWindow;
    state.badge.BadgeWindow = kBadgeWindow;
    state.rawInputRegistered = true;
    state.hookInstalled = {true, true, true, true};
    InitialiseAppState(state, clock.Now());
    badge.SetVirtualScreen(VirtualScreenMetrics{0, 0, 1920, 1080});
}

}  // namespace tessel::testing
