#include <gtest/gtest.h>

#include "badge/badge.h"
#include "badge/badge_pixels.h"
#include "doubles/scripted_badge_platform.h"

namespace tessel {
namespace {

using testing::ScriptedBadgePlatform;

constexpr WindowId kBadge = 0x100;
constexpr WindowId kForeground = 0x200;

class BadgeShowTest : public ::testing::Test {
protected:
    BadgeShowTest() {
        badge.BadgeWindow = kBadge;
        settings.IndicatorPosition = IndicatorPosition::Right;
    }

    void Show(InputMode mode, BadgeAnchor caret = {100, 200, 220}, bool caps = false,
              std::optional<Rect> keepOut = std::nullopt) {
        ShowBadge(badge, platform, settings, mode, caps, caret, keepOut);
    }

    ScriptedBadgePlatform platform;
    BadgeState badge;
    Settings settings;
};

TEST_F(BadgeShowTest, FirstShowDrawsComposesAndShowsBesideTheCaret) {
    Show(InputMode::English);
    ASSERT_EQ(platform.Frames().size(), 1u);
    const auto& f = platform.Frames()[0];
    EXPECT_EQ(f.window, kBadge);
    EXPECT_EQ(f.position, (Point{104, 205}));
    EXPECT_EQ(f.side, 15);
    EXPECT_EQ(f.glyph, u'a');
    EXPECT_EQ(f.fontHeight, 11);
    const Rgba text = settings.IndicatorTextColor;
    const Rgba back = settings.EnglishBackgroundColor;
    EXPECT_EQ(f.pixels[0], ComposeBadgePixel(0, text, back));
    EXPECT_EQ(f.pixels[1], ComposeBadgePixel(128, text, back));
    EXPECT_EQ(f.pixels[7 * 15 + 7], ComposeBadgePixel(255, text, back));
    EXPECT_EQ(platform.Calls("ShowNoActivate"), 1);
    EXPECT_EQ(platform.Moves(), 0);
    EXPECT_EQ(platform.LiveCanvases(), 0);
    EXPECT_TRUE(badge.Visible);
    EXPECT_TRUE(badge.BitmapCurrent);
    EXPECT_EQ(badge.LastSize, (BadgeSize{true, 15, 15}));
    EXPECT_EQ(badge.LastPosition, (BadgePosition{true, 104, 205}));
    EXPECT_EQ(badge.Content, (BadgeContentKey{InputMode::English, u'a', text, back}));
    EXPECT_TRUE(platform.WindowVisible());
}

TEST_F(BadgeShowTest, CaretMoveWithUnchangedModeCostsOneMoveAndNoDrawing) {
    Show(InputMode::Korean);
    platform.ResetCalls();
    Show(InputMode::Korean, {300, 400, 420});
    EXPECT_EQ(platform.Redraws(), 0);
    EXPECT_EQ(platform.Moves(), 1);
    EXPECT_EQ(platform.WindowPosition(), (Point{304, 405}));
    EXPECT_EQ(badge.LastPosition, (BadgePosition{true, 304, 405}));
    EXPECT_EQ(platform.DpiQueries(), 0);  // same monitor: cached

    platform.ResetCalls();
    Show(InputMode::Korean, {300, 400, 420});
    EXPECT_EQ(platform.Redraws(), 0);
    EXPECT_EQ(platform.Moves(), 0);
    EXPECT_TRUE(badge.Visible);
}

TEST_F(BadgeShowTest, HiddenBadgeAtTheSamePlaceIsShownByOneMove) {
    Show(InputMode::English);
    HideBadge(badge, platform);
    EXPECT_FALSE(platform.WindowVisible());
    platform.ResetCalls();
    Show(InputMode::English);
    EXPECT_EQ(platform.Redraws(), 0);
    EXPECT_EQ(platform.Moves(), 1);
    EXPECT_TRUE(platform.WindowVisible());
}

TEST_F(BadgeShowTest, ContentChangesRedraw) {
    Show(InputMode::English);
    platform.ResetCalls();
    Show(InputMode::English, {100, 200, 220}, /*caps=*/true);
    EXPECT_EQ(platform.Redraws(), 1);
    EXPECT_EQ(platform.Frames().back().glyph, u'A');

    settings.IndicatorTextColor = Rgba{0, 0, 0, 255};
    Show(InputMode::English, {100, 200, 220}, true);
    EXPECT_EQ(platform.Redraws(), 2);
    settings.EnglishBackgroundColor = Rgba{1, 2, 3, 4};
    Show(InputMode::English, {100, 200, 220}, true);
    EXPECT_EQ(platform.Redraws(), 3);
    // Hiragana and Katakana share a background but not a glyph.
    Show(InputMode::Hiragana);
    Show(InputMode::Katakana);
    EXPECT_EQ(platform.Redraws(), 5);
    EXPECT_EQ(platform.Frames().back().glyph, 0x30AB);
    // A change of another mode's colour does not touch the drawn content.
    settings.KoreanBackgroundColor = Rgba{9, 9, 9, 9};
    Show(InputMode::Katakana);
    EXPECT_EQ(platform.Redraws(), 5);
}

TEST_F(BadgeShowTest, ChineseHidesAndKeepsTheContentKey) {
    Show(InputMode::Korean);
    const BadgeContentKey korean = badge.Content;
    platform.ResetCalls();
    Show(InputMode::Chinese);
    EXPECT_FALSE(badge.Visible);
    EXPECT_EQ(platform.Calls("Hide"), 1);
    EXPECT_EQ(badge.Content, korean);
    EXPECT_TRUE(badge.BitmapCurrent);
    Show(InputMode::Korean);
    EXPECT_EQ(platform.Redraws(), 0);
    EXPECT_EQ(platform.Moves(), 1);
    EXPECT_TRUE(badge.Visible);

    Show(InputMode::Chinese);
    Show(InputMode::English);
    EXPECT_EQ(platform.Redraws(), 1);
}

TEST_F(BadgeShowTest, NoneIsNeverDrawn) {
    Show(InputMode::None);
    EXPECT_FALSE(badge.Visible);
    EXPECT_EQ(platform.Redraws(), 0);
}

TEST_F(BadgeShowTest, WithoutAWindowOnlyVisibleIsCleared) {
    badge.BadgeWindow = kNoWindow;
    badge.Visible = true;
    Show(InputMode::English);
    EXPECT_FALSE(badge.Visible);
    EXPECT_EQ(platform.Calls("MonitorFromPoint") + platform.Redraws() + platform.Calls("Hide"), 0);
}

TEST_F(BadgeShowTest, DpiIsCachedPerMonitor) {
    platform.AddMonitor(2, Rect{1280, 0, 2560, 800});
    platform.SetMonitorDpi(2, 144);
    platform.SetVirtualScreen({0, 0, 2560, 800});
    Show(InputMode::English);
    Show(InputMode::English, {120, 200, 220});
    EXPECT_EQ(platform.Calls("EffectiveDpi"), 1);
    Show(InputMode::English, {1400, 200, 220});
    EXPECT_EQ(platform.Calls("EffectiveDpi"), 2);
    EXPECT_EQ(platform.Redraws(), 2);  // size changed with the DPI
    EXPECT_EQ(platform.Frames().back().side, 23);
    EXPECT_EQ(platform.Frames().back().position, (Point{1406, 197}));
    EXPECT_EQ(badge.DpiCache.Monitor, 2u);
    EXPECT_EQ(badge.DpiCache.Dpi, 144u);

    ForgetBadgeDisplayCaches(badge);
    Show(InputMode::English, {1400, 200, 220});
    EXPECT_EQ(platform.Calls("EffectiveDpi"), 3);
    EXPECT_EQ(platform.Redraws(), 3);
}

TEST_F(BadgeShowTest, DpiFallsBackToTheForegroundWindowThenTo96) {
    platform.SetMonitorDpi(1, std::nullopt);  // GetDpiForMonitor fails
    platform.SetForeground(kForeground);
    platform.SetWindowDpi(kForeground, 192);
    Show(InputMode::English);
    EXPECT_EQ(platform.Frames().back().side, 30);
    EXPECT_FALSE(badge.DpiCache.Valid);
    EXPECT_EQ(badge.DpiCache.Monitor, 1u);
    // Not cached: the next call asks again.
    Show(InputMode::English);
    EXPECT_EQ(platform.Calls("EffectiveDpi"), 2);
    EXPECT_EQ(platform.Calls("DpiForWindow"), 2);

    platform.SetWindowDpi(kForeground, 0);
    Show(InputMode::English);
    EXPECT_EQ(platform.Frames().back().side, 15);

    platform.SetMonitorDpi(1, 0u);  // a zero DPI counts as a failure
    platform.SetForeground(kNoWindow);
    Show(InputMode::Korean);
    EXPECT_EQ(platform.Frames().back().side, 15);
    EXPECT_EQ(platform.Calls("DpiForWindow"), 3);

    platform.SetDefaultMonitor(0);  // no monitor at all
    platform.SetForeground(kForeground);
    platform.SetWindowDpi(kForeground, 120);
    Show(InputMode::Korean);
    EXPECT_EQ(platform.Frames().back().side, 19);
    EXPECT_EQ(badge.DpiCache.Monitor, 0u);
}

TEST_F(BadgeShowTest, TooSmallDpiGivesUp) {
    platform.SetMonitorDpi(1, 3u);
    Show(InputMode::English);
    EXPECT_FALSE(badge.Visible);
    EXPECT_FALSE(badge.BitmapCurrent);
    EXPECT_EQ(platform.Redraws(), 0);
}

TEST_F(BadgeShowTest, DrawingFailuresHideAndReleaseEverything) {
    Show(InputMode::English);
    platform.FailPresent(true);
    Show(InputMode::Korean);
    EXPECT_FALSE(badge.Visible);
    EXPECT_FALSE(badge.BitmapCurrent);
    EXPECT_FALSE(platform.WindowVisible());
    EXPECT_EQ(platform.LiveCanvases(), 0);
    EXPECT_EQ(platform.Calls("ShowNoActivate"), 1);

    platform.FailPresent(false);
    platform.FailCanvas(true);
    Show(InputMode::Korean);
    EXPECT_FALSE(badge.Visible);
    EXPECT_EQ(platform.Calls("DrawGlyph"), 2);

    // The same content once drawing works again needs a real redraw.
    platform.FailCanvas(false);
    Show(InputMode::Korean);
    EXPECT_TRUE(badge.Visible);
    EXPECT_EQ(platform.Frames().size(), 2u);
}

TEST_F(BadgeShowTest, KeepOutRectangleMovesTheBadge) {
    Show(InputMode::English, {100, 200, 220}, false, Rect{90, 195, 400, 600});
    EXPECT_EQ(platform.Frames().back().position, (Point{104, 180}));  // above: 25 px, left: 29 px
}

TEST_F(BadgeShowTest, TopmostRuleNearTopOrOfficeDialog) {
    badge.NearTop = true;
    Show(InputMode::English);
    EXPECT_EQ(platform.Moves(), 1);
    Show(InputMode::English);  // nothing changed, the rule still applies
    EXPECT_EQ(platform.Moves(), 2);

    badge.NearTop = false;
    platform.SetForeground(kForeground);
    platform.SetClassName(kForeground, u"BOSA_SDM_XL9");
    Show(InputMode::English);
    EXPECT_EQ(platform.Moves(), 3);
    platform.SetClassName(kForeground, u"bosa_sdm_x");
    Show(InputMode::English);
    platform.SetClassName(kForeground, u"Notepad");
    Show(InputMode::English);
    EXPECT_EQ(platform.Moves(), 3);
}

TEST_F(BadgeShowTest, ReassertTopmostOnlyWhenShownAtAKnownPlace) {
    ReassertTopmost(badge, platform);
    EXPECT_EQ(platform.Moves(), 0);
    Show(InputMode::English);
    ReassertTopmost(badge, platform);
    EXPECT_EQ(platform.Moves(), 1);
    EXPECT_EQ(platform.WindowPosition(), (Point{104, 205}));
    HideBadge(badge, platform);
    ReassertTopmost(badge, platform);
    EXPECT_EQ(platform.Moves(), 1);
}

TEST_F(BadgeShowTest, HideOnlyTouchesAVisibleWindow) {
    HideBadge(badge, platform);
    EXPECT_EQ(platform.Calls("Hide"), 0);
    Show(InputMode::English);
    HideBadge(badge, platform);
    HideBadge(badge, platform);
    EXPECT_EQ(platform.Calls("Hide"), 1);
}

class TopmostCountdownTest : public BadgeShowTest {
protected:
    int Tick() {
        int before = requests;
        TickTopmostCountdown(badge, platform, [this] { ++requests; });
        return requests - before;
    }
    int requests = 0;
};

TEST_F(TopmostCountdownTest, VisibleNearTopReassertsThreeTimes) {
    badge.NearTop = true;
    Show(InputMode::English);
    platform.ResetCalls();
    badge.TopmostCountdown = 3;
    EXPECT_EQ(Tick(), 1);
    EXPECT_EQ(Tick(), 1);
    EXPECT_EQ(Tick(), 0);  // reaching 0 asks for nothing more
    EXPECT_EQ(badge.TopmostCountdown, 0);
    EXPECT_EQ(platform.Moves(), 3);
    EXPECT_EQ(Tick(), 0);
    EXPECT_EQ(platform.Moves(), 3);
}

TEST_F(TopmostCountdownTest, VisibleAwayFromTheTopStopsCounting) {
    Show(InputMode::English);
    badge.TopmostCountdown = 3;
    EXPECT_EQ(Tick(), 0);
    EXPECT_EQ(badge.TopmostCountdown, 0);
}

TEST_F(TopmostCountdownTest, HiddenBadgeAsksForFurtherFullUpdates) {
    badge.TopmostCountdown = 3;
    EXPECT_EQ(Tick(), 1);
    EXPECT_EQ(Tick(), 1);
    EXPECT_EQ(Tick(), 1);
    EXPECT_EQ(Tick(), 0);
    EXPECT_EQ(badge.TopmostCountdown, 0);
    EXPECT_EQ(platform.Moves(), 0);
}

}  // namespace
}  // namespace tessel
