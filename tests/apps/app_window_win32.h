#pragma once
// What every small test program does the same way: register a window class
// with the window background, end with its main window, hand the focus to the
// control that takes text, and pump messages until the window closes.
#include <windows.h>

namespace tessel::testing {

// `cursor` is a system cursor id such as IDC_ARROW, or null for none.
inline bool RegisterAppClass(HINSTANCE instance, const wchar_t* name, WNDPROC proc, LPCWSTR cursor = IDC_ARROW) {
    WNDCLASSW c{};
    c.lpfnWndProc = proc;
    c.hInstance = instance;
    c.hCursor = cursor ? ::LoadCursorW(nullptr, cursor) : nullptr;
    c.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOW + 1));
    c.lpszClassName = name;
    return ::RegisterClassW(&c) != 0;
}

// The end of a main window's procedure: the program ends with the window.
inline LRESULT QuitOnDestroy(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        ::PostQuitMessage(0);
        return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

// A main window that gives its focus to `control` and, with `fill`, its
// whole client area as well.
inline LRESULT FrameOf(HWND control, bool fill, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_SETFOCUS) {
        if (control) ::SetFocus(control);
        return 0;
    }
    if (fill && message == WM_SIZE) {
        if (control) ::MoveWindow(control, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
        return 0;
    }
    return QuitOnDestroy(window, message, wParam, lParam);
}

// Shows the main window in front with `control` focused, as a user would
// find the program after clicking into it.
inline void ShowInFront(HWND window, HWND control, int show = SW_SHOWNORMAL) {
    ::ShowWindow(window, show);
    ::SetForegroundWindow(window);
    ::SetFocus(control);
}

inline void RunMessageLoop() {
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

}  // namespace tessel::testing
