// The caret locator against the real (Wine) desktop: a focused EDIT control
// reports its system caret, and a STATIC control is not taken for text.
#include <windows.h>

#include <gtest/gtest.h>

#include "editability/caret_locator.h"
#include "editability/window_classification.h"
#include "outlook/outlook_automation_win32.h"
#include "platform/accessibility_win32.h"
#include "platform/clock.h"
#include "platform/console_win32.h"
#include "platform/desktop_win32.h"
#include "platform/ime_win32.h"
#include "platform/processes_win32.h"
#include "platform/win32_types_win32.h"

namespace tessel {
namespace {

void Pump() {
    MSG msg;
    for (int i = 0; i < 20; ++i) {
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        Sleep(10);
    }
}

class EditabilityCaretWin32 : public ::testing::Test {
protected:
    void SetUp() override {
        HINSTANCE instance = GetModuleHandleW(nullptr);
        top = CreateWindowExW(0, L"STATIC", L"caret test", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 120, 90, 420, 300,
                              nullptr, nullptr, instance, nullptr);
        ASSERT_NE(top, nullptr);
        edit = CreateWindowExW(0, L"EDIT", L"hello", WS_CHILD | WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL, 20, 30, 300,
                               28, top, nullptr, instance, nullptr);
        label = CreateWindowExW(0, L"STATIC", L"label", WS_CHILD | WS_VISIBLE, 20, 80, 300, 20, top, nullptr, instance,
                                nullptr);
        ASSERT_NE(edit, nullptr);
        ASSERT_NE(label, nullptr);
        SetForegroundWindow(top);
        SetFocus(edit);
        SendMessageW(edit, EM_SETSEL, 3, 3);
        Pump();
    }
    void TearDown() override { DestroyWindow(top); }

    // The snapshot as the update cycle builds it, for this thread.
    FocusSnapshot Snapshot() {
        FocusSnapshot s;
        s.foreground = ToWindowId(top);
        s.active = s.foreground;
        std::uint32_t pid = 0;
        const std::uint32_t thread = desktop.WindowThreadProcessId(s.foreground, &pid);
        s.processId = pid;
        if (auto info = desktop.GuiThreadInfoOf(thread)) {
            s.focus = info->focus;
            s.caret = info->caret;
            s.caretRect = info->caretRect;
        }
        return s;
    }

    Win32Desktop desktop;
    HWND top = nullptr;
    HWND edit = nullptr;
    HWND label = nullptr;
};

TEST_F(EditabilityCaretWin32, FocusedEditGivesTheSystemCaret) {
    const FocusSnapshot snap = Snapshot();
    ASSERT_EQ(snap.caret, ToWindowId(edit));
    ASSERT_EQ(snap.focus, ToWindowId(edit));

    POINT caretPos{};
    ASSERT_TRUE(GetCaretPos(&caretPos));
    POINT screen = caretPos;
    ASSERT_TRUE(ClientToScreen(edit, &screen));
    const LONG width = snap.caretRect.right > snap.caretRect.left
                           ? std::min<LONG>(snap.caretRect.right - snap.caretRect.left, 8)
                           : 1;

    const CaretInfo direct = GuiThreadCaret(desktop, snap);
    ASSERT_TRUE(direct.Found);
    EXPECT_EQ(direct.X, screen.x + width);
    EXPECT_EQ(direct.Top, screen.y);
    EXPECT_GE(direct.Bottom, direct.Top + 1);

    // The caret sits three characters into the text: right of the edit's left edge.
    RECT editRect{};
    GetWindowRect(edit, &editRect);
    EXPECT_GT(direct.X, editRect.left + 4);
    EXPECT_LT(direct.X, editRect.right);

    SteadyClock clock;
    NoAutomation noAutomation;
    UiaState uia;
    Win32Outlook outlook;
    OutlookAnswerCache outlookAnswer;
    Win32Accessibility accessibility;
    Win32Console console;
    Win32Processes processes;
    Win32Ime ime;
    CaretContext context{desktop, clock,         noAutomation, uia,       outlook,
                         outlookAnswer, accessibility, console, processes, ime};
    CaretLocatorState state;
    const CaretLocation located = LocateCaret(context, state, snap, 1);
    EXPECT_EQ(located.caret, direct);
    EXPECT_TRUE(state.targetMemo.NativeEditFirst);
    EXPECT_TRUE(located.caretNearTop);  // 30 pixels below the top of a 300-pixel window

    // Moving the caret moves the answer.
    SendMessageW(edit, EM_SETSEL, 0, 0);
    Pump();
    const CaretLocation moved = LocateCaret(context, state, Snapshot(), 1);
    ASSERT_TRUE(moved.caret.Found);
    EXPECT_LT(moved.caret.X, direct.X);
}

TEST_F(EditabilityCaretWin32, ClassesOfRealControls) {
    EXPECT_EQ(StandardControlRule(desktop, ToWindowId(edit)), ControlVerdict::Editable);
    EXPECT_EQ(StandardControlRule(desktop, ToWindowId(label)), ControlVerdict::ReadOnly);
    EXPECT_FALSE(EditWindowGuess(desktop, ToWindowId(label)).Found);
    EXPECT_TRUE(EditWindowGuess(desktop, ToWindowId(edit)).Found);
    SendMessageW(edit, EM_SETREADONLY, TRUE, 0);
    EXPECT_EQ(StandardControlRule(desktop, ToWindowId(edit)), ControlVerdict::ReadOnly);
    EnableWindow(edit, FALSE);
    EXPECT_EQ(StandardControlRule(desktop, ToWindowId(edit)), ControlVerdict::ReadOnly);

    // A top-level STATIC window is none of the known applications.
    ForegroundClass flags = ClassifyClassName(LowerClassName(desktop, ToWindowId(top)));
    EXPECT_EQ(flags, ForegroundClass{});
}

TEST_F(EditabilityCaretWin32, DpiQueriesAnswer) {
    EXPECT_NE(desktop.DpiForWindow(ToWindowId(edit)), 0u);
    const std::uintptr_t monitor = desktop.MonitorFromWindow(ToWindowId(edit), 2);
    EXPECT_NE(monitor, 0u);
    auto origin = desktop.ClientToScreen(ToWindowId(edit), Point{0, 0});
    ASSERT_TRUE(origin.has_value());
    RECT r{};
    GetWindowRect(edit, &r);
    EXPECT_GE(origin->x, r.left);
    EXPECT_GE(origin->y, r.top);
    EXPECT_TRUE(desktop.IsWindowVisible(ToWindowId(edit)));
    EXPECT_NE(desktop.WindowLongPtr(ToWindowId(edit), GWL_STYLE) & WS_CHILD, 0);
}

}  // namespace
}  // namespace tessel
