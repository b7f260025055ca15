#pragma once
// The caret of a classic console window: the console's cursor cell in pixels,
// read by attaching to the console the foreground window shows for the read
// alone. An attached process is ended when its console is closed, and keeps
// the console open after its own programs have left.
#include <cstdint>
#include <optional>
#include <string_view>

#include "editability/caret_info.h"
#include "editability/caret_locator_state.h"
#include "platform/focus_snapshot.h"
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
// `source` remembers whose console showed that window, so that the next read
// attaches to it without searching, or that none could be attached for it, so
// that the next read tries nothing while that window stays in the foreground;
// it is changed here as needed. The program is attached to no console when
// this returns.
CaretInfo LocateConsoleCaret(ConsoleCaretServices& services, ConsoleSource& source, const FocusSnapshot& snapshot,
                             std::uint32_t defaultCompositionCells);

// Cells of the IME composition before its cursor, the largest among the
// focus, caret and foreground windows and their default IME windows.
std::uint32_t CompositionWidth(Desktop& desktop, Ime& ime, WindowId focus, WindowId caret, WindowId foreground);

// Forgets the process remembered for a console's caret, and the console that
// none could be attached for: the foreground window has changed.
void ReleaseConsole(ConsoleSource& source);

}  // namespace tessel
