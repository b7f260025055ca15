// The taskbar's input indicator: its name, the bounded search for it, and the
// held element that is re-read until it stops announcing a mode.
#include <gtest/gtest.h>

#include "doubles/fake_clock.h"
#include "doubles/scripted_automation.h"
#include "input_mode/taskbar_indicator.h"

namespace tessel {
namespace {

using testing::ScriptedAutomation;
using testing::ScriptedDesktop;
using testing::ScriptedWindow;
using testing::UiaCall;
namespace reading = taskbar_reading;

constexpr WindowId kTaskbar = 0x40;

struct IndicatorRig {
    ScriptedAutomation a;
    ScriptedDesktop d;
    testing::FakeClock clock;
    std::uint8_t value = reading::kNone;
    OptionalTime lastMiss;
    UiaElementRef held;

    IndicatorRig() {
        ScriptedWindow tray;
        tray.className = u"Shell_TrayWnd";
        d.AddWindow(kTaskbar, tray);
        a.windowElements[kTaskbar] = 1;
        a.Add(1);
        a.Add(2, 1);
        a.Add(3, 2);  // the indicator, two levels down
        Name(3, "Input indicator: Korean input mode (Hangul)");
    }
    void Name(int id, std::string name) { a.Node(id).strings[uia_property::kName] = std::move(name); }
    // A read after any back-off has passed.
    bool Read() {
        clock.Advance(kIndicatorSearchBackOff);
        return ReadNow();
    }
    bool ReadNow() { return ReadTaskbarIndicator(a, d, clock, TaskbarIndicatorState{value, held, lastMiss}); }
    // Calls into the taskbar's tree, and the lookup of the taskbar itself.
    int Calls() const { return a.TotalCalls() + d.Calls("FindTopLevelWindow"); }
    std::uint8_t Classify(int id) {
        a.focused = id;
        return ClassifyIndicatorName(a, a.FocusedElement());
    }
};

TEST(InputModeTaskbarIndicator, NamesInTableOrder) {
    IndicatorRig r;
    r.a.Add(9);
    r.Name(9, "Tray - KOREAN Input Mode, then english input mode");
    EXPECT_EQ(r.Classify(9), reading::kKorean);
    r.Name(9, "영어 입력 모드");
    EXPECT_EQ(r.Classify(9), reading::kEnglish);
    r.Name(9, "한국어 입력 모드");
    EXPECT_EQ(r.Classify(9), reading::kKorean);
    r.Name(9, "Japanese input mode");
    EXPECT_EQ(r.Classify(9), reading::kNone);
    r.a.Node(9).strings.clear();
    EXPECT_EQ(r.Classify(9), reading::kNone);
}

TEST(InputModeTaskbarIndicator, HeldElementIsReReadAndDroppedWhenStale) {
    IndicatorRig r;
    // From "no reading", the first reading is always a change.
    EXPECT_TRUE(r.Read());
    EXPECT_EQ(r.value, reading::kKorean);
    EXPECT_FALSE(r.Read());
    // Steady state: one name read, no search.
    r.a.ResetCounts();
    r.Name(3, "English input mode");
    EXPECT_TRUE(r.Read());
    EXPECT_EQ(r.value, reading::kEnglish);
    EXPECT_EQ(r.a.Calls(UiaCall::StringProperty), 1);
    EXPECT_EQ(r.a.Calls(UiaCall::ElementFromWindow), 0);

    // The held element stops announcing a mode: a fresh search in the same call.
    r.Name(3, "Clock");
    r.a.Add(4, 1);
    r.Name(4, "Korean input mode");
    EXPECT_TRUE(r.Read());
    EXPECT_EQ(r.value, reading::kKorean);
    EXPECT_EQ(r.a.Node(4).refs, 1);  // held

    // Nothing found anywhere: no change, and nothing held.
    r.Name(4, "Clock");
    EXPECT_FALSE(r.Read());
    EXPECT_EQ(r.value, reading::kKorean);
    EXPECT_FALSE(r.held);
    EXPECT_EQ(r.a.ReferenceProblems(), "");
}

TEST(InputModeTaskbarIndicator, FailuresLeaveTheReadingAlone) {
    IndicatorRig r;
    r.value = reading::kEnglish;
    r.a.Fail(UiaCall::ElementFromWindow);
    EXPECT_FALSE(r.Read());
    r.a.Fail(UiaCall::ElementFromWindow, false);
    r.d.Window(kTaskbar).className = u"Other";  // Explorer not running
    EXPECT_FALSE(r.Read());
    r.a.walker = false;
    r.d.Window(kTaskbar).className = u"Shell_TrayWnd";
    EXPECT_FALSE(r.Read());
    EXPECT_EQ(r.value, reading::kEnglish);
    EXPECT_EQ(r.a.ReferenceProblems(), "");

    // Whatever step fails, in the search or in re-reading the held element,
    // each reference is released once; at exit the held one goes too.
    for (int call = 0; call < static_cast<int>(UiaCall::kCount); ++call) {
        IndicatorRig f;
        f.Read();
        f.Name(3, "Clock");
        f.a.Add(4, 2);
        f.Name(4, "English input mode");
        f.a.Fail(static_cast<UiaCall>(call));
        f.Read();
        f.held = UiaElementRef{};
        EXPECT_EQ(f.a.ReferenceProblems(), "") << "failing call " << call;
    }
}

TEST(InputModeTaskbarIndicator, ASearchThatFindsNothingWaitsASecondWhileAFoundIndicatorIsReadEveryTick) {
    // The search comes up empty: the 50 ms ticks of the next second ask nothing.
    IndicatorRig r;
    r.Name(3, "Clock");
    EXPECT_FALSE(r.ReadNow());
    r.a.ResetCounts();
    r.d.ResetCalls();
    for (int tick = 1; tick < 20; ++tick) {
        r.clock.AdvanceMs(50);
        EXPECT_FALSE(r.ReadNow());
    }
    EXPECT_EQ(r.Calls(), 0);

    // The indicator shows up: the search a second later finds it, and from
    // then on every tick reads it, one name each.
    r.Name(3, "Korean input mode");
    r.clock.AdvanceMs(50);
    EXPECT_TRUE(r.ReadNow()) << "no search a second later";
    r.Name(3, "English input mode");
    r.a.ResetCounts();
    r.clock.AdvanceMs(50);
    EXPECT_TRUE(r.ReadNow());
    EXPECT_EQ(r.value, reading::kEnglish);
    EXPECT_EQ(r.a.TotalCalls(), 1);

    // It goes stale and no other is found: that search too holds the next one back.
    r.Name(3, "Clock");
    r.clock.AdvanceMs(50);
    EXPECT_FALSE(r.ReadNow());
    r.a.ResetCounts();
    r.clock.AdvanceMs(50);
    EXPECT_FALSE(r.ReadNow());
    EXPECT_EQ(r.a.TotalCalls(), 0);
    EXPECT_EQ(r.a.ReferenceProblems(), "");
}

TEST(InputModeTaskbarIndicator, SearchIsBoundedByDepthAndBudget) {
    ScriptedAutomation a;
    a.Add(1);
    for (int id = 2; id <= 12; ++id) a.Add(id, id - 1);  // a chain eleven deep
    a.Node(12).strings[uia_property::kName] = "Korean input mode";
    a.focused = 1;
    const UiaElementRef root = a.FocusedElement();
    int budget = 128;
    EXPECT_FALSE(FindIndicatorElement(a, root, 10, budget));
    a.Node(11).strings[uia_property::kName] = "Korean input mode";  // ten levels down
    budget = 128;
    EXPECT_TRUE(FindIndicatorElement(a, root, 10, budget));

    // 130 siblings: the 129th is beyond the budget, the 128th is not.
    ScriptedAutomation wide;
    wide.Add(1);
    for (int id = 2; id <= 131; ++id) wide.Add(id, 1);
    wide.Node(130).strings[uia_property::kName] = "English input mode";
    wide.focused = 1;
    const UiaElementRef top = wide.FocusedElement();
    budget = 128;
    EXPECT_FALSE(FindIndicatorElement(wide, top, 10, budget));
    EXPECT_EQ(wide.ElementsAsked(), 129);  // the parent and 128 children
    wide.Node(129).strings[uia_property::kName] = "English input mode";
    budget = 128;
    EXPECT_TRUE(FindIndicatorElement(wide, top, 10, budget));
}

}  // namespace
}  // namespace tessel
