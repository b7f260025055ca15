#include <gtest/gtest.h>

#include <vector>

#include "doubles/app_rig.h"
#include "doubles/fake_clock.h"
#include "doubles/scripted_desktop.h"
#include "doubles/scripted_ime.h"
#include "input_mode/classify_input_mode.h"
#include "input_mode/query_ime_status.h"

namespace tessel {
namespace {

using testing::FakeClock;
using testing::FakeProcesses;
using testing::ImeCall;
using testing::ScriptedContext;
using testing::ScriptedDesktop;
using testing::ScriptedIme;
using testing::ScriptedImeWindow;
using testing::ScriptedWindow;

constexpr std::uintptr_t kUsLayout = 0x04090409;
constexpr std::uintptr_t kKoreanLayout = 0x04120412;
constexpr std::uintptr_t kJapaneseLayout = 0x04110411;

// Remembers the order in which candidates are probed.
class OrderIme final : public ScriptedIme {
public:
    using ScriptedIme::ScriptedIme;
    WindowId DefaultImeWindow(WindowId window) override {
        probed.push_back(window);
        return ScriptedIme::DefaultImeWindow(window);
    }
    std::vector<WindowId> probed;
};

class ImeQueryTest : public ::testing::Test {
protected:
    // A window of thread `thread` in process `pid`; top level unless it has a parent.
    void AddWindow(WindowId id, std::uint32_t thread, std::uint32_t pid, WindowId parent = kNoWindow,
                   WindowId root = kNoWindow) {
        ScriptedWindow w;
        w.threadId = thread;
        w.processId = pid;
        w.parent = parent;
        w.root = root;
        w.topLevel = parent == kNoWindow;
        desktop.AddWindow(id, w);
    }
    // The default IME window of `thread`, serving each of `windows`.
    ScriptedImeWindow& AddImeWindow(WindowId ime, std::uint32_t thread, std::uint32_t pid,
                                    std::initializer_list<WindowId> windows, ScriptedImeWindow answers) {
        AddWindow(ime, thread, pid);
        desktop.Window(ime).topLevel = false;  // kept out of process enumeration
        for (WindowId w : windows) this->ime.SetDefaultImeWindow(w, ime);
        return this->ime.SetImeWindow(ime, answers);
    }
    ImeStatus Query(const FocusSnapshot& f, WindowId uiaWindow = kNoWindow, std::uint32_t uiaPid = 0) {
        return QueryImeStatus(state, f, uiaWindow, uiaPid, services);
    }
    void ResetCalls() {
        desktop.ResetCalls();
        ime.ResetCalls();
    }
    static FocusSnapshot Focus(WindowId focusWindow, WindowId top) {
        FocusSnapshot f;
        f.focus = focusWindow;
        f.active = top;
        f.foreground = top;
        return f;
    }

    ScriptedDesktop desktop;
    OrderIme ime{&desktop};
    FakeClock clock;
    FakeProcesses processes;
    ImeQueryState state;
    ImeQueryServices services{desktop, ime, clock, &processes};
};

// An edit control 11 inside top-level window 10, thread 7 of process 70.
class ImeQueryEditorTest : public ImeQueryTest {
protected:
    ImeQueryEditorTest() {
        AddWindow(10, 7, 70);
        AddWindow(11, 7, 70, 10, 10);
        desktop.SetLayout(7, kKoreanLayout);
    }
    FocusSnapshot focus = Focus(11, 10);
};

TEST_F(ImeQueryEditorTest, FastPathAsksTheRememberedImeWindowOnly) {
    AddImeWindow(90, 7, 70, {10, 11}, {.open = 1, .conversion = 1});
    EXPECT_EQ(Query(focus), (ImeStatus{1, 0x0412, StatusSource::Live, true}));
    EXPECT_EQ(state.LastMethod, ProbeMethod::ImeWindow);
    EXPECT_EQ(state.LastSourceWindow, 11u);
    EXPECT_EQ(state.LastImeWindow, 90u);

    ResetCalls();
    ime.ImeWindow(90).conversion = 0;  // the user switched to Latin input
    EXPECT_EQ(ClassifyInputMode(Query(focus)), InputMode::English);
    EXPECT_EQ(ime.Calls(ImeCall::SendImeControl), 2);
    EXPECT_EQ(ime.Calls(ImeCall::DefaultImeWindow), 1);
    EXPECT_EQ(ime.Calls(ImeCall::GetContext), 0);
    EXPECT_EQ(desktop.Calls("EnumTopLevelWindows"), 0);
    EXPECT_EQ(desktop.Calls("Parent"), 0);

    ResetCalls();
    ime.ImeWindow(90).open = 0;
    EXPECT_EQ(Query(focus), (ImeStatus{0, 0x0412, StatusSource::Live, false}));
    EXPECT_EQ(ime.Calls(ImeCall::SendImeControl), 1);
}

TEST_F(ImeQueryEditorTest, AtRestTheRememberedImeWindowIsAskedWithoutCheckingItsSource) {
    AddImeWindow(90, 7, 70, {10, 11}, {.open = 1, .conversion = 1});
    Query(focus);
    ResetCalls();
    ime.ImeWindow(90).conversion = 0;
    EXPECT_EQ(ClassifyInputMode(QueryImeStatus(state, focus, kNoWindow, 0, services, true)), InputMode::English);
    EXPECT_EQ(ime.Calls(ImeCall::SendImeControl), 2);
    EXPECT_EQ(ime.Calls(ImeCall::DefaultImeWindow), 0);
    EXPECT_EQ(desktop.Calls("IsWindow"), 0);

    // Gone since: the failed question sends the query on to the search.
    desktop.Window(90).exists = false;
    ime.SetContext(11, {.open = true, .conversion = 0x1});
    EXPECT_EQ(QueryImeStatus(state, focus, kNoWindow, 0, services, true), (ImeStatus{1, 0x0412, StatusSource::Live, true}));
    EXPECT_EQ(state.LastMethod, ProbeMethod::InputContext);
}

TEST_F(ImeQueryEditorTest, ChangedFocusKeyRunsAFullSearch) {
    AddImeWindow(90, 7, 70, {10, 11}, {.open = 1, .conversion = 1});
    Query(focus);
    ResetCalls();
    // Same windows, but now a UI Automation focus is known: a different key.
    EXPECT_EQ(Query(focus, 11, 70).Source, StatusSource::Live);
    EXPECT_GT(desktop.Calls("Parent"), 0);
    EXPECT_EQ(state.LastFocusKey, (FocusKey{10, 11, kNoWindow, 10, 11, 70}));
}

TEST_F(ImeQueryEditorTest, RememberedSourceIsDroppedWhenItsImeWindowChanges) {
    AddImeWindow(90, 7, 70, {10, 11}, {.open = 1, .conversion = 1});
    Query(focus);
    // The thread's IME window is replaced by a new one; the old one still exists.
    AddImeWindow(91, 7, 70, {10, 11}, {.open = 1, .conversion = 0});
    ResetCalls();
    EXPECT_EQ(Query(focus), (ImeStatus{0, 0x0412, StatusSource::Live, true}));
    EXPECT_EQ(ime.MessagesTo(90), 0);
    EXPECT_EQ(state.LastImeWindow, 91u);
}

TEST_F(ImeQueryEditorTest, DestroyedImeWindowFallsBackToTheInputContext) {
    AddImeWindow(90, 7, 70, {10, 11}, {.open = 1, .conversion = 1});
    Query(focus);
    desktop.Window(90).exists = false;  // ImmGetDefaultIMEWnd still hands out the stale handle
    ime.SetContext(11, {.open = true, .conversion = 0x1});
    ResetCalls();
    EXPECT_EQ(Query(focus), (ImeStatus{1, 0x0412, StatusSource::Live, true}));
    EXPECT_EQ(ime.MessagesTo(90), 0);
    EXPECT_EQ(state.LastMethod, ProbeMethod::InputContext);
    EXPECT_EQ(state.LastSourceWindow, 11u);
    EXPECT_EQ(ime.OutstandingContexts(), 0u);
    EXPECT_EQ(ime.BadReleases(), 0);
}

TEST_F(ImeQueryEditorTest, HungImeWindowMovesOnToTheInputContextAndReleasesIt) {
    desktop.SetLayout(7, kJapaneseLayout);
    AddImeWindow(90, 7, 70, {10, 11}, {.answersOpen = false});
    ime.SetContext(11, {.open = true, .conversion = 0x1B});
    EXPECT_EQ(ClassifyInputMode(Query(focus)), InputMode::Katakana);
    EXPECT_EQ(ime.MessagesTo(90), 1);
    EXPECT_EQ(state.LastMethod, ProbeMethod::InputContext);

    // The fast path now reads the context without messages.
    ResetCalls();
    ime.SetContext(11, {.open = true, .conversion = 0x09});
    EXPECT_EQ(ClassifyInputMode(Query(focus)), InputMode::Hiragana);
    EXPECT_EQ(ime.Calls(ImeCall::SendImeControl), 0);
    EXPECT_EQ(ime.Calls(ImeCall::GetContext), 1);
    EXPECT_EQ(ime.OutstandingContexts(), 0u);
    EXPECT_EQ(ime.BadReleases(), 0);
    EXPECT_EQ(ime.Calls(ImeCall::ReleaseContext), ime.Calls(ImeCall::GetContext));
}

TEST_F(ImeQueryEditorTest, ClosedContextReadsNoConversion) {
    ime.SetContext(11, {.open = false, .conversion = 0x1});
    EXPECT_EQ(Query(focus), (ImeStatus{0, 0x0412, StatusSource::Live, false}));
    EXPECT_EQ(ime.Calls(ImeCall::ConversionStatus), 0);
}

TEST_F(ImeQueryEditorTest, UnansweredConversionIsDerivedFromTheLanguage) {
    AddImeWindow(90, 7, 70, {10, 11}, {.answersConversion = false, .open = 1});
    desktop.SetLayout(7, kJapaneseLayout);
    ImeStatus s = Query(focus);
    EXPECT_EQ(s, (ImeStatus{9, 0x0411, StatusSource::Live, true}));
    EXPECT_EQ(ClassifyInputMode(s), InputMode::Hiragana);

    desktop.SetLayout(7, kKoreanLayout);
    EXPECT_EQ(Query(focus), (ImeStatus{1, 0x0412, StatusSource::Live, true}));  // fast path
    desktop.SetLayout(7, kUsLayout);
    EXPECT_EQ(Query(focus), (ImeStatus{0, 0x0409, StatusSource::Live, true}));
    // The derived value is what the recent-status table keeps.
    EXPECT_EQ(state.RecentStatus.at(StatusKey::For(7, 11)).Conversion, 0u);
}

TEST_F(ImeQueryEditorTest, FailedContextConversionIsDerivedToo) {
    desktop.SetLayout(7, kJapaneseLayout);
    ime.SetContext(11, {.open = true, .conversionFails = true});
    EXPECT_EQ(Query(focus), (ImeStatus{9, 0x0411, StatusSource::Live, true}));
}

TEST_F(ImeQueryEditorTest, LayoutFallbackGivesEnglishOnlyForNonImeLanguages) {
    desktop.SetLayout(7, kUsLayout);
    ImeStatus s = Query(focus);
    EXPECT_EQ(s, (ImeStatus{0, 0x0409, StatusSource::Live, false}));
    EXPECT_EQ(ClassifyInputMode(s), InputMode::English);
    EXPECT_EQ(state.LastMethod, ProbeMethod::NoMethod);

    desktop.SetLayout(7, kKoreanLayout);
    EXPECT_EQ(Query(focus), (ImeStatus{0, 0x0412, StatusSource::Unavailable, false}));
    desktop.SetLayout(7, kJapaneseLayout);
    EXPECT_EQ(Query(focus), (ImeStatus{0, 0x0411, StatusSource::Unavailable, false}));
    desktop.SetLayout(7, 0x08040804);
    EXPECT_EQ(Query(focus), (ImeStatus{0, 0x0804, StatusSource::Unavailable, false}));
    desktop.SetLayout(7, 0);
    EXPECT_EQ(Query(focus), ImeStatus{});
}

TEST_F(ImeQueryEditorTest, LayoutComesFromTheFirstCandidateWithAThreadWhenThePrimaryIsGone) {
    desktop.SetLayout(7, kUsLayout);
    // The UI Automation focus window is primary but no longer exists.
    EXPECT_EQ(Query(focus, 55, 0), (ImeStatus{0, 0x0409, StatusSource::Live, false}));
}

TEST_F(ImeQueryEditorTest, RecentStatusServesFor400MsButNot410) {
    AddImeWindow(90, 7, 70, {10, 11}, {.open = 1, .conversion = 1});
    ASSERT_EQ(ClassifyInputMode(Query(focus)), InputMode::Korean);
    ime.ImeWindow(90).answersOpen = false;  // the editor's thread becomes busy

    clock.AdvanceMs(400);
    EXPECT_EQ(Query(focus), (ImeStatus{1, 0x0412, StatusSource::Recent, true}));
    clock.AdvanceMs(10);
    EXPECT_EQ(Query(focus), (ImeStatus{0, 0x0412, StatusSource::Unavailable, false}));
    // Stale entries are skipped, not removed.
    EXPECT_EQ(state.RecentStatus.count(StatusKey::For(7, 11)), 1u);
}

TEST_F(ImeQueryEditorTest, EachImeWindowIsAskedOncePerPass) {
    // A hung IME window shared by every candidate of the thread, plus more
    // windows of the process found through the UI Automation focus.
    AddWindow(12, 7, 70, 10, 10);
    AddWindow(13, 7, 70, 12, 10);
    AddWindow(20, 7, 70);
    AddImeWindow(90, 7, 70, {10, 11, 12, 13, 20}, {.answersOpen = false});
    desktop.SetLayout(7, kUsLayout);
    FocusSnapshot f = Focus(13, 10);
    f.caret = 13;
    EXPECT_EQ(Query(f, 11, 70), (ImeStatus{0, 0x0409, StatusSource::Live, false}));
    EXPECT_EQ(ime.MessagesTo(90), 1);
    EXPECT_EQ(ime.Calls(ImeCall::DefaultImeWindow), 5);

    // A second pass asks again, once.
    ResetCalls();
    Query(f, 11, 70);
    EXPECT_EQ(ime.MessagesTo(90), 1);
}

TEST_F(ImeQueryTest, LaterCandidateOfAnotherThreadAnswersAfterAHungOne) {
    AddWindow(10, 7, 70);            // host frame, thread 7
    AddWindow(11, 8, 70, 10, 10);    // child window on another thread
    desktop.SetLayout(8, kJapaneseLayout);
    AddImeWindow(90, 7, 70, {10}, {.answersOpen = false});
    AddImeWindow(91, 8, 70, {11}, {.open = 1, .conversion = 0x19});
    FocusSnapshot f = Focus(10, 10);
    f.caret = 11;
    EXPECT_EQ(ClassifyInputMode(Query(f)), InputMode::Hiragana);
    EXPECT_EQ(ime.MessagesTo(90), 1);
    EXPECT_EQ(state.LastSourceWindow, 11u);
    EXPECT_EQ(state.RecentStatus.count(StatusKey::For(8, 11)), 1u);
}

TEST_F(ImeQueryTest, CandidateChainsFollowParentsRootAndRootOwner) {
    // Window 1 is owned by 100; windows 2..11 nest ten deep below 1.
    AddWindow(100, 5, 50);
    AddWindow(1, 5, 50);
    desktop.Window(1).rootOwner = 100;
    for (WindowId id = 2; id <= 11; ++id) {
        AddWindow(id, 5, 50, id - 1, 1);
        desktop.Window(id).rootOwner = 100;
    }
    AddWindow(200, 6, 60);
    desktop.Window(200).parent = 200;  // a self-parent stops the walk
    desktop.SetLayout(5, kUsLayout);
    FocusSnapshot f = Focus(11, 1);
    f.caret = 300;  // never existed: skipped
    f.foreground = 200;
    Query(f);
    EXPECT_EQ(ime.probed, (std::vector<WindowId>{11, 10, 9, 8, 7, 6, 5, 4, 1, 100, 200}));
}

TEST_F(ImeQueryTest, RejectedHandleIsNotRememberedAsSeen) {
    CandidateList list;
    AddWindow(5, 1, 1);
    desktop.Window(5).exists = false;
    EXPECT_FALSE(AddCandidate(list, desktop, 5));
    EXPECT_FALSE(AddCandidate(list, desktop, kNoWindow));
    desktop.Window(5).exists = true;
    EXPECT_TRUE(AddCandidate(list, desktop, 5));
    EXPECT_FALSE(AddCandidate(list, desktop, 5));
    EXPECT_EQ(list.Windows, std::vector<WindowId>{5});
}

TEST_F(ImeQueryTest, ProcessEnumerationStopsAt128Windows) {
    AddWindow(1, 9, 99);  // another process first
    for (WindowId id = 1000; id < 1300; ++id) AddWindow(id, 2, 20);
    CandidateList list;
    AddProcessWindows(list, desktop, 20);
    ASSERT_EQ(list.Windows.size(), 128u);
    EXPECT_EQ(list.Windows.front(), 1000u);
    EXPECT_EQ(list.Windows.back(), 1127u);

    // Descendants: one frame with 300 children, only those of the process kept.
    ScriptedDesktop d2;
    ScriptedWindow frame;
    frame.processId = 30;
    frame.threadId = 3;
    d2.AddWindow(1, frame);
    for (WindowId id = 2; id < 302; ++id) {
        ScriptedWindow child = frame;
        child.parent = 1;
        child.topLevel = false;
        if (id % 2 == 0) child.processId = 31;  // a foreign child, e.g. an embedded viewer
        d2.AddWindow(id, child);
    }
    CandidateList children;
    AddProcessWindows(children, d2, 30);
    ASSERT_EQ(children.Windows.size(), 128u);
    EXPECT_EQ(children.Windows[0], 1u);
    EXPECT_EQ(children.Windows[1], 3u);
    EXPECT_EQ(children.Windows[127], 255u);
}

TEST_F(ImeQueryTest, UiaProcessWindowsAreProbedInEnumerationOrder) {
    for (WindowId id = 1000; id < 1300; ++id) AddWindow(id, 2, 20);
    desktop.SetLayout(2, kUsLayout);
    EXPECT_EQ(Query(FocusSnapshot{}, kNoWindow, 20).Source, StatusSource::Live);
    EXPECT_EQ(ime.probed.size(), 128u);
    EXPECT_EQ(ime.probed[5], 1005u);

    // An answering window among them is found and becomes the source.
    AddImeWindow(90, 2, 20, {1050}, {.open = 1, .conversion = 1});
    EXPECT_EQ(Query(FocusSnapshot{}, kNoWindow, 20).Open, true);
    EXPECT_EQ(state.LastSourceWindow, 1050u);
}

TEST_F(ImeQueryTest, NoWindowsAtAllIsUnavailable) {
    EXPECT_EQ(Query(FocusSnapshot{}), ImeStatus{});
    FocusSnapshot gone = Focus(40, 41);  // both already destroyed
    EXPECT_EQ(Query(gone), ImeStatus{});
    EXPECT_EQ(processes.snapshots, 0);
}

TEST_F(ImeQueryEditorTest, HostWindowsAreProbedOnlyWhenOwnWindowsFail) {
    // The focused app is Explorer itself: its other window 12 shares the hung
    // IME window 90, which is not asked a second time in the same pass.
    processes.names = {{70, u"explorer.exe"}, {500, u"TextInputHost.exe"}};
    AddWindow(12, 7, 70);
    AddImeWindow(90, 7, 70, {10, 11, 12}, {.answersOpen = false});
    AddWindow(500, 50, 500);
    AddImeWindow(95, 50, 500, {500}, {.open = 1, .conversion = 1});
    desktop.SetLayout(50, kKoreanLayout);
    EXPECT_EQ(Query(focus), (ImeStatus{1, 0x0412, StatusSource::Live, true}));
    EXPECT_EQ(ime.probed, (std::vector<WindowId>{11, 10, 12, 500}));
    EXPECT_EQ(ime.MessagesTo(90), 1);
    EXPECT_EQ(state.LastSourceWindow, 500u);

    // Once the app's own window answers, no process snapshot is taken.
    ime.ImeWindow(90).answersOpen = true;
    state.LastMethod = ProbeMethod::NoMethod;
    clock.AdvanceMs(2000);
    Query(focus);
    EXPECT_EQ(processes.snapshots, 1);
}

class RecentStatusPurgeTest : public ImeQueryTest {
protected:
    void Fill(std::size_t count, Duration age) {
        for (std::size_t i = 0; i < count; ++i) {
            const auto key = StatusKey::For(static_cast<std::uint32_t>(next_++), kNoWindow);
            state.RecentStatus[key] = RecentStatusEntry{MonoTime{clock.Now().sinceOrigin - age}, 0, 0x409, false};
        }
    }
    std::size_t next_ = 1;
};

TEST_F(RecentStatusPurgeTest, NothingIsPurgedAt128Entries) {
    Fill(128, Ms(60'000));
    Query(FocusSnapshot{});
    EXPECT_EQ(state.RecentStatus.size(), 128u);
    EXPECT_FALSE(state.LastPurge.has_value());
}

TEST_F(RecentStatusPurgeTest, PurgeAbove128KeepsEntriesUpTo10SecondsOld) {
    Fill(127, Ms(10'001));
    Fill(1, Ms(10'000));  // exactly 10 s: stays
    Fill(1, Ms(2'000));
    state.RecentStatus[StatusKey::For(0, 777)] =
        RecentStatusEntry{clock.Now() + Ms(5), 0, 0, false};  // from the future: age unknown, goes
    Query(FocusSnapshot{});
    EXPECT_EQ(state.RecentStatus.size(), 2u);
    EXPECT_EQ(state.LastPurge, clock.Now());
}

TEST_F(RecentStatusPurgeTest, PurgeRunsAtMostOncePerSecond) {
    Fill(129, Ms(20'000));
    Query(FocusSnapshot{});
    ASSERT_EQ(state.RecentStatus.size(), 0u);

    Fill(129, Ms(20'000));
    clock.AdvanceMs(999);
    Query(FocusSnapshot{});
    EXPECT_EQ(state.RecentStatus.size(), 129u);
    clock.AdvanceMs(1);
    Query(FocusSnapshot{});
    EXPECT_EQ(state.RecentStatus.size(), 0u);
}

TEST(StatusKey, ThreadAndWindowKeysNeverCollide) {
    const StatusKey thread = StatusKey::For(42, 99);
    const StatusKey window = StatusKey::For(0, 42);
    EXPECT_EQ(thread.kind, StatusKey::Kind::Thread);
    EXPECT_EQ(thread.value, 42u);
    EXPECT_EQ(window.kind, StatusKey::Kind::Window);
    EXPECT_FALSE(thread == window);
    std::unordered_map<StatusKey, int, StatusKeyHash> table;
    table[thread] = 1;
    table[window] = 2;
    EXPECT_EQ(table.size(), 2u);
    EXPECT_EQ(table.at(thread), 1);
}

}  // namespace
}  // namespace tessel
