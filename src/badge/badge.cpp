#include "badge/badge.h"

#include <string_view>

#include "badge/badge_pixels.h"
#include "common/text.h"

namespace tessel {

namespace {

constexpr std::uint32_t kDefaultDpi = 96;

// Excel's own dialogs sit in the topmost band too; the badge has to
// re-assert its place above them.
bool ForegroundIsOfficeDialog(BadgePlatform& platform) {
    const WindowId fg = platform.ForegroundWindow();
    if (!fg) return false;
    ClassNameBuffer name;
    platform.ClassName64(fg, name);
    return name.StartsWith("bosa_sdm_xl");
}

void ApplyTopmostRule(BadgeState& badge, BadgePlatform& platform, Point p) {
    if (badge.NearTop || ForegroundIsOfficeDialog(platform)) platform.MoveTopmost(badge.BadgeWindow, p);
}

void GiveUp(BadgeState& badge, BadgePlatform& platform) {
    badge.BitmapCurrent = false;
    HideBadge(badge, platform);
}

}  // namespace

std::uint32_t BadgeDpiAt(BadgeState& badge, BadgePlatform& platform, Point caret) {
    const MonitorId monitor = platform.MonitorFromPoint(caret);
    BadgeDpiCache& cache = badge.DpiCache;
    if (monitor && monitor == cache.Monitor && cache.Valid) return cache.Dpi ? cache.Dpi : 1;
    if (monitor) {
        const std::optional<std::uint32_t> dpi = platform.EffectiveDpi(monitor);
        if (dpi && *dpi != 0) {
            cache = BadgeDpiCache{monitor, true, *dpi};
            return *dpi;
        }
    }
    cache = BadgeDpiCache{monitor, false, 0};
    const WindowId fg = platform.ForegroundWindow();
    if (!fg) return kDefaultDpi;
    const std::uint32_t dpi = platform.DpiForWindow(fg);
    return dpi ? dpi : kDefaultDpi;
}

void ShowBadge(BadgeState& badge, BadgePlatform& platform, const Settings& settings, InputMode mode, bool capsLock,
               const BadgeAnchor& caret, const std::optional<Rect>& keepOut) {
    if (!badge.BadgeWindow) {
        badge.Visible = false;
        return;
    }
    const std::optional<BadgeContent> content = BadgeContentFor(mode, capsLock, settings);
    if (!content) {
        // The content key stays, so a return to the same mode needs no redraw.
        HideBadge(badge, platform);
        return;
    }
    const BadgeContentKey key{mode, content->Glyph, content->TextColor, content->BackgroundColor};
    if (!(key == badge.Content)) {
        badge.Content = key;
        badge.BitmapCurrent = false;
    }

    const std::uint32_t dpi = BadgeDpiAt(badge, platform, Point{caret.X, caret.Bottom});
    const BadgeMetrics metrics = BadgeMetricsForDpi(dpi);
    const Rect screen = VirtualScreenBounds(platform.VirtualScreen());
    const Point p = PlaceBadge(settings.IndicatorPosition, caret, metrics, screen, keepOut);
    const std::int32_t s = metrics.Side;

    if (badge.LastSize.Valid && badge.LastSize.Width == s && badge.LastSize.Height == s && badge.BitmapCurrent) {
        const BadgePosition here{true, p.x, p.y};
        if (!badge.Visible || !(badge.LastPosition == here)) {
            platform.MoveTopmost(badge.BadgeWindow, p);
            badge.LastPosition = here;
        }
        ApplyTopmostRule(badge, platform, p);
        badge.Visible = true;
        return;
    }

    badge.BitmapCurrent = false;
    if (!BadgeDpiDrawable(dpi) || s <= 0) {
        GiveUp(badge, platform);
        return;
    }
    bool presented = false;
    {
        std::unique_ptr<BadgeCanvas> canvas = platform.CreateCanvas(s);
        if (!canvas || !canvas->Pixels()) {
            GiveUp(badge, platform);
            return;
        }
        canvas->DrawGlyph(content->Glyph, metrics.FontHeight);
        ComposeBadgePixels(canvas->Pixels(), static_cast<std::size_t>(s) * static_cast<std::size_t>(s),
                           content->TextColor, content->BackgroundColor);
        presented = canvas->Present(badge.BadgeWindow, p);
    }  // the canvas releases its GDI objects here, before the window is shown
    if (!presented) {
        GiveUp(badge, platform);
        return;
    }
    platform.ShowNoActivate(badge.BadgeWindow);
    badge.LastPosition = BadgePosition{true, p.x, p.y};
    badge.LastSize = BadgeSize{true, s, s};
    badge.BitmapCurrent = true;
    ApplyTopmostRule(badge, platform, p);
    badge.Visible = true;
}

void HideBadge(BadgeState& badge, BadgePlatform& platform) {
    if (badge.BadgeWindow && badge.Visible) platform.Hide(badge.BadgeWindow);
    badge.Visible = false;
}

void ReassertTopmost(BadgeState& badge, BadgePlatform& platform) {
    if (!badge.BadgeWindow || !badge.Visible || !badge.LastPosition.Valid) return;
    platform.MoveTopmost(badge.BadgeWindow, Point{badge.LastPosition.X, badge.LastPosition.Y});
}

void TickTopmostCountdown(BadgeState& badge, BadgePlatform& platform, const std::function<void()>& requestFullUpdate) {
    std::uint8_t& n = badge.TopmostCountdown;
    if (badge.Visible && badge.NearTop && n > 0) {
        ReassertTopmost(badge, platform);
        --n;
        if (n > 0 && requestFullUpdate) requestFullUpdate();
    } else if (badge.Visible) {
        n = 0;
    } else if (n > 0) {
        --n;
        if (requestFullUpdate) requestFullUpdate();
    }
}

}  // namespace tessel
