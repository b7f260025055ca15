// Drives a running Tessel from a script the way the notification area and
// the user would, for the screenshots of scripts/run and the package check:
//   tessel_poke wait-settings   wait until the settings window is shown
//                               and print its screen rectangle "x y width height"
//   tessel_poke close-settings  close it (as its caption button does)
//   tessel_poke menu            open the tray menu (right click on the icon)
//   tessel_poke wait-menu       wait until a popup menu is shown; print its rectangle
//   tessel_poke close-menu      close the menu with Escape
//   tessel_poke close           close Tessel's main window, which ends it
// Exit code 0 on success, 1 when Tessel or the window is not found in time.
#include <windows.h>

#include <cwchar>
#include <string_view>

namespace {

constexpr UINT kTrayNotify = WM_APP + 1;
constexpr UINT kIconId = 1;

struct Search {
    DWORD pid;
    const wchar_t* cls;
    HWND found;
};

BOOL CALLBACK Match(HWND w, LPARAM p) {
    auto* s = reinterpret_cast<Search*>(p);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(w, &pid);
    wchar_t cls[128];
    if (pid == s->pid && ::IsWindowVisible(w) && ::GetClassNameW(w, cls, 128) && std::wcscmp(cls, s->cls) == 0) {
        s->found = w;
        return FALSE;
    }
    return TRUE;
}

// A visible top-level window of the Tessel process with this class.
HWND TesselWindow(HWND main, const wchar_t* cls) {
    Search s{0, cls, nullptr};
    ::GetWindowThreadProcessId(main, &s.pid);
    ::EnumWindows(Match, reinterpret_cast<LPARAM>(&s));
    return s.found;
}

// Prints "x y width height" on standard output, for cropping screenshots.
void PrintRect(HWND window) {
    RECT r{};
    ::GetWindowRect(window, &r);
    char line[64];
    const int n = wsprintfA(line, "%d %d %d %d\n", r.left, r.top, r.right - r.left, r.bottom - r.top);
    DWORD written = 0;
    ::WriteFile(::GetStdHandle(STD_OUTPUT_HANDLE), line, static_cast<DWORD>(n), &written, nullptr);
}

template <typename F>
bool Within(DWORD ms, F done) {
    for (DWORD waited = 0;; waited += 50) {
        if (done()) return true;
        if (waited >= ms) return false;
        ::Sleep(50);
    }
}

// Waits for a visible window of the class and prints its rectangle.
int WaitAndPrint(HWND main, const wchar_t* cls) {
    HWND found = nullptr;
    if (!Within(10000, [&] { return (found = TesselWindow(main, cls)) != nullptr; })) return 1;
    PrintRect(found);
    return 0;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR args, int) {
    HWND main = nullptr;
    if (!Within(10000, [&] { return (main = ::FindWindowW(L"Tessel.MainWindow", nullptr)) != nullptr; })) return 1;
    const std::wstring_view what = args ? args : L"";

    if (what == L"wait-settings") return WaitAndPrint(main, L"Tessel.SettingsWindow");
    if (what == L"close-settings") {
        HWND settings = TesselWindow(main, L"Tessel.SettingsWindow");
        if (!settings) return 1;
        ::PostMessageW(settings, WM_CLOSE, 0, 0);
        return Within(10000, [&] { return !::IsWindowVisible(settings); }) ? 0 : 1;
    }
    if (what == L"menu") {
        // A right click on an icon in the bottom-right corner, as a version-4
        // notification: the click point in wParam, the event and icon id in
        // lParam. (The keyboard's WM_CONTEXTMENU carries no point; without an
        // icon rectangle, as under Wine without a taskbar, that menu opens at 0,0.)
        const int x = ::GetSystemMetrics(SM_CXSCREEN) - 40;
        const int y = ::GetSystemMetrics(SM_CYSCREEN) - 20;
        return ::PostMessageW(main, kTrayNotify, MAKEWPARAM(x, y), MAKELPARAM(WM_RBUTTONUP, kIconId)) ? 0 : 1;
    }
    if (what == L"wait-menu") return WaitAndPrint(main, L"#32768");
    if (what == L"close-menu") {
        // The menu's modal loop reads every key message of Tessel's thread.
        ::PostMessageW(main, WM_KEYDOWN, VK_ESCAPE, 0);
        return Within(10000, [&] { return TesselWindow(main, L"#32768") == nullptr; }) ? 0 : 1;
    }
    if (what == L"close") {
        ::PostMessageW(main, WM_CLOSE, 0, 0);
        return Within(10000, [&] { return !::IsWindow(main); }) ? 0 : 1;
    }
    return 1;
}
