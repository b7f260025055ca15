// ResolveUiaCaret over scripted element trees: a browser page whose caret sits
// two levels below the focused element, an Office-like document, and an empty
// search field. Per search: time, platform calls, elements visited and heap
// allocations (counted by the replacement operator new of
// allocation_counter.cpp, which serves the whole benchmark binary).
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <new>

#include "allocation_counter.h"
#include "doubles/fake_clock.h"
#include "doubles/scripted_automation.h"
#include "doubles/scripted_desktop.h"
#include "editability/uia_caret_search.h"

namespace {

using namespace tessel;
using tessel::testing::ScriptedNode;
using tessel::testing::TextSpan;
namespace prop = uia_property;

constexpr WindowId kForeground = 1;

enum class Scene { Browser, Document, EmptySearch };

struct Flags {
    bool console = false;
    bool chromium = false;
    bool scope = false;
};

struct Bench {
    tessel::testing::UiaRig rig;
    Flags flags;
    FocusSnapshot snapshot;

    explicit Bench(Scene scene) {
        auto& a = rig.a;
        tessel::testing::ScriptedWindow w;
        w.rect = {0, 0, 1280, 900};
        w.processId = 42;
        snapshot.foreground = snapshot.active = kForeground;
        snapshot.focus = 2;
        snapshot.processId = 42;
        switch (scene) {
            case Scene::Browser: {
                // Focused web area; a form group and its editable field below it,
                // after a header and a navigation list.
                w.className = u"Chrome_WidgetWin_1";
                flags = {false, true, true};
                a.Add(1).ints[prop::kControlType] = 50033;  // pane
                a.Add(10, 1).ints[prop::kControlType] = uia_control_type::kDocument;
                a.Node(10).Rect(0, 80, 1280, 820);
                a.Add(20, 10).Is(Editability::StaticText).Rect(0, 80, 1280, 60);
                a.Add(21, 10).ints[prop::kControlType] = 50008;  // list
                for (int i = 0; i < 5; ++i) a.Add(30 + i, 21).Is(Editability::StaticText).Rect(20, 150 + 20 * i, 200, 18);
                a.Add(22, 10).ints[prop::kControlType] = uia_control_type::kGroup;
                ScriptedNode& field = a.Add(40, 22).Editable().Rect(300, 400, 500, 32).Text(24, 306, 407, 8, 18);
                field.strings[prop::kAriaRole] = "textbox";
                field.selection = {TextSpan{12, 12}};
                field.caret = TextSpan{12, 12};
                a.focused = 10;
                break;
            }
            case Scene::Document: {
                w.className = u"OpusApp";
                a.Add(1).ints[prop::kControlType] = 50033;
                ScriptedNode& body = a.Add(10, 1).Is(Editability::EditableDocument).Rect(100, 120, 1000, 700);
                body.textPattern = body.text2Pattern = body.textEditPattern = true;
                body.Text(80, 140, 300, 7, 20);
                body.selection = {TextSpan{41, 41}};
                body.caret = TextSpan{41, 41};
                body.emptyRangeRects = {ElementRect{427, 300, 1, 20}};
                for (int i = 0; i < 6; ++i) a.Add(50 + i, 10).Is(Editability::StaticText);
                a.focused = 10;
                break;
            }
            case Scene::EmptySearch: {
                w.className = u"Chrome_WidgetWin_1";
                flags = {false, true, true};
                a.Add(1).ints[prop::kControlType] = 50033;
                a.Add(10, 1).ints[prop::kControlType] = uia_control_type::kGroup;
                ScriptedNode& box = a.Add(11, 10).Editable().Rect(400, 20, 480, 36);
                box.strings[prop::kAriaRole] = "searchbox";
                box.strings[prop::kValueValue] = "";
                box.bools[prop::kValueIsReadOnly] = false;
                box.caret.reset();
                a.focused = 11;
                break;
            }
        }
        rig.d.AddWindow(kForeground, w);
    }

    UiaCaret Search() {
        // Every search asks for the focused element afresh, as after a focus change.
        EmptyFocusedElementCache(rig.state.focusedElement);
        return ResolveUiaCaret(rig.env, snapshot, flags.console, flags.chromium, flags.scope);
    }
};

void ResolveUiaCaretBench(benchmark::State& st, Scene scene) {
    Bench bench(scene);
    const UiaCaret warm = bench.Search();  // lets the reused buffers grow once
    if (warm.kind != UiaCaretKind::CaretFound) st.SkipWithError("scene has no caret");
    bench.rig.a.ResetCounts();
    bench.rig.d.ResetCalls();
    int visited = 0;
    std::size_t allocations = 0;
    for (auto _ : st) {
        bench.rig.a.ResetCounts();
        const std::uint64_t before = tessel::bench::AllocationCount();
        const UiaCaret c = bench.Search();
        allocations += tessel::bench::AllocationCount() - before;
        visited += bench.rig.a.ElementsAsked();
        benchmark::DoNotOptimize(c);
        st.PauseTiming();
        st.counters["uia_calls"] = bench.rig.a.TotalCalls();
        st.ResumeTiming();
    }
    const double n = static_cast<double>(st.iterations());
    st.counters["desktop_calls"] = bench.rig.d.TotalCalls() / n;
    st.counters["elements"] = visited / n;
    st.counters["allocs"] = static_cast<double>(allocations) / n;
    EmptyFocusedElementCache(bench.rig.state.focusedElement);
    if (bench.rig.a.LiveReferences() != 0) st.SkipWithError("references leaked");
}

BENCHMARK_CAPTURE(ResolveUiaCaretBench, browser_two_levels_down, Scene::Browser);
BENCHMARK_CAPTURE(ResolveUiaCaretBench, office_document, Scene::Document);
BENCHMARK_CAPTURE(ResolveUiaCaretBench, empty_search_field, Scene::EmptySearch);

}  // namespace
