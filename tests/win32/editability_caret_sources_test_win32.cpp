// The accessibility caret and the console caret against real programs under
// the real (Wine) platform: a caret object in another process, and console
// programs in console windows of their own.
#include <windows.h>
#include <objbase.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "editability/accessibility_caret.h"
#include "editability/accessibility_caret_search.h"
#include "editability/console_caret.h"
#include "platform/console_win32.h"
#include "platform/win32_types_win32.h"
#include "win32/counting_platform_win32.h"

namespace tessel {
namespace {

using testing::CallCounter;

constexpr UINT kSetCaret = WM_APP + 1;
constexpr UINT kLiveObjects = WM_APP + 2;
constexpr UINT kPublish = WM_APP + 3;
constexpr UINT kHang = WM_APP + 10;  // posted; wParam: milliseconds the GUI thread sleeps

std::wstring BesideTests(const wchar_t* name) {
    wchar_t path[MAX_PATH];
    DWORD n = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring dir(path, n);
    return dir.substr(0, dir.find_last_of(L"\\/") + 1) + name;
}

// A started program, ended with the test.
class Child {
public:
    Child(const std::wstring& commandLine, DWORD flags) {
        STARTUPINFOW si{};
        si.cb = sizeof(si);
        std::wstring line = commandLine;
        if (!::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, flags, nullptr, nullptr, &si, &info_))
            info_ = PROCESS_INFORMATION{};
    }
    ~Child() {
        if (!info_.hProcess) return;
        ::TerminateProcess(info_.hProcess, 0);
        ::WaitForSingleObject(info_.hProcess, 5000);
        ::CloseHandle(info_.hProcess);
        ::CloseHandle(info_.hThread);
    }
    DWORD Id() const { return info_.dwProcessId; }
    bool Started() const { return info_.hProcess != nullptr; }
    void End() const {
        ::TerminateProcess(info_.hProcess, 0);
        ::WaitForSingleObject(info_.hProcess, 5000);
    }
    bool Ended(DWORD ms) const { return ::WaitForSingleObject(info_.hProcess, ms) == WAIT_OBJECT_0; }

private:
    PROCESS_INFORMATION info_{};
};

template <typename F>
bool WaitFor(F done, int ms = 10000) {
    for (int waited = 0; waited < ms; waited += 20) {
        if (done()) return true;
        ::Sleep(20);
    }
    return done();
}

HWND TopWindowOf(DWORD processId, const wchar_t* className) {
    struct Search {
        DWORD pid;
        const wchar_t* cls;
        HWND found;
    } search{processId, className, nullptr};
    ::EnumWindows(
        [](HWND w, LPARAM p) -> BOOL {
            auto* s = reinterpret_cast<Search*>(p);
            DWORD pid = 0;
            ::GetWindowThreadProcessId(w, &pid);
            wchar_t cls[128] = {};
            ::GetClassNameW(w, cls, 128);
            if (pid != s->pid || ::lstrcmpW(cls, s->cls) != 0) return TRUE;
            s->found = w;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// --- accessibility caret ---

class AccessibilityCaretWin32 : public ::testing::Test {
protected:
    void SetUp() override {
        // As in the program: the caret object is read from a single-threaded apartment.
        comInitialised = SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
        ASSERT_TRUE(app.Started());
        ASSERT_TRUE(WaitFor([&] { return (frame = TopWindowOf(app.Id(), L"OpusApp")) != nullptr; }));
        ASSERT_TRUE(WaitFor([&] { return (pane = ::FindWindowExW(frame, nullptr, L"_WwG", nullptr)) != nullptr; }));
    }

    // Moves the caret object's box (client coordinates of the pane).
    void SetBox(short x, short y, short w, short h) {
        ::SendMessageW(frame, kSetCaret, MAKEWPARAM(x, y), MAKELPARAM(w, h));
    }
    POINT PaneOrigin() const {
        POINT p{0, 0};
        ::ClientToScreen(pane, &p);
        return p;
    }
    CaretInfo Read() { return AccessibleCaret(desktop, accessibility, ToWindowId(pane)); }
    void TearDown() override {
        if (comInitialised) ::CoUninitialize();
    }

    bool comInitialised = false;
    Child app{L"\"" + BesideTests(L"caret_object.exe") + L"\"", 0};
    HWND frame = nullptr;
    HWND pane = nullptr;
    CallCounter counter;
    testing::CountingDesktop desktop{counter};
    testing::CountingAccessibility accessibility{counter};
};

TEST_F(AccessibilityCaretWin32, ReadsTheBoxAnotherProcessReportsAndRefusesImplausibleOnes) {
    const POINT o = PaneOrigin();
    SetBox(40, 30, 0, 18);
    EXPECT_EQ(Read(), (CaretInfo{true, o.x + 41, o.y + 30, o.y + 48}));
    SetBox(100, 60, 2, 20);
    EXPECT_EQ(Read(), (CaretInfo{true, o.x + 102, o.y + 60, o.y + 80}));

    // Too wide, no height, or far outside the pane.
    SetBox(40, 30, 9, 18);
    EXPECT_FALSE(Read().Found);
    SetBox(40, 30, 1, 0);
    EXPECT_FALSE(Read().Found);
    SetBox(2000, 30, 1, 18);
    EXPECT_TRUE(Read().Found);
    EXPECT_FALSE(FocusThenCaretAccessibleCaret(desktop, accessibility, ToWindowId(pane), kNoWindow).Found);
    SetBox(40, 30, 1, 18);
    EXPECT_TRUE(FocusThenCaretAccessibleCaret(desktop, accessibility, ToWindowId(pane), kNoWindow).Found);

    // A window without a caret object has none.
    ::SendMessageW(frame, kPublish, 0, 0);
    EXPECT_FALSE(Read().Found);
    // Every object handed out has been released again.
    EXPECT_TRUE(WaitFor([&] { return ::SendMessageW(frame, kLiveObjects, 0, 0) == 0; }, 5000));
}

TEST_F(AccessibilityCaretWin32, AHungApplicationHasNoCaretObjectRatherThanFreezingTheReader) {
    using Clock = std::chrono::steady_clock;
    const auto msSince = [](Clock::time_point t) {
        return std::chrono::duration<double, std::milli>(Clock::now() - t).count();
    };
    SetBox(40, 30, 0, 18);
    ASSERT_TRUE(Read().Found);
    const auto hangStart = Clock::now();
    ::PostMessageW(frame, kHang, 2000, 0);
    ::Sleep(100);  // the application's thread is asleep now
    auto start = Clock::now();
    EXPECT_FALSE(Read().Found);
    const double firstMs = msSince(start);
    // A thread that has not answered is not asked again while it hangs.
    start = Clock::now();
    EXPECT_FALSE(Read().Found);
    const double secondMs = msSince(start);
    std::printf("reads during a 2 s hang: %.0f ms, then %.1f ms\n", firstMs, secondMs);
    EXPECT_LT(firstMs, 1000.0);
    EXPECT_LT(secondMs, 50.0);

    // Once the application pumps again (its answer arrives while this thread
    // pumps), its caret is read again, well before the patience runs out.
    EXPECT_TRUE(WaitFor([&] {
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
        return Read().Found;
    }, 8000));
    EXPECT_LT(msSince(hangStart), 4000.0);
}

TEST_F(AccessibilityCaretWin32, OneReadMeasured) {
    SetBox(40, 30, 0, 18);
    ASSERT_TRUE(Read().Found);
    counter.calls.clear();
    constexpr int kReads = 50;
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < kReads; ++i) ASSERT_TRUE(Read().Found);
    const double us =
        std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count() / kReads;
    std::printf("accessibility caret read across processes: %.0f us, %.1f platform calls per read\n", us,
                counter.Total() / double(kReads));
    for (const auto& [name, count] : counter.calls) std::printf("  %s: %.1f\n", name.c_str(), count / double(kReads));
    EXPECT_EQ(counter.Total(), 2 * kReads);  // IsWindow and the caret object
}

// --- console caret ---

// A console program in a console window of its own that writes on request.
class ConsoleProgram {
public:
    explicit ConsoleProgram(const std::wstring& name)
        : write_(::CreateEventW(nullptr, FALSE, FALSE, (name + L".write").c_str())),
          done_(::CreateEventW(nullptr, FALSE, FALSE, (name + L".done").c_str())),
          child_(L"\"" + BesideTests(L"text_console.exe") + L"\" " + name, CREATE_NEW_CONSOLE) {}
    ~ConsoleProgram() {
        ::CloseHandle(write_);
        ::CloseHandle(done_);
    }
    bool WaitWritten() { return ::WaitForSingleObject(done_, 10000) == WAIT_OBJECT_0; }
    bool WriteHello() {
        ::SetEvent(write_);
        return WaitWritten();
    }
    DWORD Id() const { return child_.Id(); }
    bool Ended(DWORD ms) const { return child_.Ended(ms); }
    void End() const { child_.End(); }

private:
    HANDLE write_;
    HANDLE done_;
    Child child_;
};

// What the console of a process itself reports.
struct ConsoleNumbers {
    CONSOLE_SCREEN_BUFFER_INFO buffer{};
    CONSOLE_FONT_INFOEX font{};
};

bool ReadNumbers(DWORD processId, ConsoleNumbers& n) {
    if (!::AttachConsole(processId)) return false;
    HANDLE out = ::CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                               OPEN_EXISTING, 0, nullptr);
    if (out == INVALID_HANDLE_VALUE) {
        ::FreeConsole();
        return false;
    }
    n.font.cbSize = sizeof(n.font);
    const bool ok = ::GetConsoleScreenBufferInfo(out, &n.buffer) && ::GetCurrentConsoleFontEx(out, FALSE, &n.font);
    ::CloseHandle(out);
    ::FreeConsole();
    return ok;
}

class ConsoleCaretWin32 : public ::testing::Test {
protected:
    void SetUp() override {
        // Whatever console this test program was given, it must be free to attach.
        saved[0] = ::GetStdHandle(STD_INPUT_HANDLE);
        saved[1] = ::GetStdHandle(STD_OUTPUT_HANDLE);
        saved[2] = ::GetStdHandle(STD_ERROR_HANDLE);
        ::FreeConsole();
    }
    void TearDown() override {
        ::FreeConsole();
        // Attaching replaces the standard handles; give the test's output its own back.
        ::SetStdHandle(STD_INPUT_HANDLE, saved[0]);
        ::SetStdHandle(STD_OUTPUT_HANDLE, saved[1]);
        ::SetStdHandle(STD_ERROR_HANDLE, saved[2]);
    }

    // The console window of a program, found by attaching to it for a moment.
    static HWND WindowOf(DWORD processId) {
        if (!::AttachConsole(processId)) return nullptr;
        HWND w = ::GetConsoleWindow();
        ::FreeConsole();
        return w;
    }

    // The snapshot of a console window in the foreground: its process is the
    // console host that owns the window.
    static FocusSnapshot SnapshotOf(HWND window) {
        FocusSnapshot s;
        s.foreground = s.active = s.focus = ToWindowId(window);
        DWORD pid = 0;
        ::GetWindowThreadProcessId(window, &pid);
        s.processId = pid;
        return s;
    }

    CaretInfo Locate(const FocusSnapshot& s, std::uint32_t cells = 1) {
        ConsoleCaretServices services{desktop, console, processes, ime};
        return LocateConsoleCaret(services, source, s, cells);
    }

    HANDLE saved[3] = {};
    CallCounter counter;
    testing::CountingDesktop desktop{counter};
    testing::CountingConsole console{counter};
    testing::CountingProcesses processes{counter};
    testing::CountingIme ime{counter};
    ConsoleSource source;
};

TEST_F(ConsoleCaretWin32, CursorCellInPixelsFollowsTheTextAndNoReadStaysAttached) {
    const std::wstring base = L"Tessel.ConsoleCaretTest." + std::to_wstring(::GetCurrentProcessId());
    ConsoleProgram first(base + L".1");
    ASSERT_TRUE(first.WaitWritten());
    HWND window = WindowOf(first.Id());
    ASSERT_NE(window, nullptr) << "no console window for the program";

    const FocusSnapshot snap = SnapshotOf(window);
    const CaretInfo before = Locate(snap, 2);
    ASSERT_TRUE(before.Found);
    ASSERT_NE(source.processId, 0u);
    EXPECT_EQ(::GetConsoleWindow(), nullptr);

    // The console's own numbers give the same place: two cells right of the cursor cell.
    ConsoleNumbers n;
    ASSERT_TRUE(ReadNumbers(first.Id(), n));
    POINT origin{0, 0};
    ::ClientToScreen(window, &origin);
    const int column = n.buffer.dwCursorPosition.X - n.buffer.srWindow.Left;
    const int row = n.buffer.dwCursorPosition.Y - n.buffer.srWindow.Top;
    const int cw = n.font.dwFontSize.X, ch = n.font.dwFontSize.Y;
    ASSERT_GE(cw, 2);
    EXPECT_EQ(column, 7);  // after "tessel>"
    EXPECT_EQ(before, (CaretInfo{true, origin.x + (column + 2) * cw, origin.y + row * ch, origin.y + (row + 1) * ch}));
    RECT frame{};
    ::GetWindowRect(window, &frame);
    EXPECT_GT(before.X, frame.left);
    EXPECT_LT(before.X, frame.right);

    // The program writes five characters: the caret moves five cells.
    ASSERT_TRUE(first.WriteHello());
    const ConsoleSource kept = source;
    const CaretInfo after = Locate(snap, 2);
    ASSERT_TRUE(after.Found);
    EXPECT_EQ(after.X - before.X, 5 * cw);
    EXPECT_EQ(after.Top, before.Top);
    EXPECT_EQ(source, kept);

    // Another console in the foreground, then the first again.
    ConsoleProgram second(base + L".2");
    ASSERT_TRUE(second.WaitWritten());
    HWND other = WindowOf(second.Id());
    ASSERT_NE(other, nullptr);
    EXPECT_TRUE(Locate(SnapshotOf(other)).Found);
    EXPECT_EQ(source.window, ToWindowId(other));
    EXPECT_EQ(Locate(snap, 2), after);
    EXPECT_EQ(::GetConsoleWindow(), nullptr);

    // With its program gone the console closes: nothing of this process holds it open.
    first.End();
    bool closed = false;
    for (int i = 0; i < 50 && !closed; ++i, ::Sleep(100)) closed = !::IsWindow(window);
    EXPECT_TRUE(closed) << "the console window stayed after its program ended";
}

TEST_F(ConsoleCaretWin32, OneReadMeasured) {
    const std::wstring base = L"Tessel.ConsoleCaretMeasure." + std::to_wstring(::GetCurrentProcessId());
    ConsoleProgram program(base);
    ASSERT_TRUE(program.WaitWritten());
    HWND window = WindowOf(program.Id());
    ASSERT_NE(window, nullptr);
    const FocusSnapshot snap = SnapshotOf(window);

    counter.calls.clear();
    auto t0 = std::chrono::steady_clock::now();
    ASSERT_TRUE(Locate(snap).Found);
    const double firstUs = std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - t0).count();
    const int firstCalls = counter.Total();
    std::printf("console caret, first read (searching): %.0f us, %d platform calls\n", firstUs, firstCalls);
    for (const auto& [name, count] : counter.calls) std::printf("  %s: %d\n", name.c_str(), count);

    counter.calls.clear();
    constexpr int kReads = 200;
    t0 = std::chrono::steady_clock::now();
    for (int i = 0; i < kReads; ++i) ASSERT_TRUE(Locate(snap).Found);
    const double us = std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - t0).count() / kReads;
    std::printf("console caret, later reads (remembered process): %.0f us, %.1f platform calls per read\n", us,
                counter.Total() / double(kReads));
    for (const auto& [name, count] : counter.calls) std::printf("  %s: %.1f\n", name.c_str(), count / double(kReads));
    // Later reads attach to the remembered process only, without a process snapshot.
    EXPECT_EQ(counter.calls["AttachConsole"], kReads);
    EXPECT_EQ(counter.calls["FreeConsole"], kReads);
    EXPECT_EQ(counter.calls.count("CreateToolhelp32Snapshot"), 0u);
    EXPECT_EQ(counter.calls["CreateFileW"], kReads);
    EXPECT_EQ(counter.calls["CloseHandle"], kReads);
}

TEST_F(ConsoleCaretWin32, CtrlCInTheAttachedConsoleEndsItsProgramButNotTheReader) {
    const std::wstring base = L"Tessel.ConsoleCaretCtrlC." + std::to_wstring(::GetCurrentProcessId());
    ConsoleProgram program(base);
    ASSERT_TRUE(program.WaitWritten());
    HWND window = WindowOf(program.Id());
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(Locate(SnapshotOf(window)).Found);
    // Ctrl+C typed during a read goes to every process attached to the
    // console, the reader included; were it not ignored after the reader's
    // first attachment, this test program would end now.
    ASSERT_TRUE(::AttachConsole(program.Id()));
    ASSERT_TRUE(::GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0));
    EXPECT_TRUE(program.Ended(5000)) << "the console's own program did not get the interrupt";
    ::Sleep(300);
}

// Exit codes of the process that reads a console and then closes it.
enum CloseOutcome { kReaderSurvived = 10, kNoCaretRead, kConsoleStayed };

TEST_F(ConsoleCaretWin32, ClosingAConsoleAfterAReadLeavesTheReaderRunning) {
    // Closing a console ends every process still attached to it, here quietly
    // and with exit code 0: the reader runs in a process of its own so that
    // its ending fails this test rather than ending the test program.
    auto readThenClose = [this] {
        const std::wstring base = L"Tessel.ConsoleCaretClose." + std::to_wstring(::GetCurrentProcessId());
        ConsoleProgram program(base);
        if (!program.WaitWritten()) return kNoCaretRead;
        HWND window = WindowOf(program.Id());
        if (!window || !Locate(SnapshotOf(window)).Found) return kNoCaretRead;
        ::PostMessageW(window, WM_CLOSE, 0, 0);  // what the close button does
        if (!program.Ended(5000)) return kConsoleStayed;
        ::Sleep(500);  // time for this process to be ended, were it still attached
        return kReaderSurvived;
    };
    EXPECT_EXIT(std::_Exit(readThenClose()), ::testing::ExitedWithCode(kReaderSurvived), "");
}

// The real console calls; once armed, right after the next
// attachment to `target` it sends `interrupt` into that console and waits for
// the console's own program to end of it, so that the reader handles it while
// attached.
class InterruptingConsole final : public Console {
public:
    InterruptingConsole(HWND target, DWORD interrupt, HANDLE program)
        : target_(ToWindowId(target)), interrupt_(interrupt), program_(program) {}

    bool Attach(std::uint32_t processId) noexcept override {
        const bool attached = real_.Attach(processId);
        if (attached && armed && !sent && real_.ConsoleWindow() == target_) {
            const auto start = std::chrono::steady_clock::now();
            sent = ::GenerateConsoleCtrlEvent(interrupt_, 0) != FALSE;
            programEnded = ::WaitForSingleObject(program_, 5000) == WAIT_OBJECT_0;
            ::Sleep(300);  // the reader's own handler runs on a thread of its own
            injectedMs = Ms(std::chrono::steady_clock::now() - start);
        }
        return attached;
    }
    void Free() noexcept override { real_.Free(); }
    WindowId ConsoleWindow() noexcept override { return real_.ConsoleWindow(); }
    ConsoleOutputId OpenOutput() noexcept override { return real_.OpenOutput(); }
    void CloseOutput(ConsoleOutputId o) noexcept override { real_.CloseOutput(o); }
    std::optional<ScreenBufferInfo> ScreenBuffer(ConsoleOutputId o) noexcept override { return real_.ScreenBuffer(o); }
    std::optional<Point> FontSize(ConsoleOutputId o) noexcept override { return real_.FontSize(o); }
    std::optional<Rect> ClientRect(WindowId w) noexcept override { return real_.ClientRect(w); }

    static double Ms(std::chrono::steady_clock::duration d) {
        return std::chrono::duration<double, std::milli>(d).count();
    }

    bool armed = false;
    bool sent = false;
    bool programEnded = false;
    double injectedMs = 0;  // spent sending the interrupt and waiting for it

private:
    Win32Console real_;
    WindowId target_;
    DWORD interrupt_;
    HANDLE program_;
};

// Exit codes of the process that is interrupted while it reads a console.
enum InterruptOutcome { kReaderLived = 20, kNoInterruptRead, kInterruptNotDelivered };

TEST_F(ConsoleCaretWin32, InterruptsTypedWhileTheReaderIsAttachedLeaveItRunning) {
    // After a first read the handler list is emptied, as attaching on some
    // systems leaves it; the reader must register again after attaching. It
    // runs in a process of its own, whose ending fails this test.
    auto readInterrupted = [this] {
        ::SetConsoleCtrlHandler(nullptr, FALSE);  // Ctrl+C not ignored by inheritance
        const struct {
            DWORD event;
            const char* name;
        } interrupts[] = {{CTRL_C_EVENT, "Ctrl+C"}, {CTRL_BREAK_EVENT, "Ctrl+Break"}};
        for (const auto& interrupt : interrupts) {
            const std::wstring name = L"Tessel.ConsoleCaretInterrupt." + std::to_wstring(::GetCurrentProcessId()) +
                                      L"." + std::to_wstring(interrupt.event);
            ConsoleProgram program(name);
            if (!program.WaitWritten()) return kNoInterruptRead;
            HWND window = WindowOf(program.Id());
            HANDLE handle = ::OpenProcess(SYNCHRONIZE, FALSE, program.Id());
            if (!window || !handle) return kNoInterruptRead;
            InterruptingConsole interrupting(window, interrupt.event, handle);
            ConsoleCaretServices services{desktop, interrupting, processes, ime};
            auto timedRead = [&](CaretInfo& caret) {
                ConsoleSource fresh;  // each read searches
                const auto start = std::chrono::steady_clock::now();
                caret = LocateConsoleCaret(services, fresh, SnapshotOf(window), 1);
                return InterruptingConsole::Ms(std::chrono::steady_clock::now() - start);
            };
            CaretInfo caret;
            const double plainMs = timedRead(caret);
            if (!caret.Found) return kNoInterruptRead;
            DropConsoleInterruptHandlers();
            interrupting.armed = true;
            const double readMs = timedRead(caret);
            ::CloseHandle(handle);
            if (!interrupting.sent && interrupt.event == CTRL_BREAK_EVENT) {
                // Wine sends Ctrl+Break to a process group only, never to the
                // whole console; the same handler answers both.
                std::printf("Ctrl+Break into the whole console: refused by this platform\n");
                continue;
            }
            if (!interrupting.sent || !interrupting.programEnded) return kInterruptNotDelivered;
            ::Sleep(500);  // time for this process to be ended, were the interrupt not ignored
            std::printf("%s during a console read: reads of %.1f ms before and %.1f ms with it (besides %.0f ms "
                        "of sending and waiting); caret %s\n",
                        interrupt.name, plainMs, readMs - interrupting.injectedMs, interrupting.injectedMs,
                        caret.Found ? "found" : "not found");
            std::fflush(stdout);
        }
        return kReaderLived;
    };
    EXPECT_EXIT(std::_Exit(readInterrupted()), ::testing::ExitedWithCode(kReaderLived), "");
}

}  // namespace
}  // namespace tessel
