#include <gtest/gtest.h>

#include <limits>

#include "settings_window/settings_layout.h"

namespace tessel {
namespace {

TEST(SettingsWindowLayout, NormalClientSize) {
    const SettingsLayout l = ComputeSettingsLayout(kSettingsClientWidth, kSettingsClientHeight);
    EXPECT_EQ(l.groupBox, (ControlBox{18, 14, 378, 415}));
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(l.checkBoxes[i], (ControlBox{34, 53 + 29 * i, 346, 22})) << i;
        EXPECT_EQ(l.colourLabels[i], (ControlBox{34, 203 + 29 * i, 162, 22})) << i;
        EXPECT_EQ(l.colourEdits[i], (ControlBox{204, 200 + 29 * i, 176, 25})) << i;
    }
    EXPECT_EQ(l.positionLabel, (ControlBox{34, 174, 162, 22}));
    EXPECT_EQ(l.positionCombo, (ControlBox{204, 171, 176, 120}));
    // The later rows continue the colour rows' pitch and columns.
    EXPECT_EQ(l.badgeTimeLabel, (ControlBox{34, 319, 162, 22}));
    EXPECT_EQ(l.badgeTimeCombo, (ControlBox{204, 316, 176, 120}));
    EXPECT_EQ(l.programsLabel, (ControlBox{34, 348, 162, 22}));
    EXPECT_EQ(l.programsEdit, (ControlBox{204, 345, 176, 25}));
    EXPECT_EQ(l.runAtLogon, (ControlBox{34, 377, 346, 22}));
    EXPECT_EQ(l.ok, (ControlBox{230, 443, 78, 28}));
    EXPECT_EQ(l.cancel, (ControlBox{318, 443, 78, 28}));
    // The last row stays inside the group frame with the old bottom margin,
    // and the frame ends above the buttons.
    const ControlBox& g = l.groupBox;
    EXPECT_EQ(g.y + g.height - (l.runAtLogon.y + l.runAtLogon.height), 30);
    EXPECT_LT(g.y + g.height, l.ok.y);
}

TEST(SettingsWindowLayout, FieldWidthStopsGrowingOnWideWindows) {
    const SettingsLayout l = ComputeSettingsLayout(601, 403);
    EXPECT_EQ(l.colourEdits[0].width, 176);
    EXPECT_EQ(l.colourEdits[0].x, 583 - 176 - 16);
    EXPECT_EQ(l.colourLabels[0].width, 583 - 176 - 58);
    EXPECT_EQ(l.ok, (ControlBox{583 - 166, 385 - 28, 78, 28}));
}

TEST(SettingsWindowLayout, NarrowWindowShrinksFieldsWithTheWidth) {
    const SettingsLayout l = ComputeSettingsLayout(199, 101);
    // w = 181, m = 181, f = 122, fx = 43, lw = 1.
    EXPECT_EQ(l.positionCombo, (ControlBox{43, 171, 122, 120}));
    EXPECT_EQ(l.positionLabel.width, 1);
    EXPECT_EQ(l.groupBox, (ControlBox{18, 14, 163, 27}));
    EXPECT_EQ(l.ok, (ControlBox{15, 55, 78, 28}));
}

TEST(SettingsWindowLayout, TinyAndZeroClientSizesUseTheFloors) {
    const SettingsLayout l = ComputeSettingsLayout(0, 0);
    // w = h = -18; m = 51, f = -8, fx = 43, lw = 1.
    EXPECT_EQ(l.groupBox, (ControlBox{18, 14, 1, 1}));
    EXPECT_EQ(l.checkBoxes[0].width, 1);
    EXPECT_EQ(l.colourEdits[0], (ControlBox{43, 200, -8, 25}));
    EXPECT_EQ(l.colourLabels[0].width, 1);
    EXPECT_EQ(l.ok, (ControlBox{-88, 0, 78, 28}));
    EXPECT_EQ(l.cancel, (ControlBox{0, 0, 78, 28}));
}

TEST(SettingsWindowLayout, ExtremeClientSizesSaturate) {
    constexpr auto kMin = std::numeric_limits<std::int32_t>::min();
    constexpr auto kMax = std::numeric_limits<std::int32_t>::max();
    const SettingsLayout low = ComputeSettingsLayout(kMin, kMin);
    EXPECT_EQ(low.groupBox, (ControlBox{18, 14, 1, 1}));
    EXPECT_EQ(low.ok.y, 0);
    const SettingsLayout high = ComputeSettingsLayout(kMax, kMax);
    EXPECT_EQ(high.groupBox.width, kMax - 36);
    EXPECT_EQ(high.cancel.x, kMax - 18 - 78);
    EXPECT_EQ(high.colourEdits[0].width, 176);
}

TEST(SettingsWindowLayout, CentresOnThePrimaryScreen) {
    EXPECT_EQ(CentreOnScreen(1920, 1080, 430, 451), (std::array<std::int32_t, 2>{745, 314}));
    // Larger than the screen: negative, truncated toward zero.
    EXPECT_EQ(CentreOnScreen(400, 300, 431, 451), (std::array<std::int32_t, 2>{-15, -75}));
}

}  // namespace
}  // namespace tessel
