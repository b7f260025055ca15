#include "main/program_exclusion.h"

#include "config/program_list.h"

namespace tessel {

bool ProcessExcluded(ImageNameCache& cache, Processes& processes, const std::vector<std::string>& excluded,
                     std::uint32_t processId, WindowId window) {
    if (excluded.empty() || processId == 0) return false;
    for (const ImageNameCache::Entry& e : cache.entries) {
        if (e.processId == processId && e.window == window) return e.name && IsExcludedProgram(excluded, *e.name);
    }
    ImageNameCache::Entry& e = cache.entries[cache.next];
    cache.next = (cache.next + 1) % cache.entries.size();
    e.processId = processId;
    e.window = window;
    e.name = processes.ImageFileName(processId);
    return e.name && IsExcludedProgram(excluded, *e.name);
}

}  // namespace tessel
