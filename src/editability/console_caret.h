#pragma once
// The caret of a classic console window: the console's cursor cell in pixels,
// read by attaching to the console the foreground window shows.
#include <cstdint>
#include <optional>
#include <string_view>

#include "editability/caret_info.h"
#include "main/focus_snapshot.h"
#include "platform/console.h"
#include "platform/desktop.h"
#include "platform/ime.h"
#include "platform/processes.h"

namespace tessel {

// Order in which processes are tried for a console: cmd.exe first, shells
// next, other programs, and the console hosts last. Takes the lower-case
// executable file name.
std::uint8_t ConsoleCandidateRank(std::string_view exeName);

// East Asian wide code points, which take two console cells.
bool WideCharacter(char32_t codePoint);

// Console cells that a UTF-16 text takes (unpaired surrogates count as one).
std::uint32_t CellWidth(std::u16string_view text);

// The pixel size of one cell: the console font's size when it can be read,
// else the client area divided among the visible cells.
Point ConsoleCellSize(const std::optional<Point>& fontSize, const Rect& clientRect, const Rect& visibleCells);

// The caret right of `cells` cells from the cursor cell (column, row) of a
// client area at `origin`, one cell high.
CaretInfo ConsoleCellCaret(Point origin, std::int32_t column, std::int32_t row, std::uint32_t cells, Point cellSize);

struct ConsoleCaretServices {
    Desktop& desktop;
    Console& console;
    Processes& processes;
    Ime& ime;
};

// The cursor of the console that the snapshot's foreground window shows.
// `attachment` is the process id through which the program is attached to a
// console (0: none); it is kept between calls and changed here as needed.
CaretInfo LocateConsoleCaret(ConsoleCaretServices& services, std::uint32_t& attachment, const FocusSnapshot& snapshot,
                             std::uint32_t defaultCompositionCells);

// Cells of the IME composition before its cursor, the largest among the
// focus, caret and foreground windows and their default IME windows.
std::uint32_t CompositionWidth(Desktop& desktop, Ime& ime, WindowId focus, WindowId caret, WindowId foreground);

// Detaches from a console attached for its caret, if any.
void ReleaseConsole(Console& console, std::uint32_t& attachment);

}  // namespace tessel
