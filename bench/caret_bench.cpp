// LocateCaret for a standard edit control on the scripted desktop: time and
// platform calls per call, for the memoised path and for a re-evaluated target
// (what the caret-only refresh does before each call).
#include <benchmark/benchmark.h>

#include "doubles/app_rig.h"
#include "doubles/fake_clock.h"
#include "doubles/scripted_accessibility.h"
#include "doubles/scripted_console.h"
#include "doubles/scripted_desktop.h"
#include "doubles/scripted_outlook.h"
#include "editability/caret_locator.h"

namespace {

using tessel::CaretContext;
using tessel::CaretLocatorState;
using tessel::FocusSnapshot;
using tessel::testing::FakeClock;
using tessel::testing::ScriptedDesktop;
using tessel::testing::ScriptedWindow;

struct EditScene {
    ScriptedDesktop desktop;
    FakeClock clock;
    tessel::NoAutomation automation;
    tessel::UiaState uia;
    tessel::testing::ScriptedOutlook outlook;
    tessel::OutlookAnswerCache outlookAnswer;
    tessel::testing::ScriptedAccessibility accessibility;
    tessel::testing::ScriptedConsole console;
    tessel::testing::FakeProcesses processes;
    tessel::testing::ScriptedIme ime{&desktop};
    CaretLocatorState state;
    FocusSnapshot snapshot;

    EditScene() {
        ScriptedWindow top;
        top.className = u"Notepad";
        top.rect = {0, 0, 1024, 768};
        desktop.AddWindow(1, top);
        ScriptedWindow edit;
        edit.className = u"Edit";
        edit.parent = 1;
        edit.rect = {8, 60, 1016, 760};
        edit.clientOrigin = {10, 62};
        edit.monitor = 9;
        desktop.AddWindow(2, edit);
        desktop.SetMonitorDpi(9, 96);
        snapshot.caretRect = {120, 40, 121, 58};
        snapshot.foreground = snapshot.active = 1;
        snapshot.focus = snapshot.caret = 2;
        snapshot.processId = 7;
    }
};

void Run(benchmark::State& st, bool invalidateEachCall) {
    EditScene scene;
    CaretContext context{scene.desktop,       scene.clock,   scene.automation, scene.uia,
                         scene.outlook,       scene.outlookAnswer, scene.accessibility,
                         scene.console,       scene.processes, scene.ime};
    tessel::LocateCaret(context, scene.state, scene.snapshot, 1);  // first call classifies
    scene.desktop.ResetCalls();
    std::int64_t found = 0;
    for (auto _ : st) {
        if (invalidateEachCall) tessel::InvalidateTargetMemo(scene.state.targetMemo);
        auto location = tessel::LocateCaret(context, scene.state, scene.snapshot, 1);
        found += location.caret.Found;
        benchmark::DoNotOptimize(location);
    }
    const double n = static_cast<double>(st.iterations());
    st.counters["platform_calls_per_call"] = scene.desktop.TotalCalls() / n;
    st.counters["class_name_reads_per_call"] = scene.desktop.Calls("ClassName") / n;
    st.counters["found_share"] = static_cast<double>(found) / n;
}

void BM_LocateCaretEditMemoised(benchmark::State& st) { Run(st, false); }
void BM_LocateCaretEditReevaluated(benchmark::State& st) { Run(st, true); }

BENCHMARK(BM_LocateCaretEditMemoised);
BENCHMARK(BM_LocateCaretEditReevaluated);

}  // namespace
