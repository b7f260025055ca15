#pragma once
// A scripted badge platform: monitors, DPIs, the foreground window and the
// badge window as plain records, with a call counter per operation.
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "badge/badge_platform.h"

namespace tessel::testing {

struct PresentedFrame {
    WindowId window = kNoWindow;
    Point position{};
    std::int32_t side = 0;
    char16_t glyph = 0;
    std::int32_t fontHeight = 0;
    std::vector<std::uint32_t> pixels;
};

class ScriptedBadgePlatform : public BadgePlatform {
public:
    // --- script ---
    // Points inside `area` belong to `monitor`; others to the default monitor.
    void AddMonitor(MonitorId monitor, Rect area) { monitors_.push_back({monitor, area}); }
    void SetDefaultMonitor(MonitorId monitor) { defaultMonitor_ = monitor; }
    // No entry (or empty) makes GetDpiForMonitor fail for that monitor.
    void SetMonitorDpi(MonitorId monitor, std::optional<std::uint32_t> dpi) { monitorDpi_[monitor] = dpi; }
    void SetForeground(WindowId window) { foreground_ = window; }
    void SetWindowDpi(WindowId window, std::uint32_t dpi) { windowDpi_[window] = dpi; }
    void SetClassName(WindowId window, std::u16string name) { classNames_[window] = std::move(name); }
    void SetVirtualScreen(VirtualScreenMetrics metrics) { screen_ = metrics; }
    void SetKeyToggled(int vk, bool on);
    void FailCanvas(bool fail) { failCanvas_ = fail; }
    void FailPresent(bool fail) { failPresent_ = fail; }

    // --- observation ---
    int Calls(const std::string& operation) const;
    void ResetCalls() {
        for (auto& entry : calls_) entry.second = 0;
    }
    // Redraws are canvases made; moves are SetWindowPos calls.
    int Redraws() const { return Calls("CreateCanvas"); }
    int Moves() const { return Calls("MoveTopmost"); }
    int DpiQueries() const { return Calls("EffectiveDpi") + Calls("DpiForWindow"); }
    int LiveCanvases() const { return liveCanvases_; }
    const std::vector<PresentedFrame>& Frames() const { return frames_; }
    // The badge window as the scripted window manager sees it.
    bool WindowVisible() const { return windowVisible_; }
    Point WindowPosition() const { return windowPosition_; }

    // --- BadgePlatform ---
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

private:
    class Canvas;
    friend class Canvas;
    // Counting allocates only for an operation's first call, so that
    // benchmarks can count the allocations of the code under test.
    void Count(const char* operation) {
        auto it = calls_.find(std::string_view(operation));
        if (it == calls_.end()) it = calls_.emplace(operation, 0).first;
        ++it->second;
    }

    struct MonitorArea {
        MonitorId monitor;
        Rect area;
    };
    std::vector<MonitorArea> monitors_;
    MonitorId defaultMonitor_ = 1;
    std::map<MonitorId, std::optional<std::uint32_t>> monitorDpi_{{1, 96}};
    WindowId foreground_ = kNoWindow;
    std::map<WindowId, std::uint32_t> windowDpi_;
    std::map<WindowId, std::u16string> classNames_;
    VirtualScreenMetrics screen_{0, 0, 1280, 800};
    std::set<int> toggled_;
    bool failCanvas_ = false;
    bool failPresent_ = false;
    std::map<std::string, int, std::less<>> calls_;
    int liveCanvases_ = 0;
    std::vector<PresentedFrame> frames_;
    bool windowVisible_ = false;
    Point windowPosition_{};
};

// The glyph rendering the scripted canvas produces: pixel 0 stays black,
// pixel 1 is mid grey, the centre pixel is white.
constexpr std::uint32_t kScriptedGreyPixel = 0x00808080;

}  // namespace tessel::testing
