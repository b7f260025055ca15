#include <gtest/gtest.h>

#include <limits>

#include "badge/badge_geometry.h"

namespace tessel {
namespace {

constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
const Rect kScreen{0, 0, 1280, 800};

TEST(BadgeMetricsTest, SizesAtCommonDpis) {
    EXPECT_EQ(BadgeMetricsForDpi(96), (BadgeMetrics{15, 4, 2, 11}));
    EXPECT_EQ(BadgeMetricsForDpi(120), (BadgeMetrics{19, 5, 3, 14}));
    EXPECT_EQ(BadgeMetricsForDpi(144), (BadgeMetrics{23, 6, 3, 17}));
    EXPECT_EQ(BadgeMetricsForDpi(192), (BadgeMetrics{30, 8, 4, 22}));
}

TEST(BadgeMetricsTest, TinyDpiIsNotDrawableAndHugeDpiSaturates) {
    EXPECT_FALSE(BadgeDpiDrawable(0));
    EXPECT_FALSE(BadgeDpiDrawable(1));
    EXPECT_FALSE(BadgeDpiDrawable(3));
    EXPECT_TRUE(BadgeDpiDrawable(4));
    EXPECT_EQ(BadgeMetricsForDpi(4).Side, 1);
    const BadgeMetrics huge = BadgeMetricsForDpi(std::numeric_limits<std::uint32_t>::max());
    EXPECT_GT(huge.Side, 0);
    EXPECT_GT(huge.FontHeight, 0);
}

TEST(BadgeContentTest, GlyphAndColoursFollowModeAndSettings) {
    Settings s;
    s.IndicatorTextColor = {1, 2, 3, 4};
    s.EnglishBackgroundColor = {10, 0, 0, 255};
    s.JapaneseBackgroundColor = {0, 20, 0, 255};
    s.KoreanBackgroundColor = {0, 0, 30, 255};
    EXPECT_EQ(BadgeContentFor(InputMode::English, false, s), (BadgeContent{u'a', {1, 2, 3, 4}, {10, 0, 0, 255}}));
    EXPECT_EQ(BadgeContentFor(InputMode::English, true, s), (BadgeContent{u'A', {1, 2, 3, 4}, {10, 0, 0, 255}}));
    EXPECT_EQ(BadgeContentFor(InputMode::Hiragana, true, s), (BadgeContent{0x3072, {1, 2, 3, 4}, {0, 20, 0, 255}}));
    EXPECT_EQ(BadgeContentFor(InputMode::Katakana, false, s), (BadgeContent{0x30AB, {1, 2, 3, 4}, {0, 20, 0, 255}}));
    EXPECT_EQ(BadgeContentFor(InputMode::Korean, true, s), (BadgeContent{0xAC00, {1, 2, 3, 4}, {0, 0, 30, 255}}));
    EXPECT_FALSE(BadgeContentFor(InputMode::Chinese, false, s));
    EXPECT_FALSE(BadgeContentFor(InputMode::None, false, s));
}

TEST(BadgeVirtualScreenTest, EdgesSaturate) {
    EXPECT_EQ(VirtualScreenBounds({-1280, -100, 2560, 900}), (Rect{-1280, -100, 1280, 800}));
    EXPECT_EQ(VirtualScreenBounds({kMax - 5, 0, 100, 10}), (Rect{kMax - 5, 0, kMax, 10}));
}

// At 96 DPI: S 15, G 4, V 2.
const BadgeMetrics k96 = BadgeMetricsForDpi(96);

TEST(BadgePlacementTest, FirstPositionBesideTheCaret) {
    const BadgeAnchor caret{100, 200, 220};
    // Right: 4 px right of the caret x, bottom edge level with the caret's bottom.
    EXPECT_EQ(FirstBadgePosition(IndicatorPosition::Right, caret, k96, kScreen), (Point{104, 205}));
    // Above: bottom edge 2 px above the caret top.
    EXPECT_EQ(FirstBadgePosition(IndicatorPosition::Above, caret, k96, kScreen), (Point{104, 183}));
    // Below: top edge 2 px below the caret bottom.
    EXPECT_EQ(FirstBadgePosition(IndicatorPosition::Below, caret, k96, kScreen), (Point{104, 222}));
}

TEST(BadgePlacementTest, RightEdgeFlipsToTheLeftOfTheCaret) {
    // x + G + S = 1281 > 1280: right edge of the badge 4 px left of the caret.
    const BadgeAnchor nearEdge{1262, 200, 220};
    for (auto where : {IndicatorPosition::Right, IndicatorPosition::Above, IndicatorPosition::Below}) {
        EXPECT_EQ(FirstBadgePosition(where, nearEdge, k96, kScreen).x, 1262 - 4 - 15);
    }
    // 19 px away still fits on the right.
    const BadgeAnchor fits{1261, 200, 220};
    EXPECT_EQ(FirstBadgePosition(IndicatorPosition::Right, fits, k96, kScreen).x, 1265);
}

TEST(BadgePlacementTest, AboveAtTheTopGoesBelowUnlessItFlippedLeft) {
    const BadgeAnchor top{100, 3, 20};
    EXPECT_EQ(FirstBadgePosition(IndicatorPosition::Above, top, k96, kScreen), (Point{104, 22}));
    // Flipped left: the vertical alternative is not tried, clamping puts it at the top edge.
    const BadgeAnchor topRight{1270, 3, 20};
    const Point first = FirstBadgePosition(IndicatorPosition::Above, topRight, k96, kScreen);
    EXPECT_EQ(first, (Point{1251, -14}));
    EXPECT_EQ(PlaceBadge(IndicatorPosition::Above, topRight, k96, kScreen, std::nullopt), (Point{1251, 0}));
}

TEST(BadgePlacementTest, BelowAtTheBottomGoesAbove) {
    const BadgeAnchor bottom{100, 770, 790};
    EXPECT_EQ(FirstBadgePosition(IndicatorPosition::Below, bottom, k96, kScreen), (Point{104, 753}));
    const BadgeAnchor bottomRight{1270, 770, 790};
    EXPECT_EQ(PlaceBadge(IndicatorPosition::Below, bottomRight, k96, kScreen, std::nullopt), (Point{1251, 785}));
}

TEST(BadgePlacementTest, ClampsIntoTheVirtualScreen) {
    const Rect screen{-1280, 0, 1280, 800};
    EXPECT_EQ(ClampBadgeIntoScreen({-2000, -5}, 15, screen), (Point{-1280, 0}));
    EXPECT_EQ(ClampBadgeIntoScreen({1270, 790}, 15, screen), (Point{1265, 785}));
    EXPECT_EQ(ClampBadgeIntoScreen({10, 20}, 15, screen), (Point{10, 20}));
    // A screen narrower than the badge pins it to the left/top edge.
    EXPECT_EQ(ClampBadgeIntoScreen({50, 50}, 15, Rect{0, 0, 10, 10}), (Point{0, 0}));
}

TEST(BadgePlacementTest, ExtremeCoordinatesSaturate) {
    const Rect all{kMin, kMin, kMax, kMax};
    const BadgeAnchor farRight{kMax, kMax - 1, kMax};
    const Point p = PlaceBadge(IndicatorPosition::Below, farRight, k96, all, std::nullopt);
    EXPECT_EQ(p, (Point{kMax - 15, kMax - 15}));
    const BadgeAnchor farLeft{kMin, kMin, kMin + 1};
    const Point q = PlaceBadge(IndicatorPosition::Above, farLeft, k96, all, std::nullopt);
    EXPECT_EQ(q, (Point{kMin + 4, kMin}));
}

TEST(BadgeKeepOutTest, NoRectangleOrNoOverlapKeepsThePosition) {
    EXPECT_EQ(AvoidKeepOut({100, 100}, 15, kScreen, std::nullopt), (Point{100, 100}));
    EXPECT_EQ(AvoidKeepOut({100, 100}, 15, kScreen, Rect{115, 100, 300, 300}), (Point{100, 100}));
    EXPECT_EQ(AvoidKeepOut({100, 100}, 15, kScreen, Rect{0, 115, 300, 300}), (Point{100, 100}));
    // Empty rectangles never count.
    EXPECT_EQ(AvoidKeepOut({100, 100}, 15, kScreen, Rect{50, 50, 50, 300}), (Point{100, 100}));
    EXPECT_EQ(AvoidKeepOut({100, 100}, 15, kScreen, Rect{300, 300, 50, 50}), (Point{100, 100}));
}

TEST(BadgeKeepOutTest, MovesToTheNearestFittingSide) {
    // Badge at (100,100) in a rectangle (90,95)-(400,600): above costs 20, left 25.
    EXPECT_EQ(AvoidKeepOut({100, 100}, 15, kScreen, Rect{90, 95, 400, 600}), (Point{100, 80}));
    // Near the left side: left costs 20, everything else 265 or more.
    EXPECT_EQ(AvoidKeepOut({100, 300}, 15, kScreen, Rect{95, 50, 400, 600}), (Point{80, 300}));
    // Near the right side: right costs 5.
    EXPECT_EQ(AvoidKeepOut({390, 300}, 15, kScreen, Rect{0, 50, 395, 600}), (Point{395, 300}));
    // Near the bottom: below costs 10.
    EXPECT_EQ(AvoidKeepOut({200, 590}, 15, kScreen, Rect{0, 50, 600, 600}), (Point{200, 600}));
}

TEST(BadgeKeepOutTest, TiesGoToTheEarlierCandidate) {
    // Above (cost 15) and left (cost 15): above wins.
    EXPECT_EQ(AvoidKeepOut({100, 100}, 15, kScreen, Rect{100, 100, 400, 400}), (Point{100, 85}));
    // Left and right equal (20 each), above and below off screen: left wins.
    EXPECT_EQ(AvoidKeepOut({100, 300}, 15, kScreen, Rect{95, 0, 120, 800}).x, 80);
    // Right and below equal: right wins.
    EXPECT_EQ(AvoidKeepOut({100, 100}, 15, kScreen, Rect{0, 0, 110, 110}), (Point{110, 100}));
}

TEST(BadgeKeepOutTest, CandidatesOffScreenAreSkippedAndNoneFittingKeepsIt) {
    // Above would leave the screen; left (cost 25) beats right and below.
    EXPECT_EQ(AvoidKeepOut({100, 5}, 15, kScreen, Rect{90, 0, 400, 600}), (Point{75, 5}));
    // A keep-out covering the whole screen leaves nowhere to go.
    EXPECT_EQ(AvoidKeepOut({100, 100}, 15, kScreen, Rect{0, 0, 1280, 800}), (Point{100, 100}));
}

}  // namespace
}  // namespace tessel
