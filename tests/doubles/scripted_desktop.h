#pragma once
// A scripted desktop: windows, threads and keys as plain records, with a call
// counter per operation so that tests can bound the platform traffic.
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/desktop.h"

namespace tessel::testing {

struct ScriptedWindow {
    std::u16string className;
    WindowId parent = kNoWindow;     // GetParent
    WindowId root = kNoWindow;       // GA_ROOT; 0 means "the window itself"
    WindowId rootOwner = kNoWindow;  // GA_ROOTOWNER; 0 means "the window itself"
    std::uint32_t threadId = 0;
    std::uint32_t processId = 0;
    bool exists = true;
    bool enabled = true;
    bool topLevel = true;
    Rect rect{};
    std::optional<Rect> frameBounds;  // DWM extended frame; empty: the call fails
    // Caret location: visibility, GWL_STYLE, client origin on screen, DPI,
    // monitor, and replies to SendMessageTimeout by message (no entry: the
    // send fails as if it had timed out).
    bool visible = true;
    std::intptr_t style = 0;
    Point clientOrigin{};
    bool clientToScreenFails = false;
    std::uint32_t dpi = 96;
    std::uintptr_t monitor = 0;
    std::map<std::uint32_t, std::uintptr_t> messageReplies;
};

// The arguments of one SendMessageTimeout call.
struct SentMessage {
    WindowId window;
    std::uint32_t message;
    std::uintptr_t wParam;
    std::intptr_t lParam;
    std::uint32_t flags;
    std::uint32_t timeoutMs;
};

struct PostedMessage {
    WindowId window;
    std::uint32_t message;
    std::uintptr_t wParam;
    std::intptr_t lParam;
};

class ScriptedDesktop : public Desktop {
public:
    // --- script ---
    ScriptedWindow& AddWindow(WindowId id, ScriptedWindow w);
    ScriptedWindow& Window(WindowId id) { return windows_.at(id); }
    void SetForeground(WindowId id) { foreground_ = id; }
    void SetGuiThreadInfo(std::uint32_t thread, const GuiThreadInfo& info) { guiInfo_[thread] = info; }
    void SetKeyDown(int vk, bool down);
    void SetLayout(std::uint32_t thread, std::uintptr_t hkl) { layouts_[thread] = hkl; }
    void FailPosts(bool fail) { failPosts_ = fail; }
    void FailTimers(bool fail) { failTimers_ = fail; }
    // GetDpiForMonitor's x value for a monitor; a monitor without one fails.
    void SetMonitorDpi(std::uintptr_t monitor, std::uint32_t dpi) { monitorDpi_[monitor] = dpi; }
    const std::vector<SentMessage>& Sent() const { return sent_; }
    // The mouse pointer; empty: GetCursorPos fails.
    void SetCursor(std::optional<Point> p) { cursor_ = p; }

    // --- observation ---
    int Calls(const std::string& operation) const;
    int TotalCalls() const;
    void ResetCalls() { calls_.clear(); }
    const std::vector<PostedMessage>& Posted() const { return posted_; }
    void ClearPosted() { posted_.clear(); }
    // Active timers: (window, id) -> period.
    const std::map<std::pair<WindowId, std::uintptr_t>, std::uint32_t>& Timers() const { return timers_; }
    bool TimerRunning(WindowId window, std::uintptr_t id) const { return timers_.count({window, id}) != 0; }
    // Whether a scripted window exists, without counting a call.
    bool Exists(WindowId id) const { return Find(id) != nullptr; }

    // --- Desktop ---
    WindowId ForegroundWindow() override;
    std::uint32_t WindowThreadProcessId(WindowId window, std::uint32_t* processId) override;
    std::optional<GuiThreadInfo> GuiThreadInfoOf(std::uint32_t threadId) override;
    std::u16string ClassName(WindowId window) override;
    WindowId Ancestor(WindowId window, AncestorKind kind) override;
    WindowId Parent(WindowId window) override;
    bool IsWindow(WindowId window) override;
    bool IsWindowEnabled(WindowId window) override;
    std::optional<Rect> WindowRect(WindowId window) override;
    std::optional<Rect> ExtendedFrameBounds(WindowId window) override;
    void EnumTopLevelWindows(const std::function<bool(WindowId)>& visit) override;
    void EnumChildWindows(WindowId parent, const std::function<bool(WindowId)>& visit) override;
    WindowId FindTopLevelWindow(std::u16string_view className) override;
    bool IsWindowVisible(WindowId window) override;
    std::intptr_t WindowLongPtr(WindowId window, int index) override;
    std::optional<Point> ClientToScreen(WindowId window, Point client) override;
    std::uint32_t DpiForWindow(WindowId window) override;
    std::uintptr_t MonitorFromWindow(WindowId window, std::uint32_t flags) override;
    std::optional<std::uint32_t> DpiForMonitor(std::uintptr_t monitor, int dpiType) override;
    std::optional<std::uintptr_t> SendMessageWithTimeout(WindowId window, std::uint32_t message, std::uintptr_t wParam,
                                                     std::intptr_t lParam, std::uint32_t flags,
                                                     std::uint32_t timeoutMs) override;
    std::optional<Point> CursorPos() override;
    bool AsyncKeyDown(int virtualKey) override;
    std::uintptr_t KeyboardLayout(std::uint32_t threadId) override;
    bool PostToWindow(WindowId window, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) override;
    bool SetTimer(WindowId window, std::uintptr_t id, std::uint32_t periodMs) override;
    void KillTimer(WindowId window, std::uintptr_t id) override;

protected:
    void Count(const char* operation) { ++calls_[operation]; }
    const ScriptedWindow* Find(WindowId id) const;

    std::map<WindowId, ScriptedWindow> windows_;
    std::vector<WindowId> order_;  // creation order = enumeration order
    WindowId foreground_ = kNoWindow;
    std::map<std::uint32_t, GuiThreadInfo> guiInfo_;
    std::set<int> keysDown_;
    std::map<std::uint32_t, std::uintptr_t> layouts_;
    std::map<std::string, int> calls_;
    std::vector<PostedMessage> posted_;
    std::map<std::pair<WindowId, std::uintptr_t>, std::uint32_t> timers_;
    bool failPosts_ = false;
    bool failTimers_ = false;
    std::map<std::uintptr_t, std::uint32_t> monitorDpi_;
    std::vector<SentMessage> sent_;
    std::optional<Point> cursor_;
};

}  // namespace tessel::testing
