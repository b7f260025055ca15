#pragma once
#include "platform/desktop.h"

namespace tessel {

// The Desktop operations on the real Win32 window manager.
class Win32Desktop final : public Desktop {
public:
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
};

}  // namespace tessel
