#pragma once
// Consoles as plain records: which processes can be attached to which console
// window, each console's screen buffer and font, with the attachments tried,
// the frees and the output handles still open.
#include <map>
#include <optional>
#include <vector>

#include "platform/console.h"

namespace tessel::testing {

struct ScriptedConsoleBuffer {
    ScreenBufferInfo info;
    std::optional<Point> font;  // empty: GetCurrentConsoleFontEx fails
    bool infoFails = false;
};

class ScriptedConsole final : public Console {
public:
    // --- script ---
    std::map<std::uint32_t, WindowId> consoleOf;       // process -> its console window
    std::map<WindowId, ScriptedConsoleBuffer> buffers;  // console window -> buffer
    std::map<WindowId, Rect> clientRects;
    bool openFails = false;
    WindowId attached = kNoWindow;  // the console this process has

    // --- observation ---
    std::vector<std::uint32_t> attachTries;
    int frees = 0;
    int opens = 0;
    int openOutputs = 0;  // opened and not yet closed

    // --- Console ---
    bool Attach(std::uint32_t processId) noexcept override;
    void Free() noexcept override;
    WindowId ConsoleWindow() noexcept override { return attached; }
    ConsoleOutputId OpenOutput() noexcept override;
    void CloseOutput(ConsoleOutputId output) noexcept override;
    std::optional<ScreenBufferInfo> ScreenBuffer(ConsoleOutputId output) noexcept override;
    std::optional<Point> FontSize(ConsoleOutputId output) noexcept override;
    std::optional<Rect> ClientRect(WindowId window) noexcept override;

private:
    const ScriptedConsoleBuffer* BufferOf(ConsoleOutputId output) const;
    std::map<ConsoleOutputId, WindowId> outputs_;
    ConsoleOutputId next_ = 0x500;
};

}  // namespace tessel::testing
