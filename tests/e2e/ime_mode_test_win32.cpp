// The real Tessel.exe reads the input mode of another program: a Korean
// editor (tests/apps/ime_editor) opens and closes its own input context and
// the badge turns from English to Korean and back.
#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

#include "e2e/e2e_support_win32.h"

namespace tessel::e2e {
namespace {

using namespace std::chrono_literals;

constexpr UINT kSetImeMessage = WM_APP + 20;  // 0 close, 1 open in Hangul conversion
constexpr UINT kLayoutMessage = WM_APP + 21;  // the editor thread's keyboard layout

// Opaque colours, so that the screen shows them unblended.
constexpr COLORREF kEnglish = RGB(0xFF, 0x00, 0x00);
constexpr COLORREF kKorean = RGB(0x00, 0x00, 0xFF);

// The longest idle poll period: a change made without any keystroke shows
// at the latest one poll later.
constexpr auto kLongestPoll = 5000ms;

// The badge's pixels that are not background: the glyph's shape.
std::vector<bool> GlyphMask(HWND badge, COLORREF background) {
    RECT r = RectOf(badge);
    std::vector<bool> mask;
    HDC screen = ::GetDC(nullptr);
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x) mask.push_back(::GetPixel(screen, x, y) != background);
    ::ReleaseDC(nullptr, screen);
    return mask;
}

COLORREF Corner(HWND badge) {
    RECT r = RectOf(badge);
    HDC screen = ::GetDC(nullptr);
    COLORREF c = ::GetPixel(screen, r.left, r.top);
    ::ReleaseDC(nullptr, screen);
    return c;
}

bool Shows(HWND badge, COLORREF background) { return ::IsWindowVisible(badge) && Corner(badge) == background; }

bool Request(HWND editor, WPARAM request) {
    DWORD_PTR result = 0;
    return ::SendMessageTimeoutW(editor, kSetImeMessage, request, 0, SMTO_ABORTIFHUNG, 2000, &result) && result == 1;
}

// The editor of `process`, started and in the foreground; null when it did not come.
HWND ForegroundEditor(Process& process) {
    HWND editor = nullptr;
    const bool up = WaitFor([&] {
        auto w = WindowsOf(process.Id(), L"Tessel.ImeEditor");
        editor = w.empty() ? nullptr : w.front();
        return editor && ::IsWindowVisible(editor);
    }, 20s) && WaitFor([&] {
        if (::GetForegroundWindow() == editor) return true;
        ::SetForegroundWindow(editor);
        return false;
    }, 10s, 100ms);
    return up ? editor : nullptr;
}

constexpr char kColours[] =
    "[Settings]\r\nEnglishBackgroundColor=FF0000FF\r\nKoreanBackgroundColor=0000FFFF\r\nIndicatorTextColor=FFFFFFFF\r\n";

TEST(ImeModeE2E, BadgeTurnsKoreanWhileAnotherProgramsImeIsOpenInHangul) {
    Process editorProcess(BuildDirectory() + L"\\ime_editor.exe");
    HWND editor = ForegroundEditor(editorProcess);
    ASSERT_NE(editor, nullptr) << "the editor did not start or come to the foreground";
    const auto layout = static_cast<std::uintptr_t>(::SendMessageW(editor, kLayoutMessage, 0, 0));
    const DWORD editorThread = ::GetWindowThreadProcessId(editor, nullptr);
    std::printf("editor layout %08llx, read from here %08llx\n", static_cast<unsigned long long>(layout),
                static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(::GetKeyboardLayout(editorThread))));

    Sandbox sandbox;
    sandbox.WriteFile(L"Tessel.ini", kColours);
    RunningTessel tessel(sandbox);
    ASSERT_TRUE(tessel.Ready());
    HWND badge = BadgeOf(tessel);
    ASSERT_NE(badge, nullptr);

    ASSERT_TRUE(Request(editor, 0));
    ASSERT_TRUE(WaitFor([&] { return Shows(badge, kEnglish); }, 15s))
        << "no English badge beside the editor: visible " << ::IsWindowVisible(badge) << " corner " << std::hex
        << Corner(badge) << " at " << std::dec << RectOf(badge).left << "," << RectOf(badge).top;
    ::Sleep(200);
    const std::vector<bool> english = GlyphMask(badge, kEnglish);

    ASSERT_TRUE(Request(editor, 1));
    const auto opened = std::chrono::steady_clock::now();
    ASSERT_TRUE(WaitFor([&] { return Shows(badge, kKorean); }, kLongestPoll + 1s)) << "the badge did not turn Korean";
    std::printf("Korean after %lld ms\n", static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                                                      std::chrono::steady_clock::now() - opened)
                                                                      .count()));
    ::Sleep(200);
    EXPECT_NE(GlyphMask(badge, kKorean), english) << "the glyph did not change";

    ASSERT_TRUE(Request(editor, 0));
    EXPECT_TRUE(WaitFor([&] { return Shows(badge, kEnglish); }, kLongestPoll + 1s)) << "the badge did not turn back";
    ::Sleep(200);
    EXPECT_EQ(GlyphMask(badge, kEnglish), english);
    EXPECT_EQ(tessel.Close(), 0);
}

// At rest the poll ticks every 5 s; a mode the program switched by itself,
// with no key and no event, must show within one tick.
TEST(ImeModeE2E, AModeSwitchedAtRestShowsWithinTheSlowestPoll) {
    Process editorProcess(BuildDirectory() + L"\\ime_editor.exe");
    HWND editor = ForegroundEditor(editorProcess);
    ASSERT_NE(editor, nullptr) << "the editor did not start or come to the foreground";
    ASSERT_TRUE(Request(editor, 0));
    Sandbox sandbox;
    sandbox.WriteFile(L"Tessel.ini", kColours);
    RunningTessel tessel(sandbox);
    ASSERT_TRUE(tessel.Ready());
    HWND badge = BadgeOf(tessel);
    ASSERT_NE(badge, nullptr);
    ASSERT_TRUE(WaitFor([&] { return Shows(badge, kEnglish); }, 15s)) << "no English badge beside the editor";

    // 15 s without input puts the poll at its slowest; a few seconds more
    // lets its 5 s ticks settle on the same target. The badge turned English
    // at a tick, so half a period more puts the switch between two ticks.
    ::Sleep(22'500);
    ASSERT_TRUE(Shows(badge, kEnglish));
    ASSERT_TRUE(Request(editor, 1));
    const auto switched = std::chrono::steady_clock::now();
    ASSERT_TRUE(WaitFor([&] { return Shows(badge, kKorean); }, 6s)) << "the mode switched at rest did not show";
    std::printf("Korean at rest after %lld ms\n",
                static_cast<long long>((std::chrono::steady_clock::now() - switched) / 1ms));
    EXPECT_EQ(tessel.Close(), 0);
}

}  // namespace
}  // namespace tessel::e2e
