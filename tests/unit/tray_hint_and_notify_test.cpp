#include <gtest/gtest.h>

#include <limits>

#include "tray/hint_placement.h"
#include "tray/tray_commands.h"

namespace tessel {
namespace {

constexpr Rect kScreen{0, 0, 1920, 1080};

TEST(TrayHintPlacement, AnchorPrefersIconThenClickPointThenScreenCorner) {
    EXPECT_EQ(HintAnchorRect(Rect{10, 20, 34, 44}, Point{1, 2}, kScreen), (Rect{10, 20, 34, 44}));
    EXPECT_EQ(HintAnchorRect(Rect{10, 20, 10, 44}, Point{1, 2}, kScreen), (Rect{1, 2, 2, 3}));
    EXPECT_EQ(HintAnchorRect(std::nullopt, std::nullopt, Rect{-1920, 0, 1920, 1200}), (Rect{1896, 1176, 1920, 1200}));
}

TEST(TrayHintPlacement, SizeHasAMinimumAndPadding) {
    EXPECT_EQ(HintSize(std::nullopt), (Size{245, 28}));
    EXPECT_EQ(HintSize(Size{150, 13}), (Size{245, 28}));
    EXPECT_EQ(HintSize(Size{300, 20}), (Size{332, 32}));
}

TEST(TrayHintPlacement, SitsAboveTheAnchorCentred) {
    const Point at = PlaceHint(Rect{1000, 1048, 1024, 1072}, Size{245, 28}, kScreen);
    EXPECT_EQ(at, (Point{1012 - 122, 1048 - 4 - 28}));
}

TEST(TrayHintPlacement, GoesBelowWhenThereIsNoRoomAbove) {
    const Point at = PlaceHint(Rect{1000, 8, 1024, 32}, Size{245, 28}, kScreen);
    EXPECT_EQ(at.y, 36);
}

TEST(TrayHintPlacement, StaysOnScreenAtTheEdges) {
    // Right edge: pushed left so that its right side meets the screen's.
    EXPECT_EQ(PlaceHint(Rect{1900, 1050, 1920, 1070}, Size{245, 28}, kScreen).x, 1920 - 245);
    // Left edge.
    EXPECT_EQ(PlaceHint(Rect{0, 500, 10, 510}, Size{245, 28}, kScreen).x, 0);
    // Below the anchor would leave the screen at the bottom: clamped up.
    const Rect shortScreen{0, 0, 1920, 40};
    EXPECT_EQ(PlaceHint(Rect{100, 10, 101, 11}, Size{245, 28}, shortScreen).y, 12);
    // A bubble larger than the screen starts at its top-left corner.
    const Rect tiny{-50, -30, 100, -10};
    EXPECT_EQ(PlaceHint(Rect{0, 0, 1, 1}, Size{245, 28}, tiny), (Point{-50, -30}));
}

TEST(TrayHintPlacement, ExtremeAnchorDoesNotWrap) {
    constexpr auto kMin = std::numeric_limits<std::int32_t>::min();
    const Rect screen{kMin, kMin, kMin + 2000, kMin + 2000};
    const Point at = PlaceHint(Rect{kMin, kMin, kMin + 1, kMin + 1}, Size{245, 28}, screen);
    EXPECT_EQ(at, (Point{kMin, kMin}));  // wrapping would put it far away
}

TEST(TrayNotify, EventTableOfIconVersion4) {
    // Anchor x = -5 (0xFFFB), y = 1070 in wParam; the event in lParam's low word.
    const std::uint64_t wParam = 0xFFFBu | (1070u << 16);
    const std::uint64_t iconId = 1ull << 16;  // high word of lParam carries the icon id
    const Point anchor{-5, 1070};
    EXPECT_EQ(DecideTrayNotify(wParam, iconId | 0x7B), (TrayNotifyDecision{TrayAction::ShowMenu, std::nullopt}));
    EXPECT_EQ(DecideTrayNotify(wParam, iconId | 0x205), (TrayNotifyDecision{TrayAction::ShowMenu, anchor}));
    EXPECT_EQ(DecideTrayNotify(wParam, iconId | 0x202), (TrayNotifyDecision{TrayAction::ShowHint, anchor}));
    EXPECT_EQ(DecideTrayNotify(wParam, iconId | 0x400), (TrayNotifyDecision{TrayAction::ShowHint, anchor}));
    EXPECT_EQ(DecideTrayNotify(wParam, iconId | 0x401), (TrayNotifyDecision{TrayAction::ShowHint, std::nullopt}));
    EXPECT_EQ(DecideTrayNotify(wParam, iconId | 0x203), (TrayNotifyDecision{TrayAction::ToggleSounds, std::nullopt}));
    for (std::uint64_t other : {0x200u, 0x201u, 0x204u, 0x206u, 0x402u, 0x405u}) {
        EXPECT_EQ(DecideTrayNotify(wParam, iconId | other).action, TrayAction::None) << other;
    }
    // Upper words of a 64-bit lParam do not change the event.
    EXPECT_EQ(DecideTrayNotify(wParam, 0xFFFF'FFFF'0000'0000ull | 0x205).action, TrayAction::ShowMenu);
}

TEST(TrayMenuModel, ItemsAndCheckMarkFollowTheSwitch) {
    const auto on = TrayMenuItems(true);
    const auto off = TrayMenuItems(false);
    ASSERT_EQ(on.size(), 6u);
    EXPECT_EQ(on[0].id, kCmdToggleSounds);
    EXPECT_EQ(on[0].text, "소리 재생");
    EXPECT_TRUE(on[0].checked);
    EXPECT_FALSE(off[0].checked);
    EXPECT_TRUE(on[1].separator);
    EXPECT_EQ(on[2].id, kCmdSettings);
    EXPECT_EQ(on[2].text, "설정");
    EXPECT_EQ(on[3].id, kCmdAbout);
    EXPECT_EQ(on[3].text, "정보");
    EXPECT_TRUE(on[4].separator);
    EXPECT_EQ(on[5].id, kCmdExit);
    EXPECT_EQ(on[5].text, "종료");
}

TEST(TrayMenuModel, AboutTextNamesVersionAndSettingsFile) {
    EXPECT_EQ(AboutText("C:\\Tools\\Tessel.ini"), "Tessel 2.4\n\n설정 파일: C:\\Tools\\Tessel.ini");
}

}  // namespace
}  // namespace tessel
