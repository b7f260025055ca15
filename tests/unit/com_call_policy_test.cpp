// What the COM message filter answers while a call into another program
// waits, and when a busy program is asked again.
#include <gtest/gtest.h>

#include "platform/com_call_policy.h"

namespace tessel {
namespace {

constexpr MonoTime kStart{Ms(1'000'000)};
constexpr MonoTime kDeadline = kStart + kOutlookQuestionBudget;

TEST(ComCallPolicy, PendingMessagesWaitUntilTheDeadlineCancels) {
    struct Case {
        OptionalTime deadline;
        Duration at;  // after kStart
        PendingMessage pending;
        WhilePending answer;
    };
    const Case cases[] = {
        // Within the deadline input stays queued for Tessel, never to COM's
        // default handling that may drop it; the rest gets that default.
        {kDeadline, Ms(299), PendingMessage::Other, WhilePending::WaitDefProcess},
        {kDeadline, Ms(299), PendingMessage::Input, WhilePending::WaitNoProcess},
        // At and past the deadline every kind cancels.
        {kDeadline, Ms(300), PendingMessage::Other, WhilePending::CancelCall},
        {kDeadline, Ms(300), PendingMessage::Input, WhilePending::CancelCall},
        // A call outside any question is never cancelled, and keeps input too.
        {std::nullopt, Ms(60'000), PendingMessage::Other, WhilePending::WaitDefProcess},
        {std::nullopt, Ms(60'000), PendingMessage::Input, WhilePending::WaitNoProcess},
    };
    for (const Case& c : cases)
        EXPECT_EQ(OnMessagePending(c.deadline, kStart + c.at, c.pending), c.answer)
            << (c.at / Ms(1)) << " ms, deadline " << c.deadline.has_value() << ", input "
            << (c.pending == PendingMessage::Input);
}

TEST(ComCallPolicy, ABusyCalleeIsRetriedOnlyWhileTheRetryFits) {
    struct Case {
        OptionalTime deadline;
        Duration at;
        bool busy;
        std::optional<std::uint32_t> retry;
    };
    const Case cases[] = {
        {kDeadline, Ms(199), true, kBusyRetryMs},
        // The wait would end at the deadline, leaving the retried call no time.
        {kDeadline, Ms(200), true, std::nullopt},
        // An outright rejection is final; so is any rejection outside a question.
        {kDeadline, Ms(0), false, std::nullopt},
        {std::nullopt, Ms(0), true, std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(RetryRejected(c.deadline, kStart + c.at, c.busy), c.retry)
            << (c.at / Ms(1)) << " ms, busy " << c.busy;
}

TEST(ComCallPolicy, TheWakeTimerFiresAtTheDeadlineNotBefore) {
    struct Case {
        Duration left;
        std::uint32_t ms;
    };
    const Case cases[] = {
        {Ms(150), 150 + kTimerTickMs},
        {Ms(150) - Duration(1), 150 + kTimerTickMs},  // rounded up: an early wake would not cancel
        {Ms(0), kShortestTimerMs},  // due now: wake as soon as a timer can
        {Ms(3'600'000), 60'000},
    };
    for (const Case& c : cases)
        EXPECT_EQ(WakeAfterMs(kStart + c.left, kStart), c.ms) << c.left.count() << " ns left";
}

}  // namespace
}  // namespace tessel
