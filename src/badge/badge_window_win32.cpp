#include "badge/badge_window_win32.h"

namespace tessel {

// Only system calls here, none of which throws; noexcept says so to the reader
// and to the compiler.
LRESULT CALLBACK BadgeWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    switch (message) {
        case WM_NCCREATE: {
            const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
            ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
            // Default processing still sets the window title.
            ::DefWindowProcW(window, message, wParam, lParam);
            return TRUE;
        }
        case WM_NCHITTEST:
            return HTTRANSPARENT;  // the mouse falls through to what lies below
        case WM_PAINT: {
            // All content comes from UpdateLayeredWindow.
            PAINTSTRUCT paint;
            ::BeginPaint(window, &paint);
            ::EndPaint(window, &paint);
            return 0;
        }
        default:
            return ::DefWindowProcW(window, message, wParam, lParam);
    }
}

ATOM RegisterBadgeWindowClass(HINSTANCE instance, const wchar_t* className) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.style = 0;
    wc.lpfnWndProc = BadgeWindowProc;
    wc.hInstance = instance;
    wc.lpszClassName = className;
    return ::RegisterClassExW(&wc);
}

HWND CreateBadgeWindow(HINSTANCE instance, void* creationParam, const wchar_t* className) {
    HWND window = ::CreateWindowExW(kBadgeExStyle, className, kBadgeWindowTitle, WS_POPUP, 0, 0, 15, 15, nullptr,
                                    nullptr, instance, creationParam);
    if (window) ::ShowWindow(window, SW_HIDE);
    return window;
}

}  // namespace tessel
