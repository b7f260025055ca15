#pragma once
// Conversions between platform values and the portable core's plain values.
#include <windows.h>

#include <string>
#include <string_view>

#include "common/text.h"
#include "platform/types.h"

namespace tessel {

inline HWND ToHwnd(WindowId w) { return reinterpret_cast<HWND>(w); }
inline WindowId ToWindowId(HWND h) { return reinterpret_cast<WindowId>(h); }
inline Rect ToRect(const RECT& r) { return Rect{r.left, r.top, r.right, r.bottom}; }
inline RECT ToRECT(const Rect& r) { return RECT{r.left, r.top, r.right, r.bottom}; }

inline std::wstring Wide(std::string_view utf8) {
    std::u16string u = Utf8ToUtf16(utf8);
    return std::wstring(u.begin(), u.end());
}
inline std::string Narrow(std::wstring_view wide) {
    return Utf16ToUtf8(std::u16string_view(reinterpret_cast<const char16_t*>(wide.data()), wide.size()));
}

}  // namespace tessel
