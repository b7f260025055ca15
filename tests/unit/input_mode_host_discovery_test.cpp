#include <gtest/gtest.h>

#include <vector>

#include "doubles/app_rig.h"
#include "doubles/fake_clock.h"
#include "doubles/scripted_desktop.h"
#include "input_mode/ime_host_discovery.h"

namespace tessel {
namespace {

using testing::FakeClock;
using testing::FakeProcesses;
using testing::ScriptedDesktop;
using testing::ScriptedWindow;

using Hosts = std::vector<HostProcess>;

TEST(ImeHostKind, WholeNameMatchesInAnyAsciiCaseOnly) {
    EXPECT_EQ(ImeHostKind(u"textinputhost.exe"), 0);
    EXPECT_EQ(ImeHostKind(u"TEXTINPUTHOST.EXE"), 0);
    EXPECT_EQ(ImeHostKind(u"SearchApp.exe"), 1);
    EXPECT_EQ(ImeHostKind(u"Explorer.EXE"), 4);
    EXPECT_EQ(ImeHostKind(u"xtextinputhost.exe"), std::nullopt);
    EXPECT_EQ(ImeHostKind(u"textinputhost.exe "), std::nullopt);
    EXPECT_EQ(ImeHostKind(u"textinputhost"), std::nullopt);
    // Units whose low byte is an ASCII letter are not that letter.
    EXPECT_EQ(ImeHostKind(u"\u0174extinputhost.exe"), std::nullopt);
    EXPECT_EQ(ImeHostKind(u"explorer.ex\u0165"), std::nullopt);
}

class ImeHostProcessesTest : public ::testing::Test {
protected:
    ImeHostProcessesTest() {
        processes.names = {{4, u"explorer.exe"},     {9, u"TextInputHost.exe"}, {12, u"SearchHost.exe"},
                           {15, u"StartMenuExperienceHost.exe"}, {20, u"textinputhost.exe"}, {30, u"notepad.exe"}};
    }
    Hosts Find(std::uint32_t foreground, std::uint32_t uia, bool known) {
        return FindImeHostProcesses(processes, foreground, uia, known);
    }
    FakeProcesses processes;
};

TEST_F(ImeHostProcessesTest, FocusAndForegroundHostsComeFirstThenByKindAndId) {
    EXPECT_EQ(Find(4, 15, true), (Hosts{{0, 2, 15}, {1, 4, 4}, {2, 0, 9}, {2, 0, 20}, {2, 1, 12}}));
    EXPECT_EQ(Find(4, 0, false), (Hosts{{1, 4, 4}, {2, 0, 9}, {2, 0, 20}, {2, 1, 12}, {2, 2, 15}}));
    // The focus process counts before the foreground one when both are the same.
    EXPECT_EQ(Find(12, 12, true).front(), (HostProcess{0, 1, 12}));
}

TEST_F(ImeHostProcessesTest, WithoutAHostInFocusOnlyTextInputHostsAndOnlyForAKnownFocus) {
    EXPECT_EQ(Find(30, 31, true), (Hosts{{2, 0, 9}, {2, 0, 20}}));
    EXPECT_EQ(Find(30, 0, true), (Hosts{{2, 0, 9}, {2, 0, 20}}));
    EXPECT_EQ(Find(30, 0, false), Hosts{});
    EXPECT_EQ(Find(0, 0, true), Hosts{});  // no reference process: no snapshot either
    EXPECT_EQ(processes.snapshots, 3);
}

TEST_F(ImeHostProcessesTest, HostsOfAnotherSessionAreIgnoredWhenTheReferenceSessionIsKnown) {
    processes.sessions = {{30, 1}, {9, 1}, {20, 2}, {4, 1}};  // 12 and 15: unreadable
    EXPECT_EQ(Find(4, 30, true), (Hosts{{1, 4, 4}, {2, 0, 9}}));
    processes.sessions.erase(30);  // reference unreadable: no session is compared
    EXPECT_EQ(Find(4, 30, true).size(), 5u);
}

// Two host processes (text input host 500, Explorer 600) and an app (700).
class DiscoverImeHostsTest : public ::testing::Test {
protected:
    DiscoverImeHostsTest() {
        processes.names = {{500, u"TextInputHost.exe"}, {600, u"explorer.exe"}, {700, u"app.exe"}};
        Add(1, 700);
        Add(2, 600);
        Add(3, 500);
        Add(4, 3, 500);
        Add(5, 3, 600);  // a foreign child is not the host's
        Add(6, 4, 500);
        Add(7, 500);
    }
    void Add(WindowId id, std::uint32_t pid) { Add(id, kNoWindow, pid); }
    void Add(WindowId id, WindowId parent, std::uint32_t pid) {
        ScriptedWindow w;
        w.processId = pid;
        w.threadId = pid + 1;
        w.parent = parent;
        w.topLevel = parent == kNoWindow;
        desktop.AddWindow(id, w);
    }
    std::vector<WindowId> Discover(std::uint32_t foreground, std::uint32_t uia, CandidateList list = {}) {
        DiscoverImeHosts(state, list, desktop, processes, foreground, uia, uia != 0, clock.Now());
        return list.Windows;
    }

    ScriptedDesktop desktop;
    FakeProcesses processes;
    FakeClock clock;
    ImeQueryState state;
};

TEST_F(DiscoverImeHostsTest, HostWindowsFollowRankThenEnumerationOrderWithDescendants) {
    EXPECT_EQ(Discover(600, 700), (std::vector<WindowId>{2, 3, 4, 6, 7}));
    EXPECT_EQ(Discover(700, 700), (std::vector<WindowId>{3, 4, 6, 7}));

    // Windows already in the list or gone since the build are not appended.
    clock.AdvanceMs(100);
    desktop.Window(6).exists = false;
    CandidateList list;
    list.Windows = {4};
    list.Seen = {4};
    EXPECT_EQ(Discover(700, 700, list), (std::vector<WindowId>{4, 3, 7}));
}

TEST_F(DiscoverImeHostsTest, ReusedForOneSecondPerPairOfProcessIds) {
    Discover(600, 700);
    clock.AdvanceMs(1000);
    Discover(600, 700);
    EXPECT_EQ(processes.snapshots, 1);
    EXPECT_EQ(desktop.Calls("EnumTopLevelWindows"), 1);

    Discover(700, 700);  // another foreground process
    EXPECT_EQ(processes.snapshots, 2);
    Discover(700, 0);
    EXPECT_EQ(processes.snapshots, 3);
    clock.AdvanceMs(1001);
    Discover(700, 0);
    EXPECT_EQ(processes.snapshots, 4);

    // A failed snapshot is remembered like any other answer.
    processes.snapshotFails = true;
    EXPECT_EQ(Discover(600, 0), std::vector<WindowId>{});
    EXPECT_EQ(Discover(600, 0), std::vector<WindowId>{});
    EXPECT_EQ(processes.snapshots, 5);
}

TEST_F(DiscoverImeHostsTest, HostWindowListNeverHoldsMoreThan128) {
    // 100 top-level windows of each host, each with a child.
    for (WindowId i = 0; i < 100; ++i) {
        Add(1000 + 2 * i, 500);
        Add(1001 + 2 * i, 1000 + 2 * i, 500);
        Add(5000 + i, 600);
    }
    std::vector<WindowId> hosts = Discover(600, 700);
    ASSERT_EQ(hosts.size(), 128u);
    EXPECT_EQ(hosts[0], 2u);
    EXPECT_EQ(hosts[1], 5000u);  // Explorer, the foreground process, first
    EXPECT_EQ(hosts[101], 3u);
    EXPECT_EQ(state.HostWindowCache->Windows.size(), 128u);
}

}  // namespace
}  // namespace tessel
