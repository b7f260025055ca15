// The three update operations on the scripted desktop for three kinds of
// target: a standard edit control, a browser-like window whose render widget
// has no system caret (UI Automation answers), and a classic console. Each
// iteration runs one operation in its steady state; the counters give the
// platform calls it made per run (window manager, IME, badge window and
// drawing, caret sources such as UI Automation), and "cold_*" those of the
// first full update on a fresh state. Time per iteration is the time per
// operation, including the scripted doubles' bookkeeping and the counting.
#include <benchmark/benchmark.h>

#include <memory>
#include <optional>

#include "doubles/app_rig.h"
#include "main/app_state.h"
#include "main/app_state_ops.h"
#include "main/update_cycle.h"

namespace tessel {
namespace {

using testing::ScriptedWindow;

enum class Target { Edit, Browser, Console };
enum class Operation { Full, Mode, Caret };

constexpr WindowId kFrame = 0x100;
constexpr WindowId kChild = 0x101;
constexpr std::uint32_t kThread = 7;
constexpr std::uint32_t kPid = 70;
constexpr std::uintptr_t kUsEnglish = 0x04090409;

ScriptedWindow Win(std::u16string cls, WindowId parent, Rect rect) {
    return testing::MakeWindow(std::move(cls), parent, kThread, kPid, rect);
}

int BadgeCalls(const testing::ScriptedBadgePlatform& b) {
    int n = 0;
    for (const char* op : {"MonitorFromPoint", "EffectiveDpi", "ForegroundWindow", "DpiForWindow", "ClassName64",
                           "VirtualScreen", "KeyToggled", "MoveTopmost", "Hide", "ShowNoActivate", "CreateCanvas",
                           "DrawGlyph", "Present"})
        n += b.Calls(op);
    return n;
}

struct Rig : testing::AppRig {
    Target target;
    int caretX = 0;

    explicit Rig(Target t) : target(t) {
        processes.names[kPid] = u"app.exe";
        desktop.SetLayout(kThread, kUsEnglish);

        GuiThreadInfo info;
        info.active = kFrame;
        switch (target) {
            case Target::Edit:
                desktop.AddWindow(kFrame, Win(u"Notepad", kNoWindow, Rect{100, 100, 700, 500}));
                desktop.AddWindow(kChild, Win(u"Edit", kFrame, Rect{110, 140, 690, 490}));
                info.focus = info.caret = kChild;
                break;
            case Target::Browser:
                desktop.AddWindow(kFrame, Win(u"Chrome_WidgetWin_1", kNoWindow, Rect{0, 0, 1200, 900}));
                desktop.AddWindow(kChild, Win(u"Chrome_RenderWidgetHostHWND", kFrame, Rect{0, 80, 1200, 900}));
                info.focus = kChild;  // no system caret
                automation.present = true;
                automation.focused = 10;
                automation.Add(10).Editable().Rect(100, 300, 800, 340).caret = testing::TextSpan{0, 0};
                break;
            case Target::Console:
                desktop.AddWindow(kFrame, Win(u"ConsoleWindowClass", kNoWindow, Rect{50, 50, 850, 650}));
                console.consoleOf[kPid] = kFrame;
                console.buffers[kFrame].info.window = Rect{0, 0, 79, 24};
                console.buffers[kFrame].font = Point{8, 16};
                console.clientRects[kFrame] = Rect{0, 0, 640, 400};
                break;
        }
        desktop.SetForeground(kFrame);
        desktop.SetGuiThreadInfo(kThread, info);
        MoveCaret();
    }

    // Puts the caret at the next of two places, so that every refresh moves the badge.
    void MoveCaret() {
        caretX = caretX == 40 ? 48 : 40;
        switch (target) {
            case Target::Edit: {
                GuiThreadInfo info;
                info.active = kFrame;
                info.focus = info.caret = kChild;
                info.caretRect = Rect{caretX, 10, caretX + 1, 26};
                desktop.SetGuiThreadInfo(kThread, info);
                break;
            }
            case Target::Browser:
                automation.Node(10).emptyRangeRects = {ElementRect{100.0 + caretX, 310, 2, 16}};
                break;
            case Target::Console:
                console.buffers[kFrame].info.cursor = Point{caretX / 8, 15};
                break;
        }
    }

    void ResetCalls() {
        desktop.ResetCalls();
        ime.ResetCalls();
        badge.ResetCalls();
        automation.ResetCounts();
        console.attachTries.clear();
        console.opens = console.frees = 0;
    }
};

struct Totals {
    double desktop = 0, ime = 0, badge = 0, caretSources = 0;
    void Add(Rig& rig) {
        desktop += rig.desktop.TotalCalls();
        ime += rig.ime.TotalCalls();
        badge += BadgeCalls(rig.badge);
        caretSources += static_cast<double>(rig.automation.TotalCalls() +
                                            rig.console.attachTries.size()) +
                        rig.console.opens + rig.console.frees;
        rig.ResetCalls();
    }
};

void UpdateCycle(benchmark::State& bm, Target target, Operation op) {
    Rig rig(target);
    rig.ResetCalls();
    FullUpdate(rig.state);
    if (!rig.state.badge.Visible) {
        bm.SkipWithError("the scripted target shows no badge");
        return;
    }
    Totals cold;
    cold.Add(rig);

    // Steady state as the poll sees it: a full update each second, a mode
    // check each half second, a caret refresh after each 100 ms of typing.
    const int stepMs = op == Operation::Full ? 1000 : op == Operation::Mode ? 500 : 100;
    Totals steady;
    bool shown = true;
    for (auto _ : bm) {
        rig.clock.AdvanceMs(stepMs);
        if (op == Operation::Caret) rig.MoveCaret();
        switch (op) {
            case Operation::Full: FullUpdate(rig.state); break;
            case Operation::Mode: RefreshMode(rig.state); break;
            case Operation::Caret: benchmark::DoNotOptimize(RefreshCaret(rig.state)); break;
        }
        shown = shown && rig.state.badge.Visible;
        steady.Add(rig);
    }
    if (!shown) bm.SkipWithError("the badge disappeared during the run");
    const auto perRun = benchmark::Counter::kAvgIterations;
    bm.counters["desktop"] = benchmark::Counter(steady.desktop, perRun);
    bm.counters["ime"] = benchmark::Counter(steady.ime, perRun);
    bm.counters["badge"] = benchmark::Counter(steady.badge, perRun);
    bm.counters["caret_src"] = benchmark::Counter(steady.caretSources, perRun);
    bm.counters["cold_desktop"] = cold.desktop;
    bm.counters["cold_ime"] = cold.ime;
    bm.counters["cold_badge"] = cold.badge;
    bm.counters["cold_caret_src"] = cold.caretSources;
}

BENCHMARK_CAPTURE(UpdateCycle, Edit_FullUpdate, Target::Edit, Operation::Full);
BENCHMARK_CAPTURE(UpdateCycle, Edit_RefreshMode, Target::Edit, Operation::Mode);
BENCHMARK_CAPTURE(UpdateCycle, Edit_RefreshCaret, Target::Edit, Operation::Caret);
BENCHMARK_CAPTURE(UpdateCycle, Browser_FullUpdate, Target::Browser, Operation::Full);
BENCHMARK_CAPTURE(UpdateCycle, Browser_RefreshMode, Target::Browser, Operation::Mode);
BENCHMARK_CAPTURE(UpdateCycle, Browser_RefreshCaret, Target::Browser, Operation::Caret);
BENCHMARK_CAPTURE(UpdateCycle, Console_FullUpdate, Target::Console, Operation::Full);
BENCHMARK_CAPTURE(UpdateCycle, Console_RefreshMode, Target::Console, Operation::Mode);
BENCHMARK_CAPTURE(UpdateCycle, Console_RefreshCaret, Target::Console, Operation::Caret);

}  // namespace
}  // namespace tessel
