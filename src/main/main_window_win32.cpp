#include "main/main_window_win32.h"

#include <shellapi.h>

#include "badge/badge.h"
#include "main/app_scheduler_host.h"
#include "main/app_state_ops.h"
#include "main/raw_input_win32.h"
#include "main/scheduler.h"
#include "main/shell_resources_win32.h"
#include "main/update_cycle.h"
#include "main/win_event_callback_win32.h"
#include "main/win_event_coalescer.h"
#include "settings_window/settings_window_win32.h"
#include "tray/tray_win32.h"

namespace tessel {
namespace {

constexpr DWORD kHookedEvents[4] = {
    EVENT_SYSTEM_FOREGROUND,             // 0x0003
    EVENT_OBJECT_FOCUS,                  // 0x8005
    EVENT_OBJECT_LOCATIONCHANGE,         // 0x800B
    EVENT_OBJECT_TEXTSELECTIONCHANGED,   // 0x8014
};

AppState* StateOf(HWND window) { return reinterpret_cast<AppState*>(::GetWindowLongPtrW(window, GWLP_USERDATA)); }

void SchedulePoll(AppState& state) {
    AppSchedulerHost host(state);
    SchedulePollTimer(state.sched, *state.clock, *state.desktop, host);
}

void OnCreate(AppState& state, HWND window) {
    state.mainWindow = reinterpret_cast<WindowId>(window);
    ShellResources& shell = *state.shell;
    // Run elevated, the window would not hear a second start (at normal
    // integrity) or a restarted Explorer without letting these through.
    ::ChangeWindowMessageFilterEx(window, kWmShowSettings, MSGFLT_ALLOW, nullptr);
    if (state.taskbarCreatedMessage != 0)
        ::ChangeWindowMessageFilterEx(window, state.taskbarCreatedMessage, MSGFLT_ALLOW, nullptr);
    ::SendMessageW(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(shell.icon));
    ::SendMessageW(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(shell.icon));

    HWND badge = ::CreateWindowExW(WS_EX_TOPMOST | WS_EX_TRANSPARENT | WS_EX_TOOLWINDOW | WS_EX_LAYERED |
                                       WS_EX_NOACTIVATE,
                                   L"Tessel.BadgeWindow", L"Tessel Badge", WS_POPUP, 0, 0, 15, 15, nullptr, nullptr,
                                   shell.instance, &state);
    if (badge) ::ShowWindow(badge, SW_HIDE);
    state.badge.BadgeWindow = reinterpret_cast<WindowId>(badge);

    AddTrayIcon(state);

    RAWINPUTDEVICE keyboard{};
    keyboard.usUsagePage = 0x01;
    keyboard.usUsage = 0x06;
    keyboard.dwFlags = RIDEV_INPUTSINK;
    keyboard.hwndTarget = window;
    state.rawInputRegistered = ::RegisterRawInputDevices(&keyboard, 1, sizeof(keyboard)) != FALSE;

    ProcessWinEventCoalescer().SetNotifyWindow(state.mainWindow);

    for (int i = 0; i < 4; ++i) {
        shell.hooks[i] = ::SetWinEventHook(kHookedEvents[i], kHookedEvents[i], nullptr, WinEventCallback, 0, 0,
                                           WINEVENT_OUTOFCONTEXT | WINEVENT_SKIPOWNPROCESS);
        state.hookInstalled[i] = shell.hooks[i] != nullptr;
    }

    FullUpdate(state);
    SchedulePoll(state);
}

void OnDisplayChange(AppState& state) {
    state.sched.lastActivity = state.clock->Now();
    ForgetLastMode(state);
    ForgetBadgeDisplayCaches(state.badge);
    // Sent messages arrive while an update waits on another program: the
    // caches it works with are emptied when it ends.
    AppSchedulerHost(state).InvalidateCaretCaches();
    FullUpdate(state);
    SchedulePoll(state);
}

void OnTimer(AppState& state, WPARAM id) {
    AppSchedulerHost host(state);
    switch (id) {
        case kPollTimerId: OnPollTimer(state.sched, *state.clock, *state.desktop, host); break;
        case kHintTimerId: CloseHint(state); break;
        case kKeyCheckTimerId: OnKeyCheckTimer(state.sched, *state.clock, *state.desktop, host); break;
        case kTaskManagerTimerId: OnTaskManagerTimer(state.sched, *state.clock, *state.desktop, host); break;
        case kBadgeTimerId:
            if (!state.shutdownDone) OnBadgeTimer(state);
            break;
        default: break;
    }
}

void OnInput(AppState& state, LPARAM lParam) {
    RawInputOutcome outcome = ReadRawInput(lParam);
    if (outcome.kind == RawInputKind::Ignored) return;
    AppSchedulerHost host(state);
    std::optional<RawKeyEvent> key;
    if (outcome.kind == RawInputKind::KeyDown) key = outcome.key;
    OnRawKey(state.sched, *state.clock, *state.desktop, host, key);
}

}  // namespace

void Shutdown(AppState& state) {
    if (state.shutdownDone) return;
    state.shutdownDone = true;
    ProcessWinEventCoalescer().Reset();

    ShellResources& shell = *state.shell;
    HWND main = MainHwnd(state);
    for (int i = 0; i < 4; ++i) {
        if (shell.hooks[i]) ::UnhookWinEvent(shell.hooks[i]);
        shell.hooks[i] = nullptr;
        state.hookInstalled[i] = false;
    }

    if (state.rawInputRegistered) {
        RAWINPUTDEVICE keyboard{};
        keyboard.usUsagePage = 0x01;
        keyboard.usUsage = 0x06;
        keyboard.dwFlags = RIDEV_REMOVE;
        keyboard.hwndTarget = nullptr;
        ::RegisterRawInputDevices(&keyboard, 1, sizeof(keyboard));
        state.rawInputRegistered = false;
    }

    if (main) {
        ::KillTimer(main, kPollTimerId);
        ::KillTimer(main, kKeyCheckTimerId);
        ::KillTimer(main, kTaskManagerTimerId);
        ::KillTimer(main, kBadgeTimerId);
    }
    state.presence = BadgePresence{};

    ClearSchedulingOnShutdown(state.sched);
    state.lastCaret = CaretInfo{};
    state.badge.NearTop = false;
    state.KeepOutRect.reset();
    state.imeHostWindow = kNoWindow;
    state.imeHostProcessId = 0;

    HWND badge = reinterpret_cast<HWND>(state.badge.BadgeWindow);
    if (badge && state.badge.Visible) ::ShowWindow(badge, SW_HIDE);
    state.badge.Visible = false;

    if (main) ::KillTimer(main, kHintTimerId);
    HWND hint = reinterpret_cast<HWND>(state.HintWindow);
    if (hint && ::IsWindow(hint)) ::DestroyWindow(hint);
    state.HintWindow = kNoWindow;

    if (main && state.IconAdded) {
        NOTIFYICONDATAW nid{};
        nid.cbSize = sizeof(nid);
        nid.hWnd = main;
        nid.uID = 1;
        ::Shell_NotifyIconW(NIM_DELETE, &nid);
        state.IconAdded = false;
    }

    HWND settings = reinterpret_cast<HWND>(state.settingsWindow);
    if (settings && ::IsWindow(settings)) {
        state.settingsWindow = kNoWindow;
        ::DestroyWindow(settings);
    }

    if (badge && ::IsWindow(badge)) {
        state.badge.BadgeWindow = kNoWindow;
        ::DestroyWindow(badge);
    }

    shell.ownedIcon.Reset();
    shell.icon = nullptr;
    shell.mutex.Reset();
}

static LRESULT HandleMainWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        // Default processing sets the title, by which the window is known.
        ::DefWindowProcW(window, message, wParam, lParam);
        return TRUE;
    }
    AppState* state = StateOf(window);
    if (!state) return ::DefWindowProcW(window, message, wParam, lParam);

    // The icon's callbacks are sent, so they arrive while an update waits on
    // another program: a menu, the settings window or an exit begun there
    // would run inside it. They come back once it has ended.
    if ((message == kWmTrayNotify || message == kWmShowSettings || message == WM_COMMAND) && UpdateRunning(*state)) {
        ::PostMessageW(window, message, wParam, lParam);
        return 0;
    }

    if (state->taskbarCreatedMessage != 0 && message == state->taskbarCreatedMessage) {
        // After the session's end the icon stays gone: there is no icon
        // handle left to show.
        if (state->shutdownDone) return 0;
        // Explorer restarted: its new notification area knows nothing of us.
        state->IconAdded = false;
        AddTrayIcon(*state);
        return 0;
    }

    switch (message) {
        case WM_CREATE:
            OnCreate(*state, window);
            return 0;
        case WM_DESTROY:
            Shutdown(*state);
            ::PostQuitMessage(0);
            return 0;
        case WM_CLOSE:
            ::DestroyWindow(window);
            return 0;
        case WM_QUERYENDSESSION:
            return TRUE;
        case WM_ENDSESSION:
            if (wParam) {
                Shutdown(*state);
                // A restart manager closes applications without ending the
                // process, so leave the loop and exit.
                if (static_cast<DWORD>(lParam) & ENDSESSION_CLOSEAPP) ::DestroyWindow(window);
            }
            return 0;
        case WM_SETTINGCHANGE:
        case WM_DISPLAYCHANGE:
            if (!state->shutdownDone) OnDisplayChange(*state);
            return 0;
        case WM_INPUT:
            OnInput(*state, lParam);
            return ::DefWindowProcW(window, message, wParam, lParam);
        case WM_COMMAND:
            // After the session's end nothing may come back to life: no
            // settings window, no saving, no icon.
            if (!state->shutdownDone) RunCommand(*state, LOWORD(wParam));
            return 0;
        case WM_TIMER:
            if (wParam >= kPollTimerId && wParam <= kBadgeTimerId) {
                OnTimer(*state, wParam);
                return 0;
            }
            return ::DefWindowProcW(window, message, wParam, lParam);
        case kWmTrayNotify:
            if (!state->shutdownDone) OnTrayNotify(*state, wParam, lParam);
            return 0;
        case kWmShowSettings:
            if (!state->shutdownDone) OpenSettingsWindow(*state);
            return 0;
        case kWmWinEventPending: {
            AppSchedulerHost host(*state);
            OnWinEventPending(state->sched, *state->clock, *state->desktop, host, *state->coalescer);
            return 0;
        }
        default:
            return ::DefWindowProcW(window, message, wParam, lParam);
    }
}

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    try {
        return HandleMainWindowMessage(window, message, wParam, lParam);
    } catch (...) {
        // Out of memory in a handler, say: the message gets the default
        // answer and the program carries on with the next one. A window that
        // is going away still ends the loop.
        if (message == WM_DESTROY) ::PostQuitMessage(0);
        return ::DefWindowProcW(window, message, wParam, lParam);
    }
}

}  // namespace tessel
