#include <windows.h>
#include <shellscalingapi.h>

#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "badge/badge.h"
#include "badge/badge_platform_win32.h"
#include "badge/badge_window_win32.h"
#include "badge/mode_sound.h"
#include "ci_skip.h"
#include "doubles/fake_clock.h"
#include "doubles/recording_sound.h"
#include "platform/win32_types_win32.h"

namespace tessel {
namespace {

constexpr wchar_t kTestBadgeClass[] = L"Tessel.Test.BadgeWindow";
constexpr wchar_t kTestFrameClass[] = L"Tessel.Test.BadgeFrame";

void Pump() {
    MSG msg;
    for (int i = 0; i < 5; ++i) {
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        ::Sleep(10);
    }
}

class BadgeWindowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        RegisterBadgeWindowClass(::GetModuleHandleW(nullptr), kTestBadgeClass);
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = ::DefWindowProcW;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.hbrBackground = static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH));
        wc.lpszClassName = kTestFrameClass;
        ::RegisterClassExW(&wc);
    }

    void SetUp() override {
        window = CreateBadgeWindow(::GetModuleHandleW(nullptr), &marker, kTestBadgeClass);
        ASSERT_NE(window, nullptr);
        badge.BadgeWindow = ToWindowId(window);
        settings.IndicatorPosition = IndicatorPosition::Right;
        settings.IndicatorTextColor = Rgba{255, 255, 255, 255};
        settings.EnglishBackgroundColor = Rgba{255, 0, 0, 255};
        settings.KoreanBackgroundColor = Rgba{0, 0, 255, 255};
    }

    void TearDown() override {
        if (window) ::DestroyWindow(window);
        if (frame) ::DestroyWindow(frame);
    }

    // An ordinary window in the foreground, as the application being typed in.
    HWND OpenForegroundFrame() {
        frame = ::CreateWindowExW(0, kTestFrameClass, L"frame", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 50, 50, 500, 400,
                                  nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr);
        ::SetForegroundWindow(frame);
        Pump();
        return frame;
    }

    std::uint32_t MonitorDpi(POINT p) {
        UINT x = 0, y = 0;
        if (FAILED(::GetDpiForMonitor(::MonitorFromPoint(p, MONITOR_DEFAULTTONEAREST), MDT_EFFECTIVE_DPI, &x, &y)) ||
            x == 0) {
            return 96;
        }
        return x;
    }

    void Show(InputMode mode, bool caps = false) {
        ShowBadge(badge, platform, settings, mode, caps, caret, std::nullopt);
        Pump();
    }

    // The screen as the user sees it at one point, as 0x00RRGGBB.
    static COLORREF ScreenPixel(int x, int y) {
        HDC dc = ::GetDC(nullptr);
        COLORREF c = ::GetPixel(dc, x, y);
        ::ReleaseDC(nullptr, dc);
        return c;
    }

    int marker = 0;
    HWND window = nullptr;
    HWND frame = nullptr;
    Win32BadgePlatform platform;
    BadgeState badge;
    Settings settings;
    BadgeAnchor caret{200, 300, 320};
};

TEST_F(BadgeWindowTest, WindowIsCreatedHiddenClickThroughWithTheCreationParameter) {
    EXPECT_FALSE(::IsWindowVisible(window));
    EXPECT_EQ(::GetWindowLongPtrW(window, GWLP_USERDATA), reinterpret_cast<LONG_PTR>(&marker));
    EXPECT_EQ(static_cast<DWORD>(::GetWindowLongPtrW(window, GWL_EXSTYLE)) & kBadgeExStyle, kBadgeExStyle);
    EXPECT_EQ(::SendMessageW(window, WM_NCHITTEST, 0, MAKELPARAM(5, 5)), HTTRANSPARENT);
    wchar_t title[32] = {};
    ::GetWindowTextW(window, title, 32);
    EXPECT_STREQ(title, L"Tessel Badge");
}

TEST_F(BadgeWindowTest, ShowDrawsAtTheComputedPlaceWithoutTakingActivation) {
    HWND fg = OpenForegroundFrame();
    ASSERT_EQ(::GetForegroundWindow(), fg);
    Show(InputMode::English);
    ASSERT_TRUE(badge.Visible);
    EXPECT_TRUE(::IsWindowVisible(window));
    const BadgeMetrics m = BadgeMetricsForDpi(MonitorDpi(POINT{caret.X, caret.Bottom}));
    RECT r{};
    ::GetWindowRect(window, &r);
    EXPECT_EQ(r.left, caret.X + m.HorizontalGap);
    EXPECT_EQ(r.top, caret.Bottom - m.Side);
    EXPECT_EQ(r.right - r.left, m.Side);
    EXPECT_EQ(r.bottom - r.top, m.Side);
    EXPECT_EQ(::GetForegroundWindow(), fg);
    EXPECT_NE(::GetActiveWindow(), window);
    EXPECT_TRUE(::GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOPMOST);

    // A caret move keeps the bitmap and only moves the window.
    caret = BadgeAnchor{260, 330, 350};
    Show(InputMode::English);
    ::GetWindowRect(window, &r);
    EXPECT_EQ(r.left, 260 + m.HorizontalGap);
    EXPECT_EQ(r.top, 350 - m.Side);
    EXPECT_EQ(::GetForegroundWindow(), fg);
}

TEST_F(BadgeWindowTest, DrawnPixelsReachTheScreenAndFollowColourChanges) {
    OpenForegroundFrame();
    Show(InputMode::English);
    ASSERT_TRUE(badge.Visible);
    const int x = badge.LastPosition.X + 1;  // a corner: background only
    const int y = badge.LastPosition.Y + 1;
    const COLORREF red = ScreenPixel(x, y);
    if (red == CLR_INVALID || red == RGB(255, 255, 255)) {
        TESSEL_SKIP_OUTSIDE_CI("the screen DC does not show layered windows here (pixel " << std::hex << red << ")");
    }
    EXPECT_EQ(red, RGB(255, 0, 0));
    settings.EnglishBackgroundColor = Rgba{0, 255, 0, 255};
    Show(InputMode::English);
    EXPECT_EQ(ScreenPixel(x, y), RGB(0, 255, 0));
    Show(InputMode::Korean);
    EXPECT_EQ(ScreenPixel(x, y), RGB(0, 0, 255));
}

TEST_F(BadgeWindowTest, CanvasRendersTheGlyphInGreyScale) {
    Win32BadgePlatform p;
    auto a = p.CreateCanvas(30);
    ASSERT_TRUE(a);
    a->DrawGlyph(u'a', 22);
    std::vector<std::uint32_t> small(a->Pixels(), a->Pixels() + 900);
    auto big = p.CreateCanvas(30);
    ASSERT_TRUE(big);
    big->DrawGlyph(u'A', 22);
    std::vector<std::uint32_t> capital(big->Pixels(), big->Pixels() + 900);
    int covered = 0;
    for (std::uint32_t px : small) covered += (px & 0xFFFFFF) != 0;
    EXPECT_GT(covered, 10);
    EXPECT_LT(covered, 900);
    EXPECT_EQ(small[0] & 0xFFFFFF, 0u);  // the corner stays black
    EXPECT_NE(small, capital);
    a.reset();
    big.reset();
    EXPECT_EQ(LiveBadgeGdiObjects(), 0);
}

TEST_F(BadgeWindowTest, CapsLockIsReadFromTheKeyboardState) {
    BYTE keys[256] = {};
    ASSERT_TRUE(::GetKeyboardState(keys));
    BYTE saved = keys[VK_CAPITAL];
    keys[VK_CAPITAL] = 1;
    ASSERT_TRUE(::SetKeyboardState(keys));
    EXPECT_TRUE(platform.KeyToggled(VK_CAPITAL));
    keys[VK_CAPITAL] = 0;
    ::SetKeyboardState(keys);
    EXPECT_FALSE(platform.KeyToggled(VK_CAPITAL));
    keys[VK_CAPITAL] = saved;
    ::SetKeyboardState(keys);
}

TEST_F(BadgeWindowTest, CapsLockChangeThroughApplyModeRedrawsTheGlyph) {
    OpenForegroundFrame();
    testing::FakeClock clock;
    testing::RecordingSound sound;
    ModeState mode;
    BYTE keys[256] = {};
    ::GetKeyboardState(keys);
    keys[VK_CAPITAL] = 0;
    ::SetKeyboardState(keys);
    const ImeStatus english{0, 0x0409, StatusSource::Live, false};
    ApplyMode(mode, badge, ModeServices{clock, platform, sound}, settings, "C:\\", english, caret, std::nullopt);
    EXPECT_EQ(badge.Content.Glyph, u'a');
    EXPECT_TRUE(::IsWindowVisible(window));
    keys[VK_CAPITAL] = 1;
    ::SetKeyboardState(keys);
    ApplyMode(mode, badge, ModeServices{clock, platform, sound}, settings, "C:\\", english, caret, std::nullopt);
    EXPECT_EQ(badge.Content.Glyph, u'A');
    EXPECT_TRUE(badge.BitmapCurrent);
    EXPECT_TRUE(mode.LastCapsLock);
    keys[VK_CAPITAL] = 0;
    ::SetKeyboardState(keys);
}

TEST_F(BadgeWindowTest, ChineseHidesTheWindow) {
    OpenForegroundFrame();
    Show(InputMode::Korean);
    ASSERT_TRUE(::IsWindowVisible(window));
    Show(InputMode::Chinese);
    EXPECT_FALSE(::IsWindowVisible(window));
    EXPECT_FALSE(badge.Visible);
    Show(InputMode::Korean);
    EXPECT_TRUE(::IsWindowVisible(window));
}

TEST_F(BadgeWindowTest, NoGdiObjectLeftBehindAfter500Redraws) {
    Show(InputMode::English);
    const DWORD before = ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS);
    for (int i = 0; i < 500; ++i) {
        settings.EnglishBackgroundColor = Rgba{static_cast<std::uint8_t>(i), 0, 0, 255};
        ShowBadge(badge, platform, settings, InputMode::English, (i & 1) != 0, caret, std::nullopt);
        ASSERT_TRUE(badge.BitmapCurrent) << i;
        ASSERT_EQ(LiveBadgeGdiObjects(), 0) << i;
    }
    Pump();
    const DWORD after = ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS);
    // Wine reports 0 GDI objects per process; there the owners' count above is the check.
    RecordProperty("GdiObjectsBefore", static_cast<int>(before));
    RecordProperty("GdiObjectsAfter", static_cast<int>(after));
    if (before != 0) {
        EXPECT_LE(after, before + 2) << "before " << before << " after " << after;
    }
}

}  // namespace
}  // namespace tessel
