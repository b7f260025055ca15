#include "platform/com_call_policy.h"

#include <algorithm>
#include <chrono>

namespace tessel {
namespace {

bool Passed(const OptionalTime& deadline, MonoTime now) { return deadline && now >= *deadline; }

}  // namespace

WhilePending OnMessagePending(const OptionalTime& deadline, MonoTime now, PendingMessage pending) noexcept {
    if (Passed(deadline, now)) return WhilePending::CancelCall;
    return pending == PendingMessage::Input ? WhilePending::WaitNoProcess : WhilePending::WaitDefProcess;
}

std::optional<std::uint32_t> RetryRejected(const OptionalTime& deadline, MonoTime now, bool busy) noexcept {
    if (!busy || !deadline || Passed(deadline, now)) return std::nullopt;
    // The retried call needs time of its own after the wait.
    if (now + Ms(kBusyRetryMs) >= *deadline) return std::nullopt;
    return kBusyRetryMs;
}

std::uint32_t WakeAfterMs(MonoTime deadline, MonoTime now) noexcept {
    if (now >= deadline) return kShortestTimerMs;
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline.sinceOrigin - now.sinceOrigin).count();
    // Deadlines are fractions of a second; a far one is clamped, not wrapped.
    return static_cast<std::uint32_t>(std::clamp<std::int64_t>(left + kTimerTickMs, kShortestTimerMs, 60'000));
}

}  // namespace tessel
