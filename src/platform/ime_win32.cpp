#include "platform/ime_win32.h"

// windows.h (through win32_types_win32.h) must come before imm.h.
#include "platform/win32_types_win32.h"

#include <imm.h>

namespace tessel {
namespace {

// Bounds how long a busy target thread can hold up the GUI thread.
constexpr UINT kImeMessageTimeoutMs = 50;

HIMC ToHimc(ImeContextId c) { return reinterpret_cast<HIMC>(c); }

}  // namespace

WindowId Win32Ime::DefaultImeWindow(WindowId window) {
    if (!window) return kNoWindow;
    return ToWindowId(::ImmGetDefaultIMEWnd(ToHwnd(window)));
}

std::optional<std::uintptr_t> Win32Ime::SendImeControl(WindowId imeWindow, std::uintptr_t wParam) {
    if (!imeWindow) return std::nullopt;
    DWORD_PTR result = 0;
    LRESULT answered = ::SendMessageTimeoutW(ToHwnd(imeWindow), WM_IME_CONTROL, static_cast<WPARAM>(wParam), 0,
                                             SMTO_BLOCK | SMTO_ABORTIFHUNG, kImeMessageTimeoutMs, &result);
    if (answered == 0) return std::nullopt;
    return static_cast<std::uintptr_t>(result);
}

ImeContextId Win32Ime::GetContext(WindowId window) {
    if (!window) return kNoContext;
    return reinterpret_cast<ImeContextId>(::ImmGetContext(ToHwnd(window)));
}

bool Win32Ime::ReleaseContext(WindowId window, ImeContextId context) {
    if (context == kNoContext) return false;
    return ::ImmReleaseContext(ToHwnd(window), ToHimc(context)) != FALSE;
}

bool Win32Ime::OpenStatus(ImeContextId context) {
    return context != kNoContext && ::ImmGetOpenStatus(ToHimc(context)) != FALSE;
}

std::optional<std::uint32_t> Win32Ime::ConversionStatus(ImeContextId context) {
    if (context == kNoContext) return std::nullopt;
    DWORD conversion = 0;
    DWORD sentence = 0;
    if (!::ImmGetConversionStatus(ToHimc(context), &conversion, &sentence)) return std::nullopt;
    return static_cast<std::uint32_t>(conversion);
}

std::int32_t Win32Ime::CompositionString(ImeContextId context, std::uint32_t index, void* buffer, std::uint32_t bytes) {
    if (context == kNoContext) return IMM_ERROR_GENERAL;
    return ::ImmGetCompositionStringW(ToHimc(context), index, buffer, bytes);
}

}  // namespace tessel
