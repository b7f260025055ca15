#pragma once
// The badge window: layered, topmost, click-through, never activated.
#include <windows.h>

namespace tessel {

inline constexpr wchar_t kBadgeWindowClass[] = L"Tessel.BadgeWindow";
inline constexpr wchar_t kBadgeWindowTitle[] = L"Tessel Badge";
// WS_EX_NOACTIVATE | WS_EX_LAYERED | WS_EX_TOOLWINDOW | WS_EX_TRANSPARENT | WS_EX_TOPMOST
inline constexpr DWORD kBadgeExStyle = 0x080800A8;

LRESULT CALLBACK BadgeWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;

// Class style 0, no icon, cursor, background brush or extra bytes. Returns 0 on failure.
ATOM RegisterBadgeWindowClass(HINSTANCE instance, const wchar_t* className = kBadgeWindowClass);

// Creates the badge window at (0, 0), 15 x 15, hidden; `creationParam` lands
// in GWLP_USERDATA. Null on failure.
HWND CreateBadgeWindow(HINSTANCE instance, void* creationParam, const wchar_t* className = kBadgeWindowClass);

}  // namespace tessel
