#pragma once
// Windows of the shell's IME host processes (text input, search, Start menu,
// shell experience, Explorer), offered as further candidates when the focused
// control's own windows give no IME answer.
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "common/time.h"
#include "input_mode/candidate_list.h"
#include "input_mode/ime_query_state.h"
#include "platform/desktop.h"
#include "platform/processes.h"

namespace tessel {

// The host kind of an executable name (0 text input, 1 search, 2 Start menu,
// 3 shell experience, 4 Explorer), or empty when it is not a host. The whole
// name must match; ASCII letters match in either case.
std::optional<std::uint8_t> ImeHostKind(std::u16string_view exeFile);

struct HostProcess {
    std::uint8_t Rank = 2;  // 0 the UI Automation focus process, 1 the foreground process, 2 any other
    std::uint8_t Kind = 0;
    std::uint32_t ProcessId = 0;
    friend constexpr bool operator==(const HostProcess&, const HostProcess&) = default;
};

// The host processes worth asking, best first, each once. Without a host that
// is the focus or foreground process, only text input hosts, and only when
// the UI Automation focus is known.
std::vector<HostProcess> FindImeHostProcesses(Processes& processes, std::uint32_t foregroundProcessId,
                                              std::uint32_t uiaFocusProcessId, bool uiaFocusKnown);

// Appends the windows of the host processes to `candidates` with
// AddCandidate's rules. The host window list (at most 128 windows) is rebuilt
// only when the process ids change or it is older than 1 s.
void DiscoverImeHosts(ImeQueryState& state, CandidateList& candidates, Desktop& desktop, Processes& processes,
                      std::uint32_t foregroundProcessId, std::uint32_t uiaFocusProcessId, bool uiaFocusKnown,
                      MonoTime now);

}  // namespace tessel
