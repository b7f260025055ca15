#pragma once
// Counts heap allocations made through the global operator new while a
// CountAllocations scope is open; the benchmarks report them per operation.
#include <cstdint>

namespace tessel::bench {

std::uint64_t AllocationCount();

class CountAllocations {
public:
    CountAllocations();
    ~CountAllocations();
    CountAllocations(const CountAllocations&) = delete;
    CountAllocations& operator=(const CountAllocations&) = delete;
    // Allocations since the scope opened.
    std::uint64_t Count() const { return AllocationCount() - start_; }

private:
    std::uint64_t start_;
};

}  // namespace tessel::bench
