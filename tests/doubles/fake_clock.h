#pragma once
#include "platform/clock.h"

namespace tessel::testing {

// A clock that moves only when the test says so.
class FakeClock final : public Clock {
public:
    MonoTime Now() const override { return now_; }
    void Advance(Duration d) { now_.sinceOrigin += d; }
    void AdvanceMs(std::int64_t ms) { Advance(Ms(ms)); }
    void Set(MonoTime t) { now_ = t; }

private:
    MonoTime now_{Ms(1'000'000)};
};

}  // namespace tessel::testing
