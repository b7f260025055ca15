#pragma once
// Processes and consoles: what the update cycle asks of kernel32.
#include <cstdint>
#include <optional>
#include <string>

namespace tessel {

class Processes {
public:
    virtual ~Processes() = default;
    // The executable file name (szExeFile, at most 260 units) of a process,
    // read from one Toolhelp snapshot; empty when the snapshot fails or holds
    // no such process.
    virtual std::optional<std::u16string> ExecutableName(std::uint32_t processId) = 0;
    // Detaches from a console borrowed to read another process's caret.
    virtual void FreeConsole() = 0;
};

}  // namespace tessel
