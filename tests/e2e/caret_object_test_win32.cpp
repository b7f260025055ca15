// The real Tessel.exe beside a word-processor-like window that publishes its
// caret only through an accessibility caret object in its own process: the
// badge stands below the reported caret, follows it, and hides when the
// window stops publishing one.
#include <gtest/gtest.h>

#include "e2e/e2e_support_win32.h"

namespace tessel::e2e {
namespace {

using namespace std::chrono_literals;

constexpr UINT kSetCaret = WM_APP + 1;
constexpr UINT kPublish = WM_APP + 3;

TEST(CaretObjectE2E, BadgeFollowsTheCaretObjectOfAWordPane) {
    Process app(BuildDirectory() + L"\\caret_object.exe");
    ASSERT_TRUE(app.Started());
    HWND frame = nullptr, pane = nullptr;
    ASSERT_TRUE(WaitFor([&] {
        auto w = WindowsOf(app.Id(), L"OpusApp");
        frame = w.empty() ? nullptr : w.front();
        pane = frame ? ::FindWindowExW(frame, nullptr, L"_WwG", nullptr) : nullptr;
        return pane != nullptr;
    }, 20s));
    ASSERT_TRUE(WaitFor([&] {
        if (::GetForegroundWindow() == frame) return true;
        ::SetForegroundWindow(frame);
        return false;
    }, 10s, 100ms));
    ::SendMessageW(frame, kSetCaret, MAKEWPARAM(40, 30), MAKELPARAM(0, 18));

    Sandbox sandbox;
    RunningTessel tessel(sandbox);
    ASSERT_TRUE(tessel.Ready());
    HWND badge = BadgeOf(tessel);
    ASSERT_NE(badge, nullptr);

    POINT want = BadgeFor(pane, 40, 30, 0, 18);
    ASSERT_TRUE(WaitFor([&] { return BadgeAt(badge, want); }, 15s))
        << "badge at " << RectOf(badge).left << "," << RectOf(badge).top << " visible " << ::IsWindowVisible(badge)
        << ", wanted " << want.x << "," << want.y;
    EXPECT_EQ(::GetForegroundWindow(), frame) << "the badge took the activation";

    ::SendMessageW(frame, kSetCaret, MAKEWPARAM(220, 120), MAKELPARAM(2, 20));
    want = BadgeFor(pane, 220, 120, 2, 20);
    EXPECT_TRUE(WaitFor([&] { return BadgeAt(badge, want); }, 10s))
        << "badge at " << RectOf(badge).left << "," << RectOf(badge).top << ", wanted " << want.x << "," << want.y;

    // No caret object any more, and no other source of a caret: the badge goes.
    ::SendMessageW(frame, kPublish, 0, 0);
    ::SendMessageW(frame, kSetCaret, MAKEWPARAM(60, 30), MAKELPARAM(0, 18));
    EXPECT_TRUE(WaitFor([&] { return !::IsWindowVisible(badge); }, 10s)) << "badge stayed without a caret";

    EXPECT_EQ(tessel.Close(), 0);
    ::PostMessageW(frame, WM_CLOSE, 0, 0);
    EXPECT_TRUE(app.WaitExit(10s));
}

}  // namespace
}  // namespace tessel::e2e
