// A small editor whose system caret announces every move the way Windows'
// own caret does: NotifyWinEvent(EVENT_OBJECT_LOCATIONCHANGE, window,
// OBJID_CARET, CHILDID_SELF). Wine's controls raise no caret events, so the
// measuring program types into this one to time Tessel's event path rather
// than its poll. The text is a standard EDIT control (so Tessel takes it for
// editable text); a subclass raises the event after each key or click that
// moved the caret.
#include <windows.h>

#include "apps/app_window_win32.h"

namespace {

HWND g_edit = nullptr;
WNDPROC g_editProc = nullptr;

LRESULT CALLBACK AnnouncingEditProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    POINT before{};
    ::GetCaretPos(&before);
    const LRESULT result = ::CallWindowProcW(g_editProc, window, message, wParam, lParam);
    POINT after{};
    if ((message == WM_CHAR || message == WM_KEYDOWN || message == WM_LBUTTONDOWN) && ::GetCaretPos(&after) &&
        (after.x != before.x || after.y != before.y)) {
        ::NotifyWinEvent(EVENT_OBJECT_LOCATIONCHANGE, window, OBJID_CARET, CHILDID_SELF);
    }
    return result;
}

LRESULT CALLBACK FrameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return tessel::testing::FrameOf(g_edit, true, window, message, wParam, lParam);
}

}  // namespace

using tessel::testing::RegisterAppClass;
using tessel::testing::RunMessageLoop;

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    if (!RegisterAppClass(instance, L"Tessel.CaretEditor", FrameProc)) return 1;

    HWND main = ::CreateWindowExW(0, L"Tessel.CaretEditor", L"caret editor", WS_OVERLAPPEDWINDOW, 160, 200, 640, 360,
                                  nullptr, nullptr, instance, nullptr);
    if (!main) return 1;
    g_edit = ::CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_AUTOVSCROLL, 0, 0, 620,
                               320, main, nullptr, instance, nullptr);
    if (!g_edit) return 1;
    g_editProc = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(g_edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(AnnouncingEditProc)));
    tessel::testing::ShowInFront(main, g_edit);

    RunMessageLoop();
    return 0;
}
