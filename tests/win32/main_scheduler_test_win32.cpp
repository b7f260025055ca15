// The WinEvent callback and the WM_INPUT reader against the real (Wine) desktop.
#include <windows.h>

#include <gtest/gtest.h>

#include "ci_skip.h"
#include "doubles/fake_clock.h"
#include "doubles/recording_scheduler_host.h"
#include "main/raw_input_win32.h"
#include "main/scheduler.h"
#include "main/scheduling_state.h"
#include "main/win_event_callback_win32.h"
#include "main/win_event_coalescer.h"
#include "platform/desktop_win32.h"
#include "platform/win32_types_win32.h"

namespace tessel {
namespace {

struct Received {
    int pending = 0;
    int keyDowns = 0;
    int unreadable = 0;
    int keyChecks = 0;  // WM_TIMER of the key check
    RawKeyEvent lastKey{};
};
Received* g_received = nullptr;

LRESULT CALLBACK TestProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (g_received && msg == kWmWinEventPending) {
        ++g_received->pending;
        ProcessWinEventCoalescer().TakePending();
        Win32Desktop desktop;
        ProcessWinEventCoalescer().FinishHandling(desktop);
        return 0;
    }
    if (g_received && msg == WM_TIMER && wParam == kKeyCheckTimerId) {
        ++g_received->keyChecks;
        KillTimer(hwnd, wParam);
        return 0;
    }
    if (g_received && msg == WM_INPUT) {
        RawInputOutcome out = ReadRawInput(lParam);
        if (out.kind == RawInputKind::KeyDown) {
            ++g_received->keyDowns;
            g_received->lastKey = out.key;
        } else if (out.kind == RawInputKind::Unreadable) {
            ++g_received->unreadable;
        }
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

class MainSchedulerWin32 : public ::testing::Test {
protected:
    void SetUp() override {
        WNDCLASSW wc{};
        wc.lpfnWndProc = TestProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"Tessel.SchedulerTestWindow";
        RegisterClassW(&wc);
        window = CreateWindowExW(0, wc.lpszClassName, L"scheduler test", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100,
                                 nullptr, nullptr, wc.hInstance, nullptr);
        ASSERT_NE(window, nullptr);
        g_received = &received;
    }
    void TearDown() override {
        g_received = nullptr;
        ProcessWinEventCoalescer().Reset();
        DestroyWindow(window);
    }
    void Pump(DWORD ms) {
        DWORD end = GetTickCount() + ms;
        while (static_cast<LONG>(end - GetTickCount()) > 0) {
            MSG m;
            while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        }
    }
    // Presses and releases `vk` through SendInput while the window takes raw input.
    void PressUnderRawInput(WORD vk, DWORD pumpMs) {
        RAWINPUTDEVICE device{0x01, 0x06, RIDEV_INPUTSINK, window};
        ASSERT_TRUE(RegisterRawInputDevices(&device, 1, sizeof(device)));
        ShowWindow(window, SW_SHOW);
        SetForegroundWindow(window);
        Pump(100);
        INPUT inputs[2]{};
        inputs[0].type = inputs[1].type = INPUT_KEYBOARD;
        inputs[0].ki.wVk = inputs[1].ki.wVk = vk;
        inputs[1].ki.dwFlags = KEYEVENTF_KEYUP;
        EXPECT_EQ(SendInput(2, inputs, sizeof(INPUT)), 2u);
        Pump(pumpMs);
        RAWINPUTDEVICE remove{0x01, 0x06, RIDEV_REMOVE, nullptr};
        RegisterRawInputDevices(&remove, 1, sizeof(remove));
    }
    HWND window = nullptr;
    Received received;
};

TEST_F(MainSchedulerWin32, ForegroundBurstReachesTheWindowAsOnePendingMessage) {
    ProcessWinEventCoalescer().SetNotifyWindow(ToWindowId(window));
    // Our own process's events, so that the test can cause them.
    HWINEVENTHOOK hook = SetWinEventHook(EVENT_SYSTEM_FOREGROUND, EVENT_SYSTEM_FOREGROUND, nullptr, WinEventCallback,
                                         GetCurrentProcessId(), 0, WINEVENT_OUTOFCONTEXT);
    ASSERT_NE(hook, nullptr);
    // A burst of three before the loop runs again.
    for (int i = 0; i < 3; ++i) NotifyWinEvent(EVENT_SYSTEM_FOREGROUND, window, OBJID_WINDOW, CHILDID_SELF);
    Pump(300);
    UnhookWinEvent(hook);
    EXPECT_EQ(received.pending, 1);
    EXPECT_FALSE(ProcessWinEventCoalescer().NotifyPosted());
    EXPECT_EQ(ProcessWinEventCoalescer().PendingMask(), 0u);
}

TEST_F(MainSchedulerWin32, InjectedKeyDownIsReadFromTheRawInputPacket) {
    PressUnderRawInput(0x4B, 300);  // K
    if (received.keyDowns == 0 && received.unreadable == 0)
        TESSEL_SKIP_OUTSIDE_CI("no raw input for injected keys here");
    EXPECT_EQ(received.unreadable, 0);
    EXPECT_EQ(received.keyDowns, 1) << "the key-up is ignored";
    EXPECT_EQ(received.lastKey.virtualKey, 0x4B);
    EXPECT_EQ(received.lastKey.flags & 1, 0);
}

// A Japanese keyboard's 半角/全角 key arrives as VK_DBE_SBCSCHAR (0xF3); it
// must arm the key check like the Hangul key does.
TEST_F(MainSchedulerWin32, JapaneseModeKeyArmsTheKeyCheck) {
    PressUnderRawInput(0xF3, 200);
    if (received.keyDowns == 0 && received.unreadable == 0)
        TESSEL_SKIP_OUTSIDE_CI("no raw input for injected keys here");
    ASSERT_EQ(received.lastKey.virtualKey, 0xF3);

    // The badge shows, so only a mode key may cost a check.
    SchedulingState state;
    testing::FakeClock clock;
    testing::RecordingSchedulerHost host(state, clock);
    host.mainWindow = ToWindowId(window);
    host.badgeVisible = host.lastCaretFound = true;
    Win32Desktop desktop;
    OnRawKey(state, clock, desktop, host, received.lastKey);
    EXPECT_TRUE(state.keyCheckArmed);
    Pump(150);
    EXPECT_EQ(received.keyChecks, 1) << "no key check within 150 ms of the key";
}

TEST(MainSchedulerWin32Plain, NullHandleIsUnreadable) {
    EXPECT_EQ(ReadRawInput(0).kind, RawInputKind::Unreadable);
    EXPECT_EQ(ReadRawInput(0x12345).kind, RawInputKind::Unreadable) << "a handle that is no packet";
}

}  // namespace
}  // namespace tessel
