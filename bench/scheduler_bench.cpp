// A second of busy desktop through the event and key scheduling: 1,000 WinEvent
// notifications (caret moves, text selections, focus changes) one per
// millisecond and 100 key-downs one per 10 ms, then two quiet seconds, on the
// simulated message loop with the poll timer running. Counters give the update
// operations that result per burst; argument 1 lets each operation take simulated time
// (FullUpdate 8 ms, RefreshCaret 2 ms, RefreshMode 1 ms), during which
// notifications pile up and are coalesced, argument 0 makes them instant.
#include <benchmark/benchmark.h>

#include <memory>

#include "doubles/scheduler_rig.h"
#include "main/scheduler.h"

namespace tessel {
namespace {

struct BurstCounts {
    int fullUpdates = 0;
    int refreshModes = 0;
    int refreshCarets = 0;
    int pendingMessages = 0;
    int posts = 0;
    int pollTicks = 0;
    int keyChecks = 0;
};

void SetUpBurst(testing::SchedulerRig& rig, bool slowOperations) {
    testing::ScriptedWindow frame;
    frame.processId = 7;
    rig.desktop.AddWindow(100, frame);
    testing::ScriptedWindow edit = frame;
    edit.parent = edit.root = 100;
    rig.desktop.AddWindow(101, edit);
    rig.desktop.SetForeground(100);
    rig.host.fullUpdateShowsBadge = true;
    if (slowOperations) {
        rig.host.fullUpdateCost = Ms(8);
        rig.host.refreshCaretCost = Ms(2);
        rig.host.refreshModeCost = Ms(1);
    }

    // As at window creation: one full update, then the poll.
    rig.host.FullUpdate();
    SchedulePollTimer(rig.state, rig.clock, rig.desktop, rig.host);

    const MonoTime start = rig.clock.Now();
    for (int i = 0; i < 1000; ++i) {
        if (i % 100 == 50) rig.AddWinEvent(start + Ms(i), kEventObjectFocus, 101, 0);
        else if (i % 7 == 3) rig.AddWinEvent(start + Ms(i), kEventObjectTextSelectionChanged, 101, 0);
        else rig.AddWinEvent(start + Ms(i), kEventObjectLocationChange, 101, kObjIdCaret);
    }
    static constexpr std::uint16_t kModeKeys[] = {0x15, 0x20, 0x10, 0x14};
    for (int i = 0; i < 100; ++i) {
        std::uint16_t vk = (i % 5 == 4) ? kModeKeys[(i / 5) % 4] : static_cast<std::uint16_t>(0x41 + i % 26);
        rig.AddKey(start + Ms(10 * i + 5), RawKeyEvent{0xD0, static_cast<std::uint16_t>(vk & 0x7F), 0, vk});
    }
}

BurstCounts RunBurst(testing::SchedulerRig& rig) {
    const MonoTime start = rig.clock.Now();
    rig.host.ClearCalls();
    rig.desktop.ResetCalls();
    rig.RunUntil(start + Ms(3000));  // the burst, then two quiet seconds of polling
    BurstCounts c;
    c.fullUpdates = rig.host.Count("FullUpdate");
    c.refreshModes = rig.host.Count("RefreshMode");
    c.refreshCarets = rig.host.Count("RefreshCaret");
    c.pendingMessages = rig.pendingMessagesHandled;
    c.posts = rig.desktop.Calls("PostToWindow");
    c.pollTicks = rig.timerTicks[kPollTimerId];
    c.keyChecks = rig.timerTicks[kKeyCheckTimerId];
    return c;
}

void BM_SchedulerBurst(benchmark::State& state) {
    const bool slow = state.range(0) != 0;
    BurstCounts counts;
    for (auto _ : state) {
        state.PauseTiming();
        auto rig = std::make_unique<testing::SchedulerRig>();
        SetUpBurst(*rig, slow);
        state.ResumeTiming();
        counts = RunBurst(*rig);
        benchmark::DoNotOptimize(counts);
    }
    state.counters["FullUpdate"] = counts.fullUpdates;
    state.counters["RefreshMode"] = counts.refreshModes;
    state.counters["RefreshCaret"] = counts.refreshCarets;
    state.counters["pendingMsgs"] = counts.pendingMessages;
    state.counters["posts"] = counts.posts;
    state.counters["pollTicks"] = counts.pollTicks;
    state.counters["keyChecks"] = counts.keyChecks;
}
BENCHMARK(BM_SchedulerBurst)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace tessel
