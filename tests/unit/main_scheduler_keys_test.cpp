#include <gtest/gtest.h>

#include "main/scheduler.h"
#include "doubles/scheduler_rig.h"

namespace tessel {
namespace {

RawKeyEvent Key(std::uint16_t vk, std::uint64_t device = 0xD0, std::uint16_t flags = 0) {
    return RawKeyEvent{device, static_cast<std::uint16_t>(vk & 0x7F), flags, vk};
}

TEST(MainSchedulerKeys, DuplicateOnlyWithinTwoMillisecondsOfTheSameKey) {
    MonoTime t{Ms(5000)};
    std::optional<SeenKey> last = SeenKey{Key(0x41), t};
    EXPECT_TRUE(IsDuplicateKey(last, Key(0x41), t));
    EXPECT_TRUE(IsDuplicateKey(last, Key(0x41), t + Ms(2)));
    EXPECT_FALSE(IsDuplicateKey(last, Key(0x41), t + Ms(2) + Duration(1)));
    EXPECT_FALSE(IsDuplicateKey(last, Key(0x41), t + Ms(30)));
    EXPECT_FALSE(IsDuplicateKey(last, Key(0x41), MonoTime{Ms(4999)})) << "clock went backwards";
    EXPECT_FALSE(IsDuplicateKey(last, Key(0x42), t));
    EXPECT_FALSE(IsDuplicateKey(last, Key(0x41, 0xD1), t));
    EXPECT_FALSE(IsDuplicateKey(last, Key(0x41, 0xD0, 2), t));
    EXPECT_FALSE(IsDuplicateKey(std::nullopt, Key(0x41), t));
}

TEST(MainSchedulerKeys, ModeKeysAreTheImeAndModifierRanges) {
    // 0xF0 to 0xF6: a Japanese keyboard's 英数, カタカナ, ひらがな, 半角/全角 and ローマ字.
    for (int vk : {0x10, 0x14, 0x15, 0x19, 0x1B, 0x20, 0x5B, 0x5C, 0xE5, 0xA0, 0xA5, 0xF0, 0xF3, 0xF4, 0xF6})
        EXPECT_TRUE(IsModeKey(static_cast<std::uint16_t>(vk))) << vk;
    for (int vk : {0x0F, 0x21, 0x41, 0x5A, 0x5D, 0x9F, 0xA6, 0xE4, 0xE6, 0x0D, 0x08, 0xEF, 0xF7})
        EXPECT_FALSE(IsModeKey(static_cast<std::uint16_t>(vk))) << vk;
}

class MainSchedulerKeyCheck : public ::testing::Test {
protected:
    void SetUp() override {
        rig.host.badgeVisible = true;
        rig.host.lastCaretFound = true;
    }
    void Press(std::uint16_t vk, std::vector<int> held = {}) {
        for (int k : held) rig.desktop.SetKeyDown(k, true);
        OnRawKey(rig.state, rig.clock, rig.desktop, rig.host, Key(vk));
        for (int k : held) rig.desktop.SetKeyDown(k, false);
    }
    bool KeyCheckRunning() { return rig.desktop.TimerRunning(rig.host.mainWindow, kKeyCheckTimerId); }
    testing::SchedulerRig rig;
};

TEST_F(MainSchedulerKeyCheck, PlainTypingOnlyReschedulesThePoll) {
    rig.clock.AdvanceMs(20'000);
    Press(0x41);
    EXPECT_FALSE(KeyCheckRunning());
    EXPECT_FALSE(rig.state.keyCheckArmed);
    EXPECT_EQ(rig.state.lastActivity, rig.clock.Now());
    EXPECT_EQ(rig.state.pollPeriod, 500u);
    EXPECT_TRUE(rig.host.calls.empty());
}

TEST_F(MainSchedulerKeyCheck, ModeKeysAndHeldModifiersArmTheCheck) {
    for (std::uint16_t vk : {0x15, 0x14, 0x10, 0x20, 0x1B}) {
        rig.desktop.KillTimer(rig.host.mainWindow, kKeyCheckTimerId);
        rig.clock.AdvanceMs(5);
        Press(vk);
        EXPECT_TRUE(KeyCheckRunning()) << vk;
        EXPECT_EQ(rig.desktop.Timers().at({rig.host.mainWindow, kKeyCheckTimerId}), 20u);
    }
    for (int modifier : {0x10, 0x11, 0x12, 0x5B, 0x5C}) {
        rig.desktop.KillTimer(rig.host.mainWindow, kKeyCheckTimerId);
        rig.clock.AdvanceMs(5);
        Press(0x4B, {modifier});
        EXPECT_TRUE(KeyCheckRunning()) << modifier;
    }
}

TEST_F(MainSchedulerKeyCheck, LettersCheckTheModeWhileNothingIsShownOrAnUpdateIsOwed) {
    rig.host.badgeVisible = false;
    Press(0x41);
    EXPECT_TRUE(KeyCheckRunning());
    rig.desktop.KillTimer(rig.host.mainWindow, kKeyCheckTimerId);
    rig.host.badgeVisible = true;
    rig.state.fullUpdatePending = true;
    rig.clock.AdvanceMs(5);
    Press(0x42);
    EXPECT_TRUE(KeyCheckRunning());
}

TEST_F(MainSchedulerKeyCheck, SecondDeliveryIsDroppedButAutoRepeatIsNot) {
    rig.host.badgeVisible = false;
    Press(0x15);
    rig.desktop.ResetCalls();
    rig.clock.AdvanceMs(2);
    Press(0x15);
    EXPECT_EQ(rig.desktop.Calls("SetTimer"), 0);
    EXPECT_EQ(rig.state.lastKey->at, rig.clock.Now());
    rig.clock.AdvanceMs(30);
    Press(0x15);
    EXPECT_EQ(rig.desktop.Calls("SetTimer"), 1);
    // A clock that went backwards is not a duplicate.
    rig.clock.Set(MonoTime{rig.clock.Now().sinceOrigin - Ms(1)});
    Press(0x15);
    EXPECT_EQ(rig.desktop.Calls("SetTimer"), 2);
}

TEST_F(MainSchedulerKeyCheck, UnreadablePacketForgetsTheLastKeyAndChecks) {
    Press(0x15);
    OnRawKey(rig.state, rig.clock, rig.desktop, rig.host, std::nullopt);
    EXPECT_FALSE(rig.state.lastKey.has_value());
    EXPECT_TRUE(rig.state.keyCheckArmed);
    rig.desktop.ResetCalls();
    Press(0x15);  // not a duplicate any more
    EXPECT_EQ(rig.desktop.Calls("SetTimer"), 1);
}

TEST_F(MainSchedulerKeyCheck, CheckRunsTwentyMillisecondsAfterTheLastKeyOfABurst) {
    MonoTime t = rig.clock.Now();
    rig.AddKey(t, Key(0x10));
    rig.AddKey(t + Ms(10), Key(0x15));
    rig.AddKey(t + Ms(25), Key(0x20));
    rig.RunUntil(t + Ms(44));
    EXPECT_EQ(rig.host.Count("RefreshMode"), 0);
    rig.RunUntil(t + Ms(45));
    EXPECT_EQ(rig.host.Count("RefreshMode"), 1);
    EXPECT_FALSE(rig.state.keyCheckArmed);
    EXPECT_FALSE(KeyCheckRunning());
}

TEST_F(MainSchedulerKeyCheck, CheckPicksTheUpdate) {
    auto check = [&] {
        rig.host.ClearCalls();
        OnKeyCheckTimer(rig.state, rig.clock, rig.desktop, rig.host);
        return rig.host.calls.empty() ? std::string("none") : rig.host.calls.front();
    };
    EXPECT_EQ(check(), "RefreshMode");
    rig.state.caretEventDuringKeyCheck = true;
    EXPECT_EQ(check(), "none");
    EXPECT_FALSE(rig.state.caretEventDuringKeyCheck);
    rig.state.caretEventDuringKeyCheck = true;
    rig.state.fullUpdatePending = true;
    EXPECT_EQ(check(), "FullUpdate");
    rig.host.lastCaretFound = false;
    EXPECT_EQ(check(), "FullUpdate");
}

TEST_F(MainSchedulerKeyCheck, CaretEventAfterTheKeyTakesOverTheCheck) {
    rig.desktop.AddWindow(100, testing::ScriptedWindow{});
    rig.desktop.SetForeground(100);
    rig.host.badgeVisible = false;
    rig.host.fullUpdateShowsBadge = true;
    Press(0x15);
    rig.coalescer.OnWinEvent(rig.desktop, kEventObjectLocationChange, 100, kObjIdCaret);
    OnWinEventPending(rig.state, rig.clock, rig.desktop, rig.host, rig.coalescer);
    EXPECT_TRUE(rig.state.caretEventDuringKeyCheck);
    rig.host.ClearCalls();
    OnKeyCheckTimer(rig.state, rig.clock, rig.desktop, rig.host);
    EXPECT_EQ(rig.host.Count("FullUpdate"), 0);
    EXPECT_EQ(rig.host.Count("RefreshMode"), 0);

    // Nor is a focus change, although it runs a full update of its own.
    rig.host.ClearCalls();
    Press(0x14);
    rig.clock.AdvanceMs(100);
    rig.coalescer.OnWinEvent(rig.desktop, kEventObjectFocus, 100, 0);
    OnWinEventPending(rig.state, rig.clock, rig.desktop, rig.host, rig.coalescer);
    EXPECT_FALSE(rig.state.caretEventDuringKeyCheck);

    // A window move is no caret event: the check still runs.
    rig.host.ClearCalls();
    Press(0x14);
    rig.clock.AdvanceMs(100);
    rig.coalescer.OnWinEvent(rig.desktop, kEventObjectLocationChange, 100, kObjIdWindow);
    OnWinEventPending(rig.state, rig.clock, rig.desktop, rig.host, rig.coalescer);
    EXPECT_FALSE(rig.state.caretEventDuringKeyCheck);
}

TEST_F(MainSchedulerKeyCheck, FailedTimerLeavesTheCheckDisarmed) {
    rig.desktop.FailTimers(true);
    Press(0x15);
    EXPECT_FALSE(rig.state.keyCheckArmed);
}

TEST_F(MainSchedulerKeyCheck, KeysAreIgnoredWithoutRawInputWindowOrAfterShutdown) {
    auto pressAll = [&] {
        Press(0x15);
        OnRawKey(rig.state, rig.clock, rig.desktop, rig.host, std::nullopt);
    };
    rig.host.rawInputRegistered = false;
    pressAll();
    rig.host.rawInputRegistered = true;
    rig.host.mainWindow = kNoWindow;
    pressAll();
    rig.host.mainWindow = 0x1000;
    rig.host.shutdownDone = true;
    pressAll();
    EXPECT_EQ(rig.desktop.TotalCalls(), 0);
    EXPECT_FALSE(rig.state.lastKey.has_value());

    rig.state.keyCheckArmed = true;
    rig.state.ctrlShortcutPressed = true;
    OnKeyCheckTimer(rig.state, rig.clock, rig.desktop, rig.host);
    EXPECT_TRUE(rig.host.calls.empty());
    EXPECT_FALSE(rig.state.keyCheckArmed);
    EXPECT_EQ(rig.state.ctrlShortcutRetryCount, 0);
}

}  // namespace
}  // namespace tessel
