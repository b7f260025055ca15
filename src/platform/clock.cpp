#include "platform/clock.h"

#include <chrono>

namespace tessel {

MonoTime SteadyClock::Now() const {
    return MonoTime{std::chrono::duration_cast<Duration>(std::chrono::steady_clock::now().time_since_epoch())};
}

}  // namespace tessel
