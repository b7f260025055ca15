// Cost of the IME status query over scripted platforms, and of classification.
#include <benchmark/benchmark.h>

#include "doubles/fake_clock.h"
#include "doubles/scripted_desktop.h"
#include "doubles/scripted_ime.h"
#include "input_mode/classify_input_mode.h"
#include "input_mode/query_ime_status.h"

namespace tessel {
namespace {

using testing::FakeClock;
using testing::ScriptedDesktop;
using testing::ScriptedIme;
using testing::ScriptedWindow;

constexpr std::uint32_t kThread = 7;
constexpr std::uint32_t kProcess = 70;
constexpr WindowId kFrame = 10;
constexpr WindowId kEdit = 11;
constexpr WindowId kImeWindow = 90;

// An editor (frame + edit control) whose process owns `extraWindows` more
// top-level windows, none of which answers, so a full search probes them all.
struct Rig {
    explicit Rig(int extraWindows, bool imeAnswers) {
        ScriptedWindow w;
        w.threadId = kThread;
        w.processId = kProcess;
        desktop.AddWindow(kFrame, w);
        w.parent = kFrame;
        w.root = kFrame;
        w.topLevel = false;
        desktop.AddWindow(kEdit, w);
        ScriptedWindow other;
        other.threadId = kThread + 1;
        other.processId = kProcess;
        for (int i = 0; i < extraWindows; ++i) desktop.AddWindow(1000 + static_cast<WindowId>(i), other);
        desktop.SetLayout(kThread, 0x04120412);
        desktop.SetLayout(kThread + 1, 0x04120412);
        if (imeAnswers) {
            ScriptedWindow imeW = w;
            imeW.parent = kNoWindow;
            desktop.AddWindow(kImeWindow, imeW);
            ime.SetDefaultImeWindow(kEdit, kImeWindow);
            ime.SetDefaultImeWindow(kFrame, kImeWindow);
            ime.SetImeWindow(kImeWindow, {.open = 1, .conversion = 1});
        }
        focus.focus = kEdit;
        focus.active = kFrame;
        focus.foreground = kFrame;
    }
    std::int64_t PlatformCalls() const { return desktop.TotalCalls() + ime.TotalCalls(); }

    ScriptedDesktop desktop;
    ScriptedIme ime{&desktop};
    FakeClock clock;
    NoImeHostDiscovery hosts;
    ImeQueryState state;
    FocusSnapshot focus;
    ImeQueryServices services{desktop, ime, clock, hosts};
};

void BM_QueryImeStatus_FastPath(benchmark::State& s) {
    Rig rig(0, true);
    QueryImeStatus(rig.state, rig.focus, kEdit, kProcess, rig.services);  // finds the source
    const std::int64_t before = rig.PlatformCalls();
    for (auto _ : s) {
        rig.clock.AdvanceMs(100);
        benchmark::DoNotOptimize(QueryImeStatus(rig.state, rig.focus, kEdit, kProcess, rig.services));
    }
    s.counters["platform_calls/query"] =
        benchmark::Counter(static_cast<double>(rig.PlatformCalls() - before) / static_cast<double>(s.iterations()));
    s.counters["ime_messages/query"] = benchmark::Counter(
        static_cast<double>(rig.ime.Calls(testing::ImeCall::SendImeControl) - 2) / static_cast<double>(s.iterations()));
}
BENCHMARK(BM_QueryImeStatus_FastPath);

void BM_QueryImeStatus_FullSearch128(benchmark::State& s) {
    // 128 candidate windows: the frame, the edit control and 126 further
    // windows of the focused process; nothing answers, the layout decides.
    Rig rig(126, false);
    std::int64_t candidates = 0;
    const std::int64_t before = rig.PlatformCalls();
    for (auto _ : s) {
        rig.clock.AdvanceMs(100);
        benchmark::DoNotOptimize(QueryImeStatus(rig.state, rig.focus, kEdit, kProcess, rig.services));
    }
    candidates = rig.ime.Calls(testing::ImeCall::DefaultImeWindow) / static_cast<std::int64_t>(s.iterations());
    s.counters["platform_calls/query"] =
        benchmark::Counter(static_cast<double>(rig.PlatformCalls() - before) / static_cast<double>(s.iterations()));
    s.counters["candidates"] = benchmark::Counter(static_cast<double>(candidates));
}
BENCHMARK(BM_QueryImeStatus_FullSearch128);

void BM_ClassifyInputMode(benchmark::State& s) {
    const ImeStatus statuses[] = {
        {0x09, 0x0411, StatusSource::Live, true}, {0x01, 0x0412, StatusSource::Live, true},
        {0x00, 0x0409, StatusSource::Live, false}, {0x1B, 0x0411, StatusSource::Recent, true},
        {0x01, 0x0804, StatusSource::Live, true},  {0x00, 0x0000, StatusSource::Unavailable, false},
    };
    std::size_t i = 0;
    for (auto _ : s) {
        benchmark::DoNotOptimize(ClassifyInputMode(statuses[i]));
        i = (i + 1) % 6;
    }
}
BENCHMARK(BM_ClassifyInputMode);

}  // namespace
}  // namespace tessel
