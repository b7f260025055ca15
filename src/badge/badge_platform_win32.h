#pragma once
#include "badge/badge_platform.h"

namespace tessel {

// The badge operations on the real window manager and GDI.
class Win32BadgePlatform final : public BadgePlatform {
public:
    MonitorId MonitorFromPoint(Point p) override;
    std::optional<std::uint32_t> EffectiveDpi(MonitorId monitor) override;
    WindowId ForegroundWindow() override;
    std::uint32_t DpiForWindow(WindowId window) override;
    void ClassName64(WindowId window, ClassNameBuffer& out) override;
    VirtualScreenMetrics VirtualScreen() override;
    bool KeyToggled(int virtualKey) override;
    void MoveTopmost(WindowId window, Point position) override;
    void Hide(WindowId window) override;
    void ShowNoActivate(WindowId window) override;
    std::unique_ptr<BadgeCanvas> CreateCanvas(std::int32_t side) override;
};

// GDI objects (DCs, bitmaps, fonts) the badge holds right now; 0 between redraws.
int LiveBadgeGdiObjects();

}  // namespace tessel
