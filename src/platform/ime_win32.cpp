#include "platform/ime_win32.h"

// windows.h (through win32_types_win32.h) must come before imm.h.
#include "platform/win32_types_win32.h"

#include <imm.h>

namespace tessel {
namespace {

// Bounds how long a busy target thread can hold up the GUI thread.
constexpr UINT kImeMessageTimeoutMs = 50;

HIMC ToHimc(ImeContextId c) { return reinterpret_cast<HIMC>(c); }

// The thread's one window of class "IME", or null when it has none or several.
HWND SoleImeWindowOf(DWORD threadId) {
    struct Found {
        HWND window = nullptr;
        int count = 0;
    } found;
    ::EnumThreadWindows(
        threadId,
        [](HWND w, LPARAM param) noexcept -> BOOL {
            wchar_t name[128];
            const int n = ::GetClassNameW(w, name, 128);
            if (n == 3 && (name[0] | 0x20) == L'i' && (name[1] | 0x20) == L'm' && (name[2] | 0x20) == L'e') {
                auto* f = reinterpret_cast<Found*>(param);
                f->window = w;
                if (++f->count > 1) return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found.count == 1 ? found.window : nullptr;
}

}  // namespace

WindowId Win32Ime::DefaultImeWindow(WindowId window) {
    if (!window) return kNoWindow;
    const HWND hwnd = ToHwnd(window);
    // Some systems (Wine) answer only for windows of the calling process. The
    // IME window of another thread is then found among that thread's own
    // windows; it answers WM_IME_CONTROL across processes all the same. Once
    // found for a thread it is looked for again only when it stops answering.
    if (lastFound_.thread != 0 && ::GetWindowThreadProcessId(hwnd, nullptr) == lastFound_.thread)
        return lastFound_.window;
    if (HWND ime = ::ImmGetDefaultIMEWnd(hwnd)) return ToWindowId(ime);
    const DWORD thread = ::GetWindowThreadProcessId(hwnd, nullptr);
    if (thread == 0 || thread == ::GetCurrentThreadId()) return kNoWindow;
    const WindowId found = ToWindowId(SoleImeWindowOf(thread));
    lastFound_ = found ? FoundImeWindow{thread, found} : FoundImeWindow{};
    return found;
}

std::optional<std::uintptr_t> Win32Ime::SendImeControl(WindowId imeWindow, std::uintptr_t wParam) {
    if (!imeWindow) return std::nullopt;
    DWORD_PTR result = 0;
    LRESULT answered = ::SendMessageTimeoutW(ToHwnd(imeWindow), WM_IME_CONTROL, static_cast<WPARAM>(wParam), 0,
                                             SMTO_BLOCK | SMTO_ABORTIFHUNG, kImeMessageTimeoutMs, &result);
    if (answered == 0) {
        // A window gone or one we may not send to is a "no"; anything else
        // (a time-out, a thread Windows sees as hung) may answer next time.
        const DWORD error = ::GetLastError();
        if (error != ERROR_INVALID_WINDOW_HANDLE && error != ERROR_ACCESS_DENIED) late_ = true;
        if (imeWindow == lastFound_.window) lastFound_ = FoundImeWindow{};  // gone, or hung: look again
        return std::nullopt;
    }
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
