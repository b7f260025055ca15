// The main window procedure over an application record of scripted doubles,
// on a real window: system notifications, a throwing handler and shutdown.
#include <windows.h>

#include <gtest/gtest.h>

#include <new>

#include "doubles/app_rig.h"
#include "main/main_window_win32.h"
#include "main/scheduling_state.h"
#include "main/shell_resources_win32.h"
#include "main/win_event_callback_win32.h"
#include "platform/win32_types_win32.h"

namespace tessel {
namespace {

class MainWindowWin32 : public ::testing::Test {
protected:
    void SetUp() override {
        window = ::CreateWindowExW(0, L"STATIC", L"main window test", 0, 0, 0, 0, 0, nullptr, nullptr,
                                   ::GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(window, nullptr);
        ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&rig.state));
        rig.state.shell = &shell;
    }
    void TearDown() override { ::DestroyWindow(window); }
    LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
        return MainWindowProc(window, message, wParam, lParam);
    }

    testing::AppRig rig;
    ShellResources shell;
    HWND window = nullptr;
};

TEST_F(MainWindowWin32, SettingAndDisplayChangesStartAfresh) {
    for (UINT message : {WM_SETTINGCHANGE, WM_DISPLAYCHANGE}) {
        rig.state.mode.LastMode = InputMode::Korean;
        rig.state.badge.BitmapCurrent = true;
        rig.state.badge.DpiCache.Valid = true;
        rig.state.editabilityVerdict.time = rig.clock.Now();
        rig.state.sched.pollPeriod = 0;
        rig.clock.AdvanceMs(1000);
        EXPECT_EQ(Send(message, 0, 0), 0);
        EXPECT_EQ(rig.state.mode.LastMode, InputMode::None) << message;
        EXPECT_FALSE(rig.state.badge.BitmapCurrent) << message;
        EXPECT_FALSE(rig.state.badge.DpiCache.Valid) << message;
        // Nothing has the focus, so only the emptied caches leave no verdict.
        EXPECT_FALSE(rig.state.editabilityVerdict.time.has_value()) << message;
        EXPECT_EQ(rig.state.sched.lastFullUpdate, rig.clock.Now()) << message;
        EXPECT_EQ(rig.state.sched.lastActivity, rig.clock.Now()) << message;
        EXPECT_EQ(rig.state.sched.pollPeriod, 500u) << message;
    }
}

TEST_F(MainWindowWin32, AThrowingHandlerGetsTheDefaultAnswerAndEventsKeepComing) {
    struct OutOfMemory : testing::ScriptedDesktop {
        WindowId ForegroundWindow() override { throw std::bad_alloc(); }
    } failing;
    rig.state.desktop = &failing;
    LRESULT answer = 1;
    EXPECT_NO_THROW(answer = Send(WM_DISPLAYCHANGE));
    EXPECT_EQ(answer, ::DefWindowProcW(window, WM_DISPLAYCHANGE, 0, 0));

    rig.coalescer.SetNotifyWindow(testing::AppRig::kMainWindow);
    rig.coalescer.OnWinEvent(rig.desktop, kEventSystemForeground, 0x100, 0);
    ASSERT_TRUE(rig.coalescer.NotifyPosted());
    EXPECT_NO_THROW(Send(kWmWinEventPending));
    EXPECT_FALSE(rig.coalescer.NotifyPosted()) << "the next WinEvent could never post again";
}

// Sent while an update waits on another program: the menu or window it would
// open waits for the update to end.
TEST_F(MainWindowWin32, TheIconsRequestsWaitForTheRunningUpdate) {
    rig.state.sched.updateRunning = true;
    for (UINT message : {kWmTrayNotify, kWmShowSettings, static_cast<UINT>(WM_COMMAND)}) {
        EXPECT_EQ(Send(message, 1, 2), 0);
        MSG later{};
        EXPECT_TRUE(::PeekMessageW(&later, window, message, message, PM_REMOVE)) << message;
        EXPECT_EQ(later.wParam, 1u);
        EXPECT_EQ(later.lParam, 2);
    }
}

TEST_F(MainWindowWin32, ShutdownRemovesTheHooksAndRawInput) {
    rig.state.mainWindow = ToWindowId(window);
    rig.state.badge.BadgeWindow = kNoWindow;
    RAWINPUTDEVICE keyboard{0x01, 0x06, RIDEV_INPUTSINK, window};
    ASSERT_TRUE(::RegisterRawInputDevices(&keyboard, 1, sizeof(keyboard)));
    rig.state.rawInputRegistered = true;
    std::array<HWINEVENTHOOK, 4> hooks{};
    for (int i = 0; i < 4; ++i) {
        hooks[i] = shell.hooks[i] = ::SetWinEventHook(EVENT_SYSTEM_FOREGROUND, EVENT_SYSTEM_FOREGROUND, nullptr,
                                                      WinEventCallback, 0, 0, WINEVENT_OUTOFCONTEXT);
        ASSERT_NE(hooks[i], nullptr);
    }

    Shutdown(rig.state);

    UINT count = 0;
    ::GetRegisteredRawInputDevices(nullptr, &count, sizeof(RAWINPUTDEVICE));
    EXPECT_EQ(count, 0u) << "the keyboard is still registered";
    EXPECT_FALSE(rig.state.rawInputRegistered);
    for (int i = 0; i < 4; ++i) {
        EXPECT_FALSE(::UnhookWinEvent(hooks[i])) << "hook " << i << " was still installed";
        EXPECT_EQ(shell.hooks[i], nullptr);
        EXPECT_FALSE(rig.state.hookInstalled[i]);
    }
}

}  // namespace
}  // namespace tessel
