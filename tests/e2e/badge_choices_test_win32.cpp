// The real Tessel.exe with the user's choices that keep the badge out of the
// way: a badge that steps aside a few seconds after a change, programs where
// it never shows, and a settings file written before either existed.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <optional>
#include <string>

#include "e2e/e2e_support_win32.h"

namespace tessel::e2e {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

long long MsSince(Clock::time_point t) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - t).count();
}

bool CapsLockOn() { return (::GetKeyState(VK_CAPITAL) & 1) != 0; }

// Today's nine keys, as the Tessel before the badge time and the program list wrote them.
constexpr char kOldSettings[] =
    "[Settings]\r\nPlayEnglishSound=1\r\nPlayJapaneseSound=1\r\nPlayKoreanSound=1\r\nPlaySounds=0\r\n"
    "IndicatorPosition=Below\r\nIndicatorTextColor=FFFFFFA5\r\nEnglishBackgroundColor=FF6262A5\r\n"
    "JapaneseBackgroundColor=62FF62A5\r\nKoreanBackgroundColor=6262FFA5\r\n";

class BadgeChoicesE2E : public ::testing::Test {
protected:
    void SetUp() override {
        if (CapsLockOn()) PressKey(VK_CAPITAL);
    }
    void TearDown() override {
        if (CapsLockOn()) PressKey(VK_CAPITAL);
    }
    // Tessel started with `ini` as its settings file: its badge window, or null.
    HWND Start(const std::string& ini) {
        sandbox.WriteFile(L"Tessel.ini", ini);
        tessel.emplace(sandbox);
        return tessel->Ready() ? BadgeOf(*tessel) : nullptr;
    }
    static bool Becomes(HWND badge, bool visible, std::chrono::milliseconds within) {
        return WaitFor([&] { return (::IsWindowVisible(badge) != FALSE) == visible; }, within);
    }

    Sandbox sandbox;
    std::optional<RunningTessel> tessel;
};

TEST_F(BadgeChoicesE2E, BadgeStepsAsideAfterThreeSecondsAndCapsLockBringsItBack) {
    Notepad notepad;
    ASSERT_TRUE(notepad.Focus());
    HWND badge = Start(std::string(kOldSettings) + "BadgeSeconds=3\r\n");
    ASSERT_NE(badge, nullptr);

    ASSERT_TRUE(Becomes(badge, true, 15s)) << "no badge at notepad";
    const Clock::time_point shown = Clock::now();
    ASSERT_TRUE(Becomes(badge, false, 6s)) << "the badge did not step aside";
    const long long aside = MsSince(shown);
    std::printf("stepped aside %lld ms after it showed\n", aside);
    EXPECT_GE(aside, 2500);
    EXPECT_LE(aside, 4500);

    PressKey(VK_CAPITAL);
    const Clock::time_point pressed = Clock::now();
    ASSERT_TRUE(Becomes(badge, true, 3s)) << "Caps Lock did not bring it back";
    std::printf("back %lld ms after Caps Lock\n", MsSince(pressed));
    EXPECT_EQ(tessel->Close(), 0);
}

TEST_F(BadgeChoicesE2E, AListedProgramGetsNoBadgeWhileWordPadStillDoes) {
    HWND badge = Start(std::string(kOldSettings) + "ExcludedPrograms= NOTEPAD.exe ; game.exe\r\n");
    ASSERT_NE(badge, nullptr);
    WordPad wordpad;
    ASSERT_NE(wordpad.Window(), nullptr) << "WordPad did not start";
    ASSERT_TRUE(wordpad.Focus());
    ASSERT_TRUE(Becomes(badge, true, 15s)) << "no badge at WordPad";

    Notepad notepad;
    ASSERT_TRUE(notepad.Focus());
    ASSERT_TRUE(Becomes(badge, false, 5s)) << "the badge stayed at a listed program";
    // Several polls and a keystroke later it is still away.
    PressKey(VK_CAPITAL);
    PressKey(VK_CAPITAL);
    ::Sleep(1500);
    EXPECT_FALSE(::IsWindowVisible(badge)) << "the badge came back at notepad";

    ASSERT_TRUE(wordpad.Focus());
    EXPECT_TRUE(Becomes(badge, true, 5s)) << "leaving notepad did not bring it back";
    EXPECT_EQ(tessel->Close(), 0);
}

TEST_F(BadgeChoicesE2E, ASettingsFileFromBeforeKeepsTheBadgeAlways) {
    Notepad notepad;
    ASSERT_TRUE(notepad.Focus());
    HWND badge = Start(kOldSettings);
    ASSERT_NE(badge, nullptr);
    ASSERT_TRUE(Becomes(badge, true, 15s)) << "no badge at notepad";
    // Still there well past the longest badge time.
    EXPECT_FALSE(Becomes(badge, false, 12s)) << "the badge left";
    EXPECT_EQ(sandbox.ReadFile(L"Tessel.ini"), kOldSettings) << "reading it must not rewrite it";
    EXPECT_EQ(tessel->Close(), 0);
}

}  // namespace
}  // namespace tessel::e2e
