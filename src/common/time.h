#pragma once
// Monotonic time as plain values. An empty optional time means "never".
#include <chrono>
#include <cstdint>
#include <optional>

namespace tessel {

using Duration = std::chrono::nanoseconds;

// A point on the monotonic clock, counted from an arbitrary origin.
struct MonoTime {
    Duration sinceOrigin{0};
    friend constexpr bool operator==(MonoTime, MonoTime) = default;
    friend constexpr auto operator<=>(MonoTime, MonoTime) = default;
};

constexpr MonoTime operator+(MonoTime t, Duration d) { return MonoTime{t.sinceOrigin + d}; }

using OptionalTime = std::optional<MonoTime>;

// Time from `then` to `now`; empty when the clock appears to have gone backwards.
constexpr std::optional<Duration> Elapsed(MonoTime now, MonoTime then) {
    if (now.sinceOrigin < then.sinceOrigin) return std::nullopt;
    return now.sinceOrigin - then.sinceOrigin;
}

// True when `then` is known and no more than `maxAge` before `now`.
constexpr bool AtMostAgo(MonoTime now, const OptionalTime& then, Duration maxAge) {
    if (!then) return false;
    auto e = Elapsed(now, *then);
    return e && *e <= maxAge;
}

// Whole seconds elapsed, 0 when the clock went backwards.
constexpr std::int64_t WholeSecondsSince(MonoTime now, MonoTime then) {
    auto e = Elapsed(now, then);
    return e ? std::chrono::duration_cast<std::chrono::seconds>(*e).count() : 0;
}

constexpr Duration Ms(std::int64_t ms) { return std::chrono::milliseconds(ms); }

}  // namespace tessel
