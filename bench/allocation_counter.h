#pragma once
// Counts every heap allocation made through the global operator new of the
// benchmark binary; the benchmarks report them per operation.
#include <cstdint>

namespace tessel::bench {

std::uint64_t AllocationCount();

class CountAllocations {
public:
    CountAllocations();
    ~CountAllocations();
    CountAllocations(const CountAllocations&) = delete;
    CountAllocations& operator=(const CountAllocations&) = delete;
    // Allocations since this object was made.
    std::uint64_t Count() const { return AllocationCount() - start_; }

private:
    std::uint64_t start_;
};

}  // namespace tessel::bench
