// The caret locator: system caret conversion, plausibility, top band and the
// binding order of sources.
#include <gtest/gtest.h>

#include "doubles/app_rig.h"
#include "doubles/fake_clock.h"
#include "doubles/scripted_accessibility.h"
#include "doubles/scripted_console.h"
#include "doubles/scripted_automation.h"
#include "doubles/scripted_desktop.h"
#include "doubles/scripted_outlook.h"
#include "editability/accessibility_caret_search.h"
#include "editability/caret_locator.h"

namespace tessel {
namespace {

using testing::FakeClock;
using testing::ScriptedAutomation;
using testing::FakeProcesses;
using testing::ScriptedAccessibility;
using testing::ScriptedConsole;
using testing::ScriptedIme;
using testing::ScriptedNode;
using testing::UiaCall;
using testing::ScriptedDesktop;
using testing::ScriptedOutlook;
using testing::ScriptedWindow;

ScriptedWindow Win(std::u16string cls, Rect rect = {0, 0, 800, 600}, WindowId parent = kNoWindow) {
    ScriptedWindow w;
    w.className = std::move(cls);
    w.rect = rect;
    w.parent = parent;
    return w;
}

FocusSnapshot Snap(WindowId fg, WindowId focus, WindowId caret, Rect caretRect = {}) {
    FocusSnapshot s;
    s.caretRect = caretRect;
    s.foreground = fg;
    s.active = fg;
    s.focus = focus;
    s.caret = caret;
    s.processId = 7;
    return s;
}

// --- GuiThreadCaret ---

TEST(EditabilityGuiThreadCaret, CaretWidthAndOrigin) {
    ScriptedDesktop d;
    d.AddWindow(2, Win(u"Edit")).clientOrigin = {1000, 500};
    // Zero width: one pixel right of the caret's left edge.
    EXPECT_EQ(GuiThreadCaret(d, Snap(1, 2, 2, {10, 20, 10, 40})), (CaretInfo{true, 1011, 520, 540}));
    // Two pixels wide, and twenty pixels wide (capped at eight).
    EXPECT_EQ(GuiThreadCaret(d, Snap(1, 2, 2, {10, 20, 12, 40})).X, 1012);
    EXPECT_EQ(GuiThreadCaret(d, Snap(1, 2, 2, {10, 20, 30, 40})).X, 1018);
    // A caret rectangle with bottom <= top keeps one pixel of height.
    EXPECT_EQ(GuiThreadCaret(d, Snap(1, 2, 2, {10, 20, 11, 5})), (CaretInfo{true, 1011, 520, 521}));
    // Extreme values saturate instead of wrapping.
    CaretInfo far = GuiThreadCaret(d, Snap(1, 2, 2, {2147483640, 2147483647, 2147483647, 2147483647}));
    EXPECT_EQ(far.X, 2147483647);
    EXPECT_EQ(far.Top, 2147483647);
    EXPECT_GE(far.Bottom, far.Top);
}

TEST(EditabilityGuiThreadCaret, NotFoundWithoutWindowOrOrigin) {
    ScriptedDesktop d;
    d.AddWindow(2, Win(u"Edit")).clientToScreenFails = true;
    EXPECT_FALSE(GuiThreadCaret(d, Snap(1, 2, kNoWindow, {1, 1, 2, 20})).Found);
    EXPECT_FALSE(GuiThreadCaret(d, Snap(1, 2, 2, {1, 1, 2, 20})).Found);
}

TEST(EditabilityGuiThreadCaret, DpiCorrectionBetweenWindowAndMonitor) {
    ScriptedDesktop d;
    ScriptedWindow& w = d.AddWindow(2, Win(u"Edit"));
    w.clientOrigin = {100, 200};
    w.dpi = 96;
    w.monitor = 5;
    d.SetMonitorDpi(5, 144);
    // x0 = 9 + 1 = 10, t0 = 20, b0 = 40 become 15, 30, 60.
    EXPECT_EQ(GuiThreadCaret(d, Snap(1, 2, 2, {9, 20, 9, 40})), (CaretInfo{true, 115, 230, 260}));
    // Negative client values round half away from zero too: -10 * 1.5 = -15, -1 * 1.5 = -1.5 -> -2.
    EXPECT_EQ(ScaleForDpi(-10, 96, 144), -15);
    EXPECT_EQ(ScaleForDpi(-1, 96, 144), -2);
    EXPECT_EQ(ScaleForDpi(1, 96, 144), 2);
    EXPECT_EQ(ScaleForDpi(2147483647, 96, 192), 2147483647);

    // A window DPI of 0 counts as 96; a monitor DPI of 0 or a failing query leaves values alone.
    w.dpi = 0;
    EXPECT_EQ(GuiThreadCaret(d, Snap(1, 2, 2, {9, 20, 9, 40})).X, 115);
    d.SetMonitorDpi(5, 0);
    EXPECT_EQ(GuiThreadCaret(d, Snap(1, 2, 2, {9, 20, 9, 40})), (CaretInfo{true, 110, 220, 240}));
    w.monitor = 6;  // no DPI for this monitor
    w.dpi = 120;
    EXPECT_EQ(GuiThreadCaret(d, Snap(1, 2, 2, {9, 20, 9, 40})), (CaretInfo{true, 110, 220, 240}));
}

// --- PlausibleInWindow and the top band ---

TEST(EditabilityPlausible, SixteenPixelMargin) {
    ScriptedDesktop d;
    d.AddWindow(1, Win(u"X", {100, 100, 200, 200}));
    EXPECT_TRUE(PlausibleInWindow(d, {true, 84, 150, 160}, 1));
    EXPECT_FALSE(PlausibleInWindow(d, {true, 83, 150, 160}, 1));
    EXPECT_TRUE(PlausibleInWindow(d, {true, 216, 150, 160}, 1));
    EXPECT_FALSE(PlausibleInWindow(d, {true, 217, 150, 160}, 1));
    EXPECT_TRUE(PlausibleInWindow(d, {true, 150, 60, 84}, 1));
    EXPECT_FALSE(PlausibleInWindow(d, {true, 150, 60, 83}, 1));
    EXPECT_TRUE(PlausibleInWindow(d, {true, 150, 216, 230}, 1));
    EXPECT_FALSE(PlausibleInWindow(d, {true, 150, 217, 230}, 1));
    EXPECT_FALSE(PlausibleInWindow(d, {true, 150, 150, 160}, 99));
    // Bounds near the i32 limits saturate.
    d.AddWindow(2, Win(u"X", {-2147483647 - 1, -2147483647 - 1, 2147483647, 2147483647}));
    EXPECT_TRUE(PlausibleInWindow(d, {true, -2147483647 - 1, 0, 1}, 2));
}

TEST(EditabilityTopBand, BandsByWindowHeight) {
    ScriptedDesktop d;
    d.AddWindow(1, Win(u"X", {0, 1000, 500, 1200}));  // 200 high: band 96
    EXPECT_TRUE(InTopBand(d, {true, 10, 1095, 1110}, 1));
    EXPECT_TRUE(InTopBand(d, {true, 10, 1096, 1110}, 1));
    EXPECT_FALSE(InTopBand(d, {true, 10, 1097, 1110}, 1));
    d.AddWindow(2, Win(u"X", {0, 0, 500, 900}));  // band 300
    EXPECT_TRUE(InTopBand(d, {true, 10, 300, 310}, 2));
    EXPECT_FALSE(InTopBand(d, {true, 10, 301, 310}, 2));
    d.AddWindow(3, Win(u"X", {0, 0, 500, 1200}));  // band 320
    EXPECT_TRUE(InTopBand(d, {true, 10, 320, 330}, 3));
    EXPECT_FALSE(InTopBand(d, {true, 10, 321, 330}, 3));
    d.AddWindow(4, Win(u"X", {0, 0, 500, 287}));  // still 96
    EXPECT_FALSE(InTopBand(d, {true, 10, 97, 110}, 4));
    // Outside the window horizontally, above it, or an empty window: not near the top.
    EXPECT_FALSE(InTopBand(d, {true, 501, 10, 20}, 3));
    EXPECT_FALSE(InTopBand(d, {true, 10, -30, -1}, 3));
    d.AddWindow(5, Win(u"X", {0, 0, 0, 500}));
    EXPECT_FALSE(InTopBand(d, {true, 0, 10, 20}, 5));
}

// --- LocateCaret ---

struct LocatorRig {
    ScriptedDesktop d;
    FakeClock clock;
    ScriptedAutomation a;  // present, but nothing has the focus until a test says so
    UiaState uia;
    CaretLocatorState state;
    ScriptedOutlook outlook;
    OutlookAnswerCache outlookAnswer;
    ScriptedAccessibility acc;
    ScriptedConsole console;
    FakeProcesses processes;
    ScriptedIme ime{&d};
    CaretContext ctx{d, clock, a, uia, outlook, outlookAnswer, acc, console, processes, ime};

    CaretLocation Locate(const FocusSnapshot& snap, std::uint32_t cells = 1) { return LocateCaret(ctx, state, snap, cells); }

    // A focused text element whose caret range shows a 2-pixel bar.
    ScriptedNode& UiaCaretAt(std::int32_t x, std::int32_t top, std::int32_t bottom,
                             Editability e = Editability::TextInput) {
        ScriptedNode& n = a.Add(10).Is(e).Rect(0, 0, 1000, 800);
        n.textPattern = n.text2Pattern = n.textEditPattern = true;
        n.Text(5, 10, top, 8, bottom - top);
        n.caret = testing::TextSpan{2, 2};
        n.emptyRangeRects = {ElementRect{double(x), double(top), 2, double(bottom - top)}};
        a.focused = 10;
        return n;
    }
    // UI Automation was asked for the focused element.
    bool UiaAsked() const { return a.Calls(UiaCall::FocusedElement) > 0; }
};

TEST(EditabilityLocateCaret, NoForegroundForgetsTheConsole) {
    LocatorRig r;
    r.state.ConsoleAttachment = ConsoleSource{40, 9};
    CaretLocation loc = r.Locate(Snap(kNoWindow, kNoWindow, kNoWindow));
    EXPECT_FALSE(loc.caret.Found);
    EXPECT_FALSE(loc.caretNearTop);
    EXPECT_EQ(r.state.ConsoleAttachment, ConsoleSource{});
}

TEST(EditabilityLocateCaret, EditControlUsesSystemCaretAndMemo) {
    LocatorRig r;
    r.d.AddWindow(1, Win(u"Notepad", {0, 0, 800, 600}));
    ScriptedWindow& edit = r.d.AddWindow(2, Win(u"Edit", {10, 50, 790, 590}, 1));
    edit.clientOrigin = {12, 52};
    const FocusSnapshot snap = Snap(1, 2, 2, {30, 10, 31, 26});
    CaretLocation loc = r.Locate(snap);
    EXPECT_EQ(loc.caret, (CaretInfo{true, 43, 62, 78}));
    EXPECT_TRUE(loc.caretNearTop);
    EXPECT_TRUE(r.state.targetMemo.Evaluated);
    EXPECT_TRUE(r.state.targetMemo.NativeEditFirst);
    EXPECT_TRUE(r.acc.asked.empty());

    // The next call for the same target asks neither the class nor the style again.
    r.d.ResetCalls();
    EXPECT_EQ(r.Locate(snap).caret, loc.caret);
    EXPECT_EQ(r.d.Calls("ClassName"), 0);
    EXPECT_EQ(r.d.Calls("WindowLongPtr"), 0);

    // After invalidation the rule runs again.
    InvalidateTargetMemo(r.state.targetMemo);
    EXPECT_EQ(r.Locate(snap).caret, loc.caret);
    EXPECT_EQ(r.d.Calls("WindowLongPtr"), 1);

    // Deep in the window: not near the top.
    EXPECT_FALSE(r.Locate(Snap(1, 2, 2, {30, 300, 31, 316})).caretNearTop);
}

TEST(EditabilityLocateCaret, ReadOnlyEditFallsToAccessibilityLoopThenSystemCaret) {
    LocatorRig r;
    r.d.AddWindow(1, Win(u"Notepad"));
    r.d.AddWindow(2, Win(u"Edit", {0, 0, 100, 100}, 1)).style = 0x0800;
    const FocusSnapshot snap = Snap(1, 2, 2, {5, 5, 6, 20});
    EXPECT_TRUE(r.Locate(snap).caret.Found);
    EXPECT_FALSE(r.state.targetMemo.NativeEditFirst);
    // Not a Word pane: no accessibility read; the system caret comes after the Excel rules.
    EXPECT_TRUE(r.acc.asked.empty());
    EXPECT_FALSE(r.UiaAsked());

    // Without a system caret, UI Automation is last.
    r.UiaCaretAt(40, 50, 60);
    EXPECT_EQ(r.Locate(Snap(1, 2, kNoWindow)).caret, (CaretInfo{true, 40, 50, 60}));
}

TEST(EditabilityLocateCaret, ClassicConsoleThenTerminal) {
    LocatorRig r;
    r.d.AddWindow(1, Win(u"ConsoleWindowClass"));
    r.console.consoleOf[7] = 1;
    r.console.buffers[1].info = ScreenBufferInfo{Point{3, 2}, Rect{0, 0, 79, 24}};
    r.console.buffers[1].font = Point{8, 16};
    r.console.clientRects[1] = Rect{0, 0, 640, 400};
    // Korean mode: the caret is two cells right of the cursor cell's left edge.
    EXPECT_EQ(r.Locate(Snap(1, 1, kNoWindow), 2).caret, (CaretInfo{true, 40, 32, 48}));
    EXPECT_EQ(r.state.ConsoleAttachment, (ConsoleSource{7, 1}));
    EXPECT_EQ(r.console.attached, kNoWindow);
    EXPECT_FALSE(r.UiaAsked());

    // Console caret missing: UI Automation with the console flag, then give up.
    r.console.buffers[1].infoFails = true;
    EXPECT_FALSE(r.Locate(Snap(1, 1, 1, {1, 1, 2, 10})).caret.Found);
    EXPECT_TRUE(r.UiaAsked());
    EXPECT_EQ(r.d.Calls("ClientToScreen"), 1);  // only the console's origin: the system caret is never asked

    // A terminal host lets the console go and goes straight to UI Automation,
    // which asks a terminal's text for its caret whatever its editability.
    r.d.AddWindow(2, Win(u"CASCADIA_HOSTING_WINDOW_CLASS"));
    r.UiaCaretAt(5, 6, 7, Editability::UnknownEditability);
    EXPECT_EQ(r.Locate(Snap(2, 2, kNoWindow)).caret, (CaretInfo{true, 5, 6, 7}));
    EXPECT_EQ(r.state.ConsoleAttachment, ConsoleSource{});
    EXPECT_EQ(r.console.attached, kNoWindow);
    EXPECT_EQ(r.console.openOutputs, 0);
}

TEST(EditabilityLocateCaret, BrowserAccessibilityCaretNeedsConfirmation) {
    LocatorRig r;
    r.d.AddWindow(1, Win(u"Chrome_WidgetWin_1", {0, 0, 1000, 800}));
    // 20 pixels outside the window: rejected, UI Automation decides.
    r.acc.SetCaret(1, -20, 100, 116);
    r.UiaCaretAt(300, 400, 416);
    EXPECT_EQ(r.Locate(Snap(1, 1, kNoWindow)).caret, (CaretInfo{true, 300, 400, 416}));

    // Plausible, but Chromium without automation: not trusted.
    LocatorRig n;
    n.d.AddWindow(1, Win(u"Chrome_WidgetWin_1", {0, 0, 1000, 800}));
    n.a.present = false;
    n.acc.SetCaret(1, 20, 100, 116);
    EXPECT_FALSE(n.Locate(Snap(1, 1, kNoWindow)).caret.Found);
    EXPECT_EQ(n.acc.asked, std::vector<WindowId>{1});

    // Firefox without automation: the accessibility caret is accepted.
    LocatorRig f;
    f.d.AddWindow(1, Win(u"MozillaWindowClass", {0, 0, 1000, 800}));
    f.a.present = false;
    f.acc.SetCaret(1, 20, 100, 116);
    EXPECT_EQ(f.Locate(Snap(1, 1, kNoWindow)).caret, (CaretInfo{true, 20, 100, 116}));
}

TEST(EditabilityLocateCaret, BrowserAncestorCheck) {
    LocatorRig r;
    r.d.AddWindow(1, Win(u"MozillaWindowClass", {0, 0, 1000, 800}));
    r.acc.SetCaret(1, 20, 100, 116);
    r.a.focused = 10;
    r.a.Add(11).Is(Editability::EditableDocument).Rect(26, 0, 500, 500);  // P.X = 20 is 6 left of it
    r.a.Add(10, 11);
    EXPECT_TRUE(r.Locate(Snap(1, 1, kNoWindow)).caret.Found);
    EXPECT_EQ(r.a.Calls(UiaCall::FirstChild), 1);  // the descendant check
    EXPECT_EQ(r.a.Calls(UiaCall::Pattern), 0);     // no caret search

    // 7 pixels away: not confirmed, UI Automation decides.
    r.a.Node(11).Rect(27, 0, 500, 500);
    EXPECT_FALSE(r.Locate(Snap(1, 1, kNoWindow)).caret.Found);
    EXPECT_GT(r.a.Calls(UiaCall::Pattern), 0);

    // A rectangle that cannot be read confirms the caret.
    r.a.Node(11).rect.reset();
    EXPECT_TRUE(r.Locate(Snap(1, 1, kNoWindow)).caret.Found);

    // In Chromium an editable document does not confirm anything; an
    // editable descendant around the point does.
    LocatorRig c;
    c.d.AddWindow(1, Win(u"Chrome_WidgetWin_1", {0, 0, 1000, 800}));
    c.acc.SetCaret(1, 20, 100, 116);
    c.a.focused = 10;
    c.a.Add(10).Is(Editability::EditableDocument);
    EXPECT_FALSE(c.Locate(Snap(1, 1, kNoWindow)).caret.Found);
    c.a.Add(20, 10).Is(Editability::TextInput).Rect(10, 90, 300, 30);
    EXPECT_TRUE(c.Locate(Snap(1, 1, kNoWindow)).caret.Found);
    EmptyFocusedElementCache(r.uia.focusedElement);
    EmptyFocusedElementCache(c.uia.focusedElement);
    EXPECT_EQ(r.a.ReferenceProblems(), "");
    EXPECT_EQ(c.a.ReferenceProblems(), "");
}

TEST(EditabilityLocateCaret, BrowserAncestorCheckAsksForTwelveParentsAtMost) {
    LocatorRig r;
    r.d.AddWindow(1, Win(u"MozillaWindowClass", {0, 0, 1000, 800}));
    r.acc.SetCaret(1, 20, 100, 116);
    r.a.focused = 10;
    for (int id = 30; id >= 10; --id) r.a.Add(id, id == 30 ? 0 : id + 1);
    // Thirteen elements are examined; the parent of the last one is never needed
    // (the caret search that follows walks fewer).
    EXPECT_FALSE(r.Locate(Snap(1, 1, kNoWindow)).caret.Found);
    EXPECT_EQ(r.a.ElementsAsked(), 13);
    EXPECT_EQ(r.a.Node(23).asked, 0);
    EmptyFocusedElementCache(r.uia.focusedElement);
    EXPECT_EQ(r.a.ReferenceProblems(), "");
}

TEST(EditabilityLocateCaret, WordPaneReadsAccessibilityCaret) {
    LocatorRig r;
    r.d.AddWindow(1, Win(u"OpusApp", {0, 0, 1000, 800}));
    r.d.AddWindow(2, Win(u"_WwB", {0, 0, 1000, 800}, 1));
    r.d.AddWindow(3, Win(u"_WwG", {0, 100, 1000, 800}, 2));
    r.acc.SetCaret(3, 200, 300, 318);
    EXPECT_EQ(r.Locate(Snap(1, 3, 3)).caret, (CaretInfo{true, 200, 300, 318}));
    EXPECT_EQ(r.acc.Reads(3), 1);  // focus equals caret: one read

    // No accessibility caret: the system caret is next.
    r.acc.boxes.clear();
    r.d.Window(3).clientOrigin = {0, 100};
    EXPECT_EQ(r.Locate(Snap(1, 3, 3, {50, 10, 51, 30})).caret, (CaretInfo{true, 51, 110, 130}));
}

TEST(EditabilityLocateCaret, OutlookComposePaneCachedFor120Ms) {
    LocatorRig r;
    r.d.AddWindow(1, Win(u"rctrl_renwnd32", {0, 0, 1000, 800}));
    r.d.AddWindow(2, Win(u"AfxWndW", {0, 0, 1000, 800}, 1));
    r.d.AddWindow(3, Win(u"_WwB", {0, 0, 1000, 800}, 2));
    r.d.AddWindow(4, Win(u"_WwG", {0, 100, 1000, 800}, 3));
    r.outlook.titles[1] = u"New mail";
    r.outlook.OpenInspector(u"New mail", kOlMail, false);
    r.acc.SetCaret(4, 200, 300, 318);
    const FocusSnapshot snap = Snap(1, 4, 4, {5, 5, 6, 20});
    EXPECT_EQ(r.Locate(snap).caret, (CaretInfo{true, 200, 300, 318}));
    r.acc.SetCaret(4, 210, 300, 318);
    r.clock.AdvanceMs(120);
    EXPECT_EQ(r.Locate(snap).caret.X, 200);
    EXPECT_EQ(r.acc.Reads(4), 1);
    r.clock.AdvanceMs(1);
    EXPECT_EQ(r.Locate(snap).caret.X, 210);
    EXPECT_EQ(r.acc.Reads(4), 2);

    // A failed read empties the cache; a reading pane (answer 1) gives up
    // without the system caret, though one is there.
    r.acc.boxes.erase(4);
    r.clock.AdvanceMs(200);
    EXPECT_FALSE(r.Locate(snap).caret.Found);
    EXPECT_FALSE(r.state.windowCaret.stored.has_value());
    r.outlook.OpenInspector(u"New mail", kOlMail, true);
    r.outlookAnswer = OutlookAnswerCache{};
    r.acc.SetCaret(4, 210, 300, 318);
    r.d.ResetCalls();
    EXPECT_FALSE(r.Locate(snap).caret.Found);
    EXPECT_EQ(r.d.Calls("ClientToScreen"), 0);
    EXPECT_FALSE(r.UiaAsked());
}

// Outlook may take long to answer; the cached caret's age counts from when
// the answer arrived, not from when it was asked for.
TEST(EditabilityLocateCaret, OutlookCaretAgeCountsFromTheAnswer) {
    struct SlowAccessibility : ScriptedAccessibility {
        FakeClock* clock = nullptr;
        std::optional<AccessibleBox> CaretLocation(WindowId window) noexcept override {
            clock->AdvanceMs(100);
            return ScriptedAccessibility::CaretLocation(window);
        }
    };
    LocatorRig r;
    ScriptedDesktop& d = r.d;
    FakeClock& clock = r.clock;
    SlowAccessibility acc;
    acc.clock = &clock;
    CaretLocatorState state;
    NoAutomation none;
    UiaState uia;
    ScriptedOutlook outlook;
    OutlookAnswerCache outlookAnswer;
    CaretContext ctx{d, clock, none, uia, outlook, outlookAnswer, acc, r.console, r.processes, r.ime};
    d.AddWindow(1, Win(u"rctrl_renwnd32", {0, 0, 1000, 800}));
    d.AddWindow(3, Win(u"_WwB", {0, 0, 1000, 800}, 1));
    d.AddWindow(4, Win(u"_WwG", {0, 100, 1000, 800}, 3));
    outlook.titles[1] = u"Task";
    outlook.OpenInspector(u"Task", 48, false);
    acc.SetCaret(4, 200, 300, 318);
    const FocusSnapshot snap = Snap(1, 4, 4);
    EXPECT_TRUE(LocateCaret(ctx, state, snap, 1).caret.Found);
    clock.AdvanceMs(100);
    EXPECT_TRUE(LocateCaret(ctx, state, snap, 1).caret.Found);
    EXPECT_EQ(acc.Reads(4), 1);
}

TEST(EditabilityLocateCaret, PowerPointAsksUiaThenAccessibility) {
    LocatorRig r;
    r.d.AddWindow(1, Win(u"PPTFrameClass", {0, 0, 1000, 800}));
    r.d.AddWindow(2, Win(u"mdiClass", {0, 0, 1000, 800}, 1));
    r.acc.SetCaret(2, 100, 200, 220);
    // A selection in the slide text: nothing to show.
    r.UiaCaretAt(300, 400, 416).selection = {testing::TextSpan{1, 4}};
    EXPECT_FALSE(r.Locate(Snap(1, 2, 2, {1, 1, 2, 10})).caret.Found);
    r.a.focused = 0;
    r.clock.AdvanceMs(101);
    EXPECT_EQ(r.Locate(Snap(1, 2, 2, {1, 1, 2, 10})).caret, (CaretInfo{true, 100, 200, 220}));
    EXPECT_EQ(r.d.Calls("ClientToScreen"), 0);
}

TEST(EditabilityLocateCaret, ExcelOwnerOrder) {
    LocatorRig r;
    r.d.AddWindow(1, Win(u"XLMAIN", {0, 0, 1000, 800}));
    r.d.AddWindow(2, Win(u"EXCEL6", {100, 30, 900, 50}, 1)).root = 1;
    // No system caret window: accessibility caret of the owner.
    r.acc.SetCaret(2, 300, 32, 48);
    EXPECT_EQ(r.Locate(Snap(1, 2, kNoWindow)).caret, (CaretInfo{true, 300, 32, 48}));
    // Then UI Automation, then give up (no dialog, no field estimate).
    r.acc.boxes.clear();
    r.acc.asked.clear();
    EXPECT_FALSE(r.Locate(Snap(1, 2, kNoWindow)).caret.Found);
    EXPECT_EQ(r.acc.asked, std::vector<WindowId>{2});
    EXPECT_TRUE(r.UiaAsked());

    // Owner is an edit box inside an Excel dialog: the edit-window guess.
    LocatorRig g;
    g.d.AddWindow(1, Win(u"bosa_sdm_XL9", {0, 0, 600, 400}));
    g.d.AddWindow(2, Win(u"EDTBX", {100, 200, 300, 220}, 1)).root = 1;
    EXPECT_EQ(g.Locate(Snap(1, 2, kNoWindow)).caret, (CaretInfo{true, 104, 203, 217}));
}

TEST(EditabilityLocateCaret, ExcelDialogChildSearch) {
    LocatorRig r;
    r.d.AddWindow(1, Win(u"bosa_sdm_XL9", {0, 0, 600, 400}));
    r.d.AddWindow(2, Win(u"Button", {10, 10, 50, 30}, 1)).root = 1;
    r.d.AddWindow(3, Win(u"Edit", {100, 200, 300, 220}, 1)).root = 1;
    r.d.AddWindow(4, Win(u"Edit", {100, 300, 300, 320}, 1)).root = 1;
    // The first edit child has no caret object: it is the fallback.
    EXPECT_EQ(r.Locate(Snap(1, 2, kNoWindow)).caret, (CaretInfo{true, 104, 203, 217}));
    // The second one reports a plausible caret: preferred.
    r.acc.SetCaret(4, 150, 302, 318);
    InvalidateTargetMemo(r.state.targetMemo);
    EXPECT_EQ(r.Locate(Snap(1, 2, kNoWindow)).caret, (CaretInfo{true, 150, 302, 318}));
}

TEST(EditabilityLocateCaret, InvalidateEmptiesLocatorCaches) {
    LocatorRig r;
    r.d.AddWindow(1, Win(u"Notepad"));
    r.d.AddWindow(2, Win(u"Edit", {0, 0, 800, 600}, 1));
    EXPECT_TRUE(r.Locate(Snap(1, 2, 2, {1, 1, 2, 10})).caretNearTop);
    EXPECT_TRUE(r.state.classification.valid);
    r.state.windowCaret.stored = r.clock.Now();
    InvalidateCaretLocatorCaches(r.state);
    EXPECT_FALSE(r.state.classification.valid);
    EXPECT_FALSE(r.state.windowCaret.stored.has_value());
    EXPECT_EQ(r.state.targetMemo.stateWord, TargetMemo::kInvalidated);
}

TEST(EditabilityAccessibilitySearch, FocusThenCaret) {
    ScriptedDesktop d;
    ScriptedAccessibility a;
    d.AddWindow(1, Win(u"A", {0, 0, 100, 100}));
    d.AddWindow(2, Win(u"B", {0, 0, 100, 100}));
    a.SetCaret(1, 500, 10, 20);  // implausible in 1
    a.SetCaret(2, 50, 10, 20);
    EXPECT_EQ(FocusThenCaretAccessibleCaret(d, a, 1, 2), (CaretInfo{true, 50, 10, 20}));
    a.asked.clear();
    EXPECT_FALSE(FocusThenCaretAccessibleCaret(d, a, 1, 1).Found);
    EXPECT_EQ(a.asked.size(), 1u);
    a.asked.clear();
    EXPECT_TRUE(FocusThenCaretAccessibleCaret(d, a, kNoWindow, 2).Found);
    EXPECT_EQ(a.asked, std::vector<WindowId>{2});
    EXPECT_FALSE(FocusThenCaretAccessibleCaret(d, a, kNoWindow, kNoWindow).Found);
}

}  // namespace
}  // namespace tessel
