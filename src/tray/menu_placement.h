#pragma once
// Where the tray menu opens: next to the icon, away from the taskbar, and
// inside the work area of the icon's monitor. Pure arithmetic on rectangles.
#include <cstdint>
#include <optional>

#include "platform/types.h"

namespace tessel {

enum class TaskbarEdge : std::uint8_t { Bottom, Top, Left, Right };

// TrackPopupMenuEx alignment flags.
constexpr std::uint32_t kTpmRightAlign = 0x0008;
constexpr std::uint32_t kTpmBottomAlign = 0x0020;

struct MenuPlacement {
    TaskbarEdge edge = TaskbarEdge::Bottom;
    Point position;
    std::uint32_t flags = 0;         // kTpmRightAlign / kTpmBottomAlign
    std::optional<Rect> exclude;     // the rectangle the menu must not cover
    friend bool operator==(const MenuPlacement&, const MenuPlacement&) = default;
};

// A rectangle counts only when it has area.
bool HasArea(const Rect& r);

// The centre of the icon rectangle when there is one, else the anchor point,
// else the origin.
Point MenuReferencePoint(const std::optional<Rect>& icon, const std::optional<Point>& anchor);

// icon: the icon rectangle, if known and non-empty; p: the reference point;
// monitor and work: the monitor rectangle and its work area (an empty work
// area stands for the whole monitor).
MenuPlacement PlaceTrayMenu(const std::optional<Rect>& icon, Point p, const Rect& monitor, const Rect& work);

}  // namespace tessel
