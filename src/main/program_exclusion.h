#pragma once
// Programs where the badge never shows: the foreground process's image file
// name against the user's list, read once per process.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/processes.h"
#include "platform/types.h"

namespace tessel {

// Image file names by process id; a name that could not be read is kept as
// empty too, so a process is opened once. The window it was read for is part
// of the key: Windows reuses the id of an ended process, and a new program
// under an old id must not inherit the old one's place on the list.
struct ImageNameCache {
    struct Entry {
        std::uint32_t processId = 0;  // 0: unused
        WindowId window = kNoWindow;
        std::optional<std::u16string> name;
    };
    std::array<Entry, 16> entries{};
    std::size_t next = 0;  // the entry replaced next
};

// True when the process's image file name is on `excluded`. Nothing is read
// while the list is empty; a process whose name cannot be read is not excluded.
bool ProcessExcluded(ImageNameCache& cache, Processes& processes, const std::vector<std::string>& excluded,
                     std::uint32_t processId, WindowId window);

}  // namespace tessel
