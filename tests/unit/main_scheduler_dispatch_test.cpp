#include <gtest/gtest.h>

#include "main/scheduler.h"
#include "doubles/scheduler_rig.h"

namespace tessel {
namespace {

using Calls = std::vector<std::string>;

GuiThreadInfo FocusOn(WindowId focus) {
    GuiThreadInfo info;
    info.focus = focus;
    return info;
}

class MainSchedulerDispatch : public ::testing::Test {
protected:
    void SetUp() override {
        rig.desktop.AddWindow(100, testing::ScriptedWindow{});
        rig.desktop.SetForeground(100);
    }
    // Delivers events on the foreground window and runs the pending handler.
    Calls Handle(std::initializer_list<std::pair<std::uint32_t, std::int32_t>> events) {
        rig.host.ClearCalls();
        for (auto [event, objectId] : events) rig.coalescer.OnWinEvent(rig.desktop, event, 100, objectId);
        OnWinEventPending(rig.state, rig.clock, rig.desktop, rig.host, rig.coalescer);
        return rig.host.calls;
    }
    void ShowBadge() {
        rig.host.badgeVisible = true;
        rig.host.lastCaretFound = true;
        rig.host.drawnModeNone = false;
    }
    static constexpr std::pair<std::uint32_t, std::int32_t> kCaret{kEventObjectLocationChange, kObjIdCaret};
    static constexpr std::pair<std::uint32_t, std::int32_t> kMove{kEventObjectLocationChange, kObjIdWindow};
    static constexpr std::pair<std::uint32_t, std::int32_t> kSelection{kEventObjectTextSelectionChanged, 0};
    static constexpr std::pair<std::uint32_t, std::int32_t> kFocus{kEventObjectFocus, 0};
    static constexpr std::pair<std::uint32_t, std::int32_t> kForeground{kEventSystemForeground, 0};
    testing::SchedulerRig rig;
};

TEST_F(MainSchedulerDispatch, ForegroundOrFocusAlwaysRunsAFullUpdate) {
    ShowBadge();
    rig.state.lastCaretUpdate = rig.clock.Now();  // throttle closed does not matter
    EXPECT_EQ(Handle({kFocus, kCaret}),
              (Calls{"ArmTopmostCountdown", "InvalidateCaretCaches", "ForgetShellHostState", "FullUpdate",
                     "TickTopmostCountdown"}));
    EXPECT_EQ(rig.state.lastActivity, rig.clock.Now());
    EXPECT_EQ(rig.host.topmostCountdown, 0) << "visible badge not near the top";
    rig.clock.AdvanceMs(1);
    EXPECT_EQ(Handle({kForeground}).at(3), "FullUpdate");
}

TEST_F(MainSchedulerDispatch, CaretEventsOnAShownBadgeRefreshTheCaretAtMostEvery50Ms) {
    ShowBadge();
    EXPECT_EQ(Handle({kCaret}), (Calls{"RefreshCaret"}));
    EXPECT_EQ(rig.state.lastCaretUpdate, rig.clock.Now());
    rig.clock.AdvanceMs(49);
    EXPECT_EQ(Handle({kSelection}), Calls{});
    EXPECT_TRUE(rig.state.caretRefreshPending);
    EXPECT_EQ(rig.state.pollPeriod, 10u) << "the throttle opens in 1 ms; the shortest timer is 10 ms";
    // The owed refresh happens at the poll tick.
    rig.host.ClearCalls();
    OnPollTimer(rig.state, rig.clock, rig.desktop, rig.host);
    EXPECT_EQ(rig.host.calls, Calls{"RefreshCaret"});
    EXPECT_FALSE(rig.state.caretRefreshPending);
    rig.clock.AdvanceMs(50);
    EXPECT_EQ(Handle({kMove}), (Calls{"RefreshCaret"}));
}

TEST_F(MainSchedulerDispatch, NothingDrawnYetTurnsCaretEventsIntoFullUpdates) {
    ShowBadge();
    rig.host.drawnModeNone = true;
    EXPECT_EQ(Handle({kCaret}), (Calls{"FullUpdate"})) << "no countdown tick: caches were not invalidated";
    rig.clock.AdvanceMs(10);
    EXPECT_EQ(Handle({kCaret}), Calls{});
    EXPECT_TRUE(rig.state.fullUpdatePending);
    EXPECT_FALSE(rig.state.caretRefreshPending);
}

TEST_F(MainSchedulerDispatch, CaretEventsWithoutABadgeRunFullUpdatesThrottled) {
    EXPECT_EQ(Handle({kCaret}), (Calls{"ArmTopmostCountdown", "InvalidateCaretCaches", "FullUpdate",
                                       "TickTopmostCountdown", "InvalidateCaretCaches"}));
    EXPECT_TRUE(rig.state.fullUpdatePending) << "the countdown asks for another look";
    rig.state.fullUpdatePending = false;
    rig.clock.AdvanceMs(20);
    EXPECT_EQ(Handle({kCaret}), (Calls{"ArmTopmostCountdown", "InvalidateCaretCaches"}));
    EXPECT_TRUE(rig.state.fullUpdatePending);
    // A window move invalidates nothing but still owes a look.
    rig.state.fullUpdatePending = false;
    EXPECT_EQ(Handle({kMove}), Calls{});
    EXPECT_TRUE(rig.state.fullUpdatePending);
}

TEST_F(MainSchedulerDispatch, OwedFullUpdateIsNotDowngradedToACaretRefresh) {
    ShowBadge();
    rig.state.fullUpdatePending = true;
    EXPECT_EQ(Handle({kCaret}), (Calls{"FullUpdate"}));
    EXPECT_FALSE(rig.state.fullUpdatePending);
}

TEST_F(MainSchedulerDispatch, RefreshCaretFallingBackCountsAsAFullUpdateForTheKeyCheck) {
    ShowBadge();
    rig.host.refreshCaretFinds = false;
    rig.state.keyCheckArmed = true;
    EXPECT_EQ(Handle({kCaret}), (Calls{"RefreshCaret", "FullUpdate"}));
    EXPECT_TRUE(rig.state.caretEventDuringKeyCheck);
    rig.state.caretEventDuringKeyCheck = false;
    rig.host.refreshCaretFinds = true;
    rig.clock.AdvanceMs(50);
    Handle({kCaret});
    EXPECT_FALSE(rig.state.caretEventDuringKeyCheck);
}

TEST(MainSchedulerThrottle, OpensAfter50MsAndWhenTheClockGoesBack) {
    MonoTime t{Ms(10'000)};
    EXPECT_TRUE(CaretThrottleOpen(std::nullopt, t));
    EXPECT_FALSE(CaretThrottleOpen(t, t));
    EXPECT_FALSE(CaretThrottleOpen(t, t + Ms(49)));
    EXPECT_TRUE(CaretThrottleOpen(t, t + Ms(50)));
    EXPECT_TRUE(CaretThrottleOpen(t, MonoTime{Ms(9'990)}));
}

// --- poll timer ---

class MainSchedulerPoll : public MainSchedulerDispatch {
protected:
    std::uint32_t Period() {
        SchedulePollTimer(rig.state, rig.clock, rig.desktop, rig.host);
        return rig.state.pollPeriod;
    }
    Calls Tick() {
        rig.host.ClearCalls();
        OnPollTimer(rig.state, rig.clock, rig.desktop, rig.host);
        return rig.host.calls;
    }
};

TEST_F(MainSchedulerPoll, PeriodSlowsWithIdleTimeOnlyWithEverySource) {
    EXPECT_EQ(Period(), 500u);
    rig.clock.AdvanceMs(2999);
    EXPECT_EQ(Period(), 500u);
    rig.clock.AdvanceMs(1);
    EXPECT_EQ(Period(), 2000u);
    rig.clock.AdvanceMs(12'000);
    EXPECT_EQ(Period(), 5000u);
    EXPECT_EQ(rig.desktop.Timers().at({rig.host.mainWindow, kPollTimerId}), 5000u);
    rig.host.allHooksInstalled = false;
    EXPECT_EQ(Period(), 500u);
    rig.host.allHooksInstalled = true;
    rig.host.rawInputRegistered = false;
    EXPECT_EQ(Period(), 500u);
    rig.host.badgeVisible = true;
    EXPECT_EQ(Period(), 100u) << "a shown badge without raw input is polled fast";
    rig.host.rawInputRegistered = true;
    rig.state.caretRefreshPending = true;
    EXPECT_EQ(Period(), 100u) << "no caret update known";
    rig.state.lastCaretUpdate = rig.clock.Now();
    rig.clock.AdvanceMs(20);
    EXPECT_EQ(Period(), 30u) << "owed refresh waits only for the throttle";
    rig.state.caretRefreshPending = false;
    rig.state.fullUpdatePending = true;
    EXPECT_EQ(Period(), 100u);
    // A clock that went backwards counts as active.
    rig.state.fullUpdatePending = false;
    rig.state.lastActivity = rig.clock.Now() + Ms(60'000);
    EXPECT_EQ(Period(), 500u);
}

TEST_F(MainSchedulerPoll, UnchangedPeriodLeavesTheTimerAloneAndFailuresRetry) {
    Period();
    rig.desktop.ResetCalls();
    Period();
    EXPECT_EQ(rig.desktop.Calls("SetTimer"), 0);
    EXPECT_EQ(rig.desktop.Calls("KillTimer"), 0);
    rig.state.fullUpdatePending = true;
    Period();
    EXPECT_EQ(rig.desktop.Calls("KillTimer"), 1);
    EXPECT_EQ(rig.desktop.Calls("SetTimer"), 1);
    rig.desktop.FailTimers(true);
    rig.state.fullUpdatePending = false;
    EXPECT_EQ(Period(), 0u);
    rig.desktop.FailTimers(false);
    rig.desktop.ResetCalls();
    EXPECT_EQ(Period(), 500u);
    EXPECT_EQ(rig.desktop.Calls("KillTimer"), 0) << "nothing was running";
    rig.host.mainWindow = kNoWindow;
    rig.desktop.ResetCalls();
    rig.state.fullUpdatePending = true;
    Period();
    EXPECT_EQ(rig.desktop.TotalCalls(), 0);
}

TEST_F(MainSchedulerPoll, TickRefreshesTheModeBetweenFullUpdates) {
    EXPECT_EQ(Tick(), Calls{"FullUpdate"}) << "never had a full update";
    ShowBadge();
    rig.clock.AdvanceMs(999);
    EXPECT_EQ(Tick(), Calls{"RefreshMode"});
    rig.clock.AdvanceMs(1);
    EXPECT_EQ(Tick(), Calls{"FullUpdate"}) << "1 s with raw input";

    rig.host.rawInputRegistered = false;
    rig.clock.AdvanceMs(499);
    EXPECT_EQ(Tick(), Calls{"RefreshMode"});
    rig.clock.AdvanceMs(1);
    EXPECT_EQ(Tick(), Calls{"FullUpdate"}) << "500 ms without";
    rig.host.rawInputRegistered = true;

    // Idle tiers stretch the interval (activity was at the start).
    rig.clock.Set(MonoTime{rig.state.lastActivity.sinceOrigin + Ms(3000)});
    rig.state.lastFullUpdate = rig.clock.Now();
    rig.clock.AdvanceMs(1999);
    EXPECT_EQ(Tick(), Calls{"RefreshMode"});
    rig.clock.AdvanceMs(1);
    EXPECT_EQ(Tick(), Calls{"FullUpdate"});
    rig.clock.Set(MonoTime{rig.state.lastActivity.sinceOrigin + Ms(15'000)});
    rig.state.lastFullUpdate = rig.clock.Now();
    rig.clock.AdvanceMs(4999);
    EXPECT_EQ(Tick(), Calls{"RefreshMode"});
    rig.clock.AdvanceMs(1);
    EXPECT_EQ(Tick(), Calls{"FullUpdate"});

    rig.host.lastCaretFound = false;
    EXPECT_EQ(Tick(), Calls{"FullUpdate"});
    rig.host.lastCaretFound = true;
    rig.state.lastFullUpdate = rig.clock.Now() + Ms(10);
    EXPECT_EQ(Tick(), Calls{"FullUpdate"}) << "backwards clock";
}

TEST_F(MainSchedulerPoll, AtRestAnUnchangedTargetCostsOneProbe) {
    ShowBadge();
    rig.host.targetUnchanged = true;
    rig.state.lastFullUpdate = MonoTime{rig.state.lastActivity.sinceOrigin + Ms(8000)};
    rig.clock.Set(MonoTime{rig.state.lastActivity.sinceOrigin + Ms(14'000)});
    EXPECT_EQ(Tick(), Calls{"FullUpdate"}) << "tier 1 keeps its full updates";
    EXPECT_EQ(rig.host.targetProbes, 0);

    rig.clock.Set(MonoTime{rig.state.lastActivity.sinceOrigin + Ms(60'000)});
    EXPECT_EQ(Tick(), Calls{"CheckModeAtRest"}) << "tier 2, same target: the mode may change at rest";
    EXPECT_EQ(rig.host.targetProbes, 1);
    rig.host.badgeVisible = false;
    EXPECT_EQ(Tick(), Calls{}) << "tier 2, same target, no badge";
    rig.host.badgeVisible = true;
    rig.host.targetUnchanged = false;
    EXPECT_EQ(Tick(), Calls{"FullUpdate"}) << "the focus moved";
    rig.host.targetUnchanged = true;
    rig.state.fullUpdatePending = true;
    EXPECT_EQ(Tick(), (Calls{"FullUpdate", "TickTopmostCountdown"})) << "owed work is not skipped";
}

TEST_F(MainSchedulerPoll, OwedWorkComesFirst) {
    ShowBadge();
    rig.state.lastFullUpdate = rig.clock.Now();
    rig.state.caretRefreshPending = true;
    EXPECT_EQ(Tick(), Calls{"RefreshCaret"});
    rig.state.fullUpdatePending = true;
    rig.state.caretRefreshPending = true;
    EXPECT_EQ(Tick(), (Calls{"FullUpdate", "TickTopmostCountdown"}));
    EXPECT_FALSE(rig.state.caretRefreshPending);
}

TEST_F(MainSchedulerPoll, HiddenBadgeGetsThreeMoreLooksAfterAFocusChange) {
    MonoTime t = rig.clock.Now();
    rig.AddWinEvent(t, kEventObjectFocus, 100, 0);
    rig.RunUntil(t + Ms(1000));
    ASSERT_EQ(rig.host.fullUpdateTimes.size(), 4u + 1u) << "event, three countdown looks, then the 1 s refresh";
    EXPECT_EQ(rig.host.fullUpdateTimes[1], t + Ms(100));
    EXPECT_EQ(rig.host.fullUpdateTimes[3], t + Ms(300));
}

TEST_F(MainSchedulerPoll, CtrlShortcutGivesThreeFullUpdates100MsApart) {
    ShowBadge();
    MonoTime t = rig.clock.Now();
    rig.state.lastFullUpdate = t;
    rig.AddKey(t, RawKeyEvent{1, 0x21, 0, 0x46}, {0x11});
    rig.RunUntil(t + Ms(400));
    EXPECT_EQ(rig.host.Count("RefreshMode"), 1) << "the key check itself";
    ASSERT_EQ(rig.host.fullUpdateTimes.size(), 3u);
    EXPECT_EQ(rig.host.fullUpdateTimes[0], t + Ms(120));
    EXPECT_EQ(rig.host.fullUpdateTimes[1], t + Ms(220));
    EXPECT_EQ(rig.host.fullUpdateTimes[2], t + Ms(320));
    EXPECT_EQ(rig.host.Count("ReassertTopmost"), 3);
    // Each of the three looks starts from empty caches, the first one too.
    for (std::size_t i = 0; i < rig.host.calls.size(); ++i) {
        if (rig.host.calls[i] != "FullUpdate") continue;
        EXPECT_EQ(rig.host.calls.at(i - 1), "InvalidateCaretCaches") << i;
    }
    EXPECT_EQ(rig.state.ctrlShortcutRetryCount, 0);
    EXPECT_FALSE(rig.state.fullUpdatePending);
    EXPECT_EQ(rig.state.pollPeriod, 500u);

    // Ctrl+K is no shortcut; F without Ctrl (Shift only) neither.
    rig.host.ClearCalls();
    rig.AddKey(rig.clock.Now(), RawKeyEvent{1, 0x25, 0, 0x4B}, {0x11});
    rig.AddKey(rig.clock.Now() + Ms(5), RawKeyEvent{1, 0x21, 0, 0x46}, {0x10});
    rig.RunUntil(rig.clock.Now() + Ms(400));
    EXPECT_EQ(rig.host.Count("ReassertTopmost"), 0);
}

// --- Task Manager search box ---

class MainSchedulerTaskManager : public ::testing::Test {
protected:
    void SetUp() override {
        testing::ScriptedWindow frame;
        frame.className = u"TaskManagerWindow";
        frame.threadId = 30;
        rig.desktop.AddWindow(300, frame);
        testing::ScriptedWindow box;
        box.className = u"windows.ui.input.inputsite.windowclass";
        box.parent = box.root = 300;
        box.threadId = 30;
        rig.desktop.AddWindow(301, box);
        rig.desktop.SetForeground(300);
        rig.desktop.SetGuiThreadInfo(30, FocusOn(301));
        rig.desktop.SetTimer(rig.host.mainWindow, kTaskManagerTimerId, 50);
        rig.host.taskManagerMode = true;
    }
    void Tick() {
        rig.host.ClearCalls();
        OnTaskManagerTimer(rig.state, rig.clock, rig.desktop, rig.host);
    }
    bool TimerRunning() { return rig.desktop.TimerRunning(rig.host.mainWindow, kTaskManagerTimerId); }
    testing::SchedulerRig rig;
};

TEST_F(MainSchedulerTaskManager, ChangedReadingRefreshesTheMode) {
    rig.clock.AdvanceMs(10'000);
    Tick();
    EXPECT_EQ(rig.host.calls, Calls{"ReadTaskbarIndicator"});
    EXPECT_NE(rig.state.lastActivity, rig.clock.Now());
    rig.host.taskbarReadingChanges = true;
    Tick();
    EXPECT_EQ(rig.host.calls, (Calls{"ReadTaskbarIndicator", "RefreshMode"}));
    EXPECT_EQ(rig.state.lastActivity, rig.clock.Now());
    EXPECT_TRUE(TimerRunning());
}

TEST_F(MainSchedulerTaskManager, LeavingTheSearchBoxSwitchesTheModeOff) {
    rig.desktop.SetGuiThreadInfo(30, FocusOn(300));
    Tick();
    EXPECT_EQ(rig.host.calls, Calls{"SwitchOffTaskManagerMode"});
    EXPECT_FALSE(TimerRunning());
    Tick();
    EXPECT_TRUE(rig.host.calls.empty()) << "mode is off";
}

TEST_F(MainSchedulerTaskManager, NoForegroundOrFailedThreadInfoSwitchesOff) {
    rig.desktop.SetForeground(kNoWindow);
    Tick();
    EXPECT_EQ(rig.host.calls, Calls{"SwitchOffTaskManagerMode"});
    rig.host.taskManagerMode = true;
    rig.desktop.SetForeground(300);
    rig.desktop.SetGuiThreadInfo(31, FocusOn(301));
    rig.desktop.Window(300).threadId = 31;
    rig.desktop.Window(300).className = u"SomethingElse";
    Tick();
    EXPECT_EQ(rig.host.calls, Calls{"SwitchOffTaskManagerMode"});
}

TEST_F(MainSchedulerTaskManager, ShutdownStopsEverything) {
    rig.host.shutdownDone = true;
    Tick();
    EXPECT_TRUE(rig.host.calls.empty());
    rig.state.fullUpdatePending = true;
    OnPollTimer(rig.state, rig.clock, rig.desktop, rig.host);
    SchedulePollTimer(rig.state, rig.clock, rig.desktop, rig.host);
    EXPECT_TRUE(rig.host.calls.empty());
    EXPECT_FALSE(rig.desktop.TimerRunning(rig.host.mainWindow, kPollTimerId));
}

}  // namespace
}  // namespace tessel
