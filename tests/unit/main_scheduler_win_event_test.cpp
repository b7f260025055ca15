#include <gtest/gtest.h>

#include <functional>
#include <new>

#include "main/scheduler.h"
#include "main/win_event_coalescer.h"
#include "doubles/scheduler_rig.h"
#include "doubles/scripted_desktop.h"

namespace tessel {
namespace {

using testing::ScriptedDesktop;
using testing::ScriptedWindow;

testing::ScriptedWindow Win(std::uint32_t pid, WindowId root = 0, WindowId rootOwner = 0, WindowId parent = 0) {
    testing::ScriptedWindow w;
    w.processId = pid;
    w.root = root;
    w.rootOwner = rootOwner;
    w.parent = parent;
    return w;
}

TEST(MainSchedulerWinEvent, EventsMapToTheirBits) {
    EXPECT_EQ(WinEventBit(kEventSystemForeground, 0, 0), kEventForeground);  // even without a window
    EXPECT_EQ(WinEventBit(kEventObjectFocus, 5, 0), kEventFocus);
    EXPECT_EQ(WinEventBit(kEventObjectTextSelectionChanged, 5, 3), kEventTextSelection);
    EXPECT_EQ(WinEventBit(kEventObjectLocationChange, 5, kObjIdCaret), kEventCaretMoved);
    EXPECT_EQ(WinEventBit(kEventObjectLocationChange, 5, kObjIdWindow), kEventWindowMoved);
    EXPECT_EQ(WinEventBit(kEventObjectLocationChange, 5, -4), std::nullopt);  // OBJID_CLIENT
    EXPECT_EQ(WinEventBit(kEventObjectFocus, 0, 0), std::nullopt);
    EXPECT_EQ(WinEventBit(kEventObjectLocationChange, 0, kObjIdCaret), std::nullopt);
    EXPECT_EQ(WinEventBit(0x8002, 5, 0), std::nullopt);  // EVENT_OBJECT_SHOW
}

class MainSchedulerRelevance : public ::testing::Test {
protected:
    void SetUp() override {
        desktop.AddWindow(100, Win(7));  // foreground
        desktop.AddWindow(101, Win(7, 100, 0, 100));  // its child
        desktop.AddWindow(102, Win(7, 0, 100));  // owned popup
        desktop.AddWindow(200, Win(9));  // unrelated
        desktop.SetForeground(100);
    }
    ScriptedDesktop desktop;
};

TEST_F(MainSchedulerRelevance, ForegroundTreeCountsButOnlyTheForegroundItselfMayMove) {
    EXPECT_TRUE(IsWinEventRelevant(desktop, kEventFocus, 101, 0));
    EXPECT_TRUE(IsWinEventRelevant(desktop, kEventCaretMoved, 101, 0));
    EXPECT_TRUE(IsWinEventRelevant(desktop, kEventTextSelection, 102, 0));
    EXPECT_FALSE(IsWinEventRelevant(desktop, kEventWindowMoved, 101, 0));
    EXPECT_TRUE(IsWinEventRelevant(desktop, kEventWindowMoved, 100, 0));
    EXPECT_FALSE(IsWinEventRelevant(desktop, kEventCaretMoved, 200, 0));
    EXPECT_TRUE(IsWinEventRelevant(desktop, kEventForeground, 200, 0));
}

TEST_F(MainSchedulerRelevance, TargetProcessWindowsCountAsForeground) {
    EXPECT_TRUE(IsWinEventRelevant(desktop, kEventCaretMoved, 200, 9));
    EXPECT_FALSE(IsWinEventRelevant(desktop, kEventCaretMoved, 200, 8));
    EXPECT_FALSE(IsWinEventRelevant(desktop, kEventWindowMoved, 200, 9));
}

TEST_F(MainSchedulerRelevance, NoForegroundWindowAcceptsEverything) {
    desktop.SetForeground(kNoWindow);
    EXPECT_TRUE(IsWinEventRelevant(desktop, kEventWindowMoved, 200, 0));
    EXPECT_TRUE(IsWinEventRelevant(desktop, kEventFocus, 200, 0));
}

TEST_F(MainSchedulerRelevance, ChildLocationChangeDependsOnObjectId) {
    WinEventCoalescer c;
    c.SetNotifyWindow(0x1000);
    c.OnWinEvent(desktop, kEventObjectLocationChange, 101, kObjIdWindow);
    EXPECT_EQ(c.PendingMask(), 0u);
    EXPECT_TRUE(desktop.Posted().empty());
    c.OnWinEvent(desktop, kEventObjectLocationChange, 101, kObjIdCaret);
    EXPECT_EQ(c.PendingMask(), kEventCaretMoved);
    EXPECT_EQ(desktop.Posted().size(), 1u);
}

TEST_F(MainSchedulerRelevance, BurstPostsOnceAndFailedPostIsRetried) {
    WinEventCoalescer c;
    c.OnWinEvent(desktop, kEventObjectFocus, 101, 0);
    EXPECT_TRUE(desktop.Posted().empty()) << "no window to post to yet";
    EXPECT_EQ(c.PendingMask(), kEventFocus);

    c.SetNotifyWindow(0x1000);
    desktop.FailPosts(true);
    c.OnWinEvent(desktop, kEventObjectFocus, 101, 0);
    EXPECT_FALSE(c.NotifyPosted());
    desktop.FailPosts(false);
    c.OnWinEvent(desktop, kEventObjectFocus, 101, 0);
    c.OnWinEvent(desktop, kEventObjectFocus, 100, 0);
    c.OnWinEvent(desktop, kEventObjectLocationChange, 101, kObjIdCaret);
    ASSERT_EQ(desktop.Posted().size(), 1u);
    EXPECT_EQ(desktop.Posted()[0].window, 0x1000u);
    EXPECT_EQ(desktop.Posted()[0].message, 0x8003u);
    EXPECT_EQ(c.PendingMask(), kEventFocus | kEventCaretMoved);

    c.Reset();
    EXPECT_EQ(c.NotifyWindow(), kNoWindow);
    EXPECT_EQ(c.PendingMask(), 0u);
    EXPECT_FALSE(c.NotifyPosted());
    c.OnWinEvent(desktop, kEventSystemForeground, 100, 0);
    EXPECT_EQ(desktop.Posted().size(), 1u) << "no posting after shutdown";
}

// --- the pending handler with the coalescer ---

class MainSchedulerCoalescing : public ::testing::Test {
protected:
    void SetUp() override {
        rig.desktop.AddWindow(100, Win(7));
        rig.desktop.AddWindow(101, Win(7, 100, 0, 100));
        rig.desktop.SetForeground(100);
    }
    testing::SchedulerRig rig;
};

TEST_F(MainSchedulerCoalescing, TwoFocusEventsAndACaretEventGiveOneFullUpdate) {
    MonoTime t = rig.clock.Now();
    rig.AddWinEvent(t, kEventObjectFocus, 101, 0);
    rig.AddWinEvent(t, kEventObjectFocus, 100, 0);
    rig.AddWinEvent(t, kEventObjectLocationChange, 101, kObjIdCaret);
    rig.RunUntil(t + Ms(1));
    EXPECT_EQ(rig.desktop.Calls("PostToWindow"), 1);
    EXPECT_EQ(rig.pendingMessagesHandled, 1);
    EXPECT_EQ(rig.host.Count("FullUpdate"), 1);
    EXPECT_EQ(rig.host.Count("ForgetShellHostState"), 1);
}

TEST_F(MainSchedulerCoalescing, EventsDuringTheHandlerArePostedAgain) {
    rig.coalescer.OnWinEvent(rig.desktop, kEventObjectFocus, 101, 0);
    ASSERT_EQ(rig.desktop.Posted().size(), 1u);
    // An event slips in while the handler waits inside a platform call.
    struct Interleaving : testing::RecordingSchedulerHost {
        using RecordingSchedulerHost::RecordingSchedulerHost;
        std::function<void()> during;
        void FullUpdate() override {
            RecordingSchedulerHost::FullUpdate();
            if (during) during();
        }
    } host(rig.state, rig.clock);
    host.during = [&] { rig.coalescer.OnWinEvent(rig.desktop, kEventObjectLocationChange, 101, kObjIdCaret); };
    EXPECT_EQ(rig.desktop.Posted().size(), 1u) << "still marked as posted";
    OnWinEventPending(rig.state, rig.clock, rig.desktop, host, rig.coalescer);
    ASSERT_EQ(rig.desktop.Posted().size(), 2u);
    EXPECT_TRUE(rig.coalescer.NotifyPosted());
    EXPECT_EQ(rig.coalescer.PendingMask(), kEventCaretMoved);

    // A failed re-post leaves the door open for the next event.
    rig.desktop.FailPosts(true);
    host.during = [&] { rig.coalescer.OnWinEvent(rig.desktop, kEventObjectFocus, 101, 0); };
    rig.coalescer.OnWinEvent(rig.desktop, kEventObjectFocus, 101, 0);
    OnWinEventPending(rig.state, rig.clock, rig.desktop, host, rig.coalescer);
    EXPECT_FALSE(rig.coalescer.NotifyPosted());
    EXPECT_NE(rig.coalescer.PendingMask(), 0u);
}

TEST_F(MainSchedulerCoalescing, AnUpdateThatThrowsStillReleasesThePost) {
    struct Throwing : testing::RecordingSchedulerHost {
        using RecordingSchedulerHost::RecordingSchedulerHost;
        void FullUpdate() override { throw std::bad_alloc(); }
    } host(rig.state, rig.clock);
    rig.coalescer.OnWinEvent(rig.desktop, kEventObjectFocus, 101, 0);
    EXPECT_THROW(OnWinEventPending(rig.state, rig.clock, rig.desktop, host, rig.coalescer), std::bad_alloc);
    // Otherwise no WinEvent would ever be posted again.
    EXPECT_FALSE(rig.coalescer.NotifyPosted());
    rig.coalescer.OnWinEvent(rig.desktop, kEventObjectFocus, 101, 0);
    EXPECT_EQ(rig.desktop.Posted().size(), 2u);
}

TEST_F(MainSchedulerCoalescing, ForegroundEventClearsTheTargetProcess) {
    rig.coalescer.SetEventTargetProcessId(42);
    rig.coalescer.OnWinEvent(rig.desktop, kEventObjectLocationChange, 101, kObjIdCaret);
    OnWinEventPending(rig.state, rig.clock, rig.desktop, rig.host, rig.coalescer);
    EXPECT_EQ(rig.coalescer.EventTargetProcessId(), 42u) << "caret events keep it";
    rig.coalescer.OnWinEvent(rig.desktop, kEventSystemForeground, 100, 0);
    OnWinEventPending(rig.state, rig.clock, rig.desktop, rig.host, rig.coalescer);
    EXPECT_EQ(rig.coalescer.EventTargetProcessId(), 0u);
}

TEST_F(MainSchedulerCoalescing, EmptyMaskOrShutdownOnlyReleasesThePost) {
    OnWinEventPending(rig.state, rig.clock, rig.desktop, rig.host, rig.coalescer);
    EXPECT_TRUE(rig.host.calls.empty());
    rig.host.shutdownDone = true;
    rig.coalescer.OnWinEvent(rig.desktop, kEventSystemForeground, 100, 0);
    MonoTime before = rig.state.lastActivity;
    rig.clock.AdvanceMs(10);
    OnWinEventPending(rig.state, rig.clock, rig.desktop, rig.host, rig.coalescer);
    EXPECT_TRUE(rig.host.calls.empty());
    EXPECT_EQ(rig.state.lastActivity, before);
    EXPECT_FALSE(rig.coalescer.NotifyPosted());
    EXPECT_EQ(rig.desktop.Calls("SetTimer"), 0);
}

}  // namespace
}  // namespace tessel
