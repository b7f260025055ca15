// The update cycle against scripted doubles: what a full update shows or hides,
// which caches it reuses, and how the cheap refreshes fall back.
#include <gtest/gtest.h>

#include <map>

#include "doubles/app_rig.h"
#include "main/app_state.h"
#include "main/app_scheduler_host.h"
#include "main/app_state_ops.h"
#include "main/update_cycle.h"
#include "main/app_scheduler_host.h"
#include "main/scheduler.h"
#include "main/shell_surface.h"
#include "editability/uia_element_reading.h"

namespace tessel {
namespace {

using testing::AppRig;
using testing::MakeWindow;

constexpr WindowId kMain = AppRig::kMainWindow;
constexpr WindowId kFrame = 0x100;
constexpr WindowId kEdit = 0x101;
constexpr WindowId kLabel = 0x102;
constexpr std::uint32_t kThread = 7;
constexpr std::uint32_t kPid = 70;
constexpr std::uintptr_t kUsEnglish = 0x04090409;
constexpr std::uintptr_t kKorean = 0x04120412;

class UpdateCycle : public ::testing::Test {
protected:
    UpdateCycle() {
        desktop.AddWindow(kFrame, MakeWindow(u"Notepad", kNoWindow, kThread, kPid, Rect{100, 100, 700, 500}));
        desktop.AddWindow(kEdit, MakeWindow(u"Edit", kFrame, kThread, kPid, Rect{110, 140, 690, 490}));
        desktop.AddWindow(kLabel, MakeWindow(u"Static", kFrame, kThread, kPid, Rect{110, 110, 300, 130}));
        desktop.SetLayout(kThread, kUsEnglish);
        FocusOn(kEdit, Rect{50, 10, 51, 26});
    }

    void FocusOn(WindowId window, Rect caret) {
        desktop.SetForeground(kFrame);
        GuiThreadInfo info;
        info.active = kFrame;
        info.focus = window;
        info.caret = window;
        info.caretRect = caret;
        desktop.SetGuiThreadInfo(kThread, info);
    }

    AppRig rig;
    AppState& state = rig.state;
    testing::FakeClock& clock = rig.clock;
    testing::ScriptedDesktop& desktop = rig.desktop;
    testing::ScriptedBadgePlatform& badge = rig.badge;
    testing::RecordingSound& sound = rig.sound;
    testing::FakeProcesses& processes = rig.processes;
    testing::ScriptedAutomation& automation = rig.automation;

    // UI Automation is there and the focused element sits in its cache.
    void CacheFocusedElement() {
        automation.present = true;
        automation.Add(1);
        automation.focused = 1;
        UiaEnv env{automation, desktop, clock, state.uia};
        CachedFocusedElement(env, TakeFocusSnapshot(desktop));
        ASSERT_EQ(automation.LiveReferences(), 1);
    }
};

TEST_F(UpdateCycle, AnEditControlShowsTheBadgeBelowItsCaret) {
    FullUpdate(state);
    ASSERT_TRUE(state.lastCaret.Found);
    // Client caret (50,10)-(51,26) in a client area at (110,140): a 1-pixel bar.
    EXPECT_EQ(state.lastCaret.X, 110 + 51);
    EXPECT_EQ(state.lastCaret.Top, 150);
    EXPECT_EQ(state.lastCaret.Bottom, 166);
    EXPECT_TRUE(state.badge.Visible);
    EXPECT_EQ(state.badge.Content.Mode, InputMode::English);
    EXPECT_EQ(state.badge.LastPosition.X, 161 + 4);  // gap 4 at 96 DPI
    EXPECT_EQ(state.badge.LastPosition.Y, 166 + 2);
    EXPECT_EQ(state.mode.LastMode, InputMode::English);
    EXPECT_FALSE(state.sched.fullUpdatePending);
    EXPECT_EQ(state.sched.lastFullUpdate, clock.Now());
}

TEST_F(UpdateCycle, RestProbeComparesWithWhatTheLastFullUpdateSaw) {
    AppSchedulerHost host(state);
    EXPECT_FALSE(host.TargetUnchangedSinceFullUpdate()) << "no full update yet";
    FullUpdate(state);
    desktop.ResetCalls();
    EXPECT_TRUE(host.TargetUnchangedSinceFullUpdate());
    EXPECT_EQ(desktop.TotalCalls(), 2) << "the thread's GUI state and the caret window's place";
    desktop.Window(kEdit).clientOrigin.y -= 48;
    EXPECT_FALSE(host.TargetUnchangedSinceFullUpdate()) << "scrolled with its parent, same client caret";
    FullUpdate(state);
    FocusOn(kEdit, Rect{60, 10, 61, 26});
    EXPECT_FALSE(host.TargetUnchangedSinceFullUpdate()) << "the caret moved";
    FullUpdate(state);
    FocusOn(kLabel, Rect{60, 10, 61, 26});
    EXPECT_FALSE(host.TargetUnchangedSinceFullUpdate()) << "the focus moved";

    // A caret object's caret moves without the system caret: no rest.
    constexpr WindowId kWord = 0x103, kWordPane = 0x104;
    desktop.AddWindow(kWord, MakeWindow(u"OpusApp", kNoWindow, kThread, kPid, Rect{100, 100, 700, 500}));
    desktop.AddWindow(kWordPane, MakeWindow(u"_WwG", kWord, kThread, kPid, Rect{110, 140, 690, 490}));
    desktop.SetForeground(kWord);
    GuiThreadInfo info;
    info.active = kWord;
    info.focus = info.caret = kWordPane;
    desktop.SetGuiThreadInfo(kThread, info);
    rig.accessibility.SetCaret(kWordPane, 300, 200, 220);
    FullUpdate(state);
    ASSERT_EQ(state.lastCaret.X, 300);
    EXPECT_FALSE(host.TargetUnchangedSinceFullUpdate());
}

TEST_F(UpdateCycle, AReadOnlyScintillaIsAskedOncePerFullUpdate) {
    constexpr WindowId kEditor = 0x105;
    desktop.AddWindow(kEditor, MakeWindow(u"Scintilla", kFrame, kThread, kPid, Rect{110, 140, 690, 490}))
        .messageReplies[2140] = 1;
    FocusOn(kEditor, Rect{50, 10, 51, 26});
    FullUpdate(state);
    EXPECT_FALSE(state.badge.Visible) << "it takes no text";
    EXPECT_EQ(desktop.Sent().size(), 1u) << "each ask may wait 25 ms";
}

TEST_F(UpdateCycle, NoForegroundWindowHidesAndReleasesTheFocusedElement) {
    CacheFocusedElement();
    FullUpdate(state);
    ASSERT_TRUE(state.badge.Visible);
    desktop.SetForeground(kNoWindow);
    FullUpdate(state);
    EXPECT_FALSE(state.badge.Visible);
    EXPECT_FALSE(state.lastCaret.Found);
    EXPECT_EQ(automation.ReferenceProblems(), "");
    // Hiding keeps the mode, so coming back to English stays silent.
    EXPECT_EQ(state.mode.LastMode, InputMode::English);
}

// Each quiet 5 s tick asks the mode; under Wine nearly every call wakes the
// process, so an unchanged mode must not re-place or redraw the badge.
TEST_F(UpdateCycle, AtRestOnlyTheImeIsAskedAndTheBadgeRedrawnOnlyOnAChange) {
    FullUpdate(state);
    badge.ResetCalls();
    desktop.ResetCalls();
    CheckModeAtRest(state);
    EXPECT_EQ(badge.Calls("MonitorFromPoint") + badge.Calls("VirtualScreen") + badge.Calls("ForegroundWindow"), 0);
    EXPECT_EQ(desktop.Calls("GuiThreadInfoOf"), 0) << "the rest probe has just read the target";
    badge.SetKeyToggled(0x14, true);
    CheckModeAtRest(state);
    EXPECT_EQ(state.badge.Content.Glyph, u'A') << "Caps Lock turned on at rest";
}

TEST_F(UpdateCycle, AControlThatTakesNoTextHidesTheBadge) {
    FocusOn(kLabel, Rect{0, 0, 0, 0});
    FullUpdate(state);
    EXPECT_FALSE(state.badge.Visible);
    EXPECT_EQ(badge.Redraws(), 0);
}

TEST_F(UpdateCycle, AnUnreadableKoreanStatusHidesAndClearsTheKnownCaret) {
    FullUpdate(state);
    ASSERT_TRUE(state.lastCaret.Found);
    desktop.SetLayout(kThread, kKorean);
    clock.AdvanceMs(500);  // beyond the recent-status reuse
    FullUpdate(state);
    EXPECT_FALSE(state.badge.Visible);
    EXPECT_FALSE(state.lastCaret.Found);
    EXPECT_FALSE(state.KeepOutRect.has_value());
    // RefreshMode with no known caret does a full update instead.
    RefreshMode(state);
    EXPECT_EQ(state.sched.lastFullUpdate, clock.Now());
}

TEST_F(UpdateCycle, LeavingAConsoleForgetsItEvenWhenTheNewControlTakesNoText) {
    // The caret locator is never reached when the control takes no text, so
    // the update itself must forget the console read for an earlier caret.
    state.caretLocator.ConsoleAttachment = ConsoleSource{40, 0x900};
    FocusOn(kLabel, Rect{0, 0, 0, 0});
    FullUpdate(state);
    EXPECT_FALSE(state.badge.Visible);
    EXPECT_EQ(state.caretLocator.ConsoleAttachment, ConsoleSource{});
}

TEST_F(UpdateCycle, TheEditabilityVerdictIsReusedFor250Ms) {
    // A label is decided by the slow rules, whose verdict is cached.
    FocusOn(kLabel, Rect{0, 0, 0, 0});
    EditabilityVerdict cache;
    ForegroundClass fg;
    FocusSnapshot snapshot{Rect{}, kFrame, kFrame, kLabel, kLabel, kPid};
    TargetMemo memo;
    RekeyTargetMemo(memo, snapshot);
    auto inputs = [&](const FocusSnapshot& snap, MonoTime at) {
        return EditabilityInputs{desktop,   memo,        snap,                fg, at, rig.automation,
                                 clock,     state.uia,   rig.outlook,         state.outlookAnswer,
                                 rig.accessibility};
    };
    EXPECT_EQ(DecideEditability(inputs(snapshot, clock.Now()), cache).rule, EditabilityRule::Computed);
    EditabilityDecision reused = DecideEditability(inputs(snapshot, clock.Now() + Ms(250)), cache);
    EXPECT_EQ(reused.rule, EditabilityRule::Cached);
    EXPECT_FALSE(reused.show);
    const EditabilityInputs stale = inputs(snapshot, clock.Now() + Ms(251));
    EXPECT_EQ(DecideEditability(stale, cache).rule, EditabilityRule::Computed);
    // Another focus window is another key.
    FocusSnapshot other = snapshot;
    other.focus = kEdit;
    other.caret = kNoWindow;
    EXPECT_NE(DecideEditability(inputs(other, clock.Now() + Ms(260)), cache).rule, EditabilityRule::Cached);
}

TEST_F(UpdateCycle, ConsolesAreAlwaysEditableAndTheCheapRulesAreNotCached) {
    EditabilityVerdict cache;
    ForegroundClass console;
    console.ConsoleHost = true;
    FocusSnapshot snapshot{Rect{}, kFrame, kFrame, kNoWindow, kNoWindow, kPid};
    TargetMemo memo;
    RekeyTargetMemo(memo, snapshot);
    EditabilityDecision d = DecideEditability({desktop, memo, snapshot, console, clock.Now(), rig.automation, clock,
                                               state.uia, rig.outlook, state.outlookAnswer, rig.accessibility},
                                              cache);
    EXPECT_TRUE(d.show);
    EXPECT_EQ(d.rule, EditabilityRule::Console);
    EXPECT_TRUE(cache.show);  // recorded for the slow path to reuse
}

TEST_F(UpdateCycle, ShellSurfacesKeepTheBadgeOffTheirFrameAndAreExaminedOncePerWindow) {
    processes.names[kPid] = u"SearchHost.EXE";
    desktop.Window(kFrame).frameBounds = Rect{100, 100, 700, 500};
    FullUpdate(state);
    ASSERT_TRUE(state.KeepOutRect.has_value());
    EXPECT_EQ(*state.KeepOutRect, (Rect{100, 100, 700, 500}));
    // The badge stays outside the frame.
    const auto& p = state.badge.LastPosition;
    EXPECT_TRUE(p.X + 15 <= 100 || p.X >= 700 || p.Y + 15 <= 100 || p.Y >= 500);
    FullUpdate(state);
    FullUpdate(state);
    EXPECT_EQ(processes.lookups, 1);
    // A foreground event forgets the verdict.
    ForgetShellHost(state);
    FullUpdate(state);
    EXPECT_EQ(processes.lookups, 2);
}

TEST_F(UpdateCycle, AFailedFrameQueryFallsBackToTheWindowRectangle) {
    processes.names[kPid] = u"startmenuexperiencehost.exe";
    FullUpdate(state);
    ASSERT_TRUE(state.KeepOutRect.has_value());
    EXPECT_EQ(*state.KeepOutRect, (Rect{100, 100, 700, 500}));
    processes.names[kPid] = u"notepad.exe";
    ForgetShellHost(state);
    FullUpdate(state);
    EXPECT_FALSE(state.KeepOutRect.has_value());
}

TEST_F(UpdateCycle, TaskManagerSearchBoxStartsAndStopsItsTimer) {
    constexpr WindowId kTaskManager = 0x300, kInput = 0x301;
    desktop.AddWindow(kTaskManager, MakeWindow(u"TaskManagerWindow", kNoWindow, 9, 90, Rect{0, 0, 800, 600}));
    desktop.AddWindow(kInput, MakeWindow(u"Windows.UI.Input.InputSite.WindowClass", kTaskManager, 9, 90, Rect{10, 10, 200, 30}));
    desktop.SetForeground(kTaskManager);
    GuiThreadInfo info;
    info.focus = kInput;
    desktop.SetGuiThreadInfo(9, info);
    state.mode.LastMode = InputMode::Korean;
    FullUpdate(state);
    EXPECT_TRUE(state.taskManagerMode);
    EXPECT_EQ(state.TaskbarReading, 1);
    EXPECT_TRUE(desktop.TimerRunning(kMain, kTaskManagerTimerId));
    EXPECT_EQ(desktop.Timers().at({kMain, kTaskManagerTimerId}), 50u);

    FocusOn(kEdit, Rect{50, 10, 51, 26});
    FullUpdate(state);
    EXPECT_FALSE(state.taskManagerMode);
    EXPECT_FALSE(desktop.TimerRunning(kMain, kTaskManagerTimerId));
}

TEST_F(UpdateCycle, RefreshCaretMovesWithoutRedrawingAndFallsBackWhenNothingIsShown) {
    EXPECT_FALSE(RefreshCaret(state));  // nothing drawn yet: a full update instead
    ASSERT_TRUE(state.badge.Visible);
    int redraws = badge.Redraws();
    clock.AdvanceMs(30);
    FocusOn(kEdit, Rect{80, 10, 81, 26});
    EXPECT_TRUE(RefreshCaret(state));
    EXPECT_EQ(state.lastCaret.X, 110 + 81);
    EXPECT_EQ(badge.Redraws(), redraws);
    EXPECT_EQ(state.badge.LastPosition.X, 191 + 4);
    EXPECT_EQ(state.sched.lastCaretUpdate, clock.Now());
    EXPECT_NE(state.sched.lastFullUpdate, clock.Now());
}

// A provider that timed out is asked again only in the next update: never
// twice in one, never not at all.
TEST_F(UpdateCycle, EachEntryBeginsOneAutomationUpdateEvenWhenItFallsBackToAFullOne) {
    EXPECT_FALSE(RefreshCaret(state));
    EXPECT_EQ(automation.updatesBegun, 1);
    state.lastCaret = CaretInfo{};
    RefreshMode(state);
    FullUpdate(state);
    ReadTaskbarIndicator(state);
    EXPECT_EQ(automation.updatesBegun, 4);
}

TEST_F(UpdateCycle, RefreshModeRedrawsAtTheKnownCaretWhenCapsLockChanges) {
    FullUpdate(state);
    ASSERT_TRUE(state.badge.Visible);
    MonoTime full = *state.sched.lastFullUpdate;
    clock.AdvanceMs(100);
    badge.SetKeyToggled(0x14, true);
    RefreshMode(state);
    EXPECT_EQ(state.badge.Content.Glyph, u'A');
    EXPECT_EQ(*state.sched.lastFullUpdate, full);  // no full update ran
    EXPECT_TRUE(sound.Played().empty());
}

TEST_F(UpdateCycle, InvalidatingTheCaretCachesEmptiesTheVerdictAndMemo) {
    FullUpdate(state);
    CacheFocusedElement();
    InvalidateCaretCaches(state);
    EXPECT_FALSE(state.editabilityVerdict.time.has_value());
    EXPECT_EQ(state.caretLocator.targetMemo.stateWord, TargetMemo::kInvalidated);
    EXPECT_EQ(automation.ReferenceProblems(), "");
}

// Task Manager's search box: the taskbar indicator is read when the box gets
// the focus and by the 50 ms timer, which refreshes the mode on a change.
TEST_F(UpdateCycle, TaskManagerSearchBoxFollowsTheTaskbarIndicator) {
    constexpr WindowId kTaskManager = 0x200, kInputSite = 0x201, kTaskbar = 0x300;
    desktop.AddWindow(kTaskManager, MakeWindow(u"TaskManagerWindow", kNoWindow, kThread, kPid, Rect{0, 0, 1000, 700}));
    desktop.AddWindow(kInputSite,
                      MakeWindow(u"Windows.UI.Input.InputSite.WindowClass", kTaskManager, kThread, kPid, Rect{}));
    desktop.AddWindow(kTaskbar, MakeWindow(u"Shell_TrayWnd", kNoWindow, 9, 90, Rect{0, 1040, 1920, 1080}));
    automation.present = true;
    automation.windowElements[kTaskbar] = 1;
    automation.Add(1);
    automation.Add(2, 1).strings[uia_property::kName] = "Korean input mode";
    state.mode.LastMode = InputMode::English;

    desktop.SetForeground(kTaskManager);
    GuiThreadInfo info;
    info.active = kTaskManager;
    info.focus = kInputSite;
    desktop.SetGuiThreadInfo(kThread, info);
    FullUpdate(state);
    EXPECT_TRUE(state.taskManagerMode);
    EXPECT_EQ(state.TaskbarReading, 1);
    EXPECT_TRUE(desktop.TimerRunning(kMain, kTaskManagerTimerId));

    AppSchedulerHost host(state);
    automation.ResetCounts();
    OnTaskManagerTimer(state.sched, clock, desktop, host);  // unchanged: one name read
    EXPECT_EQ(automation.Calls(testing::UiaCall::StringProperty), 1);
    automation.Node(2).strings[uia_property::kName] = "English input mode";
    clock.AdvanceMs(50);
    OnTaskManagerTimer(state.sched, clock, desktop, host);
    EXPECT_EQ(state.TaskbarReading, 0);
    // The mode refresh ran; without a caret it falls back to a full update.
    EXPECT_EQ(state.sched.lastFullUpdate, clock.Now());

    EmptyFocusedElementCache(state.uia.focusedElement);
    state.IndicatorElement.Reset();
    EXPECT_EQ(automation.ReferenceProblems(), "");
}

}  // namespace
}  // namespace tessel
