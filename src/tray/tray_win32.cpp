#include "tray/tray_win32.h"

#include <shellapi.h>

#include <cwchar>
#include <iterator>
#include <string>

#include "common/saturate.h"
#include "config/settings_save.h"
#include "main/shell_resources_win32.h"
#include "platform/win32_types_win32.h"
#include "settings_window/settings_window_win32.h"
#include "tray/hint_placement.h"
#include "tray/menu_placement.h"
#include "tray/tray_commands.h"

namespace tessel {

namespace {

constexpr UINT kTrayIconId = 1;
constexpr DWORD kHintExStyle = 0x080000A8;  // WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW | WS_EX_TRANSPARENT | WS_EX_TOPMOST
constexpr DWORD kHintStyle = 0x80800201;    // WS_POPUP | WS_BORDER | SS_CENTERIMAGE | SS_CENTER
constexpr UINT kHintLifetimeMs = 2000;

static_assert(sizeof(NOTIFYICONDATAW) == 976, "the shell expects the full Vista+ icon record");
static_assert(sizeof(NOTIFYICONIDENTIFIER) == 40, "icon identifier layout");

NOTIFYICONDATAW IconIdentity(const AppState& state) {
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof(data);
    data.hWnd = MainHwnd(state);
    data.uID = kTrayIconId;
    return data;
}

HICON AppIcon(const AppState& state) { return state.shell ? state.shell->icon : nullptr; }

std::optional<Rect> IconRect(const AppState& state) {
    if (!state.IconAdded || state.mainWindow == kNoWindow) return std::nullopt;
    NOTIFYICONIDENTIFIER id{};
    id.cbSize = sizeof(id);
    id.hWnd = MainHwnd(state);
    id.uID = kTrayIconId;
    RECT r{};
    if (FAILED(Shell_NotifyIconGetRect(&id, &r))) return std::nullopt;
    const Rect rect = ToRect(r);
    if (!HasArea(rect)) return std::nullopt;
    return rect;
}

Rect VirtualScreen() {
    const int x = GetSystemMetrics(SM_XVIRTUALSCREEN);
    const int y = GetSystemMetrics(SM_YVIRTUALSCREEN);
    return Rect{x, y, SatAdd(x, GetSystemMetrics(SM_CXVIRTUALSCREEN)), SatAdd(y, GetSystemMetrics(SM_CYVIRTUALSCREEN))};
}

void ToggleSounds(AppState& state) {
    state.settings.PlaySounds = !state.settings.PlaySounds;
    SaveSettingsReportingFailure(state.SettingsFilePath, state.settings, state.mainWindow);
}

void ShowAbout(AppState& state) {
    const std::wstring text = Wide(AboutText(state.SettingsFilePath));
    const std::wstring caption = Wide(kAboutCaption);
    MessageBoxW(MainHwnd(state), text.c_str(), caption.c_str(), MB_ICONINFORMATION);
}

std::optional<Size> MeasureHintText(const std::wstring& text) {
    HDC dc = GetDC(nullptr);
    if (!dc) return std::nullopt;
    HGDIOBJ old = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    RECT r{};
    const int height = DrawTextW(dc, text.c_str(), -1, &r, DT_CALCRECT | DT_SINGLELINE);
    if (old) SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    if (height == 0) return std::nullopt;
    return Size{SatSub(r.right, r.left), SatSub(r.bottom, r.top)};
}

}  // namespace

void AddTrayIcon(AppState& state) {
    if (state.mainWindow == kNoWindow || state.IconAdded) return;
    NOTIFYICONDATAW data = IconIdentity(state);
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP | NIF_SHOWTIP;
    data.uCallbackMessage = kWmTrayNotify;
    data.hIcon = AppIcon(state);
    const std::wstring tip = Wide(kTrayTip);
    // At most 127 units, so the field always ends in a zero.
    wcsncpy(data.szTip, tip.c_str(), std::size(data.szTip) - 1);
    if (!Shell_NotifyIconW(NIM_ADD, &data)) return;
    state.IconAdded = true;

    NOTIFYICONDATAW version = IconIdentity(state);
    version.uVersion = NOTIFYICON_VERSION_4;
    Shell_NotifyIconW(NIM_SETVERSION, &version);
}

void OnTrayNotify(AppState& state, WPARAM wParam, LPARAM lParam) {
    const TrayNotifyDecision d = DecideTrayNotify(static_cast<std::uint64_t>(wParam), static_cast<std::uint64_t>(lParam));
    switch (d.action) {
        case TrayAction::ShowMenu: ShowTrayMenu(state, d.anchor); break;
        case TrayAction::ShowHint: ShowHint(state, d.anchor); break;
        case TrayAction::ToggleSounds: ToggleSounds(state); break;
        case TrayAction::None: break;
    }
}

HMENU BuildTrayMenu(const Settings& settings) {
    HMENU menu = CreatePopupMenu();
    if (!menu) return nullptr;
    for (const TrayMenuItem& item : TrayMenuItems(settings.PlaySounds)) {
        if (item.separator) {
            AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
            continue;
        }
        const std::wstring text = Wide(item.text);
        AppendMenuW(menu, item.checked ? MF_CHECKED : MF_STRING, item.id, text.c_str());
    }
    return menu;
}

void ShowTrayMenu(AppState& state, std::optional<Point> anchor) {
    CloseHint(state);
    HMENU menu = BuildTrayMenu(state.settings);
    if (!menu) return;
    HWND main = MainHwnd(state);

    const std::optional<Rect> icon = IconRect(state);
    const Point p = MenuReferencePoint(icon, anchor);

    Rect monitorRect = VirtualScreen();
    Rect workRect = monitorRect;
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    HMONITOR monitor = MonitorFromPoint(POINT{p.x, p.y}, MONITOR_DEFAULTTONEAREST);
    if (monitor && GetMonitorInfoW(monitor, &info) && HasArea(ToRect(info.rcMonitor))) {
        monitorRect = ToRect(info.rcMonitor);
        workRect = ToRect(info.rcWork);
    }
    const MenuPlacement placement = PlaceTrayMenu(icon, p, monitorRect, workRect);

    // The menu only closes on an outside click when our window is in front.
    SetWindowPos(main, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
    SetForegroundWindow(main);
    TPMPARAMS params{};
    params.cbSize = sizeof(params);
    if (placement.exclude) params.rcExclude = ToRECT(*placement.exclude);
    const UINT flags = placement.flags | TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON;
    const BOOL chosen = TrackPopupMenuEx(menu, flags, placement.position.x, placement.position.y, main,
                                         placement.exclude ? &params : nullptr);
    SetWindowPos(main, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
    DestroyMenu(menu);
    PostMessageW(main, WM_NULL, 0, 0);

    if (state.IconAdded) {
        NOTIFYICONDATAW focus = IconIdentity(state);
        Shell_NotifyIconW(NIM_SETFOCUS, &focus);
    }
    if (chosen > 0) RunCommand(state, static_cast<unsigned>(chosen));
}

void RunCommand(AppState& state, unsigned commandId) {
    switch (commandId) {
        case kCmdToggleSounds: ToggleSounds(state); break;
        case kCmdSettings: OpenSettingsWindow(state); break;
        case kCmdAbout: ShowAbout(state); break;
        case kCmdExit:
            if (state.mainWindow != kNoWindow) DestroyWindow(MainHwnd(state));
            break;
        default: break;
    }
}

void ShowHint(AppState& state, std::optional<Point> anchor) {
    if (state.mainWindow == kNoWindow || !state.IconAdded) return;
    const Rect screen = VirtualScreen();
    const Rect anchorRect = HintAnchorRect(IconRect(state), anchor, screen);
    CloseHint(state);

    const std::wstring text = Wide(kHintText);
    const Size size = HintSize(MeasureHintText(text));
    const Point at = PlaceHint(anchorRect, size, screen);
    HINSTANCE instance = state.shell ? state.shell->instance : nullptr;
    HWND hint = CreateWindowExW(kHintExStyle, L"STATIC", text.c_str(), kHintStyle, at.x, at.y, size.width,
                                size.height, MainHwnd(state), nullptr, instance, nullptr);
    if (!hint) return;
    state.HintWindow = ToWindowId(hint);
    SendMessageW(hint, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), TRUE);
    // A hint must not take the activation from whatever the user works in;
    // SW_SHOW would activate it despite WS_EX_NOACTIVATE.
    ShowWindow(hint, SW_SHOWNOACTIVATE);
    UpdateWindow(hint);
    SetTimer(MainHwnd(state), kHintTimerId, kHintLifetimeMs, nullptr);
}

void CloseHint(AppState& state) {
    if (state.mainWindow != kNoWindow) KillTimer(MainHwnd(state), kHintTimerId);
    HWND hint = ToHwnd(state.HintWindow);
    state.HintWindow = kNoWindow;
    if (hint && IsWindow(hint)) DestroyWindow(hint);
}

}  // namespace tessel
