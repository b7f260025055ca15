#pragma once
// The badge's long-lived state, embedded in the application state.
#include <cstdint>

#include "config/settings.h"
#include "input_mode/input_mode.h"
#include "platform/types.h"

namespace tessel {

// A monitor handle as an opaque number; 0 is "no monitor".
using MonitorId = std::uintptr_t;

struct BadgePosition {
    bool Valid = false;
    std::int32_t X = 0;
    std::int32_t Y = 0;
    friend constexpr bool operator==(const BadgePosition&, const BadgePosition&) = default;
};

struct BadgeSize {
    bool Valid = false;
    std::int32_t Width = 0;
    std::int32_t Height = 0;
    friend constexpr bool operator==(const BadgeSize&, const BadgeSize&) = default;
};

// What the window currently shows (or last showed); a change forces a redraw.
struct BadgeContentKey {
    InputMode Mode = InputMode::None;  // the mode drawn; None before the first draw
    char16_t Glyph = 0;
    Rgba TextColor{};
    Rgba BackgroundColor{};
    friend constexpr bool operator==(const BadgeContentKey&, const BadgeContentKey&) = default;
};

// The effective DPI of the monitor the badge stood on last.
struct BadgeDpiCache {
    MonitorId Monitor = 0;
    bool Valid = false;
    std::uint32_t Dpi = 0;
};

struct BadgeState {
    WindowId BadgeWindow = kNoWindow;  // null when creation failed
    bool Visible = false;
    BadgePosition LastPosition;
    BadgeSize LastSize;
    bool BitmapCurrent = false;  // the window content matches `Content`
    BadgeContentKey Content;
    BadgeDpiCache DpiCache;
    bool NearTop = false;  // the caret lies in the top band of its window
    std::uint8_t TopmostCountdown = 0;
};

// Display or system settings changed: measure and paint afresh next time.
inline void ForgetBadgeDisplayCaches(BadgeState& badge) {
    badge.DpiCache = BadgeDpiCache{};
    badge.BitmapCurrent = false;
}

}  // namespace tessel
