#pragma once
// What the fake browser (tests/apps/fake_browser_win32.cpp) publishes about
// its text caret, and the messages that move it. The in-process UI
// Automation server reads the window properties from inside Tessel.exe, as a
// browser's provider would answer from its own document.
#include <windows.h>

namespace tessel::testing::fake_browser {

// Browsers' top-level class: Tessel asks UI Automation first there.
inline constexpr wchar_t kWindowClass[] = L"Chrome_WidgetWin_1";

// Window properties (integer handles). kPublished is set once the others hold.
inline constexpr wchar_t kPublished[] = L"Tessel.FakeBrowser";
inline constexpr wchar_t kCaretX[] = L"Tessel.FakeBrowser.CaretX";  // client pixels
inline constexpr wchar_t kCaretY[] = L"Tessel.FakeBrowser.CaretY";  // top of the caret
inline constexpr wchar_t kSelected[] = L"Tessel.FakeBrowser.Selected";  // 1: a word is selected
// 1: the provider stops answering: every call after the focused element
// waits kHangMs and fails with UI Automation's time-out error.
inline constexpr wchar_t kProviderHangs[] = L"Tessel.FakeBrowser.Hangs";
inline constexpr DWORD kHangMs = 150;

inline constexpr int kCaretHeight = 18;
inline constexpr int kFieldMargin = 10;  // the text field fills the client area less this

// Posted to the fake browser's window.
inline constexpr UINT kMoveCaret = WM_APP + 1;  // wParam x, lParam y (client pixels)
inline constexpr UINT kSelect = WM_APP + 2;     // wParam 1: select a word, 0: collapse to the caret
inline constexpr UINT kHangProvider = WM_APP + 3;  // wParam 1: the provider hangs, 0: it answers again

}  // namespace tessel::testing::fake_browser
