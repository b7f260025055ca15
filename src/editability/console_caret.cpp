#include "editability/console_caret.h"

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "common/saturate.h"
#include "common/text.h"

namespace tessel {
namespace {

constexpr std::uint32_t kMaxCompositionCells = 8;

struct Candidate {
    std::uint8_t rank;
    std::uint32_t processId;
};

// The cursor cell of a console, in the client area of its window.
struct CursorCell {
    Point origin;  // the client area's top left on the screen
    std::int32_t column = 0;
    std::int32_t row = 0;
    Point size;
};

// Reads the cursor cell of the console this process is attached to, which
// shows the foreground window F.
std::optional<CursorCell> ReadCursorCell(ConsoleCaretServices& s, WindowId f) {
    ConsoleOutputOwner output(s.console);
    if (!output) return std::nullopt;
    const std::optional<ScreenBufferInfo> info = s.console.ScreenBuffer(output.Get());
    if (!info) return std::nullopt;
    const Rect& w = info->window;
    if (info->cursor.y > w.bottom || info->cursor.x > w.right) return std::nullopt;
    CursorCell cell;
    cell.column = SatSub(info->cursor.x, w.left);
    cell.row = SatSub(info->cursor.y, w.top);
    if (cell.column < 0 || cell.row < 0) return std::nullopt;
    const std::optional<Rect> client = s.console.ClientRect(f);
    const std::optional<Point> origin = s.desktop.ClientToScreen(f, Point{0, 0});
    if (!client || !origin) return std::nullopt;
    cell.origin = *origin;
    cell.size = ConsoleCellSize(s.console.FontSize(output.Get()), *client, w);
    return cell;
}

// One read through one process's console.
struct ConsoleRead {
    bool shown = false;  // the process's console is F's
    std::optional<CursorCell> cell;
};

// Attaches to `processId`, reads the cursor cell when its console is F's, and
// detaches again whatever happened.
ConsoleRead ReadThrough(ConsoleCaretServices& s, std::uint32_t processId, WindowId f) {
    const AttachedConsole attached(s.console, processId);
    if (!attached || s.console.ConsoleWindow() != f) return {};
    return ConsoleRead{true, ReadCursorCell(s, f)};
}

// Other processes of F's session, in the order they are worth trying.
std::vector<Candidate> Candidates(Processes& processes, std::uint32_t p) {
    std::vector<Candidate> list;
    const std::optional<std::vector<ProcessEntry>> snapshot = processes.Snapshot();
    if (!snapshot) return list;
    const std::optional<std::uint32_t> session = processes.SessionId(p);
    const std::uint32_t self = processes.CurrentProcessId();
    for (const ProcessEntry& e : *snapshot) {
        if (e.processId == 0 || e.processId == p || e.processId == self) continue;
        if (session && processes.SessionId(e.processId) != session) continue;
        list.push_back(Candidate{ConsoleCandidateRank(AsciiLowerCopy(Utf16ToUtf8(e.exeFile))), e.processId});
    }
    std::sort(list.begin(), list.end(), [](const Candidate& a, const Candidate& b) {
        return a.rank != b.rank ? a.rank < b.rank : a.processId < b.processId;
    });
    list.erase(std::unique(list.begin(), list.end(),
                           [](const Candidate& a, const Candidate& b) { return a.processId == b.processId; }),
               list.end());
    return list;
}

// The composition of one input context, in cells before its cursor.
std::uint32_t ContextCompositionCells(Ime& ime, WindowId window) {
    InputContextOwner context(ime, window);
    if (!context) return 0;
    const std::int32_t n = ime.CompositionString(context.Get(), kGcsCompStr, nullptr, 0);
    if (n < 1) return 0;
    const std::uint32_t bufferBytes = (static_cast<std::uint32_t>(n) + 1) & ~1u;
    std::u16string buffer(bufferBytes / 2, u'\0');
    const std::int32_t m = ime.CompositionString(context.Get(), kGcsCompStr, buffer.data(), bufferBytes);
    const std::int32_t k = ime.CompositionString(context.Get(), kGcsCursorPos, nullptr, 0);
    context.Reset();
    if (m <= 0) return 0;
    const std::size_t units = std::min<std::size_t>(buffer.size(), static_cast<std::size_t>(m) / 2);
    if (units == 0) return 0;
    const std::size_t counted = (k <= 0 || static_cast<std::size_t>(k) > units) ? units : static_cast<std::size_t>(k);
    return CellWidth(std::u16string_view(buffer).substr(0, counted));
}

}  // namespace

std::uint8_t ConsoleCandidateRank(std::string_view exeName) {
    if (exeName == "cmd.exe") return 0;
    if (exeName == "wsl.exe" || exeName == "pwsh.exe" || exeName == "bash.exe" || exeName == "powershell.exe") return 1;
    if (exeName == "conhost.exe" || exeName == "openconsole.exe") return 3;
    return 2;
}

bool WideCharacter(char32_t c) {
    return (c >= 0x1100 && c <= 0x11FF) || (c >= 0x2E80 && c <= 0xA4CF) || (c >= 0xAC00 && c <= 0xD7AF) ||
           (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFE10 && c <= 0xFE6F) || (c >= 0xFF01 && c <= 0xFF60) ||
           (c >= 0xFFE0 && c <= 0xFFE6) || (c >= 0x1F300 && c <= 0x1FAFF);
}

std::uint32_t CellWidth(std::u16string_view text) {
    std::uint32_t cells = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        }
        cells += WideCharacter(c) ? 2 : 1;
    }
    return cells;
}

Point ConsoleCellSize(const std::optional<Point>& fontSize, const Rect& client, const Rect& visible) {
    auto atLeastOne = [](std::int64_t v) { return v < 2 ? std::int64_t{1} : v; };
    if (fontSize) return Point{SaturateToI32(atLeastOne(fontSize->x)), SaturateToI32(atLeastOne(fontSize->y))};
    // No font: share the client area among the visible cells.
    const std::int64_t width = atLeastOne(static_cast<std::int64_t>(client.right) - client.left);
    const std::int64_t height = atLeastOne(static_cast<std::int64_t>(client.bottom) - client.top);
    auto count = [](std::int32_t first, std::int32_t last) {
        return std::max<std::int64_t>(std::max<std::int64_t>(static_cast<std::int64_t>(last) - first, 0) + 1, 1);
    };
    return Point{SaturateToI32(std::max<std::int64_t>(width / count(visible.left, visible.right), 1)),
                 SaturateToI32(std::max<std::int64_t>(height / count(visible.top, visible.bottom), 1))};
}

CaretInfo ConsoleCellCaret(Point origin, std::int32_t column, std::int32_t row, std::uint32_t cells, Point cell) {
    const std::int64_t x = (static_cast<std::int64_t>(column) + cells) * cell.x;
    const std::int64_t y = static_cast<std::int64_t>(row) * cell.y;
    CaretInfo c;
    c.Found = true;
    c.X = SatAdd(origin.x, SaturateToI32(x));
    c.Top = SatAdd(origin.y, SaturateToI32(y));
    c.Bottom = std::max(SatAdd(c.Top, cell.y), SatAdd(c.Top, 1));
    return c;
}

CaretInfo LocateConsoleCaret(ConsoleCaretServices& s, ConsoleSource& source, const FocusSnapshot& snapshot,
                             std::uint32_t defaultCompositionCells) {
    const WindowId f = snapshot.foreground;
    const std::uint32_t p = snapshot.processId;
    if (p == 0) return {};
    // Every attempt failed for this window before: each would again try every
    // process of the session, on every read.
    if (source.unreachable == f) return {};
    ConsoleRead read;
    if (source.processId != 0 && source.window == f) read = ReadThrough(s, source.processId, f);
    if (!read.shown) {
        // Nothing remembered, or the remembered process left or shows another console.
        ReleaseConsole(source);
        read = ReadThrough(s, p, f);
        if (read.shown) {
            source = ConsoleSource{p, f};
        } else {
            for (const Candidate& c : Candidates(s.processes, p)) {
                read = ReadThrough(s, c.processId, f);
                if (read.shown) {
                    source = ConsoleSource{c.processId, f};
                    break;
                }
            }
        }
        if (!read.shown) source.unreachable = f;
    }
    if (!read.cell) return {};
    // The composition is the IME's, not the console's: read it detached.
    const std::uint32_t w = CompositionWidth(s.desktop, s.ime, snapshot.focus, snapshot.caret, f);
    const std::uint32_t cells = w > 0 ? std::min(w, kMaxCompositionCells) : defaultCompositionCells;
    const CursorCell& c = *read.cell;
    return ConsoleCellCaret(c.origin, c.column, c.row, cells, c.size);
}

std::uint32_t CompositionWidth(Desktop& desktop, Ime& ime, WindowId focus, WindowId caret, WindowId foreground) {
    std::array<WindowId, 6> examined{};
    std::size_t count = 0;
    std::uint32_t widest = 0;
    auto seen = [&](WindowId h) { return std::find(examined.begin(), examined.begin() + count, h) != examined.begin() + count; };
    auto examine = [&](WindowId h) {
        examined[count++] = h;
        widest = std::max(widest, ContextCompositionCells(ime, h));
    };
    for (WindowId w : {focus, caret, foreground}) {
        // A window examined already has had its IME window examined with it.
        if (w == kNoWindow || seen(w) || !desktop.IsWindow(w)) continue;
        examine(w);
        const WindowId imeWindow = ime.DefaultImeWindow(w);
        if (imeWindow != kNoWindow && !seen(imeWindow) && desktop.IsWindow(imeWindow)) examine(imeWindow);
    }
    return widest;
}

void ReleaseConsole(ConsoleSource& source) { source = ConsoleSource{}; }

}  // namespace tessel
