#include "input_mode/ime_host_discovery.h"

#include <algorithm>
#include <array>
#include <unordered_map>

#include "common/text.h"

namespace tessel {
namespace {

constexpr Duration kHostWindowReuse = Ms(1000);
constexpr std::uint8_t kTextInputHost = 0;

struct HostName {
    std::u16string_view exe;
    std::uint8_t kind;
};

constexpr std::array<HostName, 6> kHostNames{{
    {u"textinputhost.exe", kTextInputHost},
    {u"searchhost.exe", 1},
    {u"searchapp.exe", 1},
    {u"startmenuexperiencehost.exe", 2},
    {u"shellexperiencehost.exe", 3},
    {u"explorer.exe", 4},
}};

std::vector<WindowId> BuildHostWindows(Desktop& desktop, const std::vector<HostProcess>& hosts) {
    if (hosts.empty()) return {};
    CandidateList list;
    // One walk over the top-level windows serves every host process.
    std::unordered_map<std::uint32_t, std::vector<WindowId>> topLevel;
    for (const HostProcess& h : hosts) topLevel[h.ProcessId];
    desktop.EnumTopLevelWindows([&](WindowId w) {
        std::uint32_t pid = 0;
        desktop.WindowThreadProcessId(w, &pid);
        auto it = topLevel.find(pid);
        if (it != topLevel.end() && it->second.size() < kMaxProcessWindows) it->second.push_back(w);
        return true;
    });
    for (const HostProcess& h : hosts) {
        if (list.Windows.size() >= kMaxProcessWindows) break;
        AddWindowsWithDescendants(list, desktop, h.ProcessId, topLevel[h.ProcessId], true);
    }
    return std::move(list.Windows);
}

}  // namespace

std::optional<std::uint8_t> ImeHostKind(std::u16string_view exeFile) {
    // EqualsIgnoreAsciiCase folds only A-Z, so no unit above U+00FF can stand
    // in for a letter of these all-ASCII names.
    for (const HostName& host : kHostNames)
        if (EqualsIgnoreAsciiCase(exeFile, host.exe)) return host.kind;
    return std::nullopt;
}

std::vector<HostProcess> FindImeHostProcesses(Processes& processes, std::uint32_t foregroundProcessId,
                                              std::uint32_t uiaFocusProcessId, bool uiaFocusKnown) {
    std::vector<HostProcess> hosts;
    const std::uint32_t reference = uiaFocusProcessId != 0 ? uiaFocusProcessId : foregroundProcessId;
    if (reference == 0) return hosts;
    std::optional<std::vector<ProcessEntry>> snapshot = processes.Snapshot();
    if (!snapshot) return hosts;
    // Hosts of other logon sessions serve other users' desktops.
    const std::optional<std::uint32_t> session = processes.SessionId(reference);

    bool hit = false;
    for (const ProcessEntry& entry : *snapshot) {
        if (entry.processId == 0) continue;
        const std::optional<std::uint8_t> kind = ImeHostKind(entry.exeFile);
        if (!kind) continue;
        if (session && processes.SessionId(entry.processId) != session) continue;
        HostProcess h;
        h.Kind = *kind;
        h.ProcessId = entry.processId;
        h.Rank = entry.processId == uiaFocusProcessId ? 0 : entry.processId == foregroundProcessId ? 1 : 2;
        hit = hit || h.Rank < 2;
        hosts.push_back(h);
    }

    if (!hit) {
        // No host serves the focused app directly: only the text input host
        // can, and only for an app known through UI Automation.
        std::erase_if(hosts, [&](const HostProcess& h) { return !uiaFocusKnown || h.Kind != kTextInputHost; });
    }
    std::sort(hosts.begin(), hosts.end(), [](const HostProcess& a, const HostProcess& b) {
        if (a.Rank != b.Rank) return a.Rank < b.Rank;
        if (a.Kind != b.Kind) return a.Kind < b.Kind;
        return a.ProcessId < b.ProcessId;
    });
    hosts.erase(std::unique(hosts.begin(), hosts.end(),
                            [](const HostProcess& a, const HostProcess& b) { return a.ProcessId == b.ProcessId; }),
                hosts.end());
    return hosts;
}

void DiscoverImeHosts(ImeQueryState& state, CandidateList& candidates, Desktop& desktop, Processes& processes,
                      std::uint32_t foregroundProcessId, std::uint32_t uiaFocusProcessId, bool uiaFocusKnown,
                      MonoTime now) {
    std::optional<HostWindowCache>& cache = state.HostWindowCache;
    const bool reusable = cache && cache->ForegroundProcessId == foregroundProcessId &&
                          cache->UiaProcessId == uiaFocusProcessId && AtMostAgo(now, cache->Time, kHostWindowReuse);
    if (!reusable) {
        const std::vector<HostProcess> hosts =
            FindImeHostProcesses(processes, foregroundProcessId, uiaFocusProcessId, uiaFocusKnown);
        cache = HostWindowCache{BuildHostWindows(desktop, hosts), now, foregroundProcessId, uiaFocusProcessId};
    }
    for (WindowId w : cache->Windows) AddCandidate(candidates, desktop, w);
}

}  // namespace tessel
