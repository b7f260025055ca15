#include "allocation_counter.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace tessel::bench {
namespace {
std::atomic<std::uint64_t> g_allocations{0};
std::atomic<int> g_counting{0};
}  // namespace

std::uint64_t AllocationCount() { return g_allocations.load(std::memory_order_relaxed); }

CountAllocations::CountAllocations() : start_(AllocationCount()) { g_counting.fetch_add(1); }
CountAllocations::~CountAllocations() { g_counting.fetch_sub(1); }

namespace {
void* Allocate(std::size_t size) {
    if (g_counting.load(std::memory_order_relaxed) > 0) g_allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
}  // namespace

}  // namespace tessel::bench

void* operator new(std::size_t size) { return tessel::bench::Allocate(size); }
void* operator new[](std::size_t size) { return tessel::bench::Allocate(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
