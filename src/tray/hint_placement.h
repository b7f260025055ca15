#pragma once
// Size and position of the tray hint bubble. Pure arithmetic on rectangles.
#include <cstdint>
#include <optional>

#include "platform/types.h"

namespace tessel {

struct Size {
    std::int32_t width = 0;
    std::int32_t height = 0;
    friend constexpr bool operator==(const Size&, const Size&) = default;
};

// The rectangle the bubble points at: the icon when known, else a 1 x 1 box
// at the click point, else the 24 x 24 bottom-right corner of the virtual
// screen.
Rect HintAnchorRect(const std::optional<Rect>& icon, const std::optional<Point>& anchor, const Rect& virtualScreen);

// measured: the text extent; empty when it could not be measured.
Size HintSize(const std::optional<Size>& measured);

// Above the anchor (4 px gap) unless that leaves the virtual screen, then
// below it; centred horizontally; always kept on the virtual screen.
Point PlaceHint(const Rect& anchor, Size size, const Rect& virtualScreen);

}  // namespace tessel
