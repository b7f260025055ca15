// The console caret: which process is attached, for one read only, how the
// cursor cell becomes pixels, and how a composition in progress widens it.
#include <gtest/gtest.h>

#include "doubles/app_rig.h"
#include "doubles/scripted_console.h"
#include "doubles/scripted_desktop.h"
#include "doubles/scripted_ime.h"
#include "editability/console_caret.h"

namespace tessel {
namespace {

using testing::FakeProcesses;
using testing::ScriptedConsole;
using testing::ScriptedDesktop;
using testing::ScriptedIme;
using testing::ScriptedWindow;

constexpr WindowId kConsoleWindow = 0x50;
constexpr std::uint32_t kHost = 500;  // the process the console window belongs to

TEST(ConsoleCaretRules, RanksWideCharactersAndCells) {
    EXPECT_EQ(ConsoleCandidateRank("cmd.exe"), 0);
    EXPECT_EQ(ConsoleCandidateRank("powershell.exe"), 1);
    EXPECT_EQ(ConsoleCandidateRank("vim.exe"), 2);
    EXPECT_EQ(ConsoleCandidateRank(""), 2);
    EXPECT_EQ(ConsoleCandidateRank("openconsole.exe"), 3);

    EXPECT_TRUE(WideCharacter(U'한'));
    EXPECT_TRUE(WideCharacter(0x1F600));  // an emoji beyond the basic plane
    EXPECT_FALSE(WideCharacter(0x10FF));
    EXPECT_FALSE(WideCharacter(0xFF61));  // half-width katakana
    // Two Hangul syllables, a surrogate pair (wide) and an unpaired surrogate (narrow).
    EXPECT_EQ(CellWidth(u"한글"), 4u);
    EXPECT_EQ(CellWidth(u"a\U0001F600"), 3u);
    EXPECT_EQ(CellWidth(std::u16string{u'a', char16_t(0xD800), u'b'}), 3u);
}

TEST(ConsoleCaretRules, CellSizeAndPosition) {
    // No font: 120 x 30 visible cells in a 960 x 600 client area.
    EXPECT_EQ(ConsoleCellSize(std::nullopt, Rect{0, 0, 960, 600}, Rect{0, 0, 119, 29}), (Point{8, 20}));
    // A font of one pixel counts as one; an inverted window as one cell.
    EXPECT_EQ(ConsoleCellSize(Point{1, 16}, Rect{}, Rect{}), (Point{1, 16}));
    EXPECT_EQ(ConsoleCellSize(std::nullopt, Rect{0, 0, 1, 0}, Rect{5, 5, 0, 0}), (Point{1, 1}));
    EXPECT_EQ(ConsoleCellCaret(Point{100, 200}, 3, 2, 2, Point{8, 16}), (CaretInfo{true, 140, 232, 248}));
    const CaretInfo far = ConsoleCellCaret(Point{2147483000, 2147483000}, 1000, 1000, 8, Point{8, 16});
    EXPECT_EQ(far.X, 2147483647);
    EXPECT_EQ(far.Top, 2147483647);
}

class ConsoleCaret : public ::testing::Test {
protected:
    ConsoleCaret() {
        ScriptedWindow w;
        w.className = u"ConsoleWindowClass";
        w.clientOrigin = Point{100, 200};
        desktop.AddWindow(kConsoleWindow, w);
        console.buffers[kConsoleWindow].info = ScreenBufferInfo{Point{5, 103}, Rect{0, 100, 79, 124}};
        console.buffers[kConsoleWindow].font = Point{8, 16};
        console.clientRects[kConsoleWindow] = Rect{0, 0, 640, 400};
        snapshot.foreground = snapshot.active = snapshot.focus = kConsoleWindow;
        snapshot.processId = kHost;
        processes.currentProcessId = 1;
    }

    CaretInfo Locate(std::uint32_t cells = 1) {
        ConsoleCaretServices services{desktop, console, processes, ime};
        return LocateConsoleCaret(services, source, snapshot, cells);
    }

    ScriptedDesktop desktop;
    ScriptedConsole console;
    FakeProcesses processes;
    ScriptedIme ime{&desktop};
    FocusSnapshot snapshot;
    ConsoleSource source;
};

TEST_F(ConsoleCaret, EveryReadDetachesAndTheNextAttachesToTheRememberedProcess) {
    console.consoleOf[kHost] = kConsoleWindow;
    // Column 5, row 3 of the visible window; English: one cell.
    EXPECT_EQ(Locate(), (CaretInfo{true, 100 + 6 * 8, 200 + 3 * 16, 200 + 4 * 16}));
    EXPECT_EQ(console.attached, kNoWindow);
    EXPECT_EQ(source, (ConsoleSource{kHost, kConsoleWindow}));
    EXPECT_EQ(Locate(2).X, 100 + 7 * 8);
    EXPECT_EQ(console.attached, kNoWindow);
    EXPECT_EQ(console.attachTries, (std::vector<std::uint32_t>{kHost, kHost}));
    EXPECT_EQ(console.frees, 2);

    // A failed read detaches as well and keeps the process for the next read.
    console.buffers[kConsoleWindow].infoFails = true;
    EXPECT_FALSE(Locate().Found);
    EXPECT_EQ(console.attached, kNoWindow);
    EXPECT_EQ(source.processId, kHost);
    EXPECT_EQ(console.openOutputs, 0);
    EXPECT_EQ(processes.snapshots, 0);

    // The foreground shows another console that no process gives: nothing
    // attached, no process remembered, only that this console has none.
    snapshot.foreground = 0x51;
    snapshot.processId = 0;
    EXPECT_FALSE(Locate().Found);
    EXPECT_EQ(source.processId, kHost);  // a process id of 0 tries nothing, not even forgetting
    snapshot.processId = 600;
    EXPECT_FALSE(Locate().Found);
    EXPECT_EQ(console.attached, kNoWindow);
    EXPECT_EQ(source, (ConsoleSource{0, kNoWindow, 0x51}));
}

TEST_F(ConsoleCaret, AConsoleThatNoProcessAttachesForIsNotSearchedAgainWhileItStaysInTheForeground) {
    // An elevated console: neither its own process nor any other of the
    // session can be attached for it.
    processes.names = {{kHost, u"conhost.exe"}, {20, u"cmd.exe"}, {30, u"pwsh.exe"}};
    EXPECT_FALSE(Locate().Found);
    EXPECT_EQ(console.attachTries, (std::vector<std::uint32_t>{kHost, 20, 30}));
    EXPECT_EQ(processes.snapshots, 1);
    for (int i = 0; i < 3; ++i) EXPECT_FALSE(Locate().Found);
    EXPECT_EQ(console.attachTries.size(), 3u) << "attached again while the same console stayed in front";
    EXPECT_EQ(processes.snapshots, 1);

    // Another console in front, then the first again: searched anew.
    const FocusSnapshot first = snapshot;
    snapshot.foreground = 0x51;
    snapshot.processId = 600;
    EXPECT_FALSE(Locate().Found);
    snapshot = first;
    EXPECT_FALSE(Locate().Found);
    EXPECT_EQ(processes.snapshots, 3);

    // So is it after any other foreground window, which forgets the console.
    ReleaseConsole(source);
    EXPECT_FALSE(Locate().Found);
    EXPECT_EQ(processes.snapshots, 4);
}

TEST_F(ConsoleCaret, SearchTriesShellsInRankOrderWithinTheSession) {
    processes.names = {{kHost, u"conhost.exe"},    {20, u"PowerShell.exe"}, {30, u"cmd.exe"},
                       {31, u"cmd.exe"},           {40, u"conhost.exe"},     {50, u"cmd.exe"},
                       {1, u"tessel.exe"},         {60, u"vim.exe"}};
    processes.sessions = {{kHost, 1}, {20, 1}, {30, 1}, {31, 1}, {40, 1}, {50, 2}, {1, 1}, {60, 1}};
    console.consoleOf[30] = 0x77;  // a cmd.exe of another console: undone at once
    console.consoleOf[20] = kConsoleWindow;
    console.consoleOf[40] = kConsoleWindow;
    EXPECT_TRUE(Locate().Found);
    // P itself, then cmd.exe (ascending ids), then PowerShell; another session and this program never.
    EXPECT_EQ(console.attachTries, (std::vector<std::uint32_t>{kHost, 30, 31, 20}));
    EXPECT_EQ(console.frees, 2);  // the other console at once, this one after the read
    EXPECT_EQ(console.attached, kNoWindow);
    EXPECT_EQ(source.processId, 20u);

    // The next read goes straight to the process found, without a new search.
    EXPECT_TRUE(Locate().Found);
    EXPECT_EQ(processes.snapshots, 1);
    EXPECT_EQ(console.attachTries, (std::vector<std::uint32_t>{kHost, 30, 31, 20, 20}));

    // Once it has left, the search runs again and finds the console host.
    console.consoleOf.erase(20);
    EXPECT_TRUE(Locate().Found);
    EXPECT_EQ(processes.snapshots, 2);
    EXPECT_EQ(source.processId, 40u);
    EXPECT_EQ(console.attached, kNoWindow);
}

TEST_F(ConsoleCaret, CursorOutsideTheVisibleWindowIsNoCaret) {
    console.consoleOf[kHost] = kConsoleWindow;
    console.buffers[kConsoleWindow].info.cursor = Point{5, 125};  // below
    EXPECT_FALSE(Locate().Found);
    console.buffers[kConsoleWindow].info.cursor = Point{5, 99};  // above
    EXPECT_FALSE(Locate().Found);
    EXPECT_EQ(source.processId, kHost);  // the console is the right one: kept for the next read
    EXPECT_EQ(console.openOutputs, 0);
    console.buffers[kConsoleWindow].info.cursor = Point{5, 124};  // last visible row
    EXPECT_TRUE(Locate().Found);
}

TEST_F(ConsoleCaret, CompositionWidensTheCaretUpToEightCells) {
    console.consoleOf[kHost] = kConsoleWindow;
    ime.SetContext(kConsoleWindow, {});
    ime.SetComposition(kConsoleWindow, u"한글");
    EXPECT_EQ(Locate(1).X, 100 + (5 + 4) * 8);
    ime.SetComposition(kConsoleWindow, u"abcdefghijkl");
    EXPECT_EQ(Locate(1).X, 100 + (5 + 8) * 8);
    // Only the text before the composition cursor counts.
    ime.SetComposition(kConsoleWindow, u"한글", 1);
    EXPECT_EQ(Locate(1).X, 100 + (5 + 2) * 8);
    EXPECT_EQ(ime.OutstandingContexts(), 0u);
}

}  // namespace
}  // namespace tessel
