// The real Tessel.exe under Wine: start-up, single instance and shutdown.
#include "e2e/e2e_support_win32.h"

#include <gtest/gtest.h>
#include <shellapi.h>

namespace tessel::e2e {
namespace {

using namespace std::chrono_literals;

TEST(Lifecycle, StartsWithHiddenMainWindowAndHiddenBadge) {
    Sandbox sandbox;
    RunningTessel tessel(sandbox);
    ASSERT_TRUE(tessel.Ready()) << "no Tessel.MainWindow appeared";
    HWND main = tessel.Main();
    EXPECT_EQ(TitleOf(main), L"Tessel Hidden Window");
    EXPECT_FALSE(::IsWindowVisible(main));
    // A top-level window, not a message-only one, so that a second start finds it.
    EXPECT_EQ(::FindWindowW(L"Tessel.MainWindow", nullptr), main);

    auto badges = WindowsOf(tessel.Proc().Id(), L"Tessel.BadgeWindow");
    ASSERT_EQ(badges.size(), 1u);
    HWND badge = badges.front();
    EXPECT_EQ(TitleOf(badge), L"Tessel Badge");
    EXPECT_EQ(static_cast<DWORD>(::GetWindowLongPtrW(badge, GWL_EXSTYLE)) & 0x080800A8u, 0x080800A8u);
    EXPECT_EQ(static_cast<DWORD>(::GetWindowLongPtrW(badge, GWL_STYLE)) & WS_POPUP, static_cast<DWORD>(WS_POPUP));
    EXPECT_FALSE(::IsWindowVisible(badge));

    EXPECT_EQ(tessel.Close(), 0);
}

TEST(Lifecycle, SecondStartExitsWithZeroWhileTheFirstKeepsRunning) {
    Sandbox sandbox;
    RunningTessel first(sandbox);
    ASSERT_TRUE(first.Ready());

    Process second(sandbox.Exe(), sandbox.Dir());
    ASSERT_TRUE(second.Started());
    DWORD code = 12345;
    ASSERT_TRUE(second.WaitExit(5s, &code)) << "the second instance did not exit";
    EXPECT_EQ(code, 0u);
    EXPECT_TRUE(first.Proc().Running());
    EXPECT_EQ(MainWindowOf(first.Proc().Id()), first.Main());
    EXPECT_EQ(first.Close(), 0);
}

TEST(Lifecycle, CloseEndsWithZeroAndFreesTheSingleInstanceLock) {
    Sandbox sandbox;
    {
        RunningTessel first(sandbox);
        ASSERT_TRUE(first.Ready());
        EXPECT_EQ(first.Close(), 0);
    }
    // With the lock free, a new start runs instead of handing over.
    RunningTessel again(sandbox);
    ASSERT_TRUE(again.Ready()) << "a start after WM_CLOSE did not run";
    EXPECT_TRUE(again.Proc().Running());
    EXPECT_EQ(again.Close(), 0);
}

TEST(Lifecycle, NoSettingsFileIsCreatedByStartingOrStopping) {
    Sandbox sandbox;
    {
        RunningTessel tessel(sandbox);
        ASSERT_TRUE(tessel.Ready());
        EXPECT_FALSE(sandbox.Exists(L"Tessel.ini"));
        EXPECT_EQ(tessel.Close(), 0);
    }
    EXPECT_FALSE(sandbox.Exists(L"Tessel.ini"));
}

TEST(Lifecycle, EndSessionShutsDownWithoutEndingTheLoopAndCancelledEndSessionKeepsRunning) {
    Sandbox sandbox;
    RunningTessel tessel(sandbox);
    ASSERT_TRUE(tessel.Ready());
    HWND main = tessel.Main();
    NOTIFYICONDATAW icon{};  // NIM_MODIFY changing nothing succeeds only while the icon is there
    icon.cbSize = sizeof(icon);
    icon.hWnd = main;
    icon.uID = 1;
    ASSERT_TRUE(WaitFor([&] { return ::Shell_NotifyIconW(NIM_MODIFY, &icon) != FALSE; }, 5s));
    DWORD_PTR result = 0;
    ASSERT_TRUE(::SendMessageTimeoutW(main, WM_QUERYENDSESSION, 0, 0, SMTO_ABORTIFHUNG, 10000, &result));
    EXPECT_EQ(result, static_cast<DWORD_PTR>(TRUE));
    // A cancelled logoff changes nothing.
    ASSERT_TRUE(::SendMessageTimeoutW(main, WM_ENDSESSION, 0, 0, SMTO_ABORTIFHUNG, 10000, &result));
    EXPECT_TRUE(tessel.Proc().Running());
    EXPECT_EQ(WindowsOf(tessel.Proc().Id(), L"Tessel.BadgeWindow").size(), 1u);
    // A real one tears everything down, the badge window included, but the
    // process waits for Windows to end it.
    ASSERT_TRUE(::SendMessageTimeoutW(main, WM_ENDSESSION, 1, 0, SMTO_ABORTIFHUNG, 10000, &result));
    EXPECT_TRUE(WaitFor([&] { return WindowsOf(tessel.Proc().Id(), L"Tessel.BadgeWindow").empty(); }, 10s));
    EXPECT_TRUE(tessel.Proc().Running());

    // What still reaches the window brings nothing back: no tray icon, no
    // settings window.
    EXPECT_FALSE(::Shell_NotifyIconW(NIM_MODIFY, &icon)) << "the teardown left the tray icon";
    ::SendMessageTimeoutW(main, ::RegisterWindowMessageW(L"TaskbarCreated"), 0, 0, SMTO_ABORTIFHUNG, 10000, &result);
    ::SendMessageTimeoutW(main, WM_APP + 2, 0, 0, SMTO_ABORTIFHUNG, 10000, &result);
    ::SendMessageTimeoutW(main, WM_COMMAND, 1002, 0, SMTO_ABORTIFHUNG, 10000, &result);
    EXPECT_FALSE(::Shell_NotifyIconW(NIM_MODIFY, &icon)) << "the tray icon came back";
    EXPECT_TRUE(WindowsOf(tessel.Proc().Id(), L"Tessel.SettingsWindow").empty());

    // The teardown released the lock: a new start runs normally beside it.
    {
        RunningTessel second(sandbox);
        ASSERT_TRUE(second.Ready()) << "a start after the session's end did not run";
        EXPECT_EQ(WindowsOf(second.Proc().Id(), L"Tessel.BadgeWindow").size(), 1u);
        EXPECT_EQ(second.Close(), 0);
    }
    // Closing still ends the first process cleanly with code 0.
    EXPECT_EQ(tessel.Close(), 0);
}

TEST(Lifecycle, RestartManagerCloseEndsTheProcessWithZero) {
    Sandbox sandbox;
    RunningTessel tessel(sandbox);
    ASSERT_TRUE(tessel.Ready());
    DWORD_PTR result = 0;
    ::SendMessageTimeoutW(tessel.Main(), WM_QUERYENDSESSION, 0, ENDSESSION_CLOSEAPP, SMTO_ABORTIFHUNG, 10000,
                          &result);
    ::SendMessageTimeoutW(tessel.Main(), WM_ENDSESSION, TRUE, ENDSESSION_CLOSEAPP, SMTO_ABORTIFHUNG, 10000, &result);
    DWORD code = 12345;
    ASSERT_TRUE(tessel.Proc().WaitExit(10s, &code)) << "the process stayed after the restart manager closed it";
    EXPECT_EQ(code, 0u);
}

}  // namespace
}  // namespace tessel::e2e
