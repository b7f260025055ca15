// Tessel must stay responsive while the application it watches hangs: its
// main window answers a bounded WM_NULL every time it is asked during a
// six-second hang of the editor's GUI thread, while keys keep arriving.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <optional>
#include <ostream>
#include <string>

#include "e2e/e2e_support_win32.h"

namespace tessel::e2e {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr UINT kHangMessage = WM_APP + 10;  // wParam: milliseconds to sleep

// A test program that sleeps on a posted kHangMessage, and how it is started.
struct EditorKind {
    const char* name;
    const wchar_t* exe;
    const wchar_t* arguments;
    const wchar_t* windowClass;  // of its top-level window, which takes kHangMessage
};
void PrintTo(const EditorKind& kind, std::ostream* out) { *out << kind.name; }

// The program started, brought to the foreground.
class Editor {
public:
    explicit Editor(const EditorKind& kind)
        : process_(BuildDirectory() + L"\\" + kind.exe, L"", kind.arguments) {
        if (!process_.Started()) return;
        WaitFor([&] {
            auto w = WindowsOf(process_.Id(), kind.windowClass);
            window_ = w.empty() ? nullptr : w.front();
            return window_ != nullptr;
        }, 20s);
        if (window_) {
            ::SetForegroundWindow(window_);
            WaitFor([&] { return ::GetForegroundWindow() == window_; }, 5s);
        }
    }
    HWND Window() const { return window_; }

private:
    Process process_;
    HWND window_ = nullptr;
};

// One bounded WM_NULL; the time it took, or nothing when the window did not answer.
std::optional<double> Ping(HWND window, UINT timeoutMs) {
    auto start = Clock::now();
    DWORD_PTR result = 0;
    LRESULT ok = ::SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, timeoutMs, &result);
    double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    if (!ok) return std::nullopt;
    return ms;
}


struct HangReport {
    int asked = 0;
    int unanswered = 0;
    double worstMs = 0;
    bool editorAnsweredDuringHang = false;
};

// Hangs the editor for `hang` and asks Tessel every 100 ms for `watch`,
// pressing Caps Lock every 500 ms (an even number of times) so that Tessel
// re-reads the input mode of the hung thread while it waits.
HangReport WatchDuringHang(HWND tesselMain, HWND editor, std::chrono::milliseconds hang,
                           std::chrono::milliseconds watch) {
    HangReport report;
    ::PostMessageW(editor, kHangMessage, static_cast<WPARAM>(hang.count()), 0);
    ::Sleep(100);
    report.editorAnsweredDuringHang = Ping(editor, 300).has_value();

    const auto end = Clock::now() + watch;
    int presses = 0;
    for (int tick = 0; Clock::now() < end; ++tick) {
        if (tick % 5 == 0) {
            PressKey(VK_CAPITAL);
            ++presses;
        }
        ++report.asked;
        if (auto ms = Ping(tesselMain, 200)) report.worstMs = std::max(report.worstMs, *ms);
        else ++report.unanswered;
        ::Sleep(100);
    }
    if (presses % 2) PressKey(VK_CAPITAL);
    return report;
}

class HangE2E : public ::testing::TestWithParam<EditorKind> {
protected:
    void SetUp() override {
        if (::GetKeyState(VK_CAPITAL) & 1) PressKey(VK_CAPITAL);
    }
    void TearDown() override {
        if (::GetKeyState(VK_CAPITAL) & 1) PressKey(VK_CAPITAL);
    }
};

TEST_P(HangE2E, TesselAnswersWhileTheWatchedEditorHangs) {
    Sandbox sandbox;
    RunningTessel tessel(sandbox);
    ASSERT_TRUE(tessel.Ready());
    Editor editor(GetParam());
    ASSERT_NE(editor.Window(), nullptr) << GetParam().name << " did not start";
    HWND badge = BadgeOf(tessel);
    ASSERT_NE(badge, nullptr);
    ASSERT_TRUE(WaitFor([&] { return ::IsWindowVisible(badge) != FALSE; }, 10s))
        << "Tessel shows no badge for the editor, so the hang would not be watched";

    HangReport report = WatchDuringHang(tessel.Main(), editor.Window(), 6000ms, 5000ms);
    std::printf("[ hang     ] %d asks, %d unanswered, worst answer %.1f ms\n", report.asked, report.unanswered,
                report.worstMs);
    RecordProperty("worst_answer_ms", static_cast<int>(report.worstMs + 0.5));
    EXPECT_FALSE(report.editorAnsweredDuringHang) << "the editor did not hang, so the test proves nothing";
    EXPECT_GE(report.asked, 30);
    EXPECT_EQ(report.unanswered, 0) << "Tessel's main window froze while the editor hung";

    // Once the editor pumps again, the badge is back (or still) at its caret.
    ASSERT_TRUE(WaitFor([&] { return Ping(editor.Window(), 500).has_value(); }, 10s));
    EXPECT_TRUE(WaitFor([&] { return ::IsWindowVisible(badge) != FALSE; }, 5s)) << "badge did not recover";
    EXPECT_EQ(tessel.Close(), 0);
}

// A standard edit control, a control Tessel sends messages to, and a pane
// whose caret Tessel reads from a caret object in the hung process.
INSTANTIATE_TEST_SUITE_P(Controls, HangE2E,
                         ::testing::Values(EditorKind{"Edit", L"hung_editor.exe", L"", L"Tessel.HungEditor"},
                                           EditorKind{"Scintilla", L"hung_editor.exe", L"--scintilla",
                                                      L"Tessel.HungEditor"},
                                           EditorKind{"CaretObject", L"caret_object.exe", L"", L"OpusApp"}),
                         [](const ::testing::TestParamInfo<EditorKind>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tessel::e2e
