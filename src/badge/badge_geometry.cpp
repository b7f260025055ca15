#include "badge/badge_geometry.h"

#include <cstdlib>

#include "common/saturate.h"

namespace tessel {

std::optional<BadgeContent> BadgeContentFor(InputMode mode, bool capsLock, const Settings& settings) {
    BadgeContent c;
    c.TextColor = settings.IndicatorTextColor;
    switch (mode) {
        case InputMode::English:
            c.Glyph = capsLock ? u'A' : u'a';
            c.BackgroundColor = settings.EnglishBackgroundColor;
            return c;
        case InputMode::Hiragana:
            c.Glyph = u'\u3072';
            c.BackgroundColor = settings.JapaneseBackgroundColor;
            return c;
        case InputMode::Katakana:
            c.Glyph = u'\u30AB';
            c.BackgroundColor = settings.JapaneseBackgroundColor;
            return c;
        case InputMode::Korean:
            c.Glyph = u'\uAC00';
            c.BackgroundColor = settings.KoreanBackgroundColor;
            return c;
        case InputMode::Chinese:
        case InputMode::None:
            break;
    }
    // Chinese hides the badge; None (or a corrupt value) has nothing to show.
    return std::nullopt;
}

BadgeMetrics BadgeMetricsForDpi(std::uint32_t dpi) {
    const std::int64_t side = (15 * static_cast<std::int64_t>(dpi) + 48) / 96;
    BadgeMetrics m;
    m.Side = SaturateToI32(side);
    m.HorizontalGap = SaturateToI32((4 * static_cast<std::int64_t>(m.Side) + 7) / 15);
    m.VerticalGap = SaturateToI32((2 * static_cast<std::int64_t>(m.Side) + 7) / 15);
    m.FontHeight = SaturateToI32((11 * static_cast<std::int64_t>(m.Side) + 7) / 15);
    return m;
}

bool BadgeDpiDrawable(std::uint32_t dpi) {
    if (15 * static_cast<std::int64_t>(dpi) + 48 < 96) return false;
    return BadgeMetricsForDpi(dpi).Side > 0;
}

Rect VirtualScreenBounds(const VirtualScreenMetrics& metrics) {
    return Rect{metrics.X, metrics.Y, SatAdd(metrics.X, metrics.Width), SatAdd(metrics.Y, metrics.Height)};
}

Point FirstBadgePosition(IndicatorPosition where, const BadgeAnchor& caret, const BadgeMetrics& metrics,
                         const Rect& screen) {
    const std::int32_t s = metrics.Side;
    const std::int32_t g = metrics.HorizontalGap;
    const std::int32_t v = metrics.VerticalGap;
    const std::int32_t leftX = SatSub(SatSub(caret.X, g), s);
    const std::int32_t above = SatSub(SatSub(caret.Top, v), s);
    const std::int32_t below = SatAdd(caret.Bottom, v);
    Point p{SatAdd(caret.X, g), 0};
    const bool overRightEdge = SatAdd(p.x, s) > screen.right;
    // Once the badge has moved to the left of the caret the vertical
    // alternative is not tried; clamping takes care of the rest.
    switch (where) {
        case IndicatorPosition::Above:
            p.y = above;
            if (overRightEdge) {
                p.x = leftX;
            } else if (p.y < screen.top) {
                p.y = below;
            }
            break;
        case IndicatorPosition::Below:
            p.y = below;
            if (overRightEdge) {
                p.x = leftX;
            } else if (SatAdd(p.y, s) > screen.bottom) {
                p.y = above;
            }
            break;
        case IndicatorPosition::Right:
        default:
            p.y = SatSub(caret.Bottom, s);
            if (overRightEdge) p.x = leftX;
            break;
    }
    return p;
}

namespace {

std::int32_t ClampAxis(std::int32_t v, std::int32_t side, std::int32_t low, std::int32_t high) {
    const std::int32_t last = SatSub(high, side);
    if (last < low) return low;
    if (v < low) return low;
    if (v > last) return last;
    return v;
}

}  // namespace

Point ClampBadgeIntoScreen(Point p, std::int32_t side, const Rect& screen) {
    return Point{ClampAxis(p.x, side, screen.left, screen.right), ClampAxis(p.y, side, screen.top, screen.bottom)};
}

Point AvoidKeepOut(Point p, std::int32_t side, const Rect& screen, const std::optional<Rect>& keepOut) {
    if (!keepOut) return p;
    const Rect& k = *keepOut;
    if (k.right <= k.left || k.bottom <= k.top) return p;
    const bool overlaps = SatAdd(p.y, side) > k.top && SatAdd(p.x, side) > k.left && p.x < k.right && p.y < k.bottom;
    if (!overlaps) return p;

    const Point candidates[4] = {
        {p.x, SatSub(k.top, side)},   // above
        {SatSub(k.left, side), p.y},  // left
        {k.right, p.y},               // right
        {p.x, k.bottom},              // below
    };
    std::optional<Point> best;
    std::int64_t bestDistance = 0;
    for (const Point& c : candidates) {
        const bool fits = c.x >= screen.left && c.y >= screen.top && SatAdd(c.x, side) <= screen.right &&
                          SatAdd(c.y, side) <= screen.bottom;
        if (!fits) continue;
        const std::int64_t d = std::llabs(static_cast<std::int64_t>(c.x) - p.x) +
                               std::llabs(static_cast<std::int64_t>(c.y) - p.y);
        // Strictly smaller: on a tie the earlier candidate stays.
        if (!best || d < bestDistance) {
            best = c;
            bestDistance = d;
        }
    }
    return best ? *best : p;
}

Point PlaceBadge(IndicatorPosition where, const BadgeAnchor& caret, const BadgeMetrics& metrics, const Rect& screen,
                 const std::optional<Rect>& keepOut) {
    Point p = FirstBadgePosition(where, caret, metrics, screen);
    p = ClampBadgeIntoScreen(p, metrics.Side, screen);
    return AvoidKeepOut(p, metrics.Side, screen, keepOut);
}

}  // namespace tessel
