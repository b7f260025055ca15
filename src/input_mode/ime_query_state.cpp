#include "input_mode/ime_query_state.h"

#include <chrono>
#include <random>

namespace tessel {
namespace {

std::uint64_t ProcessSeed() {
    static const std::uint64_t seed = [] {
        std::uint64_t s = 0;
        try {
            std::random_device device;
            s = (static_cast<std::uint64_t>(device()) << 32) ^ device();
        } catch (...) {
            // No entropy source: fall back to the clock and an address.
        }
        int local = 0;
        s ^= static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
        s ^= static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(&local)) << 7;
        return s;
    }();
    return seed;
}

// splitmix64 finaliser: cheap and mixes every input bit into every output bit.
std::uint64_t Mix(std::uint64_t x) {
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

}  // namespace

std::size_t StatusKeyHash::operator()(const StatusKey& key) const noexcept {
    const std::uint64_t tag = key.kind == StatusKey::Kind::Window ? 0xA5A5A5A5A5A5A5A5ull : 0;
    return static_cast<std::size_t>(Mix(Mix(key.value ^ ProcessSeed()) ^ tag));
}

}  // namespace tessel
