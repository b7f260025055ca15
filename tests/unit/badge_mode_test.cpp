#include <gtest/gtest.h>

#include "badge/mode_sound.h"
#include "config/settings_path.h"
#include "doubles/fake_clock.h"
#include "doubles/recording_sound.h"
#include "doubles/scripted_badge_platform.h"

namespace tessel {
namespace {

using testing::FakeClock;
using testing::RecordingSound;
using testing::ScriptedBadgePlatform;

constexpr int kCapsLock = 0x14;
const std::string kDir = "C:\\Tessel";

ImeStatus Status(std::uint16_t language, bool open, std::uint32_t conversion,
                 StatusSource source = StatusSource::Live) {
    return ImeStatus{conversion, language, source, open};
}

const ImeStatus kEnglish = Status(0x0409, false, 0);
const ImeStatus kKorean = Status(0x0412, true, 1);
const ImeStatus kHiragana = Status(0x0411, true, 0x09);
const ImeStatus kKatakana = Status(0x0411, true, 0x0B);
const ImeStatus kChinese = Status(0x0804, true, 1);
const ImeStatus kUnavailable = Status(0, false, 0, StatusSource::Unavailable);

class BadgeModeTest : public ::testing::Test {
protected:
    BadgeModeTest() {
        badge.BadgeWindow = 0x100;
        settings.PlaySounds = true;
        for (const char* f : {"IMEE.wav", "IMEJ.wav", "IMEK.wav"}) sound.AddFile(JoinWindowsPath(kDir, f));
    }

    void Apply(const ImeStatus& status) {
        ApplyMode(mode, badge, ModeServices{clock, platform, sound}, settings, kDir, status, BadgeAnchor{100, 200, 220},
                  std::nullopt);
    }

    std::vector<std::string> Played() {
        std::vector<std::string> names;
        for (const auto& p : sound.Played()) names.push_back(p.substr(kDir.size() + 1));
        sound.ClearPlayed();
        return names;
    }
    using Names = std::vector<std::string>;

    FakeClock clock;
    ScriptedBadgePlatform platform;
    RecordingSound sound;
    ModeState mode;
    BadgeState badge;
    Settings settings;
};

TEST_F(BadgeModeTest, EachModePlaysItsFileOnAChange) {
    Apply(kEnglish);
    EXPECT_EQ(Played(), (Names{"IMEE.wav"}));
    EXPECT_EQ(sound.Played().size(), 0u);
    Apply(kEnglish);
    EXPECT_EQ(Played(), Names{});
    Apply(kKorean);
    EXPECT_EQ(Played(), (Names{"IMEK.wav"}));
    Apply(kHiragana);
    Apply(kKatakana);  // same file, but the mode changed
    EXPECT_EQ(Played(), (Names{"IMEJ.wav", "IMEJ.wav"}));
    EXPECT_EQ(mode.LastMode, InputMode::Katakana);
    EXPECT_TRUE(badge.Visible);
}

TEST_F(BadgeModeTest, FullPathJoinsTheExecutableDirectory) {
    Apply(kKorean);
    ASSERT_EQ(sound.Played().size(), 1u);
    EXPECT_EQ(sound.Played()[0], "C:\\Tessel\\IMEK.wav");
    EXPECT_EQ(JoinWindowsPath("C:\\", "IMEK.wav"), "C:\\IMEK.wav");
    EXPECT_EQ(JoinWindowsPath("", "IMEK.wav"), "IMEK.wav");
}

TEST_F(BadgeModeTest, ChineseIsSilentHidesAndIsRemembered) {
    Apply(kKorean);
    Played();
    Apply(kChinese);
    EXPECT_EQ(Played(), Names{});
    EXPECT_FALSE(badge.Visible);
    EXPECT_EQ(mode.LastMode, InputMode::Chinese);
    Apply(kKorean);
    EXPECT_EQ(Played(), (Names{"IMEK.wav"}));
    EXPECT_TRUE(badge.Visible);
}

TEST_F(BadgeModeTest, MasterSwitchOffPlaysNothing) {
    settings.PlaySounds = false;
    for (const ImeStatus& s : {kEnglish, kKorean, kHiragana, kKatakana}) Apply(s);
    EXPECT_EQ(Played(), Names{});
    EXPECT_EQ(sound.FileChecks(), 0);
    EXPECT_EQ(mode.LastMode, InputMode::Katakana);
}

TEST_F(BadgeModeTest, PerModeSwitchOffIsSilentButRecorded) {
    settings.PlayKoreanSound = false;
    Apply(kKorean);
    EXPECT_EQ(Played(), Names{});
    EXPECT_EQ(mode.LastMode, InputMode::Korean);
    settings.PlayJapaneseSound = false;
    Apply(kHiragana);
    EXPECT_EQ(Played(), Names{});
    settings.PlayEnglishSound = false;
    Apply(kEnglish);
    EXPECT_EQ(Played(), Names{});
    settings.PlayKoreanSound = true;
    Apply(kKorean);
    EXPECT_EQ(Played(), (Names{"IMEK.wav"}));
}

TEST_F(BadgeModeTest, MissingFileOrDirectoryPlaysNothing) {
    RecordingSound empty;  // IMEE.wav is a directory, or absent: not a regular file
    ApplyMode(mode, badge, ModeServices{clock, platform, empty}, settings, kDir, kEnglish, BadgeAnchor{100, 200, 220},
              std::nullopt);
    EXPECT_EQ(empty.FileChecks(), 1);
    EXPECT_TRUE(empty.Played().empty());
    EXPECT_EQ(mode.LastMode, InputMode::English);
    EXPECT_TRUE(badge.Visible);
}

TEST_F(BadgeModeTest, ShortUnavailableSpellKeepsTheMode) {
    Apply(kEnglish);
    Played();
    Apply(kUnavailable);
    EXPECT_FALSE(badge.Visible);
    clock.AdvanceMs(250);
    Apply(kUnavailable);
    Apply(kEnglish);
    EXPECT_EQ(Played(), Names{});
    EXPECT_TRUE(badge.Visible);
    EXPECT_FALSE(mode.UnavailableSince);
}

TEST_F(BadgeModeTest, LongUnavailableSpellForgetsTheMode) {
    Apply(kEnglish);
    Played();
    Apply(kUnavailable);
    clock.AdvanceMs(350);
    Apply(kUnavailable);
    EXPECT_EQ(mode.LastMode, InputMode::None);
    EXPECT_TRUE(mode.UnavailableReset);
    Apply(kEnglish);
    EXPECT_EQ(Played(), (Names{"IMEE.wav"}));
    EXPECT_FALSE(mode.UnavailableReset);
}

TEST_F(BadgeModeTest, UnavailableThresholdIsStrictlyMoreThan300Ms) {
    Apply(kEnglish);
    Apply(kUnavailable);
    clock.AdvanceMs(300);
    Apply(kUnavailable);
    EXPECT_EQ(mode.LastMode, InputMode::English);
    clock.Advance(Duration(1));
    Apply(kUnavailable);
    EXPECT_EQ(mode.LastMode, InputMode::None);
}

TEST_F(BadgeModeTest, ResetHappensOncePerSpell) {
    Apply(kUnavailable);
    clock.AdvanceMs(400);
    Apply(kUnavailable);
    ASSERT_TRUE(mode.UnavailableReset);
    // Something else sets a mode while the spell goes on; it is not forgotten again.
    mode.LastMode = InputMode::Korean;
    clock.AdvanceMs(400);
    Apply(kUnavailable);
    EXPECT_EQ(mode.LastMode, InputMode::Korean);
}

TEST_F(BadgeModeTest, CapsLockChangeRedrawsWithoutSound) {
    Apply(kEnglish);
    Played();
    platform.ResetCalls();
    platform.SetKeyToggled(kCapsLock, true);
    Apply(kEnglish);
    EXPECT_EQ(Played(), Names{});
    EXPECT_TRUE(mode.LastCapsLock);
    EXPECT_EQ(platform.Redraws(), 1);
    EXPECT_EQ(platform.Frames().back().glyph, u'A');
    // Caps Lock on in Korean: the Hangul glyph stays, the state is still tracked.
    Apply(kKorean);
    EXPECT_EQ(Played(), (Names{"IMEK.wav"}));
    platform.SetKeyToggled(kCapsLock, false);
    Apply(kKorean);
    EXPECT_FALSE(mode.LastCapsLock);
    EXPECT_EQ(Played(), Names{});
}

}  // namespace
}  // namespace tessel
