#pragma once
// The window-manager and drawing operations the badge needs, as plain values.
// One Win32 implementation (badge_platform_win32.cpp); tests use a scripted
// double that counts every call.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "badge/badge_state.h"
#include "badge/badge_geometry.h"
#include "common/class_name.h"
#include "platform/types.h"

namespace tessel {

// One S x S 32-bit top-down bitmap selected into a memory DC, alive for one
// redraw. Everything it holds is released when it is destroyed.
class BadgeCanvas {
public:
    virtual ~BadgeCanvas() = default;
    // S * S pixels, row by row from the top, BGRA little-endian.
    virtual std::uint32_t* Pixels() = 0;
    // Draws the glyph white on black, centred, with a font of the given
    // character height (the stock GUI font when that cannot be created).
    virtual void DrawGlyph(char16_t glyph, std::int32_t fontHeight) = 0;
    // UpdateLayeredWindow of the current pixels at `position` with per-pixel alpha.
    virtual bool Present(WindowId window, Point position) = 0;
};

class BadgePlatform {
public:
    virtual ~BadgePlatform() = default;

    // MonitorFromPoint with MONITOR_DEFAULTTONEAREST.
    virtual MonitorId MonitorFromPoint(Point p) = 0;
    // GetDpiForMonitor(MDT_EFFECTIVE_DPI): the x DPI, empty when the call fails.
    virtual std::optional<std::uint32_t> EffectiveDpi(MonitorId monitor) = 0;
    virtual WindowId ForegroundWindow() = 0;
    // GetDpiForWindow; 0 when it fails.
    virtual std::uint32_t DpiForWindow(WindowId window) = 0;
    // GetClassNameW into the first 64 units of `out`; empty on failure.
    virtual void ClassName64(WindowId window, ClassNameBuffer& out) = 0;
    virtual VirtualScreenMetrics VirtualScreen() = 0;
    // GetKeyState bit 0: the key's toggle state.
    virtual bool KeyToggled(int virtualKey) = 0;

    // SetWindowPos(window, HWND_TOPMOST, x, y, 0, 0, SWP_NOSIZE|SWP_NOACTIVATE|SWP_SHOWWINDOW).
    virtual void MoveTopmost(WindowId window, Point position) = 0;
    virtual void Hide(WindowId window) = 0;             // ShowWindow(SW_HIDE)
    virtual void ShowNoActivate(WindowId window) = 0;   // ShowWindow(SW_SHOWNOACTIVATE)

    // Screen DC, memory DC and DIB section for one redraw, pixels cleared to
    // zero; null when any of them cannot be made.
    virtual std::unique_ptr<BadgeCanvas> CreateCanvas(std::int32_t side) = 0;
};

}  // namespace tessel
