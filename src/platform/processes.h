#pragma once
// Processes: what the update cycle, IME host discovery and the console caret
// ask of kernel32.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tessel {

// One entry of a Toolhelp process snapshot.
struct ProcessEntry {
    std::uint32_t processId = 0;
    std::u16string exeFile;  // szExeFile up to its first NUL, at most 260 units
};

class Processes {
public:
    virtual ~Processes() = default;
    // The executable file name (szExeFile, at most 260 units) of a process,
    // read from one Toolhelp snapshot; empty when the snapshot fails or holds
    // no such process.
    virtual std::optional<std::u16string> ExecutableName(std::uint32_t processId) = 0;
    // Every process of one Toolhelp snapshot, in snapshot order. Empty
    // optional when the snapshot cannot be taken; an empty list when its first
    // entry cannot be read.
    virtual std::optional<std::vector<ProcessEntry>> Snapshot() = 0;
    // ProcessIdToSessionId; empty when it fails.
    virtual std::optional<std::uint32_t> SessionId(std::uint32_t processId) = 0;
    // The file name (without its folder) of the process's image, read with
    // QueryFullProcessImageNameW through PROCESS_QUERY_LIMITED_INFORMATION;
    // empty when the process cannot be opened or its name read.
    virtual std::optional<std::u16string> ImageFileName(std::uint32_t processId) = 0;
    // GetCurrentProcessId.
    virtual std::uint32_t CurrentProcessId() = 0;
};

}  // namespace tessel
