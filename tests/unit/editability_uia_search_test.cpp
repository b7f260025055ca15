// Searching around the focused UI Automation element: budgets and depth
// limits, the complete caret procedure, the Task Manager estimate, and the
// release of every reference on every path.
#include <gtest/gtest.h>

#include "doubles/scripted_automation.h"
#include "editability/uia_caret_search.h"
#include "editability/uia_element_reading.h"

namespace tessel {
namespace {

using testing::ScriptedNode;
using testing::ScriptedWindow;
using testing::TextSpan;
using testing::UiaCall;
using testing::UiaRig;
namespace prop = uia_property;

constexpr WindowId kForeground = 5;
constexpr std::uint32_t kPid = 77;

FocusSnapshot Snap(WindowId focus = 6) {
    FocusSnapshot s;
    s.foreground = s.active = kForeground;
    s.focus = focus;
    s.processId = kPid;
    return s;
}

struct SearchRig : UiaRig {
    explicit SearchRig(std::u16string cls = u"Chrome_WidgetWin_1", Rect rect = {0, 0, 1000, 700}) {
        ScriptedWindow w;
        w.className = std::move(cls);
        w.rect = rect;
        w.processId = kPid;
        d.AddWindow(kForeground, w);
    }
    // An editable field with ten 8-pixel characters and its caret before `at`.
    ScriptedNode& Field(int id, int parent, int at) {
        ScriptedNode& n = Add(id, parent).Editable().Rect(100, 100, 300, 30).Text(10, 104, 106, 8, 18);
        n.caret = TextSpan{at, at};
        return n;
    }
    ScriptedNode& Add(int id, int parent = 0) { return a.Add(id, parent); }
    UiaCaret Resolve(bool console = false, bool chromium = false, bool scope = false) {
        return ResolveUiaCaret(env, Snap(), console, chromium, scope);
    }
};

TEST(EditabilityUiaSearch, OneBudgetForTheWholeSearchAndADepthLimit) {
    SearchRig r;
    // 10 x 10 x 10 elements below the start, nothing editable.
    r.Add(1);
    int next = 2;
    std::vector<int> level{1};
    for (int depth = 0; depth < 3; ++depth) {
        std::vector<int> below;
        for (int parent : level)
            for (int i = 0; i < 10; ++i) {
                r.Add(next, parent);
                below.push_back(next++);
            }
        level = below;
    }
    r.a.focused = 1;
    const UiaElementRef start = r.a.FocusedElement();
    const CaretInfo point{true, 0, 0, 1};
    auto visited = [&](auto search) {
        r.a.ResetCounts();
        int budget = 64;
        search(budget);
        return r.a.ElementsAsked() - 1;  // the start element is asked for its first child
    };
    EXPECT_EQ(visited([&](int& b) { return FindTextCaretInDescendants(r.env, start, 4, b, false); }), 64);
    EXPECT_EQ(visited([&](int& b) { return FindCaretInDescendants(r.env, start, 4, b, false, kForeground); }), 64);
    EXPECT_EQ(visited([&](int& b) { return DescendantContainsPoint(r.env, start, 4, b, point, false); }), 64);
    EXPECT_EQ(visited([&](int& b) { return HasEditableDescendant(r.env, start, 4, b, kForeground); }), 64);

    // Depth 0 visits nothing; depth 1 only the children.
    int budget = 64;
    r.a.ResetCounts();
    EXPECT_FALSE(HasEditableDescendant(r.env, start, 0, budget, kNoWindow));
    EXPECT_EQ(r.a.TotalCalls(), 0);
    EXPECT_EQ(visited([&](int& b) { return HasEditableDescendant(r.env, start, 1, b, kNoWindow); }), 10);

    // An editable element five levels down is beyond depth 4.
    r.Add(3000, 2);
    r.Add(3001, 3000);
    r.Add(3002, 3001);
    r.Add(3003, 3002).Is(Editability::TextInput);
    budget = 1000;
    EXPECT_FALSE(HasEditableDescendant(r.env, start, 4, budget, kNoWindow));
    budget = 1000;
    EXPECT_TRUE(HasEditableDescendant(r.env, start, 5, budget, kNoWindow));
}

TEST(EditabilityUiaSearch, CaretOfAFieldInsideTheFocusedContainer) {
    SearchRig r;
    r.Add(10);  // a container without a text pattern
    r.Add(11, 10);
    r.Field(12, 11, 3);
    r.a.focused = 10;
    EXPECT_EQ(r.Resolve(false, true, true), (UiaCaret{UiaCaretKind::CaretFound, 128, 106, 124}));

    // A selection below, with no guess remembered: nothing to show. (Scoped to
    // the window, the field near its top would be guessed instead.)
    r.a.Node(12).selection = {TextSpan{1, 4}};
    r.clock.AdvanceMs(200);
    EXPECT_EQ(r.Resolve(false, true, false).kind, UiaCaretKind::NoCaret);
    EXPECT_EQ(r.Resolve(false, true, true), (UiaCaret{UiaCaretKind::CaretFound, 104, 102, 128}));
    EXPECT_EQ(r.Leaks(), "");
}

TEST(EditabilityUiaSearch, ConsoleTextIsAskedWhateverItsEditability) {
    SearchRig r(u"CASCADIA_HOSTING_WINDOW_CLASS");
    ScriptedNode& terminal = r.Field(10, 0, 5).Is(Editability::UnknownEditability);
    terminal.textPattern = terminal.text2Pattern = true;
    r.a.focused = 10;
    EXPECT_EQ(r.Resolve(true).kind, UiaCaretKind::CaretFound);
    r.clock.AdvanceMs(200);
    EXPECT_EQ(r.Resolve(false).kind, UiaCaretKind::Undetermined);
    EXPECT_EQ(r.Leaks(), "");
}

TEST(EditabilityUiaSearch, EmptyFieldFromItsGuess) {
    // Enabled, writable, empty, no caret range, no selection, no children.
    SearchRig r;
    ScriptedNode& field = r.Add(10).Editable().Rect(200, 60, 300, 30);
    field.chars.clear();
    field.bools[prop::kValueIsReadOnly] = false;
    field.strings[prop::kValueValue] = "";
    r.a.focused = 10;
    EXPECT_EQ(r.Resolve(false, false, true), (UiaCaret{UiaCaretKind::CaretFound, 204, 62, 88}));
    EXPECT_EQ(r.Resolve(false, false, false), (UiaCaret{UiaCaretKind::CaretFound, 204, 62, 88}));
    // A value means typed text, not an empty field.
    field.strings.insert_or_assign(prop::kValueValue, std::string("x"));
    r.clock.AdvanceMs(200);
    EXPECT_EQ(r.Resolve(false, false, false).kind, UiaCaretKind::Undetermined);
    EXPECT_EQ(r.Leaks(), "");
}

struct TaskManagerRig : SearchRig {
    TaskManagerRig() : SearchRig(u"TaskManagerWindow", {0, 0, 1000, 700}) {
        ScriptedNode& box = Add(10).Rect(100, 40, 600, 30);
        box.strings[prop::kClassName] = "Windows.UI.Composition.DesktopWindowContentBridge";
        a.focused = 10;
    }
};

TEST(EditabilityUiaSearch, TaskManagerSearchBoxEstimateIsKept) {
    TaskManagerRig r;
    EXPECT_EQ(r.Resolve(false, false, true), (UiaCaret{UiaCaretKind::CaretFound, 292, 42, 68}));
    // The same box, foreground and focus: the stored point, whatever the window does now.
    r.d.Window(kForeground).rect = {0, 0, 600, 700};
    r.clock.AdvanceMs(200);
    EXPECT_EQ(r.Resolve(false, false, true).X, 292);
    // Another focus window is another key.
    EXPECT_EQ(ResolveUiaCaret(r.env, Snap(7), false, false, true).X, 92);
    EXPECT_EQ(r.Leaks(), "");
}

// The span is the box's width up to 480 pixels, both scaled with the window's DPI.
TEST(EditabilityUiaSearch, TaskManagerEstimateScalesAndFitsANarrowBox) {
    struct Case {
        std::uint32_t dpi;
        double left, width;
        int x;
    };
    const Case cases[] = {
        {144, 100, 800, 188},  // span 720, offset 48
        {96, 300, 400, 332},   // span 400, offset 32
    };
    for (const Case& c : cases) {
        TaskManagerRig r;
        r.d.Window(kForeground).dpi = c.dpi;
        r.a.Node(10).Rect(c.left, 40, c.width, 30);
        EXPECT_EQ(r.Resolve(false, false, true), (UiaCaret{UiaCaretKind::CaretFound, c.x, 42, 68})) << c.dpi << " dpi";
        EXPECT_EQ(r.Leaks(), "");
    }
}

// An editable element under the pointer without a caret: its guess counts only
// near the top of the window (band 233 here), else the estimate.
TEST(EditabilityUiaSearch, TaskManagerPointerGuessOnlyInTheTopBand) {
    struct Case {
        double top;
        int x;
    };
    for (const Case c : {Case{60, 204}, Case{400, 292}}) {
        TaskManagerRig r;
        r.Add(30).Is(Editability::EditableDocument).Rect(200, c.top, 300, 30).ints[prop::kProcessId] = kPid;
        r.a.atPoint = 30;
        r.d.SetCursor(Point{300, 55});
        EXPECT_EQ(r.Resolve(false, false, true).X, c.x) << "element top " << c.top;
        EXPECT_EQ(r.Leaks(), "");
    }
}

TEST(EditabilityUiaSearch, TaskManagerPointerFindsTheFieldAndIsRemembered) {
    TaskManagerRig r;
    ScriptedNode& field = r.Field(30, 0, 2);
    field.ints[prop::kProcessId] = kPid;
    r.a.atPoint = 30;
    r.d.SetCursor(Point{300, 55});
    EXPECT_EQ(r.Resolve(false, false, true), (UiaCaret{UiaCaretKind::CaretFound, 120, 106, 124}));
    EXPECT_EQ(r.a.lastPoint, (Point{300, 55}));
    // The pointer leaves the box: the point found with it stays.
    r.d.SetCursor(Point{900, 600});
    r.clock.AdvanceMs(200);
    EXPECT_EQ(r.Resolve(false, false, true).X, 120);
    // Another process's element under the pointer does not count.
    r.state.estimatedCaret = EstimatedCaretCache{};
    field.ints[prop::kProcessId] = kPid + 1;
    r.d.SetCursor(Point{300, 55});
    EXPECT_EQ(r.Resolve(false, false, true).X, 292);
    EXPECT_EQ(r.Leaks(), "");
}

// Whatever step fails, every reference taken is released exactly once.
TEST(EditabilityUiaSearch, EveryReferenceReleasedOnEveryFailure) {
    for (int call = 0; call < static_cast<int>(UiaCall::kCount); ++call) {
        SearchRig browser;
        browser.Add(20).Is(Editability::EditableDocument).Rect(0, 0, 900, 600);
        browser.Add(10, 20);
        browser.Add(11, 10).Is(Editability::StaticText);
        ScriptedNode& field = browser.Field(12, 10, 4);
        field.composition = TextSpan{2, 4};
        field.selection = {TextSpan{4, 4}};
        browser.Field(13, 20, 0).selection = {TextSpan{0, 2}};
        browser.a.focused = 10;
        browser.a.Fail(static_cast<UiaCall>(call));
        browser.Resolve(false, true, true);
        browser.Resolve(false, false, false);
        browser.Resolve(true, false, false);
        EXPECT_EQ(browser.Leaks(), "") << "failing call " << call;

        TaskManagerRig task;
        task.Field(30, 0, 2).ints[prop::kProcessId] = kPid;
        task.a.atPoint = 30;
        task.d.SetCursor(Point{300, 55});
        task.a.Fail(static_cast<UiaCall>(call));
        task.Resolve(false, false, true);
        EXPECT_EQ(task.Leaks(), "") << "failing call " << call;
    }
}

}  // namespace
}  // namespace tessel
