#include "main/startup_win32.h"

#include <windows.h>
#include <objbase.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "badge/badge_window_win32.h"
#include "config/settings_save.h"
#include "config/settings_path.h"
#include "main/app_icon.h"
#include "main/app_state.h"
#include "main/app_state_ops.h"
#include "main/app_teardown_win32.h"
#include "main/main_window_win32.h"
#include "main/win_event_coalescer.h"
#include "main/shell_resources_win32.h"
#include "outlook/outlook_automation_win32.h"
#include "platform/accessibility_win32.h"
#include "platform/automation_win32.h"
#include "platform/files_win32.h"
#include "platform/clock.h"
#include "platform/com_call_bound_win32.h"
#include "platform/console_win32.h"
#include "badge/badge_platform_win32.h"
#include "platform/desktop_win32.h"
#include "platform/ime_win32.h"
#include "platform/processes_win32.h"
#include "platform/sound_win32.h"
#include "platform/win32_types_win32.h"
#include "settings_window/settings_window_win32.h"

namespace tessel {
namespace {

constexpr wchar_t kMutexName[] = L"Local\\Tessel.Singleton.7740C7D2-5D89-4874-A4D5-1B344507A604";
constexpr wchar_t kMainClass[] = L"Tessel.MainWindow";
constexpr wchar_t kBadgeClass[] = L"Tessel.BadgeWindow";
constexpr wchar_t kSettingsClass[] = L"Tessel.SettingsWindow";
constexpr wchar_t kMainTitle[] = L"Tessel Hidden Window";
constexpr wchar_t kErrorCaption[] = L"Tessel 오류";

void ShowErrorBox(const wchar_t* text) { ::MessageBoxW(nullptr, text, kErrorCaption, MB_OK | MB_ICONERROR); }

void DeclareDpiAwareness() {
    using SetContextFn = BOOL(WINAPI*)(HANDLE);
    HMODULE user32 = ::GetModuleHandleW(L"user32.dll");
    auto setContext = user32 ? reinterpret_cast<SetContextFn>(
                                   reinterpret_cast<void*>(::GetProcAddress(user32, "SetProcessDpiAwarenessContext")))
                             : nullptr;
    // DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2 is the handle value -4.
    if (!setContext || !setContext(reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-4)))) ::SetProcessDPIAware();
}

// The decoded icon, or null when the text or the platform refuses it.
HICON CreateAppIcon() {
    auto bits = DecodeHex(kAppIconHex);
    if (!bits || bits->size() != 296) return nullptr;
    return ::CreateIconFromResourceEx(bits->data(), static_cast<DWORD>(bits->size()), TRUE, 0x00030000, 16, 16,
                                      LR_DEFAULTCOLOR);
}

bool RegisterClasses(HINSTANCE instance, HICON icon, HCURSOR cursor) {
    WNDCLASSW main{};
    main.lpfnWndProc = MainWindowProc;
    main.hInstance = instance;
    main.hIcon = icon;
    main.hCursor = cursor;
    main.lpszClassName = kMainClass;
    if (!::RegisterClassW(&main)) return false;

    WNDCLASSW badge{};
    badge.lpfnWndProc = BadgeWindowProc;
    badge.hInstance = instance;
    badge.lpszClassName = kBadgeClass;
    if (!::RegisterClassW(&badge)) return false;

    WNDCLASSW settings{};
    settings.lpfnWndProc = SettingsWindowProc;
    settings.hInstance = instance;
    settings.hIcon = icon;
    settings.hCursor = cursor;
    settings.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOW + 1));
    settings.lpszClassName = kSettingsClass;
    return ::RegisterClassW(&settings) != 0;
}

void RunMessageLoop(AppState& state) {
    MSG msg;
    for (;;) {
        BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0 || got == -1) break;
        HWND settings = reinterpret_cast<HWND>(state.settingsWindow);
        if (settings && ::IsWindow(settings) && ::IsDialogMessageW(settings, &msg)) continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

}  // namespace

int RunTessel() {
    static SteadyClock clock;
    static Win32Desktop desktop;
    static Win32BadgePlatform badgePlatform;
    static Win32Ime ime;
    static Win32Sound sound;
    static Win32Processes processes;
    static Win32Accessibility accessibility;
    static Win32Console console;
    static Win32Automation automation;
    static Win32Outlook outlook;
    static ComCallBound comCallBound(clock);

    DeclareDpiAwareness();

    UniqueHandle mutex(::CreateMutexW(nullptr, TRUE, kMutexName));
    if (!mutex) {
        ShowErrorBox(L"프로그램 단일 실행 잠금을 만들 수 없습니다.");
        return 0;
    }
    if (::GetLastError() == ERROR_ALREADY_EXISTS) {
        // Another instance runs: ask it to show its settings window, then leave.
        // The user started us, so we may let it take the foreground: without
        // that its window would only flash in the taskbar.
        if (HWND running = ::FindWindowW(kMainClass, nullptr)) {
            DWORD runningProcess = 0;
            if (::GetWindowThreadProcessId(running, &runningProcess) && runningProcess)
                ::AllowSetForegroundWindow(runningProcess);
            ::PostMessageW(running, kWmShowSettings, 0, 0);
        }
        return 0;
    }

    HINSTANCE instance = ::GetModuleHandleW(nullptr);
    if (!instance) {
        mutex.Reset();
        ShowErrorBox(L"Windows 모듈 핸들을 가져올 수 없습니다.");
        return 0;
    }

    SettingsPaths paths = ComputeSettingsFilePath(ThisExecutablePath());
    Settings settings = LoadSettingsFromDisk(paths.settingsFilePath);

    UniqueIcon ownedIcon(CreateAppIcon());
    HICON icon = ownedIcon ? ownedIcon.Get() : ::LoadIconW(nullptr, IDI_APPLICATION);
    HCURSOR cursor = ::LoadCursorW(nullptr, IDC_ARROW);

    if (!RegisterClasses(instance, icon, cursor)) {
        ownedIcon.Reset();
        mutex.Reset();
        ShowErrorBox(L"Windows 창 클래스를 등록할 수 없습니다.");
        return 0;
    }

    UINT taskbarCreated = ::RegisterWindowMessageW(L"TaskbarCreated");

    HRESULT co = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    bool comInitialised = co == S_OK || co == S_FALSE;
    // Calls into other programs' objects (caret objects, Outlook) give up at
    // their deadline rather than waiting for a hung program.
    if (comInitialised && comCallBound.Register()) {
        accessibility.Bind(&comCallBound);
        outlook.Bind(&comCallBound, &clock);
    }

    auto shell = std::make_unique<ShellResources>();
    UiaObjects uiaObjects = CreateUiAutomation(::CoCreateInstance);
    shell->automation = std::move(uiaObjects.automation);
    shell->rawWalker = std::move(uiaObjects.rawWalker);

    MonoTime started = clock.Now();

    shell->instance = instance;
    shell->mutex = std::move(mutex);
    shell->icon = icon;
    shell->ownedIcon = std::move(ownedIcon);

    auto* state = new AppState;
    state->clock = &clock;
    state->desktop = &desktop;
    state->badgePlatform = &badgePlatform;
    state->ime = &ime;
    state->sound = &sound;
    state->processes = &processes;
    state->accessibility = &accessibility;
    state->console = &console;
    automation.Attach(shell->automation.Get(), shell->rawWalker.Get());
    state->automation = &automation;
    state->outlook = &outlook;
    state->coalescer = &ProcessWinEventCoalescer();
    state->shell = shell.release();
    state->instance = reinterpret_cast<std::uintptr_t>(instance);
    state->taskbarCreatedMessage = taskbarCreated;
    state->comInitialised = comInitialised;
    state->settings = settings;
    state->exeDirectory = paths.exeDirectory;
    state->SettingsFilePath = paths.settingsFilePath;
    InitialiseAppState(*state, started);

    HWND main = ::CreateWindowExW(0, kMainClass, kMainTitle, 0, 0, 0, 0, 0, nullptr, nullptr, instance, state);
    if (!main) {
        Shutdown(*state);
        comCallBound.Revoke();
        DestroyAppState(state);
        ShowErrorBox(L"메인 창을 만들 수 없습니다.");
        return 0;
    }

    RunMessageLoop(*state);

    Shutdown(*state);
    // Before the apartment ends in DestroyAppState.
    comCallBound.Revoke();
    DestroyAppState(state);
    return 0;
}

}  // namespace tessel
