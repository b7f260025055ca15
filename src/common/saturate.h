#pragma once
// Screen coordinates are signed 32-bit; arithmetic on them must never wrap.
#include <cmath>
#include <cstdint>
#include <limits>

namespace tessel {

constexpr std::int32_t SaturateToI32(std::int64_t v) {
    if (v > std::numeric_limits<std::int32_t>::max()) return std::numeric_limits<std::int32_t>::max();
    if (v < std::numeric_limits<std::int32_t>::min()) return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(v);
}

constexpr std::int32_t SatAdd(std::int32_t a, std::int32_t b) {
    return SaturateToI32(static_cast<std::int64_t>(a) + b);
}

constexpr std::int32_t SatSub(std::int32_t a, std::int32_t b) {
    return SaturateToI32(static_cast<std::int64_t>(a) - b);
}

constexpr std::int32_t SatMul(std::int32_t a, std::int32_t b) {
    return SaturateToI32(static_cast<std::int64_t>(a) * b);
}

// Rounds half away from zero, clamps to the i32 range; NaN becomes 0.
inline std::int32_t RoundToI32(double v) {
    if (std::isnan(v)) return 0;
    if (v >= 2147483647.0) return std::numeric_limits<std::int32_t>::max();
    if (v <= -2147483648.0) return std::numeric_limits<std::int32_t>::min();
    return SaturateToI32(static_cast<std::int64_t>(std::round(v)));
}

}  // namespace tessel
