#include "platform/desktop_win32.h"

#include <dwmapi.h>
#include <shellscalingapi.h>

#include <exception>
#include <string>

#include "platform/system_library_win32.h"
#include "platform/win32_types_win32.h"

namespace tessel {
namespace {

struct EnumContext {
    const std::function<bool(WindowId)>* visit;
    std::exception_ptr failure;
};

// An exception may not unwind through the system's enumeration: it stops the
// enumeration here and is thrown again once the system call has returned.
BOOL CALLBACK EnumThunk(HWND hwnd, LPARAM param) noexcept {
    auto* ctx = reinterpret_cast<EnumContext*>(param);
    try {
        return (*ctx->visit)(ToWindowId(hwnd)) ? TRUE : FALSE;
    } catch (...) {
        ctx->failure = std::current_exception();
        return FALSE;
    }
}

}  // namespace

WindowId Win32Desktop::ForegroundWindow() { return ToWindowId(::GetForegroundWindow()); }

std::uint32_t Win32Desktop::WindowThreadProcessId(WindowId window, std::uint32_t* processId) {
    DWORD pid = 0;
    DWORD tid = window ? ::GetWindowThreadProcessId(ToHwnd(window), &pid) : 0;
    if (processId) *processId = tid ? pid : 0;
    return tid;
}

std::optional<GuiThreadInfo> Win32Desktop::GuiThreadInfoOf(std::uint32_t threadId) {
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);  // 72 on 64-bit Windows
    if (!::GetGUIThreadInfo(threadId, &info)) return std::nullopt;
    GuiThreadInfo out;
    out.flags = info.flags;
    out.active = ToWindowId(info.hwndActive);
    out.focus = ToWindowId(info.hwndFocus);
    out.capture = ToWindowId(info.hwndCapture);
    out.menuOwner = ToWindowId(info.hwndMenuOwner);
    out.moveSize = ToWindowId(info.hwndMoveSize);
    out.caret = ToWindowId(info.hwndCaret);
    out.caretRect = ToRect(info.rcCaret);
    return out;
}

std::u16string Win32Desktop::ClassName(WindowId window) {
    if (!window) return {};
    wchar_t buffer[128];
    int n = ::GetClassNameW(ToHwnd(window), buffer, 128);
    if (n <= 0) return {};
    return std::u16string(reinterpret_cast<const char16_t*>(buffer), static_cast<std::size_t>(n));
}

WindowId Win32Desktop::Ancestor(WindowId window, AncestorKind kind) {
    if (!window) return kNoWindow;
    return ToWindowId(::GetAncestor(ToHwnd(window), static_cast<UINT>(kind)));
}

WindowId Win32Desktop::Parent(WindowId window) {
    return window ? ToWindowId(::GetParent(ToHwnd(window))) : kNoWindow;
}

bool Win32Desktop::IsWindow(WindowId window) { return window && ::IsWindow(ToHwnd(window)); }

bool Win32Desktop::IsWindowEnabled(WindowId window) { return window && ::IsWindowEnabled(ToHwnd(window)); }

std::optional<Rect> Win32Desktop::WindowRect(WindowId window) {
    RECT r{};
    if (!window || !::GetWindowRect(ToHwnd(window), &r)) return std::nullopt;
    return ToRect(r);
}

std::optional<Rect> Win32Desktop::ExtendedFrameBounds(WindowId window) {
    static const auto getAttribute =
        SystemFunction<decltype(&::DwmGetWindowAttribute)>(L"dwmapi.dll", "DwmGetWindowAttribute");
    RECT r{};
    if (!window || !getAttribute ||
        FAILED(getAttribute(ToHwnd(window), DWMWA_EXTENDED_FRAME_BOUNDS, &r, sizeof(r))))
        return std::nullopt;
    return ToRect(r);
}

void Win32Desktop::EnumTopLevelWindows(const std::function<bool(WindowId)>& visit) {
    EnumContext ctx{&visit, nullptr};
    ::EnumWindows(EnumThunk, reinterpret_cast<LPARAM>(&ctx));
    if (ctx.failure) std::rethrow_exception(ctx.failure);
}

void Win32Desktop::EnumChildWindows(WindowId parent, const std::function<bool(WindowId)>& visit) {
    if (!parent) return;
    EnumContext ctx{&visit, nullptr};
    ::EnumChildWindows(ToHwnd(parent), EnumThunk, reinterpret_cast<LPARAM>(&ctx));
    if (ctx.failure) std::rethrow_exception(ctx.failure);
}

WindowId Win32Desktop::FindTopLevelWindow(std::u16string_view className) {
    const std::wstring name(className.begin(), className.end());
    return ToWindowId(::FindWindowW(name.c_str(), nullptr));
}

bool Win32Desktop::IsWindowVisible(WindowId window) { return window && ::IsWindowVisible(ToHwnd(window)); }

std::intptr_t Win32Desktop::WindowLongPtr(WindowId window, int index) {
    return window ? static_cast<std::intptr_t>(::GetWindowLongPtrW(ToHwnd(window), index)) : 0;
}

std::optional<Point> Win32Desktop::ClientToScreen(WindowId window, Point client) {
    POINT p{client.x, client.y};
    if (!window || !::ClientToScreen(ToHwnd(window), &p)) return std::nullopt;
    return Point{p.x, p.y};
}

std::uint32_t Win32Desktop::DpiForWindow(WindowId window) { return window ? ::GetDpiForWindow(ToHwnd(window)) : 0; }

std::uintptr_t Win32Desktop::MonitorFromWindow(WindowId window, std::uint32_t flags) {
    return reinterpret_cast<std::uintptr_t>(::MonitorFromWindow(ToHwnd(window), flags));
}

std::optional<std::uint32_t> Win32Desktop::DpiForMonitor(std::uintptr_t monitor, int dpiType) {
    UINT x = 0, y = 0;
    if (!monitor) return std::nullopt;
    if (FAILED(::GetDpiForMonitor(reinterpret_cast<HMONITOR>(monitor), static_cast<MONITOR_DPI_TYPE>(dpiType), &x, &y)))
        return std::nullopt;
    return x;
}

std::optional<std::uintptr_t> Win32Desktop::SendMessageWithTimeout(WindowId window, std::uint32_t message,
                                                               std::uintptr_t wParam, std::intptr_t lParam,
                                                               std::uint32_t flags, std::uint32_t timeoutMs) {
    DWORD_PTR result = 0;
    if (!window || !::SendMessageTimeoutW(ToHwnd(window), message, wParam, lParam, flags, timeoutMs, &result))
        return std::nullopt;
    return static_cast<std::uintptr_t>(result);
}

std::optional<Point> Win32Desktop::CursorPos() {
    POINT p{};
    if (!::GetCursorPos(&p)) return std::nullopt;
    return Point{p.x, p.y};
}

bool Win32Desktop::AsyncKeyDown(int virtualKey) {
    return (static_cast<unsigned short>(::GetAsyncKeyState(virtualKey)) & 0x8000) != 0;
}

std::uintptr_t Win32Desktop::KeyboardLayout(std::uint32_t threadId) {
    return reinterpret_cast<std::uintptr_t>(::GetKeyboardLayout(threadId));
}

bool Win32Desktop::PostToWindow(WindowId window, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) {
    return ::PostMessageW(ToHwnd(window), message, wParam, lParam) != 0;
}

bool Win32Desktop::SetTimer(WindowId window, std::uintptr_t id, std::uint32_t periodMs) {
    return ::SetTimer(ToHwnd(window), id, periodMs, nullptr) != 0;
}

void Win32Desktop::KillTimer(WindowId window, std::uintptr_t id) { ::KillTimer(ToHwnd(window), id); }

}  // namespace tessel
