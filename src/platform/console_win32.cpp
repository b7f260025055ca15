#include "platform/console_win32.h"

#include "platform/win32_types_win32.h"

namespace tessel {
namespace {

HANDLE ToHandle(ConsoleOutputId output) { return reinterpret_cast<HANDLE>(output); }

// While attached, Ctrl+C and Ctrl+Break typed in that console reach this
// process too, whose default handler would end it: they are meant for the
// console's own programs. Two identical handlers take turns (see
// RegisterInterruptHandler).
BOOL WINAPI IgnoreInterrupts(DWORD type) noexcept { return type == CTRL_C_EVENT || type == CTRL_BREAK_EVENT; }
BOOL WINAPI IgnoreInterruptsToo(DWORD type) noexcept { return type == CTRL_C_EVENT || type == CTRL_BREAK_EVENT; }

constexpr PHANDLER_ROUTINE kInterruptHandlers[] = {IgnoreInterrupts, IgnoreInterruptsToo};
// Which of the two was registered last; the handler list is the process's.
std::size_t g_registeredHandler = 1;

// Attaching to or freeing a console can reset the process's handler list, so
// the handler is registered again after every attachment. The list keeps
// duplicates, so the other handler is added before the last one is removed:
// the list never grows, and never lacks one for an interrupt arriving
// between the two calls. Removing one that a reset took fails harmlessly.
void RegisterInterruptHandler() noexcept {
    const std::size_t next = 1 - g_registeredHandler;
    ::SetConsoleCtrlHandler(kInterruptHandlers[next], TRUE);
    ::SetConsoleCtrlHandler(kInterruptHandlers[g_registeredHandler], FALSE);
    g_registeredHandler = next;
}

}  // namespace

bool Win32Console::Attach(std::uint32_t processId) noexcept {
    // Also before the first attachment, which itself may deliver an interrupt.
    static const bool firstRegistered = (RegisterInterruptHandler(), true);
    (void)firstRegistered;
    if (!::AttachConsole(processId)) return false;
    RegisterInterruptHandler();
    return true;
}

void DropConsoleInterruptHandlers() noexcept {
    for (PHANDLER_ROUTINE handler : kInterruptHandlers)
        while (::SetConsoleCtrlHandler(handler, FALSE)) {
        }
}

void Win32Console::Free() noexcept { ::FreeConsole(); }

WindowId Win32Console::ConsoleWindow() noexcept { return ToWindowId(::GetConsoleWindow()); }

ConsoleOutputId Win32Console::OpenOutput() noexcept {
    HANDLE h = ::CreateFileW(L"CONOUT$", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                             nullptr);
    return h == INVALID_HANDLE_VALUE ? kNoConsoleOutput : reinterpret_cast<ConsoleOutputId>(h);
}

void Win32Console::CloseOutput(ConsoleOutputId output) noexcept {
    if (output != kNoConsoleOutput) ::CloseHandle(ToHandle(output));
}

std::optional<ScreenBufferInfo> Win32Console::ScreenBuffer(ConsoleOutputId output) noexcept {
    CONSOLE_SCREEN_BUFFER_INFO info{};
    if (!::GetConsoleScreenBufferInfo(ToHandle(output), &info)) return std::nullopt;
    const SMALL_RECT& w = info.srWindow;
    return ScreenBufferInfo{Point{info.dwCursorPosition.X, info.dwCursorPosition.Y}, Rect{w.Left, w.Top, w.Right, w.Bottom}};
}

std::optional<Point> Win32Console::FontSize(ConsoleOutputId output) noexcept {
    CONSOLE_FONT_INFOEX font{};
    font.cbSize = sizeof(font);  // 84
    if (!::GetCurrentConsoleFontEx(ToHandle(output), FALSE, &font)) return std::nullopt;
    return Point{font.dwFontSize.X, font.dwFontSize.Y};
}

std::optional<Rect> Win32Console::ClientRect(WindowId window) noexcept {
    RECT r{};
    if (!::GetClientRect(ToHwnd(window), &r)) return std::nullopt;
    return ToRect(r);
}

}  // namespace tessel
