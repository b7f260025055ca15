#include <gtest/gtest.h>

#include <limits>

#include "tray/menu_placement.h"

namespace tessel {
namespace {

// A 1920 x 1080 monitor; each test puts a 40 px taskbar on one edge.
constexpr Rect kMonitor{0, 0, 1920, 1080};
constexpr Rect kWorkAboveBottomBar{0, 0, 1920, 1040};
constexpr Rect kWorkBelowTopBar{0, 40, 1920, 1080};
constexpr Rect kWorkRightOfLeftBar{40, 0, 1920, 1080};
constexpr Rect kWorkLeftOfRightBar{0, 0, 1880, 1080};

TEST(TrayMenuPlacement, ReferencePointIsIconCentreThenAnchorThenOrigin) {
    EXPECT_EQ(MenuReferencePoint(Rect{100, 200, 121, 231}, Point{5, 6}), (Point{110, 215}));
    EXPECT_EQ(MenuReferencePoint(std::nullopt, Point{5, 6}), (Point{5, 6}));
    EXPECT_EQ(MenuReferencePoint(std::nullopt, std::nullopt), (Point{0, 0}));
    constexpr auto kMax = std::numeric_limits<std::int32_t>::max();
    constexpr auto kMin = std::numeric_limits<std::int32_t>::min();
    // The width of an extreme rectangle saturates before it is halved.
    EXPECT_EQ(MenuReferencePoint(Rect{kMin, kMin, kMax, kMax}, std::nullopt), (Point{kMin + kMax / 2, kMin + kMax / 2}));
}

TEST(TrayMenuPlacement, BottomTaskbarIconInRightHalfOpensUpAndRightAlignedExcludingStrip) {
    const Rect icon{1800, 1048, 1824, 1072};
    const MenuPlacement m = PlaceTrayMenu(icon, MenuReferencePoint(icon, std::nullopt), kMonitor, kWorkAboveBottomBar);
    EXPECT_EQ(m.edge, TaskbarEdge::Bottom);
    // Right edge of the icon; the icon's top is below the work area, so it clamps to its bottom.
    EXPECT_EQ(m.position, (Point{1824, 1040}));
    EXPECT_EQ(m.flags, kTpmBottomAlign | kTpmRightAlign);
    EXPECT_EQ(m.exclude, (Rect{0, 1040, 1920, 1080}));
}

TEST(TrayMenuPlacement, BottomTaskbarIconInLeftHalfUsesIconLeftEdge) {
    const Rect icon{100, 1048, 124, 1072};
    const MenuPlacement m = PlaceTrayMenu(icon, MenuReferencePoint(icon, std::nullopt), kMonitor, kWorkAboveBottomBar);
    EXPECT_EQ(m.position, (Point{100, 1040}));
    EXPECT_EQ(m.flags, kTpmBottomAlign);
}

TEST(TrayMenuPlacement, BottomTaskbarWithoutIconRectOpensAtClickX) {
    const MenuPlacement m = PlaceTrayMenu(std::nullopt, Point{1700, 1060}, kMonitor, kWorkAboveBottomBar);
    EXPECT_EQ(m.edge, TaskbarEdge::Bottom);
    EXPECT_EQ(m.position, (Point{1700, 1040}));
    EXPECT_EQ(m.flags, kTpmBottomAlign | kTpmRightAlign);
    EXPECT_FALSE(m.exclude.has_value());
}

TEST(TrayMenuPlacement, TopTaskbarOpensDownward) {
    const Rect icon{1800, 8, 1824, 32};
    const MenuPlacement m = PlaceTrayMenu(icon, MenuReferencePoint(icon, std::nullopt), kMonitor, kWorkBelowTopBar);
    EXPECT_EQ(m.edge, TaskbarEdge::Top);
    EXPECT_EQ(m.position, (Point{1824, 40}));
    EXPECT_EQ(m.flags, kTpmRightAlign);
    EXPECT_EQ(m.exclude, (Rect{0, 0, 1920, 40}));

    const MenuPlacement noIcon = PlaceTrayMenu(std::nullopt, Point{300, 20}, kMonitor, kWorkBelowTopBar);
    EXPECT_EQ(noIcon.edge, TaskbarEdge::Top);
    EXPECT_EQ(noIcon.position, (Point{300, 40}));
    EXPECT_EQ(noIcon.flags, 0u);
    EXPECT_FALSE(noIcon.exclude.has_value());
}

TEST(TrayMenuPlacement, LeftTaskbarOpensRightOfTheIcon) {
    const Rect lowIcon{8, 1000, 32, 1024};
    const MenuPlacement low = PlaceTrayMenu(lowIcon, MenuReferencePoint(lowIcon, std::nullopt), kMonitor,
                                            kWorkRightOfLeftBar);
    EXPECT_EQ(low.edge, TaskbarEdge::Left);
    EXPECT_EQ(low.position, (Point{40, 1024}));  // icon right 32 raised to the work area's left
    EXPECT_EQ(low.flags, kTpmBottomAlign);
    EXPECT_EQ(low.exclude, (Rect{0, 0, 40, 1080}));

    const Rect highIcon{8, 100, 32, 124};
    const MenuPlacement high = PlaceTrayMenu(highIcon, MenuReferencePoint(highIcon, std::nullopt), kMonitor,
                                             kWorkRightOfLeftBar);
    EXPECT_EQ(high.position, (Point{40, 100}));
    EXPECT_EQ(high.flags, 0u);

    const MenuPlacement noIcon = PlaceTrayMenu(std::nullopt, Point{20, 700}, kMonitor, kWorkRightOfLeftBar);
    EXPECT_EQ(noIcon.position, (Point{40, 700}));
    EXPECT_EQ(noIcon.flags, kTpmBottomAlign);
}

TEST(TrayMenuPlacement, RightTaskbarOpensLeftOfTheIcon) {
    const Rect icon{1888, 1000, 1912, 1024};
    const MenuPlacement m = PlaceTrayMenu(icon, MenuReferencePoint(icon, std::nullopt), kMonitor, kWorkLeftOfRightBar);
    EXPECT_EQ(m.edge, TaskbarEdge::Right);
    EXPECT_EQ(m.position, (Point{1880, 1024}));  // icon left lowered to the work area's right
    EXPECT_EQ(m.flags, kTpmRightAlign | kTpmBottomAlign);
    EXPECT_EQ(m.exclude, (Rect{1880, 0, 1920, 1080}));

    const MenuPlacement noIcon = PlaceTrayMenu(std::nullopt, Point{1900, 10}, kMonitor, kWorkLeftOfRightBar);
    EXPECT_EQ(noIcon.position, (Point{1880, 10}));
    EXPECT_EQ(noIcon.flags, kTpmRightAlign);
}

TEST(TrayMenuPlacement, IconInsideWorkAreaExcludesOnlyTheIcon) {
    // An auto-hidden taskbar: the work area is the whole monitor.
    const Rect icon{1800, 1050, 1824, 1074};
    const MenuPlacement m = PlaceTrayMenu(icon, MenuReferencePoint(icon, std::nullopt), kMonitor, kMonitor);
    EXPECT_EQ(m.edge, TaskbarEdge::Bottom);  // nearest monitor edge
    EXPECT_EQ(m.position, (Point{1824, 1050}));
    EXPECT_EQ(m.exclude, icon);
}

TEST(TrayMenuPlacement, NearestEdgeDecidesWhenNoTaskbarIsOutsideTheWorkArea) {
    EXPECT_EQ(PlaceTrayMenu(std::nullopt, Point{1910, 500}, kMonitor, kMonitor).edge, TaskbarEdge::Right);
    EXPECT_EQ(PlaceTrayMenu(std::nullopt, Point{5, 500}, kMonitor, kMonitor).edge, TaskbarEdge::Left);
    EXPECT_EQ(PlaceTrayMenu(std::nullopt, Point{900, 3}, kMonitor, kMonitor).edge, TaskbarEdge::Top);
    EXPECT_EQ(PlaceTrayMenu(std::nullopt, Point{900, 1070}, kMonitor, kMonitor).edge, TaskbarEdge::Bottom);
    // Equal distance to top and bottom: bottom wins.
    EXPECT_EQ(PlaceTrayMenu(std::nullopt, Point{960, 540}, kMonitor, kMonitor).edge, TaskbarEdge::Bottom);
}

TEST(TrayMenuPlacement, EmptyWorkAreaStandsForTheMonitor) {
    const MenuPlacement m = PlaceTrayMenu(std::nullopt, Point{2500, 1070}, kMonitor, Rect{5, 5, 5, 5});
    EXPECT_EQ(m.edge, TaskbarEdge::Bottom);
    EXPECT_EQ(m.position, (Point{1920, 1080}));  // click x clamped into the monitor
}

TEST(TrayMenuPlacement, SecondMonitorWithNegativeCoordinates) {
    const Rect monitor{-1280, -200, 0, 824};
    const Rect work{-1280, -200, 0, 784};
    const Rect icon{-100, 790, -76, 814};
    const MenuPlacement m = PlaceTrayMenu(icon, MenuReferencePoint(icon, std::nullopt), monitor, work);
    EXPECT_EQ(m.edge, TaskbarEdge::Bottom);
    EXPECT_EQ(m.position, (Point{-76, 784}));
    EXPECT_EQ(m.flags, kTpmBottomAlign | kTpmRightAlign);
    EXPECT_EQ(m.exclude, (Rect{-1280, 784, 0, 824}));
}

TEST(TrayMenuPlacement, ExtremeCoordinatesDoNotWrap) {
    constexpr auto kMax = std::numeric_limits<std::int32_t>::max();
    constexpr auto kMin = std::numeric_limits<std::int32_t>::min();
    const Rect huge{kMin, kMin, kMax, kMax};
    const MenuPlacement m = PlaceTrayMenu(std::nullopt, Point{kMax, kMax}, huge, huge);
    EXPECT_EQ(m.position.y, kMax);
    EXPECT_EQ(m.position.x, kMax);
}

}  // namespace
}  // namespace tessel
