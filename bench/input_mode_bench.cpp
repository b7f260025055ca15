// Cost of the IME status query over scripted platforms, and of classification.
#include <benchmark/benchmark.h>

#include "doubles/app_rig.h"
#include "doubles/fake_clock.h"
#include "doubles/scripted_desktop.h"
#include "doubles/scripted_ime.h"
#include "input_mode/classify_input_mode.h"
#include "input_mode/ime_host_discovery.h"
#include "input_mode/query_ime_status.h"

namespace tessel {
namespace {

using testing::FakeClock;
using testing::FakeProcesses;
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
        processes.names = {{kProcess, u"editor.exe"}};
    }
    std::int64_t PlatformCalls() const { return desktop.TotalCalls() + ime.TotalCalls(); }

    ScriptedDesktop desktop;
    ScriptedIme ime{&desktop};
    FakeClock clock;
    FakeProcesses processes;
    ImeQueryState state;
    FocusSnapshot focus;
    ImeQueryServices services{desktop, ime, clock, &processes};
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

// A desktop of 100 processes and 500 windows: 95 apps with 4 windows each
// (one top-level window with three children) and the five shell hosts with 24
// windows each (six top-level windows with three children each).
struct HostRig {
    static constexpr std::uint32_t kExplorer = 14;  // the foreground process
    static constexpr std::uint32_t kApp = 1000;     // the first app; none is a host

    HostRig() {
        const std::u16string hosts[] = {u"TextInputHost.exe", u"SearchHost.exe", u"StartMenuExperienceHost.exe",
                                        u"ShellExperienceHost.exe", u"explorer.exe"};
        WindowId next = 0x1000;
        auto add = [&](std::uint32_t pid, WindowId parent) {
            ScriptedWindow w;
            w.processId = pid;
            w.threadId = pid * 10;
            w.parent = parent;
            w.topLevel = parent == kNoWindow;
            desktop.AddWindow(next, w);
            return next++;
        };
        for (std::uint32_t i = 0; i < 100; ++i) {
            const bool host = i < 5;
            const std::uint32_t pid = host ? 10 + i : kApp + i;
            processes.names[pid] = host ? hosts[i] : u"app" + std::u16string(1, u'a' + i % 26) + u".exe";
            processes.sessions[pid] = 1;
            for (int top = 0; top < (host ? 6 : 1); ++top) {
                const WindowId frame = add(pid, kNoWindow);
                for (int child = 0; child < 3; ++child) add(pid, frame);
            }
        }
    }
    std::int64_t PlatformCalls() const {
        return desktop.TotalCalls() + processes.snapshots + processes.sessionReads;
    }

    ScriptedDesktop desktop;
    FakeProcesses processes;
    FakeClock clock;
    ImeQueryState state;
};

// A rebuild on every call: the focused app alternates between two processes.
void BM_DiscoverImeHosts_Build(benchmark::State& s) {
    HostRig rig;
    std::size_t windows = 0;
    std::uint32_t app = HostRig::kApp + 10;
    const std::int64_t before = rig.PlatformCalls();
    for (auto _ : s) {
        CandidateList list;
        app ^= 1;
        DiscoverImeHosts(rig.state, list, rig.desktop, rig.processes, HostRig::kExplorer, app, true, rig.clock.Now());
        windows = list.Windows.size();
    }
    s.counters["platform_calls/call"] =
        benchmark::Counter(static_cast<double>(rig.PlatformCalls() - before) / static_cast<double>(s.iterations()));
    s.counters["windows"] = benchmark::Counter(static_cast<double>(windows));
}
BENCHMARK(BM_DiscoverImeHosts_Build);

// Reuse within the second: the cached windows are only checked and appended.
void BM_DiscoverImeHosts_Cached(benchmark::State& s) {
    HostRig rig;
    CandidateList first;
    DiscoverImeHosts(rig.state, first, rig.desktop, rig.processes, HostRig::kExplorer, HostRig::kApp, true,
                     rig.clock.Now());
    const std::int64_t before = rig.PlatformCalls();
    for (auto _ : s) {
        CandidateList list;
        DiscoverImeHosts(rig.state, list, rig.desktop, rig.processes, HostRig::kExplorer, HostRig::kApp, true,
                         rig.clock.Now());
        benchmark::DoNotOptimize(list.Windows.data());
    }
    s.counters["platform_calls/call"] =
        benchmark::Counter(static_cast<double>(rig.PlatformCalls() - before) / static_cast<double>(s.iterations()));
    s.counters["windows"] = benchmark::Counter(static_cast<double>(first.Windows.size()));
}
BENCHMARK(BM_DiscoverImeHosts_Cached);

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
