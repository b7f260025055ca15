#pragma once
// Windows and input: the window manager operations the portable core needs.
// One Win32 implementation (desktop_win32.cpp); tests use a scripted desktop.
// Later subsystems add operations here; keep each one a thin mirror of a
// single platform call with plain-value arguments and results.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "platform/types.h"

namespace tessel {

class Desktop {
public:
    virtual ~Desktop() = default;

    // --- windows and ancestry ---
    virtual WindowId ForegroundWindow() = 0;
    // Returns the thread id (0 for an invalid window) and writes the process id.
    virtual std::uint32_t WindowThreadProcessId(WindowId window, std::uint32_t* processId) = 0;
    virtual std::optional<GuiThreadInfo> GuiThreadInfoOf(std::uint32_t threadId) = 0;
    // Class name read into a 128-unit buffer; empty for a null window or failure.
    virtual std::u16string ClassName(WindowId window) = 0;
    virtual WindowId Ancestor(WindowId window, AncestorKind kind) = 0;
    virtual WindowId Parent(WindowId window) = 0;
    virtual bool IsWindow(WindowId window) = 0;
    virtual bool IsWindowEnabled(WindowId window) = 0;
    virtual std::optional<Rect> WindowRect(WindowId window) = 0;
    // DwmGetWindowAttribute(DWMWA_EXTENDED_FRAME_BOUNDS); empty on failure.
    virtual std::optional<Rect> ExtendedFrameBounds(WindowId window) = 0;
    // Calls `visit` for each top-level window until it returns false.
    virtual void EnumTopLevelWindows(const std::function<bool(WindowId)>& visit) = 0;
    // Calls `visit` for each descendant of `parent` until it returns false.
    virtual void EnumChildWindows(WindowId parent, const std::function<bool(WindowId)>& visit) = 0;
    // FindWindowW(className, no title): the first top-level window of that class.
    virtual WindowId FindTopLevelWindow(std::u16string_view className) = 0;

    // --- window geometry, styles, DPI and messages (caret location) ---
    // IsWindowVisible.
    virtual bool IsWindowVisible(WindowId window) = 0;
    // GetWindowLongPtrW(window, index); 0 for a null window or failure.
    virtual std::intptr_t WindowLongPtr(WindowId window, int index) = 0;
    // ClientToScreen of one client point; empty on failure.
    virtual std::optional<Point> ClientToScreen(WindowId window, Point client) = 0;
    // GetDpiForWindow; 0 on failure.
    virtual std::uint32_t DpiForWindow(WindowId window) = 0;
    // MonitorFromWindow(window, flags) as an opaque handle; 0 when none.
    virtual std::uintptr_t MonitorFromWindow(WindowId window, std::uint32_t flags) = 0;
    // GetDpiForMonitor(monitor, dpiType): the x value; empty when the call fails.
    virtual std::optional<std::uint32_t> DpiForMonitor(std::uintptr_t monitor, int dpiType) = 0;
    // SendMessageTimeoutW: the reply, or empty when the send failed or timed out.
    virtual std::optional<std::uintptr_t> SendMessageWithTimeout(WindowId window, std::uint32_t message, std::uintptr_t wParam,
                                                             std::intptr_t lParam, std::uint32_t flags,
                                                             std::uint32_t timeoutMs) = 0;

    // --- input ---
    // GetCursorPos; empty on failure.
    virtual std::optional<Point> CursorPos() = 0;
    // True when GetAsyncKeyState reports the key down (high bit).
    virtual bool AsyncKeyDown(int virtualKey) = 0;
    // Keyboard layout (HKL) of a thread; its low word is the LANGID.
    virtual std::uintptr_t KeyboardLayout(std::uint32_t threadId) = 0;

    // --- messages and timers on our own windows ---
    virtual bool PostToWindow(WindowId window, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) = 0;
    virtual bool SetTimer(WindowId window, std::uintptr_t id, std::uint32_t periodMs) = 0;
    virtual void KillTimer(WindowId window, std::uintptr_t id) = 0;
};

}  // namespace tessel
