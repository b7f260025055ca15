// Window classification rules against the scripted desktop.
#include <gtest/gtest.h>

#include "doubles/scripted_automation.h"
#include "doubles/scripted_desktop.h"
#include "editability/window_classification.h"

namespace tessel {
namespace {

using testing::ScriptedNode;
using testing::UiaCall;
using testing::ScriptedDesktop;
using testing::ScriptedWindow;

ScriptedWindow Win(std::u16string cls, WindowId parent = kNoWindow) {
    ScriptedWindow w;
    w.className = std::move(cls);
    w.parent = parent;
    return w;
}

ForegroundClass Flags(ScriptedDesktop& d, std::u16string cls) {
    d.AddWindow(1, Win(std::move(cls)));
    ClassificationCache cache;
    return ClassifyForeground(d, cache, 1);
}

TEST(EditabilityClassification, ForegroundFlagsByClass) {
    ScriptedDesktop d;
    ForegroundClass terminal = Flags(d, u"CASCADIA_HOSTING_WINDOW_CLASS");
    EXPECT_EQ(terminal, (ForegroundClass{.ConsoleHost = true}));
    EXPECT_EQ(Flags(d, u"VirtualConsoleClass"), (ForegroundClass{.ConsoleHost = true}));
    EXPECT_EQ(Flags(d, u"ConsoleWindowClass"), (ForegroundClass{.ConsoleHost = true, .ClassicConsole = true}));
    EXPECT_EQ(Flags(d, u"Chrome_WidgetWin_1"),
              (ForegroundClass{.UiaFirst = true, .Chromium = true, .ScopeToWindow = true}));
    EXPECT_EQ(Flags(d, u"chrome_widgetwin_"),
              (ForegroundClass{.UiaFirst = true, .Chromium = true, .ScopeToWindow = true}));
    EXPECT_EQ(Flags(d, u"Chrome_WidgetWin"), ForegroundClass{});
    EXPECT_EQ(Flags(d, u"MozillaWindowClass"), (ForegroundClass{.UiaFirst = true}));
    EXPECT_EQ(Flags(d, u"TaskManagerWindow"), (ForegroundClass{.UiaFirst = true, .ScopeToWindow = true}));
    EXPECT_EQ(Flags(d, u"PPTFrameClass"), (ForegroundClass{.PowerPoint = true}));
    EXPECT_EQ(Flags(d, u"OpusApp"), (ForegroundClass{.Word = true}));
    EXPECT_EQ(Flags(d, u"XLMAIN"), ForegroundClass{});
    EXPECT_EQ(Flags(d, u"Notepad"), ForegroundClass{});
    // Only ASCII letters fold: a dotless capital I (U+0130) is not "i".
    EXPECT_EQ(Flags(d, u"OpusApp\u0130"), ForegroundClass{});
}

TEST(EditabilityClassification, CacheHoldsPerForegroundWindowAndEmpties) {
    ScriptedDesktop d;
    d.AddWindow(1, Win(u"OpusApp"));
    d.AddWindow(2, Win(u"PPTFrameClass"));
    ClassificationCache cache;
    EXPECT_TRUE(ClassifyForeground(d, cache, 1).Word);
    EXPECT_TRUE(ClassifyForeground(d, cache, 1).Word);
    EXPECT_EQ(d.Calls("ClassName"), 1);
    EXPECT_TRUE(ClassifyForeground(d, cache, 2).PowerPoint);
    EXPECT_EQ(d.Calls("ClassName"), 2);
    // An unreadable window classifies as nothing, and that answer is cached too.
    d.Window(2).exists = false;
    cache = ClassificationCache{};
    EXPECT_EQ(ClassifyForeground(d, cache, 2), ForegroundClass{});
    EXPECT_TRUE(cache.valid);
    EXPECT_EQ(ClassifyForeground(d, cache, 2), ForegroundClass{});
    EXPECT_EQ(d.Calls("ClassName"), 3);
}

TEST(EditabilityClassification, StandardControlRule) {
    ScriptedDesktop d;
    d.AddWindow(1, Win(u"Edit"));
    d.AddWindow(2, Win(u"EDIT")).style = 0x0800;
    d.AddWindow(3, Win(u"Edit")).enabled = false;
    d.AddWindow(4, Win(u"RichEdit20W"));
    d.AddWindow(5, Win(u"RICHEDIT50W")).style = 0x50000800;
    d.AddWindow(6, Win(u"Static"));
    d.AddWindow(7, Win(u"Button"));
    EXPECT_EQ(StandardControlRule(d, 1), ControlVerdict::Editable);
    EXPECT_EQ(StandardControlRule(d, 2), ControlVerdict::ReadOnly);
    EXPECT_EQ(StandardControlRule(d, 3), ControlVerdict::ReadOnly);
    EXPECT_EQ(StandardControlRule(d, 4), ControlVerdict::Editable);
    EXPECT_EQ(StandardControlRule(d, 5), ControlVerdict::ReadOnly);
    EXPECT_EQ(StandardControlRule(d, 6), ControlVerdict::ReadOnly);
    EXPECT_EQ(StandardControlRule(d, 7), ControlVerdict::Unknown);
    EXPECT_EQ(d.Calls("SendMessageWithTimeout"), 0);
}

TEST(EditabilityClassification, ScintillaAskedWithBoundedSend) {
    ScriptedDesktop d;
    d.AddWindow(1, Win(u"Scintilla")).messageReplies[2140] = 0;
    d.AddWindow(2, Win(u"Scintilla")).messageReplies[2140] = 1;
    d.AddWindow(3, Win(u"Scintilla"));  // does not answer in time
    EXPECT_EQ(StandardControlRule(d, 1), ControlVerdict::Editable);
    EXPECT_EQ(StandardControlRule(d, 2), ControlVerdict::ReadOnly);
    EXPECT_EQ(StandardControlRule(d, 3), ControlVerdict::Unknown);
    ASSERT_EQ(d.Sent().size(), 3u);
    for (const auto& sent : d.Sent()) {
        EXPECT_EQ(sent.message, 2140u);
        EXPECT_EQ(sent.flags, 3u);  // SMTO_BLOCK | SMTO_ABORTIFHUNG
        EXPECT_EQ(sent.timeoutMs, 25u);
    }
}

TEST(EditabilityClassification, UnreadableClassIsUnknown) {
    ScriptedDesktop d;
    d.AddWindow(1, Win(u""));
    EXPECT_EQ(StandardControlRule(d, 1), ControlVerdict::Unknown);
    // A window that is gone is not enabled: read-only, as the rule orders it.
    EXPECT_EQ(StandardControlRule(d, 99), ControlVerdict::ReadOnly);
}

TEST(EditabilityClassification, WordAndOutlookPanes) {
    ScriptedDesktop d;
    // Outlook: _WwG under _WwB, rctrl_renwnd32 eight levels above the _WwB.
    d.AddWindow(100, Win(u"rctrl_renwnd32"));
    WindowId above = 100;
    for (WindowId id = 101; id <= 107; ++id) {
        d.AddWindow(id, Win(u"AfxWndW", above));
        above = id;
    }
    d.AddWindow(110, Win(u"_WwB", above));
    d.AddWindow(111, Win(u"_WwG", 110));
    d.Window(111).enabled = false;
    EXPECT_TRUE(IsWordPane(d, 111));
    EXPECT_TRUE(IsOutlookPane(d, 111));

    // One level more and the Outlook window is out of reach.
    d.Window(101).parent = 120;
    d.AddWindow(120, Win(u"AfxWndW", 100));
    EXPECT_FALSE(IsOutlookPane(d, 111));

    // The same pane inside Word.
    d.AddWindow(200, Win(u"OpusApp"));
    d.AddWindow(201, Win(u"_WwF", 200));
    d.AddWindow(202, Win(u"_WwB", 201));
    d.AddWindow(203, Win(u"_WwG", 202));
    EXPECT_TRUE(IsWordPane(d, 203));
    EXPECT_FALSE(IsOutlookPane(d, 203));

    // A pane whose parent is not _WwB, and a chain that loops on itself.
    d.AddWindow(300, Win(u"_WwG", 100));
    EXPECT_FALSE(IsOutlookPane(d, 300));
    d.AddWindow(301, Win(u"_WwB", 302));
    d.AddWindow(302, Win(u"Loop", 302));
    d.AddWindow(303, Win(u"_WwG", 301));
    EXPECT_FALSE(IsOutlookPane(d, 303));
    EXPECT_FALSE(IsWordPane(d, 200));
}

TEST(EditabilityClassification, ExcelWindowBySelfRootOrOwner) {
    ScriptedDesktop d;
    d.AddWindow(1, Win(u"XLMAIN"));
    d.AddWindow(2, Win(u"EXCEL7", 1)).root = 1;
    d.AddWindow(3, Win(u"bosa_sdm_XL9"));
    d.AddWindow(4, Win(u"Edit", 3)).root = 3;
    d.AddWindow(5, Win(u"Edit")).rootOwner = 1;
    d.AddWindow(6, Win(u"Notepad"));
    EXPECT_TRUE(IsExcelWindow(d, 1));
    EXPECT_TRUE(IsExcelWindow(d, 2));
    EXPECT_TRUE(IsExcelWindow(d, 4));
    EXPECT_TRUE(IsExcelWindow(d, 5));
    EXPECT_FALSE(IsExcelWindow(d, 6));
    EXPECT_FALSE(IsExcelWindow(d, kNoWindow));
}

FocusSnapshot Snap(WindowId fg, WindowId focus, WindowId caret, std::uint32_t pid = 7) {
    FocusSnapshot s;
    s.foreground = fg;
    s.active = fg;
    s.focus = focus;
    s.caret = caret;
    s.processId = pid;
    return s;
}

TEST(EditabilityClassification, ExcelRulesDoNotApplyOutsideExcel) {
    ScriptedDesktop d;
    d.AddWindow(1, Win(u"Notepad"));
    d.AddWindow(2, Win(u"Edit", 1)).root = 1;
    TargetMemo memo;
    EXPECT_FALSE(ExcelDialogRule(d, memo, Snap(1, 2, 2)).applies);
    EXPECT_FALSE(ExcelCaretOwnerRule(d, memo, Snap(1, 2, 2)).applies);
    EXPECT_EQ(d.Calls("EnumTopLevelWindows"), 0);
}

TEST(EditabilityClassification, ExcelCaretOwnerWalksCaretThenFocusAndIsMemoised) {
    ScriptedDesktop d;
    d.AddWindow(1, Win(u"XLMAIN"));
    d.AddWindow(2, Win(u"XLDESK", 1)).root = 1;
    d.AddWindow(3, Win(u"EXCEL7", 2)).root = 1;
    d.AddWindow(4, Win(u"EXCEL<", 1)).root = 1;  // formula bar
    d.AddWindow(5, Win(u"Inner", 4)).root = 1;
    TargetMemo memo;
    // The caret window's chain holds no owner; the focus window's parent is the formula bar.
    RuleWindow owner = ExcelCaretOwnerRule(d, memo, Snap(1, 5, 3));
    EXPECT_EQ(owner, (RuleWindow{true, 4}));
    const int calls = d.TotalCalls();
    EXPECT_EQ(ExcelCaretOwnerRule(d, memo, Snap(1, 5, 3)), owner);
    EXPECT_EQ(d.TotalCalls(), calls);
    // A disabled owner does not count; a new target re-evaluates.
    d.Window(4).enabled = false;
    EXPECT_FALSE(ExcelCaretOwnerRule(d, memo, Snap(1, 5, 2)).applies);
    // Invalidation forces a fresh answer for the same key.
    d.Window(4).enabled = true;
    EXPECT_FALSE(ExcelCaretOwnerRule(d, memo, Snap(1, 5, 2)).applies);
    InvalidateTargetMemo(memo);
    EXPECT_TRUE(ExcelCaretOwnerRule(d, memo, Snap(1, 5, 2)).applies);
}

TEST(EditabilityClassification, ExcelCaretOwnerLooksFiveWindowsUp) {
    ScriptedDesktop d;
    d.AddWindow(1, Win(u"XLMAIN"));
    d.AddWindow(10, Win(u"EDTBX", 1)).root = 1;
    WindowId above = 10;
    for (WindowId id = 11; id <= 15; ++id) {
        d.AddWindow(id, Win(u"Child", above)).root = 1;
        above = id;
    }
    TargetMemo memo;
    EXPECT_TRUE(ExcelCaretOwnerRule(d, memo, Snap(1, kNoWindow, 14)).applies);   // 14,13,12,11,10
    EXPECT_FALSE(ExcelCaretOwnerRule(d, memo, Snap(1, kNoWindow, 15)).applies);  // 10 is sixth
}

TEST(EditabilityClassification, ExcelDialogFromWindowsThenEnumeration) {
    ScriptedDesktop d;
    d.AddWindow(1, Win(u"XLMAIN")).processId = 7;
    d.AddWindow(2, Win(u"EXCEL7", 1)).root = 1;
    d.AddWindow(3, Win(u"bosa_sdm_XL9")).processId = 8;  // another process
    ScriptedWindow hidden = Win(u"bosa_sdm_XL9");
    hidden.processId = 7;
    hidden.visible = false;
    d.AddWindow(4, hidden);
    d.AddWindow(5, Win(u"bosa_sdm_XL9")).processId = 7;
    TargetMemo memo;
    EXPECT_EQ(ExcelDialogRule(d, memo, Snap(1, 2, 2)), (RuleWindow{true, 5}));
    EXPECT_EQ(d.Calls("EnumTopLevelWindows"), 1);
    EXPECT_EQ(ExcelDialogRule(d, memo, Snap(1, 2, 2)), (RuleWindow{true, 5}));
    EXPECT_EQ(d.Calls("EnumTopLevelWindows"), 1);
    // A process id of 0 never enumerates.
    EXPECT_FALSE(ExcelDialogRule(d, memo, Snap(1, 2, 2, 0)).applies);
    EXPECT_EQ(d.Calls("EnumTopLevelWindows"), 1);
    // The focus window's root is the dialog: found without enumerating.
    d.AddWindow(6, Win(u"Edit", 5)).root = 5;
    EXPECT_EQ(ExcelDialogRule(d, memo, Snap(1, 6, kNoWindow)), (RuleWindow{true, 5}));
    EXPECT_EQ(d.Calls("EnumTopLevelWindows"), 1);
}

TEST(EditabilityClassification, EditWindowGuess) {
    ScriptedDesktop d;
    d.AddWindow(1, Win(u"Edit")).rect = {100, 200, 300, 220};
    d.AddWindow(2, Win(u"EDTBX")).rect = {100, 200, 300, 210};
    d.AddWindow(3, Win(u"Edit")).rect = {0, 0, 100, 100};
    d.AddWindow(4, Win(u"Edit")).rect = {0, 0, 100, 3};
    d.AddWindow(5, Win(u"Edit")).rect = {0, 10, 100, 10};
    d.AddWindow(6, Win(u"RichEdit20W")).rect = {0, 0, 100, 20};
    EXPECT_EQ(EditWindowGuess(d, 1), (CaretInfo{true, 104, 203, 217}));
    EXPECT_EQ(EditWindowGuess(d, 2), (CaretInfo{true, 104, 202, 208}));
    EXPECT_EQ(EditWindowGuess(d, 3), (CaretInfo{true, 4, 6, 94}));
    // Too thin for the inset: the caret keeps one pixel of height.
    EXPECT_EQ(EditWindowGuess(d, 4), (CaretInfo{true, 4, 2, 3}));
    EXPECT_FALSE(EditWindowGuess(d, 5).Found);
    EXPECT_FALSE(EditWindowGuess(d, 6).Found);
}

// --- rules on the UI Automation focus ---

TEST(EditabilityClassification, UiaRulesWithoutAutomation) {
    testing::UiaRig r;
    r.a.present = false;  // what the program has where UI Automation is missing
    r.a.Add(10).Is(Editability::TextInput);
    r.a.focused = 10;
    r.d.AddWindow(1, Win(u"Chrome_WidgetWin_1"));
    TargetMemo memo;
    EXPECT_EQ(UiaVerdictOnFocus(r.env, Snap(1, 1, 0)), UiaVerdict::Undetermined);
    EXPECT_EQ(UiaFocusLookup(r.env, Snap(1, 1, 0)), UiaFocusOwner{});
    EXPECT_FALSE(ExcelFieldEstimate(r.env, memo, Snap(1, 1, 0)).Found);
    EXPECT_EQ(r.a.Calls(UiaCall::FocusedElement), 0);
}

TEST(EditabilityClassification, QuickInputRuleSplitsClassTokens) {
    testing::UiaRig r;
    r.a.Add(1).strings[uia_property::kClassName] = "monaco-list\tQUICK-INPUT-WIDGET show-file-icons";
    r.a.Add(2).strings[uia_property::kClassName] = "quick-input-widgets";
    // Task Manager's search box counts too.
    r.a.Add(3).Rect(100, 40, 600, 30).strings[uia_property::kClassName] =
        "Windows.UI.Composition.DesktopWindowContentBridge";
    r.d.AddWindow(5, Win(u"TaskManagerWindow")).rect = {0, 0, 1000, 700};
    for (int id : {1, 2, 3}) {
        r.a.focused = id;
        EXPECT_EQ(QuickInputRule(r.env, r.a.FocusedElement(), 5), id != 2) << id;
    }
    EXPECT_EQ(r.Leaks(), "");
}

struct ChainRig : testing::UiaRig {
    ChainRig() {
        d.AddWindow(1, Win(u"Chrome_WidgetWin_1"));
        a.focused = 10;
        a.Add(12);
        a.Add(11, 12);
        a.Add(10, 11);
    }
};

TEST(EditabilityClassification, UiaVerdictWalksAncestorsWithMarks) {
    ChainRig r;
    // Nothing decisive anywhere: undetermined.
    EXPECT_EQ(UiaVerdictOnFocus(r.env, Snap(1, 1, 0)), UiaVerdict::Undetermined);

    // A static text below an editable document: the document decides.
    r.a.Node(10).Is(Editability::StaticText);
    r.a.Node(12).Is(Editability::EditableDocument);
    EXPECT_EQ(UiaVerdictOnFocus(r.env, Snap(1, 1, 0)), UiaVerdict::Editable);

    // Code below it: the document no longer counts, and the text mark says no.
    r.a.Node(10).Is(Editability::CodeOrPresentation);
    EXPECT_EQ(UiaVerdictOnFocus(r.env, Snap(1, 1, 0)), UiaVerdict::NotEditable);

    // An empty field within the Chromium window's top band is editable.
    r.d.Window(1).rect = {0, 0, 1000, 800};
    r.a.Node(11).Is(Editability::TextInput).Rect(10, 20, 300, 30);
    EXPECT_EQ(UiaVerdictOnFocus(r.env, Snap(1, 1, 0)), UiaVerdict::Editable);
    EXPECT_EQ(r.Leaks(), "");
}

TEST(EditabilityClassification, UiaVerdictQuickInputAndDescendants) {
    ChainRig r;
    r.a.Node(11).strings[uia_property::kClassName] = "quick-input-widget";
    r.a.Node(10).Is(Editability::NotEditable);
    for (int id = 20; id < 40; ++id) r.a.Add(id, 11);  // a quick-input list, nothing editable
    EXPECT_EQ(UiaVerdictOnFocus(r.env, Snap(1, 1, 0)), UiaVerdict::Editable);
    EXPECT_GT(r.a.Node(39).asked, 0);  // walked by the deeper search

    // An editable child of the focused element decides before any ancestor is read.
    ChainRig q;
    q.a.Add(20, 10).Is(Editability::TextInput);
    EXPECT_EQ(UiaVerdictOnFocus(q.env, Snap(1, 1, 0)), UiaVerdict::Editable);
    EXPECT_EQ(q.a.Calls(UiaCall::Parent), 0);
    EXPECT_EQ(r.Leaks(), "");
    EXPECT_EQ(q.Leaks(), "");
}

TEST(EditabilityClassification, UiaVerdictWithoutWalker) {
    ChainRig r;
    r.a.walker = false;
    r.a.Node(10).Is(Editability::CodeOrPresentation);
    r.a.Node(12).Is(Editability::TextInput);
    EXPECT_EQ(UiaVerdictOnFocus(r.env, Snap(1, 1, 0)), UiaVerdict::NotEditable);
    r.a.Node(10).Is(Editability::EditableDocument);
    EXPECT_EQ(UiaVerdictOnFocus(r.env, Snap(1, 1, 0)), UiaVerdict::Editable);
    EXPECT_EQ(r.a.Calls(UiaCall::FirstChild), 0);
    EXPECT_EQ(r.a.Calls(UiaCall::Parent), 0);
    EXPECT_EQ(r.Leaks(), "");
}

TEST(EditabilityClassification, UiaFocusLookupTakesFirstOfEach) {
    ChainRig r;
    r.a.Node(10).ints[uia_property::kProcessId] = 0;
    r.a.Node(11).ints[uia_property::kNativeWindowHandle] = 0x1234;
    r.a.Node(11).ints[uia_property::kProcessId] = 4321;
    r.a.Node(12).ints[uia_property::kProcessId] = 99;
    EXPECT_EQ(UiaFocusLookup(r.env, Snap(1, 1, 0)), (UiaFocusOwner{0x1234, 4321}));
    EXPECT_EQ(r.a.Calls(UiaCall::Parent), 1);

    // A window without a process id: the window's own process.
    ChainRig w;
    w.a.Node(12).ints[uia_property::kNativeWindowHandle] = 1;
    w.d.Window(1).processId = 55;
    EXPECT_EQ(UiaFocusLookup(w.env, Snap(1, 1, 0)), (UiaFocusOwner{1, 55}));
    EXPECT_EQ(r.Leaks(), "");
    EXPECT_EQ(w.Leaks(), "");
}

// Each walk stops asking for parents once its last element is examined:
// every request is a cross-process call into the focused application.
TEST(EditabilityClassification, AncestorWalksFetchNoParentBeyondTheirLength) {
    ChainRig r;
    for (int id = 13; id <= 30; ++id) r.a.Add(id);
    for (int id = 12; id < 30; ++id) r.a.Node(id).parent = id + 1;
    EXPECT_EQ(UiaVerdictOnFocus(r.env, Snap(1, 1, 0)), UiaVerdict::Undetermined);
    EXPECT_EQ(r.a.ElementsAsked(), 12);
    EXPECT_EQ(r.a.Calls(UiaCall::Parent), 11);

    r.a.ResetCounts();
    EXPECT_EQ(UiaFocusLookup(r.env, Snap(1, 1, 0)), UiaFocusOwner{});
    EXPECT_EQ(r.a.Calls(UiaCall::Parent), 12);

    r.a.ResetCounts();
    r.d.AddWindow(2, Win(u"bosa_sdm_XL9")).rect = {0, 0, 500, 400};
    TargetMemo memo;
    EXPECT_FALSE(ExcelFieldEstimate(r.env, memo, Snap(2, 2, 0)).Found);
    EXPECT_EQ(r.a.ElementsAsked(), 13);
    EXPECT_EQ(r.a.Calls(UiaCall::Parent), 12);
    EXPECT_EQ(r.Leaks(), "");
}

TEST(EditabilityClassification, ExcelFieldEstimateWalksToEditAndChecksDialog) {
    testing::UiaRig r;
    r.d.AddWindow(1, Win(u"bosa_sdm_XL9")).rect = {100, 100, 500, 400};
    r.a.focused = 10;
    r.a.Add(11).strings[uia_property::kClassName] = "EdtBx";
    ScriptedNode& edit = r.a.Add(10, 11);
    edit.ints[uia_property::kControlType] = uia_control_type::kEdit;
    edit.bools[uia_property::kIsEnabled] = false;  // skipped
    r.a.Node(11).Rect(200.5, 150, 100, 20);
    TargetMemo memo;
    EXPECT_EQ(ExcelFieldEstimate(r.env, memo, Snap(1, 1, 0)), (CaretInfo{true, 205, 152, 168}));

    // Outside the dialog by more than 16 pixels: rejected.
    r.a.Node(11).Rect(517.0, 150, 100, 20);
    EXPECT_FALSE(ExcelFieldEstimate(r.env, memo, Snap(1, 1, 0)).Found);
    r.a.Node(11).Rect(512.0, 150, 100, 20);
    EXPECT_TRUE(ExcelFieldEstimate(r.env, memo, Snap(1, 1, 0)).Found);
    // A flat rectangle ends the walk without a caret.
    r.a.Node(11).Rect(200, 150, 100, 0);
    EXPECT_FALSE(ExcelFieldEstimate(r.env, memo, Snap(1, 1, 0)).Found);
    EXPECT_EQ(r.Leaks(), "");
}

}  // namespace
}  // namespace tessel
