// An editor window whose focused EDIT control types Korean: the thread loads
// and activates the Korean keyboard layout, and switches its own input
// context when asked, as a Korean IME does on the Hangul key.
//   ime_editor.exe              the editor
//   ime_editor.exe --frames N   also N more top-level windows "frame 1".."frame N",
//                               each with one child
//   ime_editor.exe --no-ime     the IME is disabled for the thread before any
//                               window exists, so it has no IME window
// Requests, sent or posted to the editor window (class "Tessel.ImeEditor"):
//   WM_APP + 20, wParam 0  close the input context
//                wParam 1  open it in native (Hangul) conversion
//                wParam 2  open it in alphanumeric conversion
//                returns 1 when the open status was set
//   WM_APP + 21            returns the thread's keyboard layout (HKL)
//   WM_APP + 22, wParam N  (posted) the thread is busy for N milliseconds
// The thread's IME window answers WM_IME_CONTROL open-status and
// conversion-mode queries from the input context, as Windows' IME window
// does. Wine 8's answers 0 to every such query until the IME is first opened
// and 1 to every one after, whatever the state.
#include <windows.h>
#include <imm.h>

#include <cwchar>
#include <string>

#include "apps/app_window_win32.h"

namespace {

constexpr UINT kSetImeMessage = WM_APP + 20;
constexpr UINT kLayoutMessage = WM_APP + 21;
constexpr UINT kBusyMessage = WM_APP + 22;
constexpr WPARAM kImcGetConversionMode = 0x0001;
constexpr WPARAM kImcGetOpenStatus = 0x0005;

HWND g_edit = nullptr;
WNDPROC g_imeProc = nullptr;

LRESULT CALLBACK ImeWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_IME_CONTROL && (wParam == kImcGetOpenStatus || wParam == kImcGetConversionMode)) {
        HIMC context = ::ImmGetContext(g_edit);
        if (!context) return 0;
        DWORD conversion = 0;
        DWORD sentence = 0;
        LRESULT result = wParam == kImcGetOpenStatus
                             ? ::ImmGetOpenStatus(context)
                             : (::ImmGetConversionStatus(context, &conversion, &sentence) ? conversion : 0);
        ::ImmReleaseContext(g_edit, context);
        return result;
    }
    return ::CallWindowProcW(g_imeProc, window, message, wParam, lParam);
}

LRESULT SetIme(WPARAM request) {
    HIMC context = ::ImmGetContext(g_edit);
    if (!context) return 0;
    const BOOL open = request != 0;
    BOOL ok = ::ImmSetOpenStatus(context, open);
    if (ok && open) ::ImmSetConversionStatus(context, request == 1 ? IME_CMODE_NATIVE : IME_CMODE_ALPHANUMERIC,
                                             IME_SMODE_NONE);
    ::ImmReleaseContext(g_edit, context);
    return ok ? 1 : 0;
}

LRESULT CALLBACK EditorProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case kSetImeMessage:
            return SetIme(wParam);
        case kLayoutMessage:
            return reinterpret_cast<LRESULT>(::GetKeyboardLayout(0));
        case kBusyMessage:
            ::Sleep(static_cast<DWORD>(wParam));
            return 0;
        default:
            return tessel::testing::FrameOf(g_edit, false, window, message, wParam, lParam);
    }
}

int Option(const wchar_t* commandLine, const wchar_t* name) {
    const wchar_t* at = commandLine ? std::wcsstr(commandLine, name) : nullptr;
    if (!at) return -1;
    return static_cast<int>(std::wcstol(at + std::wcslen(name), nullptr, 10));
}

}  // namespace

using tessel::testing::RegisterAppClass;
using tessel::testing::RunMessageLoop;

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
    if (Option(commandLine, L"--no-ime") >= 0) ::ImmDisableIME(0);
    if (HKL korean = ::LoadKeyboardLayoutW(L"00000412", KLF_ACTIVATE)) ::ActivateKeyboardLayout(korean, 0);

    if (!RegisterAppClass(instance, L"Tessel.ImeEditor", EditorProc)) return 1;

    const int frames = Option(commandLine, L"--frames ");
    for (int i = 1; i <= frames; ++i) {
        const std::wstring title = L"frame " + std::to_wstring(i);
        HWND frame = ::CreateWindowExW(0, L"STATIC", title.c_str(), WS_OVERLAPPED, 0, 0, 100, 60, nullptr, nullptr,
                                       instance, nullptr);
        if (!frame) return 1;
        ::CreateWindowExW(0, L"STATIC", (title + L" child").c_str(), WS_CHILD, 0, 0, 50, 20, frame, nullptr, instance,
                          nullptr);
    }

    HWND main = ::CreateWindowExW(0, L"Tessel.ImeEditor", L"IME editor", WS_OVERLAPPEDWINDOW, 240, 180, 480, 240,
                                  nullptr, nullptr, instance, nullptr);
    if (!main) return 1;
    g_edit = ::CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE | WS_BORDER, 10, 10, 440, 30, main, nullptr,
                               instance, nullptr);
    if (!g_edit) return 1;
    if (HWND ime = ::ImmGetDefaultIMEWnd(g_edit)) {
        g_imeProc = reinterpret_cast<WNDPROC>(
            ::SetWindowLongPtrW(ime, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ImeWindowProc)));
    }
    tessel::testing::ShowInFront(main, g_edit);

    RunMessageLoop();
    return 0;
}
