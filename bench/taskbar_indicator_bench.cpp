// The taskbar indicator reading at Task Manager's 50 ms pace while the taskbar
// shows no input indicator (hidden, or named in another language): the calls
// into the taskbar's element tree per simulated second, which are calls into
// Explorer on a real desktop, and the time one simulated second takes here.
#include <benchmark/benchmark.h>

#include "doubles/fake_clock.h"
#include "doubles/scripted_automation.h"
#include "doubles/scripted_desktop.h"
#include "input_mode/taskbar_indicator.h"

namespace tessel {
namespace {

using testing::FakeClock;
using testing::ScriptedAutomation;
using testing::ScriptedDesktop;
using testing::ScriptedWindow;

constexpr WindowId kTaskbar = 0x40;
constexpr int kTicksPerSecond = 20;  // the 50 ms timer

// A taskbar of six bands of thirty named buttons, none of them the indicator:
// more elements than one search may examine.
struct TaskbarWithoutIndicator {
    ScriptedAutomation a;
    ScriptedDesktop d;
    FakeClock clock;
    std::uint8_t reading = taskbar_reading::kNone;
    OptionalTime lastMiss;
    UiaElementRef held;

    TaskbarWithoutIndicator() {
        ScriptedWindow tray;
        tray.className = u"Shell_TrayWnd";
        d.AddWindow(kTaskbar, tray);
        a.windowElements[kTaskbar] = 1;
        a.Add(1);
        for (int band = 0; band < 6; ++band) {
            a.Add(10 + band, 1).strings[uia_property::kName] = "도구 모음";
            for (int i = 0; i < 30; ++i) a.Add(100 * (band + 1) + i, 10 + band).strings[uia_property::kName] = "단추";
        }
    }

    // One second of ticks, each a new update as the timer runs it.
    void OneSecond() {
        for (int tick = 0; tick < kTicksPerSecond; ++tick) {
            a.BeginUpdate();
            ReadTaskbarIndicator(a, d, clock, TaskbarIndicatorState{reading, held, lastMiss});
            clock.AdvanceMs(1000 / kTicksPerSecond);
        }
    }
};

void BM_TaskbarWithoutIndicatorOneSecond(benchmark::State& state) {
    TaskbarWithoutIndicator t;
    t.OneSecond();  // the first search has run before the measured seconds
    t.a.ResetCounts();
    std::int64_t seconds = 0;
    for (auto _ : state) {
        t.OneSecond();
        ++seconds;
    }
    state.counters["tree_calls_per_s"] = static_cast<double>(t.a.TotalCalls()) / static_cast<double>(seconds);
    state.counters["elements_per_s"] =
        static_cast<double>(t.a.Calls(testing::UiaCall::StringProperty)) / static_cast<double>(seconds);
}
BENCHMARK(BM_TaskbarWithoutIndicatorOneSecond);

}  // namespace
}  // namespace tessel
