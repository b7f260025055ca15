// Measures the real Tessel.exe next to notepad (run by hand through
// scripts/measure, not a test):
//   keystroke to redraw: Caps Lock key-down injected -> new badge pixels on screen;
//   caret follow: a typed character -> the badge window moved;
//   idle cost: CPU time of Tessel over an idle stretch with notepad focused,
//   against a do-nothing message-loop program over the same stretch.
// Options: --presses N (50), --chars N (200), --char-gap-ms N (150),
//          --idle-seconds N (60).
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cctype>
#include <cwchar>
#include <cwctype>
#include <optional>
#include <string>
#include <vector>

#include "e2e/e2e_support_win32.h"

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
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::wstring name = argv[i];
        const int value = std::max(1, static_cast<int>(std::wcstol(argv[i + 1], nullptr, 10)));
        if (name == L"--presses") o.presses = value;
        else if (name == L"--chars") o.chars = value;
        else if (name == L"--char-gap-ms") o.charGapMs = value;
        else if (name == L"--idle-seconds") o.idleSeconds = value;
        else std::fprintf(stderr, "unknown option %ls\n", argv[i]);
    }
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

void MeasureCaretFollow(HWND badge, HWND notepad, int chars, int gapMs) {
    DWORD notepadPid = 0;
    ::GetWindowThreadProcessId(notepad, &notepadPid);
    HWINEVENTHOOK hook = ::SetWinEventHook(EVENT_MIN, EVENT_MAX, nullptr,
                                           CountCaretEvent, notepadPid, 0, WINEVENT_OUTOFCONTEXT);
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
    Print("caret follow", Summarise(samples), missed);
    std::printf("%-20s one character every %d ms or more, %d per line; caret WinEvents from notepad: %ld (other WinEvents: %ld)%s\n",
                "", gapMs, kLineLength, g_caretEvents, g_otherEvents, hook ? "" : " (hook failed)");
}

std::wstring Lower(std::wstring s) {
    for (auto& c : s) c = static_cast<wchar_t>(std::towlower(c));
    return s;
}

std::string Utf8(const std::wstring& s) {
    const int n = ::WideCharToMultiByte(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(std::max(n, 0)), '\0');
    if (n > 0) ::WideCharToMultiByte(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), out.data(), n, nullptr, nullptr);
    return out;
}


// Wine's GetProcessTimes reports the calling process's own times for any
// handle, so CPU time is read where Linux keeps it: /proc/<pid>/stat, reached
// through Wine's Z: drive. A Wine process shows its Windows command line as
// its Linux one, which finds it by the unique sandbox path.
class LinuxProcess {
public:
    LinuxProcess(const std::wstring& exePath) {
        const std::string wanted = Utf8(Lower(exePath));
        WIN32_FIND_DATAW data;
        HANDLE find = ::FindFirstFileW(L"Z:\\proc\\*", &data);
        if (find == INVALID_HANDLE_VALUE) return;
        do {
            const std::wstring name = data.cFileName;
            if (name.empty() || name.find_first_not_of(L"0123456789") != std::wstring::npos) continue;
            std::string cmd = ReadWholeFile(L"Z:\\proc\\" + name + L"\\cmdline");
            for (auto& c : cmd) c = c == '\0' ? ' ' : static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            if (cmd.find(wanted) != std::string::npos) {
                pid_ = name;
                break;
            }
        } while (::FindNextFileW(find, &data));
        ::FindClose(find);
    }
    bool Found() const { return !pid_.empty(); }
    const std::wstring& Pid() const { return pid_; }

    // utime + stime in milliseconds (clock ticks of 10 ms, USER_HZ 100).
    std::optional<double> CpuMs() const {
        if (pid_.empty()) return std::nullopt;
        const std::string stat = ReadWholeFile(L"Z:\\proc\\" + pid_ + L"\\stat");
        const std::size_t close = stat.rfind(')');
        if (close == std::string::npos) return std::nullopt;
        std::vector<std::string> fields;  // fields[0] is the state (field 3)
        std::size_t i = close + 1;
        while (i < stat.size() && fields.size() < 13) {
            while (i < stat.size() && stat[i] == ' ') ++i;
            std::size_t j = stat.find(' ', i);
            if (j == std::string::npos) j = stat.size();
            if (j > i) fields.push_back(stat.substr(i, j - i));
            i = j;
        }
        if (fields.size() < 13) return std::nullopt;
        return (std::strtod(fields[11].c_str(), nullptr) + std::strtod(fields[12].c_str(), nullptr)) * 10.0;
    }

private:
    std::wstring pid_;
};

void MeasureIdleCost(const Sandbox& sandbox, int seconds) {
    // Started from the sandbox, so that its Linux process is found by the same unique path.
    ::CopyFileW((e2e::BuildDirectory() + L"\\idle_loop.exe").c_str(), sandbox.Path(L"idle_loop.exe").c_str(), FALSE);
    Process idle(sandbox.Path(L"idle_loop.exe"), sandbox.Dir());
    if (!idle.Started() || !WaitFor([&] { return !WindowsOf(idle.Id(), L"Tessel.IdleLoop").empty(); }, 20s)) {
        std::printf("idle cost            idle_loop.exe did not start\n");
        return;
    }
    LinuxProcess tessel(sandbox.Exe()), baseline(sandbox.Path(L"idle_loop.exe"));
    if (!tessel.Found() || !baseline.Found()) {
        std::printf("idle cost            the Linux processes were not found under Z:\\proc\n");
        return;
    }
    ::Sleep(3000);  // start-up work of both is over
    const auto tessel0 = tessel.CpuMs(), idle0 = baseline.CpuMs();
    const double start = NowMs();
    ::Sleep(static_cast<DWORD>(seconds) * 1000);
    const double wall = NowMs() - start;
    const auto tessel1 = tessel.CpuMs(), idle1 = baseline.CpuMs();
    if (!tessel0 || !idle0 || !tessel1 || !idle1) {
        std::printf("idle cost            /proc/<pid>/stat could not be read\n");
        return;
    }
    const double t = *tessel1 - *tessel0, b = *idle1 - *idle0;
    std::printf("idle cost            Tessel %.0f ms CPU, idle_loop %.0f ms CPU over %.1f s (Linux pids %ls, %ls; 10 ms ticks)\n",
                t, b, wall / 1000, tessel.Pid().c_str(), baseline.Pid().c_str());
    if (b > 0) std::printf("%-20s ratio %.2f\n", "", t / b);
    else std::printf("%-20s ratio undefined: idle_loop used less than one 10 ms tick\n", "");
    std::printf("%-20s Tessel %.3f%% of one core; since their start Tessel used %.0f ms, idle_loop %.0f ms\n", "",
                100.0 * t / wall, *tessel1, *idle1);
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
    if (::GetKeyState(VK_CAPITAL) & 1) {
        SendKey(VK_CAPITAL, false);
        SendKey(VK_CAPITAL, true);
    }
    ::Sleep(500);

    std::printf("Tessel.exe next to notepad under Wine\n");
    MeasureKeystrokeToRedraw(badge, options.presses);
    std::fflush(stdout);
    notepad.Focus();
    MeasureCaretFollow(badge, notepad.Window(), options.chars, options.charGapMs);
    std::fflush(stdout);
    notepad.Focus();
    MeasureIdleCost(sandbox, options.idleSeconds);
    std::fflush(stdout);
    tessel.Close();
    return 0;
}

}  // namespace
}  // namespace tessel::perf

int wmain(int argc, wchar_t** argv) { return tessel::perf::Run(tessel::perf::ParseOptions(argc, argv)); }
