// A small editor window that can be told to stop pumping messages: its GUI
// thread sleeps for the number of milliseconds in wParam of a posted
// WM_APP + 10. Tests use it to check that Tessel stays responsive while the
// application it watches hangs.
//   hung_editor.exe             a focused standard EDIT control
//   hung_editor.exe --scintilla a focused control of class "Scintilla" that
//                               owns a system caret and answers the read-only
//                               query (so Tessel sends it messages)
#include <windows.h>

#include <cwchar>

#include "apps/app_window_win32.h"

namespace {

constexpr UINT kHangMessage = WM_APP + 10;
constexpr UINT kSciGetReadOnly = 2140;

HWND g_control = nullptr;

LRESULT CALLBACK ScintillaProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case kSciGetReadOnly:
            return 0;
        case WM_SETFOCUS:
            ::CreateCaret(window, nullptr, 1, 16);
            ::SetCaretPos(40, 10);
            ::ShowCaret(window);
            return 0;
        case WM_KILLFOCUS:
            ::DestroyCaret();
            return 0;
        case WM_GETDLGCODE:
            return DLGC_WANTALLKEYS | DLGC_WANTCHARS;
        default:
            return ::DefWindowProcW(window, message, wParam, lParam);
    }
}

LRESULT CALLBACK FrameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case kHangMessage:
            ::Sleep(static_cast<DWORD>(wParam));
            return 0;
        default:
            return tessel::testing::FrameOf(g_control, true, window, message, wParam, lParam);
    }
}

}  // namespace

using tessel::testing::RegisterAppClass;
using tessel::testing::RunMessageLoop;

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
    const bool scintilla = commandLine && std::wcsstr(commandLine, L"--scintilla") != nullptr;

    if (!RegisterAppClass(instance, L"Tessel.HungEditor", FrameProc)) return 1;
    if (scintilla && !RegisterAppClass(instance, L"Scintilla", ScintillaProc, IDC_IBEAM)) return 1;

    HWND main = ::CreateWindowExW(0, L"Tessel.HungEditor", L"hung editor", WS_OVERLAPPEDWINDOW, 200, 150, 480, 320,
                                  nullptr, nullptr, instance, nullptr);
    if (!main) return 1;
    g_control = ::CreateWindowExW(0, scintilla ? L"Scintilla" : L"EDIT", L"hello",
                                  WS_CHILD | WS_VISIBLE | (scintilla ? 0 : ES_MULTILINE | ES_AUTOVSCROLL), 0, 0, 460,
                                  280, main, nullptr, instance, nullptr);
    if (!g_control) return 1;
    tessel::testing::ShowInFront(main, g_control);
    if (!scintilla) ::SendMessageW(g_control, EM_SETSEL, 5, 5);

    RunMessageLoop();
    return 0;
}
