// The real Tessel.exe over a scripted Outlook (tests/apps/fake_outlook): it
// asks the running application whether the focused message pane is being
// written, shows the badge at the pane's caret only where mail is written,
// releases every object it was handed (its connection to the application
// too), keeps its answer until the caches empty, and keeps the badge while
// Outlook hangs.
#include <gtest/gtest.h>

#include "apps/fake_outlook_protocol_win32.h"
#include "e2e/e2e_support_win32.h"

namespace tessel::e2e {
namespace {

using namespace std::chrono_literals;

using namespace testing::fake_outlook;

HWND PaneOf(HWND frame) {
    HWND body = ::FindWindowExW(frame, nullptr, L"_WwB", nullptr);
    return body ? ::FindWindowExW(body, nullptr, L"_WwG", nullptr) : nullptr;
}

class FakeOutlook {
public:
    FakeOutlook() : process_(BuildDirectory() + L"\\fake_outlook.exe") {
        WaitFor([&] {
            auto w = WindowsOf(process_.Id(), L"Tessel.FakeOutlook.Control");
            control_ = w.empty() ? nullptr : w.front();
            return control_ != nullptr;
        }, 20s);
    }
    ~FakeOutlook() {
        if (control_) ::PostMessageW(control_, WM_CLOSE, 0, 0);
        if (!process_.WaitExit(10s)) process_.Kill();
    }
    bool Ready() const { return control_ != nullptr; }
    long Ask(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
        return static_cast<long>(::SendMessageW(control_, message, wParam, lParam));
    }
    // Fresh windows for the scenario, in the foreground.
    HWND Show(Scenario s) {
        HWND frame = reinterpret_cast<HWND>(::SendMessageW(control_, kShowScenario, s, 0));
        WaitFor([&] {
            if (::GetForegroundWindow() != frame) ::SetForegroundWindow(frame);
            return ::GetForegroundWindow() == frame;
        }, 5s);
        return frame;
    }
    // Closes and returns the exit code: the objects never released.
    long Close() {
        ::PostMessageW(control_, WM_CLOSE, 0, 0);
        control_ = nullptr;
        DWORD code = static_cast<DWORD>(-1);
        process_.WaitExit(10s, &code);
        return static_cast<long>(code);
    }

private:
    Process process_;
    HWND control_ = nullptr;
};

// A message in its own window: its item decides. The main window: the
// inspector's caption does not match, the explorer's inline response decides.
constexpr long kItemRead = MemberBit(kActiveInspector) | MemberBit(kCaption) | MemberBit(kCurrentItem) |
                           MemberBit(kClass) | MemberBit(kSent);
constexpr long kInlineRead =
    MemberBit(kActiveInspector) | MemberBit(kCaption) | MemberBit(kActiveExplorer) | MemberBit(kActiveInlineResponse);

TEST(OutlookE2E, TesselAsksOutlookAboutEachPaneAndReleasesWhatItGets) {
    FakeOutlook fake;
    ASSERT_TRUE(fake.Ready());
    Sandbox sandbox;
    RunningTessel tessel(sandbox);
    ASSERT_TRUE(tessel.Ready());
    HWND badge = BadgeOf(tessel);
    ASSERT_NE(badge, nullptr);

    const struct {
        Scenario scenario;
        long members;
    } cases[] = {{kCompose, kItemRead}, {kReceived, kItemRead}, {kInline, kInlineRead}, {kReading, kInlineRead}};
    for (const auto& c : cases) {
        HWND frame = fake.Show(c.scenario);
        ASSERT_NE(frame, nullptr);
        // While the fake switches windows Tessel may ask once about a half-built
        // scenario; what matters is that the scenario's own members were read.
        EXPECT_TRUE(WaitFor([&] { return (fake.Ask(kMembersRead) & c.members) == c.members; }, 15s))
            << "scenario " << c.scenario << ": members read " << fake.Ask(kMembersRead);
        // Every object, and the connection to the application, let go.
        EXPECT_TRUE(WaitFor([&] { return fake.Ask(kAliveObjects) == 0; }, 5s))
            << "scenario " << c.scenario << ": " << fake.Ask(kAliveObjects) << " held";
        // Received mail and the reading pane report a caret, yet are not written in.
        if (c.scenario == kReceived || c.scenario == kReading) {
            ::Sleep(1000);
            EXPECT_FALSE(::IsWindowVisible(badge)) << "scenario " << c.scenario;
        } else {
            const POINT want = BadgeFor(PaneOf(frame), kCaretInPane.left, kCaretInPane.top, kCaretInPane.right - kCaretInPane.left,
                                              kCaretInPane.bottom - kCaretInPane.top);
            EXPECT_TRUE(WaitFor([&] { return BadgeAt(badge, want); }, 10s))
                << "scenario " << c.scenario << ": badge at " << RectOf(badge).left << "," << RectOf(badge).top
                << " visible " << ::IsWindowVisible(badge) << ", wanted " << want.x << "," << want.y;
        }
    }
    EXPECT_EQ(fake.Ask(kBadFlagReads), 0);
    EXPECT_EQ(tessel.Close(), 0);
    EXPECT_EQ(fake.Close(), 0);
}

TEST(OutlookE2E, WithOutlookNotRunningTheAnswerIsKeptUntilTheCachesAreEmptied) {
    FakeOutlook fake;
    ASSERT_TRUE(fake.Ready());
    ASSERT_EQ(fake.Ask(kPublish, 0), 0);
    ASSERT_NE(fake.Show(kCompose), nullptr);
    Sandbox sandbox;
    RunningTessel tessel(sandbox);
    ASSERT_TRUE(tessel.Ready());
    HWND badge = BadgeOf(tessel);
    ASSERT_NE(badge, nullptr);
    ::Sleep(3000);
    EXPECT_FALSE(::IsWindowVisible(badge));

    // Outlook starts: the answer for this pane stays cached ...
    ASSERT_EQ(fake.Ask(kPublish, 1), 1);
    ::Sleep(3000);
    EXPECT_EQ(fake.Ask(kReads), 0);
    // ... until a focus event empties the caret caches.
    fake.Ask(kRaiseFocusEvent);
    EXPECT_TRUE(WaitFor([&] { return fake.Ask(kMembersRead) == kItemRead; }, 15s));
    EXPECT_TRUE(WaitFor([&] { return fake.Ask(kAliveObjects) == 0; }, 5s));
    EXPECT_EQ(tessel.Close(), 0);
    EXPECT_EQ(fake.Close(), 0);
}

// Outlook hangs 3 s in a member read while a mail is written: Tessel's
// question is late, which is no answer, so the badge stays where it is
// instead of hiding; once Outlook answers again it is asked again.
TEST(OutlookE2E, TheBadgeStaysWhileOutlookHangs) {
    FakeOutlook fake;
    ASSERT_TRUE(fake.Ready());
    Sandbox sandbox;
    RunningTessel tessel(sandbox);
    ASSERT_TRUE(tessel.Ready());
    HWND badge = BadgeOf(tessel);
    ASSERT_NE(badge, nullptr);
    HWND frame = fake.Show(kCompose);
    ASSERT_NE(frame, nullptr);
    const POINT want = BadgeFor(PaneOf(frame), kCaretInPane.left, kCaretInPane.top,
                                kCaretInPane.right - kCaretInPane.left, kCaretInPane.bottom - kCaretInPane.top);
    ASSERT_TRUE(WaitFor([&] { return BadgeAt(badge, want); }, 10s));
    ASSERT_TRUE(WaitFor([&] { return fake.Ask(kAliveObjects) == 0; }, 5s));

    const long reads = fake.Ask(kReads);
    ASSERT_EQ(fake.Ask(kHangNextCall, 3000, kHangMemberRead), 1);
    // The focus event empties Tessel's caches: it asks Outlook afresh.
    fake.Ask(kRaiseFocusEvent);
    // Nothing is sent to the fake while it hangs; the badge is watched.
    int samples = 0, away = 0;
    const auto end = std::chrono::steady_clock::now() + 4500ms;
    while (std::chrono::steady_clock::now() < end) {
        ++samples;
        if (!BadgeAt(badge, want)) ++away;
        ::Sleep(50);
    }
    EXPECT_EQ(away, 0) << "of " << samples << " looks the badge was hidden or moved in " << away;
    // The read that hung, then the questions that follow it.
    EXPECT_TRUE(WaitFor([&] { return fake.Ask(kReads) > reads + 1; }, 10s)) << fake.Ask(kReads) - reads << " reads";
    EXPECT_TRUE(WaitFor([&] { return fake.Ask(kAliveObjects) == 0; }, 5s)) << fake.Ask(kAliveObjects) << " held";
    EXPECT_TRUE(BadgeAt(badge, want));
    EXPECT_EQ(tessel.Close(), 0);
    EXPECT_EQ(fake.Close(), 0);
}

}  // namespace
}  // namespace tessel::e2e
