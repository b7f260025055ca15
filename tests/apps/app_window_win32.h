#pragma once
// What every small test program does the same way: register a window class
// with the window background, and pump messages until the window closes.
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

inline void RunMessageLoop() {
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

}  // namespace tessel::testing
