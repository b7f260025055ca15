#include "tray/hint_placement.h"

#include <algorithm>

#include "common/saturate.h"
#include "tray/menu_placement.h"

namespace tessel {

namespace {
constexpr std::int32_t kMinWidth = 245;
constexpr std::int32_t kMinHeight = 28;
constexpr std::int32_t kGap = 4;
constexpr std::int32_t kCorner = 24;

// Lower bound wins when the range is inverted: a bubble larger than the
// screen starts at its top-left corner.
std::int32_t ClampLowFirst(std::int32_t v, std::int32_t lo, std::int32_t hi) {
    if (hi < lo) return lo;
    return std::clamp(v, lo, hi);
}
}  // namespace

Rect HintAnchorRect(const std::optional<Rect>& icon, const std::optional<Point>& anchor, const Rect& vs) {
    if (icon && HasArea(*icon)) return *icon;
    if (anchor) return Rect{anchor->x, anchor->y, SatAdd(anchor->x, 1), SatAdd(anchor->y, 1)};
    return Rect{SatSub(vs.right, kCorner), SatSub(vs.bottom, kCorner), vs.right, vs.bottom};
}

Size HintSize(const std::optional<Size>& measured) {
    if (!measured) return {kMinWidth, kMinHeight};
    return {std::max(kMinWidth, SatAdd(measured->width, 32)), std::max(kMinHeight, SatAdd(measured->height, 12))};
}

Point PlaceHint(const Rect& anchor, Size size, const Rect& vs) {
    std::int32_t y0 = SatSub(SatSub(anchor.top, kGap), size.height);
    if (y0 < vs.top) y0 = SatAdd(anchor.bottom, kGap);
    const std::int32_t y = ClampLowFirst(y0, vs.top, SatSub(vs.bottom, size.height));
    const std::int32_t centre = SatAdd(anchor.left, SatSub(anchor.right, anchor.left) / 2);
    const std::int32_t x = ClampLowFirst(SatSub(centre, size.width / 2), vs.left, SatSub(vs.right, size.width));
    return {x, y};
}

}  // namespace tessel
