#pragma once
// The real Win32 platform objects behind wrappers that count every call, so
// that a test can state how many platform calls one operation made.
#include <map>
#include <string>

#include "platform/accessibility_win32.h"
#include "platform/console_win32.h"
#include "platform/desktop_win32.h"
#include "platform/ime_win32.h"
#include "platform/processes_win32.h"

namespace tessel::testing {

struct CallCounter {
    std::map<std::string, int> calls;
    void Count(const char* name) { ++calls[name]; }
    int Total() const {
        int n = 0;
        for (const auto& [name, count] : calls) n += count;
        return n;
    }
};

class CountingDesktop final : public Desktop {
public:
    explicit CountingDesktop(CallCounter& c) : c_(c) {}
    WindowId ForegroundWindow() override { return c_.Count("GetForegroundWindow"), real_.ForegroundWindow(); }
    std::uint32_t WindowThreadProcessId(WindowId w, std::uint32_t* p) override {
        return c_.Count("GetWindowThreadProcessId"), real_.WindowThreadProcessId(w, p);
    }
    std::optional<GuiThreadInfo> GuiThreadInfoOf(std::uint32_t t) override {
        return c_.Count("GetGUIThreadInfo"), real_.GuiThreadInfoOf(t);
    }
    std::u16string ClassName(WindowId w) override { return c_.Count("GetClassNameW"), real_.ClassName(w); }
    void ReadClassName(WindowId w, ClassNameBuffer& out) override {
        c_.Count("GetClassNameW");
        real_.ReadClassName(w, out);
    }
    WindowId Ancestor(WindowId w, AncestorKind k) override { return c_.Count("GetAncestor"), real_.Ancestor(w, k); }
    WindowId Parent(WindowId w) override { return c_.Count("GetParent"), real_.Parent(w); }
    bool IsWindow(WindowId w) override { return c_.Count("IsWindow"), real_.IsWindow(w); }
    bool IsWindowEnabled(WindowId w) override { return c_.Count("IsWindowEnabled"), real_.IsWindowEnabled(w); }
    std::optional<Rect> WindowRect(WindowId w) override { return c_.Count("GetWindowRect"), real_.WindowRect(w); }
    std::optional<Rect> ExtendedFrameBounds(WindowId w) override {
        return c_.Count("DwmGetWindowAttribute"), real_.ExtendedFrameBounds(w);
    }
    void EnumTopLevelWindows(const std::function<bool(WindowId)>& v) override {
        c_.Count("EnumWindows");
        real_.EnumTopLevelWindows(v);
    }
    void EnumChildWindows(WindowId p, const std::function<bool(WindowId)>& v) override {
        c_.Count("EnumChildWindows");
        real_.EnumChildWindows(p, v);
    }
    WindowId FindTopLevelWindow(std::u16string_view c) override {
        return c_.Count("FindWindowW"), real_.FindTopLevelWindow(c);
    }
    std::optional<Point> CursorPos() override { return c_.Count("GetCursorPos"), real_.CursorPos(); }
    bool IsWindowVisible(WindowId w) override { return c_.Count("IsWindowVisible"), real_.IsWindowVisible(w); }
    std::intptr_t WindowLongPtr(WindowId w, int i) override {
        return c_.Count("GetWindowLongPtrW"), real_.WindowLongPtr(w, i);
    }
    std::optional<Point> ClientToScreen(WindowId w, Point p) override {
        return c_.Count("ClientToScreen"), real_.ClientToScreen(w, p);
    }
    std::uint32_t DpiForWindow(WindowId w) override { return c_.Count("GetDpiForWindow"), real_.DpiForWindow(w); }
    std::uintptr_t MonitorFromWindow(WindowId w, std::uint32_t f) override {
        return c_.Count("MonitorFromWindow"), real_.MonitorFromWindow(w, f);
    }
    std::optional<std::uint32_t> DpiForMonitor(std::uintptr_t m, int t) override {
        return c_.Count("GetDpiForMonitor"), real_.DpiForMonitor(m, t);
    }
    std::optional<std::uintptr_t> SendMessageWithTimeout(WindowId w, std::uint32_t m, std::uintptr_t wp,
                                                         std::intptr_t lp, std::uint32_t f,
                                                         std::uint32_t t) override {
        return c_.Count("SendMessageTimeoutW"), real_.SendMessageWithTimeout(w, m, wp, lp, f, t);
    }
    bool AsyncKeyDown(int vk) override { return c_.Count("GetAsyncKeyState"), real_.AsyncKeyDown(vk); }
    std::uintptr_t KeyboardLayout(std::uint32_t t) override {
        return c_.Count("GetKeyboardLayout"), real_.KeyboardLayout(t);
    }
    bool PostToWindow(WindowId w, std::uint32_t m, std::uintptr_t wp, std::intptr_t lp) override {
        return c_.Count("PostMessageW"), real_.PostToWindow(w, m, wp, lp);
    }
    bool SetTimer(WindowId w, std::uintptr_t id, std::uint32_t ms) override {
        return c_.Count("SetTimer"), real_.SetTimer(w, id, ms);
    }
    void KillTimer(WindowId w, std::uintptr_t id) override {
        c_.Count("KillTimer");
        real_.KillTimer(w, id);
    }

private:
    CallCounter& c_;
    Win32Desktop real_;
};

class CountingConsole final : public Console {
public:
    explicit CountingConsole(CallCounter& c) : c_(c) {}
    bool Attach(std::uint32_t p) noexcept override { return c_.Count("AttachConsole"), real_.Attach(p); }
    void Free() noexcept override {
        c_.Count("FreeConsole");
        real_.Free();
    }
    WindowId ConsoleWindow() noexcept override { return c_.Count("GetConsoleWindow"), real_.ConsoleWindow(); }
    ConsoleOutputId OpenOutput() noexcept override { return c_.Count("CreateFileW"), real_.OpenOutput(); }
    void CloseOutput(ConsoleOutputId o) noexcept override {
        c_.Count("CloseHandle");
        real_.CloseOutput(o);
    }
    std::optional<ScreenBufferInfo> ScreenBuffer(ConsoleOutputId o) noexcept override {
        return c_.Count("GetConsoleScreenBufferInfo"), real_.ScreenBuffer(o);
    }
    std::optional<Point> FontSize(ConsoleOutputId o) noexcept override {
        return c_.Count("GetCurrentConsoleFontEx"), real_.FontSize(o);
    }
    std::optional<Rect> ClientRect(WindowId w) noexcept override {
        return c_.Count("GetClientRect"), real_.ClientRect(w);
    }

private:
    CallCounter& c_;
    Win32Console real_;
};

class CountingIme final : public Ime {
public:
    explicit CountingIme(CallCounter& c) : c_(c) {}
    WindowId DefaultImeWindow(WindowId w) override { return c_.Count("ImmGetDefaultIMEWnd"), real_.DefaultImeWindow(w); }
    std::optional<std::uintptr_t> SendImeControl(WindowId w, std::uintptr_t wp) override {
        return c_.Count("SendMessageTimeoutW"), real_.SendImeControl(w, wp);
    }
    void BeginUpdate() noexcept override { real_.BeginUpdate(); }
    bool Late() const noexcept override { return real_.Late(); }
    ImeContextId GetContext(WindowId w) override { return c_.Count("ImmGetContext"), real_.GetContext(w); }
    bool ReleaseContext(WindowId w, ImeContextId x) override {
        return c_.Count("ImmReleaseContext"), real_.ReleaseContext(w, x);
    }
    bool OpenStatus(ImeContextId x) override { return c_.Count("ImmGetOpenStatus"), real_.OpenStatus(x); }
    std::optional<std::uint32_t> ConversionStatus(ImeContextId x) override {
        return c_.Count("ImmGetConversionStatus"), real_.ConversionStatus(x);
    }
    std::int32_t CompositionString(ImeContextId x, std::uint32_t i, void* b, std::uint32_t n) override {
        return c_.Count("ImmGetCompositionStringW"), real_.CompositionString(x, i, b, n);
    }

private:
    CallCounter& c_;
    Win32Ime real_;
};

class CountingProcesses final : public Processes {
public:
    explicit CountingProcesses(CallCounter& c) : c_(c) {}
    std::optional<std::u16string> ImageFileName(std::uint32_t p) override {
        return c_.Count("ImageFileName"), real_.ImageFileName(p);
    }
    std::optional<std::u16string> ExecutableName(std::uint32_t p) override {
        return c_.Count("ExecutableName"), real_.ExecutableName(p);
    }
    std::optional<std::vector<ProcessEntry>> Snapshot() override {
        return c_.Count("CreateToolhelp32Snapshot"), real_.Snapshot();
    }
    std::optional<std::uint32_t> SessionId(std::uint32_t p) override {
        return c_.Count("ProcessIdToSessionId"), real_.SessionId(p);
    }
    std::uint32_t CurrentProcessId() override { return c_.Count("GetCurrentProcessId"), real_.CurrentProcessId(); }

private:
    CallCounter& c_;
    Win32Processes real_;
};

// One caret object read counts as two COM calls and the release.
class CountingAccessibility final : public Accessibility {
public:
    explicit CountingAccessibility(CallCounter& c) : c_(c) {}
    std::optional<AccessibleBox> CaretLocation(WindowId w) noexcept override {
        c_.Count("WM_GETOBJECT+accLocation+Release");
        return real_.CaretLocation(w);
    }
    void BeginUpdate() noexcept override { real_.BeginUpdate(); }
    bool Late() const noexcept override { return real_.Late(); }

private:
    CallCounter& c_;
    Win32Accessibility real_;
};

}  // namespace tessel::testing
