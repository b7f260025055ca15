#include "scripted_badge_platform.h"

#include <algorithm>

namespace tessel::testing {

class ScriptedBadgePlatform::Canvas final : public BadgeCanvas {
public:
    Canvas(ScriptedBadgePlatform& owner, std::int32_t side)
        : owner_(owner), side_(side), pixels_(static_cast<std::size_t>(side) * static_cast<std::size_t>(side), 0u) {
        ++owner_.liveCanvases_;
    }
    ~Canvas() override { --owner_.liveCanvases_; }

    std::uint32_t* Pixels() override { return pixels_.data(); }

    void DrawGlyph(char16_t glyph, std::int32_t fontHeight) override {
        owner_.Count("DrawGlyph");
        glyph_ = glyph;
        fontHeight_ = fontHeight;
        if (pixels_.size() > 1) pixels_[1] = kScriptedGreyPixel;
        pixels_[static_cast<std::size_t>(side_ / 2) * static_cast<std::size_t>(side_) +
                static_cast<std::size_t>(side_ / 2)] = 0x00FFFFFF;
    }

    bool Present(WindowId window, Point position) override {
        owner_.Count("Present");
        if (owner_.failPresent_) return false;
        owner_.frames_.push_back(PresentedFrame{window, position, side_, glyph_, fontHeight_, pixels_});
        owner_.windowPosition_ = position;
        return true;
    }

private:
    ScriptedBadgePlatform& owner_;
    std::int32_t side_;
    std::vector<std::uint32_t> pixels_;
    char16_t glyph_ = 0;
    std::int32_t fontHeight_ = 0;
};

void ScriptedBadgePlatform::SetKeyToggled(int vk, bool on) {
    if (on) {
        toggled_.insert(vk);
    } else {
        toggled_.erase(vk);
    }
}

int ScriptedBadgePlatform::Calls(const std::string& operation) const {
    auto it = calls_.find(operation);
    return it == calls_.end() ? 0 : it->second;
}

MonitorId ScriptedBadgePlatform::MonitorFromPoint(Point p) {
    Count("MonitorFromPoint");
    for (const MonitorArea& m : monitors_) {
        if (p.x >= m.area.left && p.x < m.area.right && p.y >= m.area.top && p.y < m.area.bottom) return m.monitor;
    }
    return defaultMonitor_;
}

std::optional<std::uint32_t> ScriptedBadgePlatform::EffectiveDpi(MonitorId monitor) {
    Count("EffectiveDpi");
    auto it = monitorDpi_.find(monitor);
    return it == monitorDpi_.end() ? std::nullopt : it->second;
}

WindowId ScriptedBadgePlatform::ForegroundWindow() {
    Count("ForegroundWindow");
    return foreground_;
}

std::uint32_t ScriptedBadgePlatform::DpiForWindow(WindowId window) {
    Count("DpiForWindow");
    auto it = windowDpi_.find(window);
    return it == windowDpi_.end() ? 0 : it->second;
}

void ScriptedBadgePlatform::ClassName64(WindowId window, ClassNameBuffer& out) {
    Count("ClassName64");
    auto it = classNames_.find(window);
    out.size = it == classNames_.end() ? 0 : std::min<std::size_t>(it->second.size(), 63);
    if (out.size) it->second.copy(out.units.data(), out.size);
}

VirtualScreenMetrics ScriptedBadgePlatform::VirtualScreen() {
    Count("VirtualScreen");
    return screen_;
}

bool ScriptedBadgePlatform::KeyToggled(int virtualKey) {
    Count("KeyToggled");
    return toggled_.count(virtualKey) != 0;
}

void ScriptedBadgePlatform::MoveTopmost(WindowId, Point position) {
    Count("MoveTopmost");
    windowPosition_ = position;
    windowVisible_ = true;  // SWP_SHOWWINDOW
}

void ScriptedBadgePlatform::Hide(WindowId) {
    Count("Hide");
    windowVisible_ = false;
}

void ScriptedBadgePlatform::ShowNoActivate(WindowId) {
    Count("ShowNoActivate");
    windowVisible_ = true;
}

std::unique_ptr<BadgeCanvas> ScriptedBadgePlatform::CreateCanvas(std::int32_t side) {
    Count("CreateCanvas");
    if (failCanvas_ || side <= 0) return nullptr;
    return std::make_unique<Canvas>(*this, side);
}

}  // namespace tessel::testing
