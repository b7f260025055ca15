// The real Tessel.exe under Wine next to Wine's notepad: the badge follows the
// caret that the system reports, changes with Caps Lock and the settings, and
// hides when no text control has the focus.
#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "e2e/e2e_support_win32.h"

namespace tessel::e2e {
namespace {

using namespace std::chrono_literals;

struct ScreenCaret {
    int x = 0, top = 0, bottom = 0;
    bool operator==(const ScreenCaret&) const = default;
};

// The caret of notepad's thread in screen pixels, as the system reports it
// (Wine runs at 96 DPI, so no scaling applies).
std::optional<ScreenCaret> NotepadCaret(HWND notepad) {
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    DWORD thread = ::GetWindowThreadProcessId(notepad, nullptr);
    if (!::GetGUIThreadInfo(thread, &info) || !info.hwndCaret) return std::nullopt;
    POINT origin{0, 0};
    if (!::ClientToScreen(info.hwndCaret, &origin)) return std::nullopt;
    const RECT& r = info.rcCaret;
    int width = r.left >= r.right ? 1 : std::min<int>(r.right - r.left, 8);
    ScreenCaret c;
    c.x = origin.x + r.left + width;
    c.top = origin.y + r.top;
    c.bottom = std::max<int>(origin.y + r.bottom, c.top + 1);
    return c;
}

// The badge's pixels as they appear on the screen.
std::vector<COLORREF> Pixels(HWND badge) {
    RECT r = RectOf(badge);
    std::vector<COLORREF> out;
    HDC screen = ::GetDC(nullptr);
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x) out.push_back(::GetPixel(screen, x, y));
    ::ReleaseDC(nullptr, screen);
    return out;
}

void TypeText(const std::wstring& text) {
    for (wchar_t ch : text) {
        TypeChar(ch);
        ::Sleep(15);
    }
}

bool CapsLockOn() { return (::GetKeyState(VK_CAPITAL) & 1) != 0; }

// Where the placement rules put a 15-pixel badge for `caret`.
POINT Below(const ScreenCaret& c) { return POINT{c.x + 4, c.bottom + 2}; }
POINT Right(const ScreenCaret& c) { return POINT{c.x + 4, c.bottom - 15}; }

class NotepadE2E : public ::testing::Test {
protected:
    void SetUp() override {
        if (CapsLockOn()) PressKey(VK_CAPITAL);
    }
    void TearDown() override {
        if (CapsLockOn()) PressKey(VK_CAPITAL);
    }

    // Notepad focused, Tessel started beside it, its badge window found.
    // Returns false (with a failure recorded) when any of it does not happen.
    bool StartBoth(Notepad& notepad, RunningTessel& tessel, HWND& badge) {
        if (!notepad.Window()) {
            ADD_FAILURE() << "notepad did not start";
            return false;
        }
        if (!notepad.Focus()) {
            ADD_FAILURE() << "notepad did not become the foreground window";
            return false;
        }
        if (!tessel.Ready()) {
            ADD_FAILURE() << "Tessel did not start";
            return false;
        }
        badge = BadgeOf(tessel);
        if (!badge) ADD_FAILURE() << "no badge window";
        return badge != nullptr;
    }
};

TEST_F(NotepadE2E, BadgeStandsBelowTheCaretAndFollowsTyping) {
    Notepad notepad;
    Sandbox sandbox;
    RunningTessel tessel(sandbox);
    HWND badge = nullptr;
    ASSERT_TRUE(StartBoth(notepad, tessel, badge));

    std::optional<ScreenCaret> caret;
    ASSERT_TRUE(WaitFor([&] { return (caret = NotepadCaret(notepad.Window())) && BadgeAt(badge, Below(*caret)); }, 15s))
        << "badge at " << RectOf(badge).left << "," << RectOf(badge).top << " visible " << ::IsWindowVisible(badge)
        << "; caret " << (caret ? caret->x : -1) << "," << (caret ? caret->bottom : -1);
    EXPECT_FALSE(::GetWindowLongPtrW(badge, GWL_EXSTYLE) & WS_EX_APPWINDOW);
    EXPECT_EQ(::GetForegroundWindow(), notepad.Window()) << "the badge took the activation";

    ScreenCaret before = *caret;
    TypeText(L"hello world");
    ASSERT_TRUE(WaitFor([&] {
        caret = NotepadCaret(notepad.Window());
        return caret && caret->x > before.x && BadgeAt(badge, Below(*caret));
    }, 10s)) << "the badge did not follow the caret";
    EXPECT_EQ(tessel.Close(), 0);
}

TEST_F(NotepadE2E, CapsLockSwitchesTheGlyphAndBack) {
    Notepad notepad;
    Sandbox sandbox;
    RunningTessel tessel(sandbox);
    HWND badge = nullptr;
    ASSERT_TRUE(StartBoth(notepad, tessel, badge));
    ASSERT_TRUE(WaitFor([&] { return ::IsWindowVisible(badge); }, 15s));
    ::Sleep(300);
    std::vector<COLORREF> lower = Pixels(badge);

    PressKey(VK_CAPITAL);
    ASSERT_TRUE(WaitFor([&] { return Pixels(badge) != lower; }, 5s)) << "Caps Lock on did not redraw the badge";
    std::vector<COLORREF> upper = Pixels(badge);
    // Same background: the corner pixel keeps its colour.
    EXPECT_EQ(upper.front(), lower.front());

    PressKey(VK_CAPITAL);
    EXPECT_TRUE(WaitFor([&] { return Pixels(badge) == lower; }, 5s)) << "Caps Lock off did not restore the glyph";
    EXPECT_EQ(tessel.Close(), 0);
}

TEST_F(NotepadE2E, FocusOnAWindowWithoutTextHidesAndClosingNotepadHides) {
    Notepad notepad;
    Sandbox sandbox;
    RunningTessel tessel(sandbox);
    HWND badge = nullptr;
    ASSERT_TRUE(StartBoth(notepad, tessel, badge));
    ASSERT_TRUE(WaitFor([&] { return ::IsWindowVisible(badge); }, 15s));

    // A window of ours whose only control is a label.
    HWND plain = ::CreateWindowExW(0, L"STATIC", L"no text here", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 300, 300, 300,
                                   200, nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(plain, nullptr);
    ::SetForegroundWindow(plain);
    ::SetFocus(plain);
    EXPECT_TRUE(WaitFor([&] { return !::IsWindowVisible(badge); }, 5s)) << "badge still shown over a label";

    EXPECT_TRUE(notepad.Focus());
    EXPECT_TRUE(WaitFor([&] { return ::IsWindowVisible(badge) != FALSE; }, 5s)) << "badge did not come back";
    ::DestroyWindow(plain);

    ::PostMessageW(notepad.Window(), WM_CLOSE, 0, 0);
    ASSERT_TRUE(notepad.Proc().WaitExit(10s));
    EXPECT_TRUE(WaitFor([&] { return !::IsWindowVisible(badge); }, 5s)) << "badge outlived notepad";
    EXPECT_EQ(tessel.Close(), 0);
}

TEST_F(NotepadE2E, SettingsFileMovesTheBadgeRightAndRecolours) {
    Notepad notepad;
    Sandbox sandbox;
    sandbox.WriteFile(L"Tessel.ini",
                      "[Settings]\r\nIndicatorPosition=Right\r\nEnglishBackgroundColor=00FF00FF\r\n"
                      "IndicatorTextColor=00000000\r\n");
    RunningTessel tessel(sandbox);
    HWND badge = nullptr;
    ASSERT_TRUE(StartBoth(notepad, tessel, badge));
    std::optional<ScreenCaret> caret;
    ASSERT_TRUE(WaitFor([&] { return (caret = NotepadCaret(notepad.Window())) && BadgeAt(badge, Right(*caret)); }, 15s))
        << "badge at " << RectOf(badge).left << "," << RectOf(badge).top;
    // An opaque green square with the glyph punched out (text alpha 0).
    ::Sleep(200);
    std::vector<COLORREF> pixels = Pixels(badge);
    EXPECT_EQ(pixels.front(), RGB(0, 255, 0));
    EXPECT_EQ(pixels.back(), RGB(0, 255, 0));
    EXPECT_EQ(tessel.Close(), 0);
    // Reading the settings never rewrites them.
    EXPECT_EQ(sandbox.ReadFile(L"Tessel.ini"),
              "[Settings]\r\nIndicatorPosition=Right\r\nEnglishBackgroundColor=00FF00FF\r\nIndicatorTextColor=00000000\r\n");
}

}  // namespace
}  // namespace tessel::e2e
