#pragma once
// Console attachment and screen-buffer reads for the console caret.
// One Win32 implementation (console_win32.cpp); each operation mirrors one
// kernel32 or user32 call with plain values.
#include <cstdint>
#include <optional>

#include "platform/types.h"

namespace tessel {

// An open console output handle as an opaque number; 0 is "none".
using ConsoleOutputId = std::uintptr_t;
constexpr ConsoleOutputId kNoConsoleOutput = 0;

// What GetConsoleScreenBufferInfo reports that the caret needs.
struct ScreenBufferInfo {
    Point cursor;  // dwCursorPosition
    Rect window;   // srWindow: left, top, right, bottom, all inclusive
};

class Console {
public:
    virtual ~Console() = default;
    // AttachConsole. Interrupts typed in the attached console do not end
    // this process.
    virtual bool Attach(std::uint32_t processId) noexcept = 0;
    virtual void Free() noexcept = 0;                           // FreeConsole
    virtual WindowId ConsoleWindow() noexcept = 0;              // GetConsoleWindow
    // CreateFileW("CONOUT$", GENERIC_READ, shared read and write, OPEN_EXISTING).
    virtual ConsoleOutputId OpenOutput() noexcept = 0;
    virtual void CloseOutput(ConsoleOutputId output) noexcept = 0;
    virtual std::optional<ScreenBufferInfo> ScreenBuffer(ConsoleOutputId output) noexcept = 0;
    // GetCurrentConsoleFontEx(output, FALSE): dwFontSize (cell width, height).
    virtual std::optional<Point> FontSize(ConsoleOutputId output) noexcept = 0;
    // GetClientRect of a window.
    virtual std::optional<Rect> ClientRect(WindowId window) noexcept = 0;
};

// Attaches to a process's console and frees it when it goes, so that no
// attachment outlives the read it was made for.
class AttachedConsole {
public:
    AttachedConsole(Console& console, std::uint32_t processId) : console_(console), attached_(console.Attach(processId)) {}
    AttachedConsole(const AttachedConsole&) = delete;
    AttachedConsole& operator=(const AttachedConsole&) = delete;
    ~AttachedConsole() {
        if (attached_) console_.Free();
    }
    explicit operator bool() const { return attached_; }

private:
    Console& console_;
    bool attached_;
};

// Owns an open console output handle and closes it once.
class ConsoleOutputOwner {
public:
    explicit ConsoleOutputOwner(Console& console) : console_(console), output_(console.OpenOutput()) {}
    ConsoleOutputOwner(const ConsoleOutputOwner&) = delete;
    ConsoleOutputOwner& operator=(const ConsoleOutputOwner&) = delete;
    ~ConsoleOutputOwner() {
        if (output_ != kNoConsoleOutput) console_.CloseOutput(output_);
    }
    ConsoleOutputId Get() const { return output_; }
    explicit operator bool() const { return output_ != kNoConsoleOutput; }

private:
    Console& console_;
    ConsoleOutputId output_;
};

}  // namespace tessel
