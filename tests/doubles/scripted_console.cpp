#include "doubles/scripted_console.h"

namespace tessel::testing {

bool ScriptedConsole::Attach(std::uint32_t processId) noexcept {
    attachTries.push_back(processId);
    auto it = consoleOf.find(processId);
    if (attached != kNoWindow || it == consoleOf.end()) return false;  // one console per process
    attached = it->second;
    return true;
}

void ScriptedConsole::Free() noexcept {
    ++frees;
    attached = kNoWindow;
}

ConsoleOutputId ScriptedConsole::OpenOutput() noexcept {
    ++opens;
    if (openFails || attached == kNoWindow) return kNoConsoleOutput;
    ++openOutputs;
    outputs_[next_] = attached;
    return next_++;
}

void ScriptedConsole::CloseOutput(ConsoleOutputId output) noexcept {
    if (outputs_.erase(output)) --openOutputs;
}

const ScriptedConsoleBuffer* ScriptedConsole::BufferOf(ConsoleOutputId output) const {
    auto o = outputs_.find(output);
    if (o == outputs_.end()) return nullptr;
    auto b = buffers.find(o->second);
    return b == buffers.end() ? nullptr : &b->second;
}

std::optional<ScreenBufferInfo> ScriptedConsole::ScreenBuffer(ConsoleOutputId output) noexcept {
    const ScriptedConsoleBuffer* b = BufferOf(output);
    if (!b || b->infoFails) return std::nullopt;
    return b->info;
}

std::optional<Point> ScriptedConsole::FontSize(ConsoleOutputId output) noexcept {
    const ScriptedConsoleBuffer* b = BufferOf(output);
    return b ? b->font : std::nullopt;
}

std::optional<Rect> ScriptedConsole::ClientRect(WindowId window) noexcept {
    auto it = clientRects.find(window);
    if (it == clientRects.end()) return std::nullopt;
    return it->second;
}

}  // namespace tessel::testing
