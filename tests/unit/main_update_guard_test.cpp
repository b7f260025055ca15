// The update cycle where other programs answer late or deliver messages while
// Tessel waits on them, and the user's choices that keep the badge away: the
// programs left alone and a badge that steps aside after a change.
#include <gtest/gtest.h>

#include "badge/badge_presence.h"
#include "doubles/app_rig.h"
#include "main/app_scheduler_host.h"
#include "main/update_cycle.h"

namespace tessel {
namespace {

using testing::AppRig;
using testing::MakeWindow;

constexpr WindowId kFrame = 0x100;
constexpr WindowId kEdit = 0x101;
constexpr WindowId kLabel = 0x102;
constexpr WindowId kWord = 0x103;
constexpr WindowId kWordPane = 0x104;
constexpr std::uint32_t kThread = 7;
constexpr std::uint32_t kPid = 70;
constexpr int kVkCapital = 0x14;

class UpdateGuard : public ::testing::Test {
protected:
    UpdateGuard() {
        desktop.AddWindow(kFrame, MakeWindow(u"Notepad", kNoWindow, kThread, kPid, Rect{100, 100, 700, 500}));
        desktop.AddWindow(kEdit, MakeWindow(u"Edit", kFrame, kThread, kPid, Rect{110, 140, 690, 490}));
        desktop.AddWindow(kLabel, MakeWindow(u"Static", kFrame, kThread, kPid, Rect{110, 110, 300, 130}));
        desktop.AddWindow(kWord, MakeWindow(u"OpusApp", kNoWindow, kThread, kPid, Rect{100, 100, 700, 500}));
        desktop.AddWindow(kWordPane, MakeWindow(u"_WwG", kWord, kThread, kPid, Rect{110, 140, 690, 490}));
        desktop.SetLayout(kThread, 0x04090409);
        rig.processes.names[kPid] = u"Notepad.EXE";
        FocusOn(kFrame, kEdit, Rect{50, 10, 51, 26});
    }

    void FocusOn(WindowId frame, WindowId window, Rect caret = {}) {
        desktop.SetForeground(frame);
        GuiThreadInfo info;
        info.active = frame;
        info.focus = info.caret = window;
        info.caretRect = caret;
        desktop.SetGuiThreadInfo(kThread, info);
    }

    bool BadgeTimerRunning() { return desktop.TimerRunning(AppRig::kMainWindow, kBadgeTimerId); }

    AppRig rig;
    AppState& state = rig.state;
    testing::ScriptedDesktop& desktop = rig.desktop;
    testing::ScriptedAccessibility& accessibility = rig.accessibility;
};

// A message delivered while the update waits on another program (here a caret
// object read) asks for an update of its own: it must wait for the running one.
TEST_F(UpdateGuard, AStimulusDuringAnUpdateRunsWhenItEnds) {
    FocusOn(kWord, kWordPane);
    accessibility.SetCaret(kWordPane, 300, 200, 220);
    AppSchedulerHost host(state);
    int readsInside = -1;
    accessibility.duringNextRead = [&] {
        const int before = accessibility.Reads(kWordPane);
        FocusOn(kFrame, kEdit, Rect{50, 10, 51, 26});  // the user moved on meanwhile
        host.InvalidateCaretCaches();
        state.badge.TopmostCountdown = 2;  // a topmost check falls due as well
        host.TickTopmostCountdown();
        host.FullUpdate();
        readsInside = accessibility.Reads(kWordPane) - before;
        EXPECT_EQ(state.caretLocator.targetMemo.stateWord, TargetMemo::kValid) << "caches pulled mid-update";
    };
    FullUpdate(state);
    EXPECT_EQ(readsInside, 0) << "an update started inside another";
    EXPECT_EQ(state.lastCaret.X, 110 + 51) << "the owed update ran after, at the edit's caret";
    EXPECT_EQ(state.sched.owedDuringUpdate, 0);
    EXPECT_FALSE(state.sched.updateRunning);
}

// One slow answer is no "no": the badge stays where it was (after a full
// update or a caret refresh), nothing is cached as a verdict, and the next
// poll tick asks again with a full update.
TEST_F(UpdateGuard, ALateAnswerKeepsTheBadge) {
    struct Case {
        const char* name;
        WindowId frame, focus;
        bool lateRuleDecides;  // the late source is the one that decides editability
        void (*makeLate)(AppRig&);
    };
    const Case cases[] = {
        {"UI Automation timed out deciding editability", kFrame, kLabel, true,
         [](AppRig& r) { r.automation.lateEveryUpdate = true; }},
        {"the caret object did not answer", kWord, kWordPane, false,
         [](AppRig& r) { r.accessibility.lateWindows.insert(kWordPane); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        rig.automation.lateEveryUpdate = false;
        accessibility.lateWindows.clear();
        FocusOn(kFrame, kEdit, Rect{50, 10, 51, 26});
        FullUpdate(state);
        ASSERT_TRUE(state.badge.Visible);
        const BadgePosition shown = state.badge.LastPosition;

        c.makeLate(rig);
        FocusOn(c.frame, c.focus);
        FullUpdate(state);
        EXPECT_TRUE(state.badge.Visible);
        EXPECT_EQ(state.badge.LastPosition, shown);
        EXPECT_TRUE(state.lastCaret.Found);
        if (c.lateRuleDecides) {
            EXPECT_FALSE(state.editabilityVerdict.time.has_value()) << "a late hide was cached";
        }
        EXPECT_FALSE(state.sched.lastFullUpdate.has_value()) << "the next tick would not ask again";
        EXPECT_TRUE(RefreshCaret(state)) << "a late caret refresh fell back to a full update";
        EXPECT_EQ(state.badge.LastPosition, shown);

        rig.automation.lateEveryUpdate = false;
        accessibility.lateWindows.clear();
        accessibility.SetCaret(kWordPane, 300, 200, 220);
        FullUpdate(state);
        EXPECT_TRUE(!state.badge.Visible || !(state.badge.LastPosition == shown)) << "an answer in time still counts";
    }
}

// An IME that is busy is late too: the badge keeps its mode. One that cannot
// be read at all hides the badge, and the next tick asks again.
TEST_F(UpdateGuard, ABusyImeKeepsTheModeAndAnUnreadableOneIsAskedAgain) {
    constexpr WindowId kIme = 0x1FF;
    desktop.AddWindow(kIme, MakeWindow(u"IME", kNoWindow, kThread, kPid, Rect{}));
    desktop.SetLayout(kThread, 0x04120412);
    rig.ime.SetDefaultImeWindow(kEdit, kIme);
    rig.ime.SetImeWindow(kIme, {.open = 1, .conversion = 1});
    FullUpdate(state);
    ASSERT_TRUE(state.badge.Visible);
    ASSERT_EQ(state.badge.Content.Mode, InputMode::Korean);

    rig.ime.ImeWindow(kIme).answersOpen = false;
    rig.clock.AdvanceMs(500);  // past the reuse of a recent answer
    FullUpdate(state);
    EXPECT_TRUE(state.badge.Visible);
    EXPECT_EQ(state.badge.Content.Mode, InputMode::Korean);
    EXPECT_FALSE(state.sched.lastFullUpdate.has_value()) << "the next tick would not ask again";

    desktop.Window(kIme).exists = false;
    rig.clock.AdvanceMs(500);
    FullUpdate(state);
    EXPECT_FALSE(state.badge.Visible);
    EXPECT_FALSE(AppSchedulerHost(state).TargetUnchangedSinceFullUpdate()) << "the tick at rest would not ask again";
}

TEST_F(UpdateGuard, AListedProgramGetsNoBadgeAndNoSound) {
    state.settings.PlaySounds = true;
    state.settings.ExcludedPrograms = {"game.exe", "notepad.exe"};
    FullUpdate(state);
    EXPECT_FALSE(state.badge.Visible);
    EXPECT_TRUE(rig.sound.Played().empty());
    FullUpdate(state);
    EXPECT_EQ(rig.processes.imageNameReads, 1) << "the image name is read once per process";

    state.settings.ExcludedPrograms = {"game.exe"};
    FullUpdate(state);
    EXPECT_TRUE(state.badge.Visible) << "not on the list";
    state.settings.ExcludedPrograms = {"notepad.exe"};
    RefreshMode(state);  // a key checked before the switch's own update
    EXPECT_FALSE(state.badge.Visible);

    rig.processes.imageNamesUnreadable = true;
    state.imageNames = ImageNameCache{};  // not read yet
    FullUpdate(state);
    EXPECT_TRUE(state.badge.Visible) << "a name that cannot be read excludes nothing";
}

TEST(BadgePresence, StepsAsideUntilTheModeCapsOrFocusChanges) {
    const PresenceKey edit{InputMode::English, false, kFrame, kEdit};
    struct Step {
        const char* what;
        PresenceKey key;
        bool fired;  // the step-aside timer fired before this step
        bool show, arm;
    };
    PresenceKey korean = edit, caps = edit, other = edit;
    korean.mode = InputMode::Korean;
    caps.capsLock = true;
    other.focus = kLabel;
    const Step steps[] = {
        {"first show", edit, false, true, true},
        {"caret moved, same key", edit, false, true, false},
        {"stepped aside, caret moved", edit, true, false, false},
        {"mode changed", korean, false, true, true},
        {"stepped aside, Caps Lock", caps, true, true, true},
        {"stepped aside, another control", other, true, true, true},
    };
    BadgePresence p;
    for (const Step& s : steps) {
        SCOPED_TRACE(s.what);
        if (s.fired) StepAside(p);
        const PresenceDecision d = DecidePresence(p, 3, s.key);
        EXPECT_EQ(d.show, s.show);
        EXPECT_EQ(d.armTimer, s.arm);
    }
    StepAside(p);
    p.focusMoved = true;  // a focus event in the same window (a browser's fields)
    EXPECT_TRUE(DecidePresence(p, 3, other).show);
    StepAside(p);
    const PresenceDecision always = DecidePresence(p, 0, other);
    EXPECT_TRUE(always.show) << "0 seconds: always";
    EXPECT_FALSE(p.timerArmed);
}

TEST_F(UpdateGuard, ABadgeThatSteppedAsideReturnsOnCapsLockNotOnCaretMoves) {
    state.settings.BadgeSeconds = 3;
    FullUpdate(state);
    ASSERT_TRUE(state.badge.Visible);
    EXPECT_EQ(desktop.Timers().at({AppRig::kMainWindow, kBadgeTimerId}), 3000u);

    OnBadgeTimer(state);
    EXPECT_FALSE(state.badge.Visible);
    EXPECT_FALSE(BadgeTimerRunning()) << "no timer runs while it stays aside";
    AppSchedulerHost host(state);
    EXPECT_TRUE(host.BadgeVisible()) << "the poll keeps asking the mode as if shown";

    FocusOn(kFrame, kEdit, Rect{90, 10, 91, 26});
    EXPECT_TRUE(RefreshCaret(state));
    EXPECT_FALSE(state.badge.Visible) << "a caret move alone brought it back";
    EXPECT_EQ(state.lastCaret.X, 110 + 91) << "it still follows the caret";

    rig.badge.SetKeyToggled(kVkCapital, true);
    RefreshMode(state);
    EXPECT_TRUE(state.badge.Visible);
    EXPECT_EQ(state.badge.Content.Glyph, u'A');
    EXPECT_TRUE(BadgeTimerRunning());

    OnBadgeTimer(state);
    FocusOn(kFrame, kLabel);  // nothing to type in: nothing to follow either
    FullUpdate(state);
    EXPECT_FALSE(host.BadgeVisible()) << "polled as if shown with no caret";
}

}  // namespace
}  // namespace tessel
