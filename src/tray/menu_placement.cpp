#include "tray/menu_placement.h"

#include <algorithm>
#include <cstdlib>

#include "common/saturate.h"

namespace tessel {

namespace {

// Clamping is skipped when the range is inverted, so that a degenerate work
// area never moves a value outside of where it started.
std::int32_t ClampInto(std::int32_t v, std::int32_t lo, std::int32_t hi) {
    if (lo > hi) return v;
    return std::clamp(v, lo, hi);
}

std::int32_t Mid(std::int32_t lo, std::int32_t hi) { return SatAdd(lo, SatSub(hi, lo) / 2); }

std::int64_t Distance(std::int32_t a, std::int32_t b) {
    return std::llabs(static_cast<std::int64_t>(a) - static_cast<std::int64_t>(b));
}

TaskbarEdge FindEdge(Point p, const Rect& m, const Rect& w) {
    if (p.y >= w.bottom && m.bottom > w.bottom) return TaskbarEdge::Bottom;
    if (p.y < w.top && m.top < w.top) return TaskbarEdge::Top;
    if (p.x < w.left && m.left < w.left) return TaskbarEdge::Left;
    if (p.x >= w.right && m.right > w.right) return TaskbarEdge::Right;
    const std::int64_t dl = Distance(p.x, m.left);
    const std::int64_t dt = Distance(p.y, m.top);
    const std::int64_t dr = Distance(p.x, m.right);
    const std::int64_t db = Distance(p.y, m.bottom);
    if (dr < std::min({dl, dt, db})) return TaskbarEdge::Right;
    if (dl < std::min(dt, db)) return TaskbarEdge::Left;
    if (db <= dt) return TaskbarEdge::Bottom;
    return TaskbarEdge::Top;
}

}  // namespace

bool HasArea(const Rect& r) { return r.right > r.left && r.bottom > r.top; }

Point MenuReferencePoint(const std::optional<Rect>& icon, const std::optional<Point>& anchor) {
    if (icon) return Point{Mid(icon->left, icon->right), Mid(icon->top, icon->bottom)};
    if (anchor) return *anchor;
    return Point{0, 0};
}

MenuPlacement PlaceTrayMenu(const std::optional<Rect>& icon, Point p, const Rect& monitor, const Rect& workArea) {
    const Rect& m = monitor;
    const Rect w = HasArea(workArea) ? workArea : monitor;
    const std::int32_t cx = Mid(w.left, w.right);
    const std::int32_t cy = Mid(w.top, w.bottom);
    const bool rightHalf = p.x >= cx;
    const bool lowerHalf = p.y >= cy;

    MenuPlacement out;
    out.edge = FindEdge(p, m, w);

    if (!icon) {
        switch (out.edge) {
            case TaskbarEdge::Bottom:
                out.position = {ClampInto(p.x, w.left, w.right), w.bottom};
                out.flags = kTpmBottomAlign | (rightHalf ? kTpmRightAlign : 0);
                break;
            case TaskbarEdge::Top:
                out.position = {ClampInto(p.x, w.left, w.right), w.top};
                out.flags = rightHalf ? kTpmRightAlign : 0;
                break;
            case TaskbarEdge::Left:
                out.position = {w.left, ClampInto(p.y, w.top, w.bottom)};
                out.flags = lowerHalf ? kTpmBottomAlign : 0;
                break;
            case TaskbarEdge::Right:
                out.position = {w.right <= w.left ? w.left : w.right, ClampInto(p.y, w.top, w.bottom)};
                out.flags = kTpmRightAlign | (lowerHalf ? kTpmBottomAlign : 0);
                break;
        }
        return out;
    }

    const Rect& i = *icon;
    const std::int32_t besideX = ClampInto(rightHalf ? i.right : i.left, w.left, w.right);
    const std::int32_t besideY = ClampInto(lowerHalf ? i.bottom : i.top, w.top, w.bottom);
    switch (out.edge) {
        case TaskbarEdge::Bottom:
            out.position = {besideX, ClampInto(i.top, w.top, w.bottom)};
            out.flags = kTpmBottomAlign | (rightHalf ? kTpmRightAlign : 0);
            break;
        case TaskbarEdge::Top:
            out.position = {besideX, ClampInto(i.bottom, w.top, w.bottom)};
            out.flags = rightHalf ? kTpmRightAlign : 0;
            break;
        case TaskbarEdge::Left:
            out.position = {std::min(std::max(i.right, w.left), w.right), besideY};
            out.flags = lowerHalf ? kTpmBottomAlign : 0;
            break;
        case TaskbarEdge::Right:
            out.position = {ClampInto(std::min(i.left, w.right), w.left, w.right), besideY};
            out.flags = kTpmRightAlign | (lowerHalf ? kTpmBottomAlign : 0);
            break;
    }

    // On a taskbar outside the work area the whole strip is kept clear, so
    // the menu never covers the taskbar itself.
    const Point c = MenuReferencePoint(icon, std::nullopt);
    out.exclude = i;
    switch (out.edge) {
        case TaskbarEdge::Bottom:
            if (m.bottom > w.bottom && c.y >= w.bottom) out.exclude = Rect{m.left, w.bottom, m.right, m.bottom};
            break;
        case TaskbarEdge::Top:
            if (m.top < w.top && c.y < w.top) out.exclude = Rect{m.left, m.top, m.right, w.top};
            break;
        case TaskbarEdge::Left:
            if (m.left < w.left && c.x < w.left) out.exclude = Rect{m.left, m.top, w.left, m.bottom};
            break;
        case TaskbarEdge::Right:
            if (w.right < m.right && c.x >= w.right) out.exclude = Rect{w.right, m.top, m.right, m.bottom};
            break;
    }
    return out;
}

}  // namespace tessel
