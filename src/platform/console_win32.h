#pragma once
#include "platform/console.h"

namespace tessel {

// The console calls of kernel32 and the client-area reads of user32.
class Win32Console final : public Console {
public:
    bool Attach(std::uint32_t processId) noexcept override;
    void Free() noexcept override;
    WindowId ConsoleWindow() noexcept override;
    ConsoleOutputId OpenOutput() noexcept override;
    void CloseOutput(ConsoleOutputId output) noexcept override;
    std::optional<ScreenBufferInfo> ScreenBuffer(ConsoleOutputId output) noexcept override;
    std::optional<Point> FontSize(ConsoleOutputId output) noexcept override;
    std::optional<Rect> ClientRect(WindowId window) noexcept override;
};

// Removes every interrupt handler that Win32Console registered, as a platform
// that resets the handler list on attaching may do; for tests.
void DropConsoleInterruptHandlers() noexcept;

}  // namespace tessel
