// A browser-like window for the end-to-end tests: its top-level class is the
// one browsers use, it keeps no system caret and publishes where its text
// caret is through window properties. Moving the caret or changing the
// selection raises the caret's location-change event, as browsers do.
#include <windows.h>

#include "dlls/fake_browser_caret_win32.h"
#include "apps/app_window_win32.h"

namespace {

namespace fb = tessel::testing::fake_browser;

struct Caret {
    int x = 40;
    int y = 30;
    bool selected = false;
};
Caret g_caret;

void Publish(HWND window) {
    ::SetPropW(window, fb::kCaretX, reinterpret_cast<HANDLE>(static_cast<INT_PTR>(g_caret.x)));
    ::SetPropW(window, fb::kCaretY, reinterpret_cast<HANDLE>(static_cast<INT_PTR>(g_caret.y)));
    ::SetPropW(window, fb::kSelected, reinterpret_cast<HANDLE>(static_cast<INT_PTR>(g_caret.selected ? 1 : 0)));
    ::SetPropW(window, fb::kPublished, reinterpret_cast<HANDLE>(1));
    ::NotifyWinEvent(EVENT_OBJECT_LOCATIONCHANGE, window, OBJID_CARET, CHILDID_SELF);
    ::InvalidateRect(window, nullptr, TRUE);
}

LRESULT CALLBACK BrowserProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case fb::kMoveCaret:
            g_caret.x = static_cast<int>(wParam);
            g_caret.y = static_cast<int>(lParam);
            Publish(window);
            return 0;
        case fb::kSelect:
            g_caret.selected = wParam != 0;
            Publish(window);
            return 0;
        case fb::kHangProvider:
            ::SetPropW(window, fb::kProviderHangs, reinterpret_cast<HANDLE>(static_cast<INT_PTR>(wParam != 0)));
            return 0;
        case WM_PAINT: {
            // The caret drawn by hand, as a browser does, so a screenshot shows it.
            PAINTSTRUCT ps;
            HDC dc = ::BeginPaint(window, &ps);
            RECT bar{g_caret.x, g_caret.y, g_caret.x + 2, g_caret.y + fb::kCaretHeight};
            ::FillRect(dc, &bar, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
            ::EndPaint(window, &ps);
            return 0;
        }
        default:
            return tessel::testing::QuitOnDestroy(window, message, wParam, lParam);
    }
}

}  // namespace

using tessel::testing::RegisterAppClass;
using tessel::testing::RunMessageLoop;

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    if (!RegisterAppClass(instance, fb::kWindowClass, BrowserProc, IDC_IBEAM)) return 1;
    HWND main = ::CreateWindowExW(0, fb::kWindowClass, L"fake browser", WS_OVERLAPPEDWINDOW, 220, 160, 520, 360,
                                  nullptr, nullptr, instance, nullptr);
    if (!main) return 1;
    Publish(main);
    tessel::testing::ShowInFront(main, main);

    RunMessageLoop();
    return 0;
}
