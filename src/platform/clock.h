#pragma once
#include "common/time.h"

namespace tessel {

// The monotonic clock; injectable so that tests control time.
class Clock {
public:
    virtual ~Clock() = default;
    virtual MonoTime Now() const = 0;
};

// The real clock (std::chrono::steady_clock).
class SteadyClock final : public Clock {
public:
    MonoTime Now() const override;
};

}  // namespace tessel
