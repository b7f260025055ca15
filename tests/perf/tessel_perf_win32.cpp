// Measures the real Tessel.exe next to notepad (run by hand through
// scripts/measure, not a test):
//   keystroke to redraw: Caps Lock key-down injected -> new badge pixels on screen;
//   caret follow: a typed character -> the badge window moved, once in notepad
//   (Wine's notepad raises no caret events, so this is the poll) and once in
//   caret_editor.exe, whose caret announces its moves as Windows' does;
//   call cost: wake-ups per window-manager call under Wine;
//   memory: private bytes of Tessel and of a do-nothing message-loop program
//   at rest after start-up;
//   idle cost: wake-ups (context switches of all threads) and CPU time of both
//   over an idle stretch with notepad focused that starts 15 s after the last
//   input, when Tessel has reached its slowest poll; also the wake-ups of the
//   do-nothing program with a timer of that poll's period.
// Options: --presses N (50), --chars N (200), --char-gap-ms N (150),
//          --idle-seconds N (60).
#include <windows.h>
#include <imm.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cctype>
#include <cstring>
#include <cwchar>
#include <functional>
#include <cwctype>
#include <optional>
#include <string>
#include <vector>

#include "e2e/e2e_support_win32.h"
#include "perf/linux_process_win32.h"

namespace tessel::perf {
namespace {

using namespace std::chrono_literals;
using e2e::Process;
using e2e::RunningTessel;
using e2e::Sandbox;
using e2e::WaitFor;
using e2e::WindowsOf;
using e2e::BadgeOf;
using e2e::Notepad;
using e2e::ReadWholeFile;
using e2e::RectOf;
using e2e::SendKey;
using e2e::TypeChar;

struct Options {
    int presses = 50;
    int chars = 200;
    int charGapMs = 150;
    int idleSeconds = 60;
};

Options ParseOptions(int argc, wchar_t** argv) {
    Options o;
    e2e::ParseIntOptions(argc, argv,
                         {{L"--presses", &o.presses}, {L"--chars", &o.chars}, {L"--char-gap-ms", &o.charGapMs},
                          {L"--idle-seconds", &o.idleSeconds}});
    return o;
}

// Milliseconds on the performance counter.
double NowMs() {
    static const double perMs = [] {
        LARGE_INTEGER f;
        ::QueryPerformanceFrequency(&f);
        return static_cast<double>(f.QuadPart) / 1000.0;
    }();
    LARGE_INTEGER c;
    ::QueryPerformanceCounter(&c);
    return static_cast<double>(c.QuadPart) / perMs;
}

struct Summary {
    std::size_t samples = 0;
    double median = 0, p95 = 0, min = 0, max = 0;
};

// Median (mean of the middle two for an even count) and nearest-rank 95th percentile.
Summary Summarise(std::vector<double> v) {
    Summary s;
    s.samples = v.size();
    if (v.empty()) return s;
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    s.median = n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
    const std::size_t rank = (95 * n + 99) / 100;  // ceil(0.95 n)
    s.p95 = v[std::max<std::size_t>(rank, 1) - 1];
    s.min = v.front();
    s.max = v.back();
    return s;
}

void Print(const char* what, const Summary& s, int missed) {
    std::printf("%-20s median %7.1f ms   p95 %7.1f ms   (min %.1f, max %.1f, %zu samples, %d missed)\n", what,
                s.median, s.p95, s.min, s.max, s.samples, missed);
}

bool SameRect(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

// Copies the screen under a window with one BitBlt into a 32-bit DIB, so that
// a poll costs one screen read rather than one per pixel.
class ScreenGrabber {
public:
    ScreenGrabber() : screen_(::GetDC(nullptr)), memory_(::CreateCompatibleDC(screen_)) {}
    ~ScreenGrabber() {
        if (bitmap_) {
            ::SelectObject(memory_, old_);
            ::DeleteObject(bitmap_);
        }
        ::DeleteDC(memory_);
        ::ReleaseDC(nullptr, screen_);
    }
    ScreenGrabber(const ScreenGrabber&) = delete;
    ScreenGrabber& operator=(const ScreenGrabber&) = delete;

    std::vector<std::uint32_t> Grab(HWND window) {
        RECT r = RectOf(window);
        const int w = std::max<int>(1, r.right - r.left), h = std::max<int>(1, r.bottom - r.top);
        if (w != width_ || h != height_) Resize(w, h);
        ::BitBlt(memory_, 0, 0, w, h, screen_, r.left, r.top, SRCCOPY);
        ::GdiFlush();
        return std::vector<std::uint32_t>(bits_, bits_ + static_cast<std::size_t>(w) * h);
    }

private:
    void Resize(int w, int h) {
        if (bitmap_) {
            ::SelectObject(memory_, old_);
            ::DeleteObject(bitmap_);
        }
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = w;
        info.bmiHeader.biHeight = -h;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        bitmap_ = ::CreateDIBSection(memory_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        bits_ = static_cast<std::uint32_t*>(bits);
        old_ = ::SelectObject(memory_, bitmap_);
        width_ = w;
        height_ = h;
    }

    HDC screen_;
    HDC memory_;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ old_ = nullptr;
    std::uint32_t* bits_ = nullptr;
    int width_ = 0, height_ = 0;
};

void MeasureKeystrokeToRedraw(HWND badge, int presses) {
    ScreenGrabber grabber;
    std::vector<double> samples;
    int missed = 0;
    double pollCost = 0;
    long polls = 0;
    for (int i = 0; i < presses; ++i) {
        const std::vector<std::uint32_t> before = grabber.Grab(badge);
        const double start = NowMs();
        SendKey(VK_CAPITAL, false);
        bool changed = false;
        while (NowMs() - start < 2000) {
            const double t = NowMs();
            const bool differs = grabber.Grab(badge) != before;
            pollCost += NowMs() - t;
            ++polls;
            if (differs) {
                samples.push_back(NowMs() - start);
                changed = true;
                break;
            }
        }
        if (!changed) ++missed;
        SendKey(VK_CAPITAL, true);
        ::Sleep(200);  // let the badge settle before the next press
    }
    if (::GetKeyState(VK_CAPITAL) & 1) {
        SendKey(VK_CAPITAL, false);
        SendKey(VK_CAPITAL, true);
    }
    Print("keystroke to redraw", Summarise(samples), missed);
    std::printf("%-20s one screen read of the badge costs %.2f ms on average (%ld reads)\n", "", polls ? pollCost / polls : 0.0,
                polls);
}

// Caret moves that the system reports as WinEvents, counted by an
// out-of-context hook of our own: tells whether a slow caret follow is
// Tessel's doing or the platform's.
long g_caretEvents = 0;
long g_otherEvents = 0;
void CALLBACK CountCaretEvent(HWINEVENTHOOK, DWORD event, HWND, LONG object, LONG, DWORD, DWORD) {
    if (event == EVENT_OBJECT_LOCATIONCHANGE && object == OBJID_CARET) ++g_caretEvents;
    else ++g_otherEvents;
}

void PumpMessages() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
}

void MeasureCaretFollow(const char* label, HWND badge, HWND editor, int chars, int gapMs) {
    DWORD editorPid = 0;
    ::GetWindowThreadProcessId(editor, &editorPid);
    g_caretEvents = g_otherEvents = 0;
    HWINEVENTHOOK hook = ::SetWinEventHook(EVENT_MIN, EVENT_MAX, nullptr,
                                           CountCaretEvent, editorPid, 0, WINEVENT_OUTOFCONTEXT);
    constexpr int kLineLength = 30;  // stay clear of horizontal scrolling
    std::vector<double> samples;
    int missed = 0;
    for (int i = 0; i < chars; ++i) {
        if (i > 0 && i % kLineLength == 0) {
            const RECT before = RectOf(badge);
            SendKey(VK_RETURN, false);
            SendKey(VK_RETURN, true);
            WaitFor([&] { return !SameRect(RectOf(badge), before); }, 2s, 1ms);
            ::Sleep(static_cast<DWORD>(gapMs));
        }
        const RECT before = RectOf(badge);
        const double start = NowMs();
        TypeChar(static_cast<wchar_t>(L'a' + i % 26));
        bool moved = false;
        while (NowMs() - start < 2000) {
            PumpMessages();
            if (!SameRect(RectOf(badge), before)) {
                samples.push_back(NowMs() - start);
                moved = true;
                break;
            }
        }
        if (!moved) ++missed;
        const double spent = NowMs() - start;
        if (spent < gapMs) WaitFor([] { return false; }, std::chrono::milliseconds(static_cast<int>(gapMs - spent)), 1ms);
    }
    PumpMessages();
    if (hook) ::UnhookWinEvent(hook);
    Print(label, Summarise(samples), missed);
    std::printf("%-20s one character every %d ms or more, %d per line; caret WinEvents from the editor: %ld (other WinEvents: %ld)%s\n",
                "", gapMs, kLineLength, g_caretEvents, g_otherEvents, hook ? "" : " (hook failed)");
}


// PrivateUsage as the Windows API reports it for another process.
std::optional<long long> PrivateBytes(DWORD processId) {
    HANDLE process = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | PROCESS_VM_READ, FALSE, processId);
    if (!process) return std::nullopt;
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof(counters);
    const BOOL ok = ::GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                                           sizeof(counters));
    ::CloseHandle(process);
    if (!ok) return std::nullopt;
    return static_cast<long long>(counters.PrivateUsage);
}

std::string KibText(std::optional<long long> bytes) {
    // Wine 8 answers GetProcessMemoryInfo for another process with zeros.
    if (!bytes || *bytes <= 0) return "n/a";
    char text[32];
    std::snprintf(text, sizeof text, "%.0f KiB", static_cast<double>(*bytes) / 1024.0);
    return text;
}

void ReportMemory(const char* when, DWORD tesselPid, const LinuxProcess& tessel, DWORD idlePid,
                  const LinuxProcess& idle) {
    std::printf("%-20s %s: private resident (Linux smaps_rollup) Tessel %s, idle_loop %s; "
                "PrivateUsage (GetProcessMemoryInfo) Tessel %s, idle_loop %s\n",
                "memory", when, KibText(tessel.PrivateResident()).c_str(), KibText(idle.PrivateResident()).c_str(),
                KibText(PrivateBytes(tesselPid)).c_str(), KibText(PrivateBytes(idlePid)).c_str());
}

// Context switches of the calling thread, read from Linux.
long long OwnSwitches() {
    const std::string status = ReadWholeFile(L"Z:\\proc\\thread-self\\status");
    long long total = 0;
    for (const char* key : {"\nvoluntary_ctxt_switches:", "\nnonvoluntary_ctxt_switches:"}) {
        const std::size_t at = status.find(key);
        if (at != std::string::npos) total += std::strtoll(status.c_str() + at + std::strlen(key), nullptr, 10);
    }
    return total;
}

// Under Wine most window-manager queries are a round trip to the wineserver,
// which blocks the caller once: what each call costs in wake-ups explains the
// idle figure. The reading of /proc itself is measured and subtracted.
void MeasureCallCosts(HWND window) {
    constexpr int kCalls = 100;
    auto perCall = [&](const std::function<void()>& call) {
        const long long before = OwnSwitches();
        for (int i = 0; i < kCalls; ++i) call();
        return static_cast<double>(OwnSwitches() - before) / kCalls;
    };
    const double reading = perCall([] {});
    DWORD pid = 0;
    const DWORD thread = ::GetWindowThreadProcessId(window, &pid);
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    wchar_t name[128];
    // What one mode check at rest asks: the focus's IME window, and that window whether the IME is open.
    ::GetGUIThreadInfo(thread, &info);
    const HWND focus = info.hwndFocus ? info.hwndFocus : window;
    HWND imeWindow = ::ImmGetDefaultIMEWnd(focus);
    if (!imeWindow) {
        // Wine answers only within the process: the thread's own "IME" window, as Tessel finds it.
        ::EnumThreadWindows(
            thread,
            [](HWND w, LPARAM found) noexcept -> BOOL {
                wchar_t cls[8];
                if (::GetClassNameW(w, cls, 8) == 3 && ::lstrcmpiW(cls, L"IME") == 0) {
                    *reinterpret_cast<HWND*>(found) = w;
                    return FALSE;
                }
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&imeWindow));
    }
    const struct {
        const char* name;
        std::function<void()> call;
    } calls[] = {
        {"GetForegroundWindow", [] { ::GetForegroundWindow(); }},
        {"GetGUIThreadInfo", [&] { ::GetGUIThreadInfo(thread, &info); }},
        {"GetWindowThreadProcessId", [&] { ::GetWindowThreadProcessId(window, &pid); }},
        {"GetClassNameW", [&] { ::GetClassNameW(window, name, 128); }},
        {"GetParent", [&] { ::GetParent(window); }},
        {"GetSystemMetrics", [] { ::GetSystemMetrics(SM_CXVIRTUALSCREEN); }},
        {"MonitorFromPoint", [] { ::MonitorFromPoint(POINT{10, 10}, MONITOR_DEFAULTTONEAREST); }},
        {"GetKeyboardLayout", [&] { ::GetKeyboardLayout(thread); }},
        {"ClientToScreen", [&] {
             POINT p{0, 0};
             ::ClientToScreen(focus, &p);
         }},
        {"IsWindow", [&] { ::IsWindow(focus); }},
        {"ImmGetDefaultIMEWnd", [&] { ::ImmGetDefaultIMEWnd(focus); }},
        {"SendMessageTimeoutW(WM_IME_CONTROL)", [&] {
             DWORD_PTR answer = 0;
             ::SendMessageTimeoutW(imeWindow, WM_IME_CONTROL, 0x0005 /* IMC_GETOPENSTATUS */, 0,
                                   SMTO_ABORTIFHUNG | SMTO_BLOCK, 50, &answer);
         }},
    };
    std::printf("%-20s wake-ups per call in this process (%d calls each):", "call cost", kCalls);
    for (const auto& c : calls) std::printf(" %s %.2f;", c.name, perCall(c.call) - reading);
    std::printf("\n");
}

// Both processes over the same idle stretch, which starts 15 s after
// `lastInput` (the perf counter time of the last key sent).
void MeasureIdleCost(const LinuxProcess& tessel, const LinuxProcess& baseline, const LinuxProcess& timed,
                     double lastInput, int seconds) {
    const double restStart = lastInput + 15000;
    if (NowMs() < restStart) ::Sleep(static_cast<DWORD>(restStart - NowMs()));
    const auto tessel0 = tessel.CpuMs(), idle0 = baseline.CpuMs();
    const auto tesselSw0 = tessel.Switches(), idleSw0 = baseline.Switches(), timedSw0 = timed.Switches();
    const double start = NowMs();
    ::Sleep(static_cast<DWORD>(seconds) * 1000);
    const double wall = NowMs() - start;
    const auto tessel1 = tessel.CpuMs(), idle1 = baseline.CpuMs();
    const auto tesselSw1 = tessel.Switches(), idleSw1 = baseline.Switches(), timedSw1 = timed.Switches();
    if (!tessel0 || !idle0 || !tessel1 || !idle1 || !tesselSw0 || !idleSw0 || !tesselSw1 || !idleSw1) {
        std::printf("idle cost            /proc/<pid>/stat or task status could not be read\n");
        return;
    }
    const double seconds_ = wall / 1000;
    std::printf("idle cost            from %.0f s after the last input, over %.1f s (Linux pids %ls, %ls):\n",
                (start - lastInput) / 1000, seconds_, tessel.Pid().c_str(), baseline.Pid().c_str());
    std::printf("%-20s wake-ups: Tessel %.2f/s (%lld), idle_loop %.2f/s (%lld)\n", "",
                static_cast<double>(*tesselSw1 - *tesselSw0) / seconds_, *tesselSw1 - *tesselSw0,
                static_cast<double>(*idleSw1 - *idleSw0) / seconds_, *idleSw1 - *idleSw0);
    if (timedSw0 && timedSw1)
        std::printf("%-20s wake-ups of idle_loop with a 5 s timer, the slowest poll's period: %.2f/s (%lld)\n", "",
                    static_cast<double>(*timedSw1 - *timedSw0) / seconds_, *timedSw1 - *timedSw0);
    std::printf("%-20s CPU time: Tessel %.0f ms, idle_loop %.0f ms (10 ms ticks); since their start %.0f ms, %.0f ms\n",
                "", *tessel1 - *tessel0, *idle1 - *idle0, *tessel1, *idle1);
}

int Run(const Options& options) {
    Notepad notepad;
    if (!notepad.Window()) {
        std::fprintf(stderr, "notepad did not start\n");
        return 1;
    }
    Sandbox sandbox;
    RunningTessel tessel(sandbox);
    if (!tessel.Ready()) {
        std::fprintf(stderr, "Tessel did not start\n");
        return 1;
    }
    auto badges = WindowsOf(tessel.Proc().Id(), L"Tessel.BadgeWindow");
    HWND badge = badges.empty() ? nullptr : badges.front();
    notepad.Focus();
    if (!badge || !WaitFor([&] { return ::IsWindowVisible(badge) != FALSE; }, 10s)) {
        std::fprintf(stderr, "the badge did not appear next to notepad's caret\n");
        return 1;
    }
    // Started from the sandbox, so that the Linux processes are found by a unique path.
    for (const wchar_t* helper : {L"idle_loop.exe", L"caret_editor.exe"})
        ::CopyFileW((e2e::BuildDirectory() + L"\\" + helper).c_str(), sandbox.Path(helper).c_str(), FALSE);
    Process idle(sandbox.Path(L"idle_loop.exe"), sandbox.Dir());
    if (!idle.Started() || !WaitFor([&] { return !WindowsOf(idle.Id(), L"Tessel.IdleLoop").empty(); }, 20s)) {
        std::fprintf(stderr, "idle_loop.exe did not start\n");
        return 1;
    }
    // A second copy under its own name, so that its Linux process is told apart.
    ::CopyFileW(sandbox.Path(L"idle_loop.exe").c_str(), sandbox.Path(L"idle_timer.exe").c_str(), FALSE);
    Process timed(sandbox.Path(L"idle_timer.exe"), sandbox.Dir(), L"5000");
    if (!timed.Started() || !WaitFor([&] { return !WindowsOf(timed.Id(), L"Tessel.IdleLoop").empty(); }, 20s)) {
        std::fprintf(stderr, "idle_timer.exe did not start\n");
        return 1;
    }
    LinuxProcess tesselLinux(sandbox.Exe()), idleLinux(sandbox.Path(L"idle_loop.exe"));
    LinuxProcess timedLinux(sandbox.Path(L"idle_timer.exe"));
    if (!tesselLinux.Found() || !idleLinux.Found()) std::printf("the Linux processes were not found under Z:\\proc\n");
    notepad.Focus();
    if (::GetKeyState(VK_CAPITAL) & 1) {
        SendKey(VK_CAPITAL, false);
        SendKey(VK_CAPITAL, true);
    }
    ::Sleep(3000);  // start-up work of both is over

    std::printf("Tessel.exe next to notepad under Wine\n");
    ReportMemory("at rest after start-up", tessel.Proc().Id(), tesselLinux, idle.Id(), idleLinux);
    MeasureCallCosts(notepad.Window());
    MeasureKeystrokeToRedraw(badge, options.presses);
    std::fflush(stdout);
    notepad.Focus();
    MeasureCaretFollow("caret follow (poll)", badge, notepad.Window(), options.chars, options.charGapMs);
    std::fflush(stdout);

    {
        Process editor(sandbox.Path(L"caret_editor.exe"), sandbox.Dir());
        HWND editorWindow = nullptr;
        WaitFor([&] {
            auto w = WindowsOf(editor.Id(), L"Tessel.CaretEditor");
            editorWindow = w.empty() ? nullptr : w.front();
            return editorWindow != nullptr && ::GetForegroundWindow() == editorWindow;
        }, 20s);
        if (!editorWindow || !WaitFor([&] { return ::IsWindowVisible(badge) != FALSE; }, 10s)) {
            std::printf("caret follow (events) caret_editor.exe did not start or got no badge\n");
        } else {
            ::Sleep(500);
            MeasureCaretFollow("caret follow (events)", badge, editorWindow, options.chars, options.charGapMs);
        }
        std::fflush(stdout);
        editor.Kill();
    }

    notepad.Focus();
    const double lastInput = NowMs();
    if (tesselLinux.Found() && idleLinux.Found()) MeasureIdleCost(tesselLinux, idleLinux, timedLinux, lastInput, options.idleSeconds);
    ReportMemory("after the idle stretch", tessel.Proc().Id(), tesselLinux, idle.Id(), idleLinux);
    std::fflush(stdout);
    tessel.Close();
    return 0;
}

}  // namespace
}  // namespace tessel::perf

int wmain(int argc, wchar_t** argv) { return tessel::perf::Run(tessel::perf::ParseOptions(argc, argv)); }
