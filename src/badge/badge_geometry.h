#pragma once
// Badge content, size and placement as plain values.
#include <cstdint>
#include <optional>

#include "config/settings.h"
#include "input_mode/input_mode.h"
#include "platform/types.h"

namespace tessel {

// What the badge shows for a mode; empty for modes that hide it.
struct BadgeContent {
    char16_t Glyph = 0;
    Rgba TextColor{};
    Rgba BackgroundColor{};
    friend constexpr bool operator==(const BadgeContent&, const BadgeContent&) = default;
};

std::optional<BadgeContent> BadgeContentFor(InputMode mode, bool capsLock, const Settings& settings);

// Side S, horizontal gap G, vertical gap V and font height H in pixels.
struct BadgeMetrics {
    std::int32_t Side = 0;
    std::int32_t HorizontalGap = 0;
    std::int32_t VerticalGap = 0;
    std::int32_t FontHeight = 0;
    friend constexpr bool operator==(const BadgeMetrics&, const BadgeMetrics&) = default;
};

BadgeMetrics BadgeMetricsForDpi(std::uint32_t dpi);

// Too small a DPI for a visible badge (15 * dpi + 48 < 96, or side <= 0).
bool BadgeDpiDrawable(std::uint32_t dpi);

// The caret as the locator reports it, in physical screen pixels.
struct BadgeAnchor {
    std::int32_t X = 0;
    std::int32_t Top = 0;
    std::int32_t Bottom = 0;
};

// The four virtual-screen metrics as the system reports them.
struct VirtualScreenMetrics {
    std::int32_t X = 0;
    std::int32_t Y = 0;
    std::int32_t Width = 0;
    std::int32_t Height = 0;
};

// Left, top, right and bottom edges of the virtual screen (saturating).
Rect VirtualScreenBounds(const VirtualScreenMetrics& metrics);

// Step by step: first position beside the caret, then clamped into the
// screen, then moved off the keep-out rectangle when it overlaps it.
Point FirstBadgePosition(IndicatorPosition where, const BadgeAnchor& caret, const BadgeMetrics& metrics,
                         const Rect& screen);
Point ClampBadgeIntoScreen(Point p, std::int32_t side, const Rect& screen);
Point AvoidKeepOut(Point p, std::int32_t side, const Rect& screen, const std::optional<Rect>& keepOut);

Point PlaceBadge(IndicatorPosition where, const BadgeAnchor& caret, const BadgeMetrics& metrics, const Rect& screen,
                 const std::optional<Rect>& keepOut);

}  // namespace tessel
