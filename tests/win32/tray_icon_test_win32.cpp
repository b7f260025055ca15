// The tray icon, its menu, hint bubble and commands on the real desktop.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "tray/menu_placement.h"
#include "tray/tray_commands.h"
#include "ci_skip.h"
#include "tray_settings_fixture_win32.h"

namespace tessel::testing {
namespace {

class TrayWin32 : public TraySettingsFixture {
protected:
    static std::wstring MenuText(HMENU menu, int position) {
        wchar_t buffer[64] = {};
        GetMenuStringW(menu, static_cast<UINT>(position), buffer, 64, MF_BYPOSITION);
        return buffer;
    }
    HWND Hint() const { return ToHwnd(state_->HintWindow); }
};

TEST_F(TrayWin32, MenuHasFourCommandsTwoSeparatorsAndTheSoundCheckMark) {
    for (bool sounds : {true, false}) {
        Settings s;
        s.PlaySounds = sounds;
        HMENU menu = BuildTrayMenu(s);
        ASSERT_NE(menu, nullptr);
        ASSERT_EQ(GetMenuItemCount(menu), 6);
        EXPECT_EQ(GetMenuItemID(menu, 0), kCmdToggleSounds);
        EXPECT_EQ(MenuText(menu, 0), L"\uC18C\uB9AC \uC7AC\uC0DD");  // "소리 재생"
        EXPECT_EQ((GetMenuState(menu, 0, MF_BYPOSITION) & MF_CHECKED) != 0, sounds);
        EXPECT_NE(GetMenuState(menu, 1, MF_BYPOSITION) & MF_SEPARATOR, 0u);
        EXPECT_EQ(GetMenuItemID(menu, 2), kCmdSettings);
        EXPECT_EQ(MenuText(menu, 2), L"\uC124\uC815");  // "설정"
        EXPECT_EQ(GetMenuItemID(menu, 3), kCmdAbout);
        EXPECT_EQ(MenuText(menu, 3), L"\uC815\uBCF4");  // "정보"
        EXPECT_NE(GetMenuState(menu, 4, MF_BYPOSITION) & MF_SEPARATOR, 0u);
        EXPECT_EQ(GetMenuItemID(menu, 5), kCmdExit);
        EXPECT_EQ(MenuText(menu, 5), L"\uC885\uB8CC");  // "종료"
        EXPECT_EQ(GetMenuState(menu, 5, MF_BYPOSITION) & (MF_CHECKED | MF_SEPARATOR | MF_GRAYED), 0u);
        DestroyMenu(menu);
    }
}

TEST_F(TrayWin32, AddTrayIconOnceAndOnlyWithAMainWindow) {
    AppState noWindow;
    AddTrayIcon(noWindow);
    EXPECT_FALSE(noWindow.IconAdded);

    AddTrayIcon(*state_);
    if (!state_->IconAdded) TESSEL_SKIP_OUTSIDE_CI("this desktop has no notification area");
    // A second add while present changes nothing and keeps the flag.
    AddTrayIcon(*state_);
    EXPECT_TRUE(state_->IconAdded);
    // The icon exists: modifying it succeeds.
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof(data);
    data.hWnd = MainHwnd(*state_);
    data.uID = 1;
    EXPECT_TRUE(Shell_NotifyIconW(NIM_MODIFY, &data));
}

TEST_F(TrayWin32, HintAppearsAboveTheClickPointAndCloseHintRemovesIt) {
    state_->IconAdded = true;  // the hint is offered only while the icon exists
    ShowHint(*state_, Point{600, 500});
    HWND hint = Hint();
    ASSERT_NE(hint, nullptr);
    EXPECT_TRUE(IsWindowVisible(hint));
    EXPECT_NE(GetForegroundWindow(), hint) << "the hint took the activation";
    EXPECT_NE(GetActiveWindow(), hint);
    EXPECT_EQ(CompareStringOrdinal(ClassOf(hint).c_str(), -1, L"STATIC", -1, TRUE), CSTR_EQUAL);
    EXPECT_EQ(TextOf(hint), Wide(kHintText));
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongPtrW(hint, GWL_EXSTYLE)) & 0x080000A8u, 0x080000A8u);
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongPtrW(hint, GWL_STYLE)) & 0x80800201u, 0x80800201u);
    EXPECT_EQ(GetWindow(hint, GW_OWNER), MainHwnd(*state_));
    EXPECT_EQ(SendMessageW(hint, WM_GETFONT, 0, 0), reinterpret_cast<LRESULT>(GetStockObject(DEFAULT_GUI_FONT)));
    RECT r{};
    GetWindowRect(hint, &r);
    EXPECT_GE(r.right - r.left, 245);
    EXPECT_GE(r.bottom - r.top, 28);
    EXPECT_EQ(r.bottom, 500 - 4);                       // 4 px above the click point
    EXPECT_EQ(r.left, 600 - (r.right - r.left) / 2);    // centred on it

    CloseHint(*state_);
    EXPECT_FALSE(IsWindow(hint));
    EXPECT_EQ(state_->HintWindow, kNoWindow);
    CloseHint(*state_);  // closing again is harmless
}

TEST_F(TrayWin32, NewHintReplacesTheOldOneAndTheTimerClosesIt) {
    state_->IconAdded = true;
    ShowHint(*state_, Point{600, 500});
    HWND first = Hint();
    ASSERT_NE(first, nullptr);
    ShowHint(*state_, Point{700, 600});
    HWND second = Hint();
    ASSERT_NE(second, nullptr);
    EXPECT_FALSE(IsWindow(first));
    Pump(std::chrono::milliseconds(2600));
    EXPECT_EQ(hintTimerTicks_, 1);
    EXPECT_FALSE(IsWindow(second));
    EXPECT_EQ(state_->HintWindow, kNoWindow);
}

TEST_F(TrayWin32, NoHintWithoutTheIcon) {
    ShowHint(*state_, Point{600, 500});
    EXPECT_EQ(state_->HintWindow, kNoWindow);
}

TEST_F(TrayWin32, KeyboardSelectShowsTheHintAtTheIconOrTheScreenCorner) {
    AddTrayIcon(*state_);
    state_->IconAdded = true;
    OnTrayNotify(*state_, 0, MAKELPARAM(0x401, 1));  // NIN_KEYSELECT
    HWND hint = Hint();
    ASSERT_NE(hint, nullptr);
    RECT r{};
    GetWindowRect(hint, &r);
    const int right = GetSystemMetrics(SM_XVIRTUALSCREEN) + GetSystemMetrics(SM_CXVIRTUALSCREEN);
    const int bottom = GetSystemMetrics(SM_YVIRTUALSCREEN) + GetSystemMetrics(SM_CYVIRTUALSCREEN);
    EXPECT_LE(r.right, right);
    EXPECT_LE(r.bottom, bottom);
    EXPECT_GE(r.left, GetSystemMetrics(SM_XVIRTUALSCREEN));
}

TEST_F(TrayWin32, DoubleClickAndSoundCommandToggleAndSave) {
    ASSERT_FALSE(state_->settings.PlaySounds);
    OnTrayNotify(*state_, 0, MAKELPARAM(WM_LBUTTONDBLCLK, 1));
    EXPECT_TRUE(state_->settings.PlaySounds);
    EXPECT_NE(SettingsFileText().find("PlaySounds=1"), std::string::npos);
    RunCommand(*state_, kCmdToggleSounds);
    EXPECT_FALSE(state_->settings.PlaySounds);
    EXPECT_NE(SettingsFileText().find("PlaySounds=0"), std::string::npos);
}

TEST_F(TrayWin32, SettingsCommandOpensTheWindowAndUnknownIdsDoNothing) {
    RunCommand(*state_, 9999);
    RunCommand(*state_, 0);
    EXPECT_EQ(state_->settingsWindow, kNoWindow);
    EXPECT_TRUE(IsWindow(MainHwnd(*state_)));
    RunCommand(*state_, kCmdSettings);
    EXPECT_TRUE(IsWindow(ToHwnd(state_->settingsWindow)));
}

TEST_F(TrayWin32, AboutBoxNamesVersionAndSettingsFile) {
    MessageBoxCloser closer(L"Tessel \uC815\uBCF4");  // "Tessel 정보"
    RunCommand(*state_, kCmdAbout);
    ASSERT_TRUE(closer.Found());
    EXPECT_EQ(closer.Owner(), MainHwnd(*state_));
    EXPECT_TRUE(closer.AnyTextIs(L"Tessel 2.4\n\n\uC124\uC815 \uD30C\uC77C: " + Wide(state_->SettingsFilePath)));
}

TEST_F(TrayWin32, ExitCommandDestroysTheMainWindow) {
    HWND main = MainHwnd(*state_);
    RunCommand(*state_, kCmdExit);
    EXPECT_FALSE(IsWindow(main));
}

// The menu is modal; a timer on this thread closes it the way Escape would.
TEST_F(TrayWin32, MenuClosedWithoutAChoiceRunsNoCommand) {
    static HWND menuWindow = nullptr;
    menuWindow = nullptr;
    state_->IconAdded = true;
    ShowHint(*state_, Point{600, 500});
    const UINT_PTR timer = SetTimer(nullptr, 0, 300, [](HWND, UINT, UINT_PTR, DWORD) {
        menuWindow = FindWindowW(L"#32768", nullptr);
        EndMenu();
    });
    ShowTrayMenu(*state_, Point{600, 500});
    KillTimer(nullptr, timer);
    EXPECT_NE(menuWindow, nullptr) << "the menu never opened";
    EXPECT_EQ(state_->HintWindow, kNoWindow);  // opening the menu closes the hint
    EXPECT_EQ(state_->settingsWindow, kNoWindow);
    EXPECT_FALSE(state_->settings.PlaySounds);
    EXPECT_TRUE(IsWindow(MainHwnd(*state_)));
    EXPECT_FALSE(SettingsFileExists());
}

// Chooses the first item with the keyboard: the command runs after the menu
// has closed, and the menu sits where the placement rules put it.
TEST_F(TrayWin32, MenuChoiceRunsItsCommandAndTheMenuOpensAtThePlacement) {
    static HWND menuWindow = nullptr;
    static RECT menuRect{};
    menuWindow = nullptr;
    const UINT_PTR timer = SetTimer(nullptr, 0, 300, [](HWND, UINT, UINT_PTR id, DWORD) {
        KillTimer(nullptr, id);
        menuWindow = FindWindowW(L"#32768", nullptr);
        if (!menuWindow) {
            EndMenu();
            return;
        }
        GetWindowRect(menuWindow, &menuRect);
        PostMessageW(menuWindow, WM_KEYDOWN, VK_DOWN, 0);
        PostMessageW(menuWindow, WM_KEYDOWN, VK_RETURN, 0);
    });
    const Point anchor{600, 500};
    ShowTrayMenu(*state_, anchor);
    KillTimer(nullptr, timer);
    ASSERT_NE(menuWindow, nullptr) << "the menu never opened";
    EXPECT_TRUE(state_->settings.PlaySounds);
    EXPECT_NE(SettingsFileText().find("PlaySounds=1"), std::string::npos);

    MONITORINFO info{};
    info.cbSize = sizeof(info);
    ASSERT_TRUE(GetMonitorInfoW(MonitorFromPoint(POINT{anchor.x, anchor.y}, MONITOR_DEFAULTTONEAREST), &info));
    const MenuPlacement p = PlaceTrayMenu(std::nullopt, anchor, ToRect(info.rcMonitor), ToRect(info.rcWork));
    const LONG x = (p.flags & kTpmRightAlign) ? menuRect.right : menuRect.left;
    const LONG y = (p.flags & kTpmBottomAlign) ? menuRect.bottom : menuRect.top;
    EXPECT_EQ(x, p.position.x);
    EXPECT_EQ(y, p.position.y);
}

}  // namespace
}  // namespace tessel::testing
