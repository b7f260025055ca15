// The IME status query with the real Win32 desktop and IME against a focused
// edit control of this test process.
#include <gtest/gtest.h>
#include <windows.h>

#include <optional>

#include "ci_skip.h"
#include "input_mode/classify_input_mode.h"
#include "input_mode/query_ime_status.h"
#include "platform/desktop_win32.h"
#include "platform/ime_win32.h"
#include "platform/win32_types_win32.h"

namespace tessel {
namespace {

// Forwards to the real IME and keeps a ledger of contexts; can make the IME
// windows look hung so that the input-context probe runs for real.
class LedgerIme final : public Ime {
public:
    WindowId DefaultImeWindow(WindowId window) override { return real.DefaultImeWindow(window); }
    std::optional<std::uintptr_t> SendImeControl(WindowId imeWindow, std::uintptr_t wParam) override {
        ++messages;
        if (imeWindowsHung) return std::nullopt;
        return real.SendImeControl(imeWindow, wParam);
    }
    ImeContextId GetContext(WindowId window) override {
        ImeContextId c = real.GetContext(window);
        if (c != kNoContext) ++contextsTaken;
        return c;
    }
    bool ReleaseContext(WindowId window, ImeContextId context) override {
        bool ok = real.ReleaseContext(window, context);
        if (ok) ++contextsReleased;
        return ok;
    }
    bool OpenStatus(ImeContextId context) override { return real.OpenStatus(context); }
    std::optional<std::uint32_t> ConversionStatus(ImeContextId context) override {
        return real.ConversionStatus(context);
    }
    std::int32_t CompositionString(ImeContextId context, std::uint32_t index, void* buffer,
                                   std::uint32_t bytes) override {
        return real.CompositionString(context, index, buffer, bytes);
    }

    Win32Ime real;
    bool imeWindowsHung = false;
    int messages = 0;
    int contextsTaken = 0;
    int contextsReleased = 0;
};

void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

class InputModeLiveQuery : public ::testing::Test {
protected:
    // One window for the whole suite: destroying a window takes about 2 s under Wine.
    static void SetUpTestSuite() {
        WNDCLASSW wc{};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"Tessel.Test.ImeQueryFrame";
        RegisterClassW(&wc);
        frame_ = CreateWindowExW(0, wc.lpszClassName, L"IME query", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 50, 50, 400,
                                 200, nullptr, nullptr, wc.hInstance, nullptr);
        if (frame_) {
            edit_ = CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE | WS_BORDER, 10, 10, 300, 30, frame_,
                                    nullptr, wc.hInstance, nullptr);
        }
    }
    static void TearDownTestSuite() {
        if (frame_) DestroyWindow(frame_);
        frame_ = edit_ = nullptr;
        Pump();
    }
    void SetUp() override {
        ASSERT_NE(frame_, nullptr);
        ASSERT_NE(edit_, nullptr);
        SetForegroundWindow(frame_);
        SetFocus(edit_);
        Pump();
    }

    // The focus as the update cycle would see it, for this thread.
    FocusSnapshot Snapshot() {
        FocusSnapshot f;
        f.foreground = ToWindowId(GetForegroundWindow());
        auto info = desktop_.GuiThreadInfoOf(GetCurrentThreadId());
        if (info) {
            f.active = info->active;
            f.focus = info->focus;
            f.caret = info->caret;
        }
        if (!f.active) f.active = f.foreground;
        if (f.foreground) desktop_.WindowThreadProcessId(f.foreground, &f.processId);
        return f;
    }
    ImeStatus Query(const FocusSnapshot& f) {
        ImeQueryServices services{desktop_, ime_, clock_, nullptr};
        return QueryImeStatus(state_, f, kNoWindow, 0, services);
    }
    static std::uint16_t ThreadLanguage() {
        return static_cast<std::uint16_t>(reinterpret_cast<std::uintptr_t>(GetKeyboardLayout(0)) & 0xFFFF);
    }

    static inline HWND frame_ = nullptr;
    static inline HWND edit_ = nullptr;
    Win32Desktop desktop_;
    LedgerIme ime_;
    SteadyClock clock_;
    ImeQueryState state_;
};

TEST_F(InputModeLiveQuery, OwnEditControlReadsLiveThroughItsImeWindow) {
    const FocusSnapshot f = Snapshot();
    ASSERT_EQ(f.focus, ToWindowId(edit_));
    const HWND imeWindow = ImmGetDefaultIMEWnd(edit_);
    ASSERT_NE(imeWindow, nullptr);

    const ImeStatus status = Query(f);
    EXPECT_EQ(status.Source, StatusSource::Live);
    EXPECT_EQ(status.Language, ThreadLanguage());
    EXPECT_NE(status.Language, 0);
    EXPECT_FALSE(status.Open);
    EXPECT_EQ(status.Conversion, 0u);
    EXPECT_EQ(ClassifyInputMode(status), InputMode::English);
    EXPECT_EQ(state_.LastMethod, ProbeMethod::ImeWindow);
    EXPECT_EQ(state_.LastSourceWindow, ToWindowId(edit_));
    EXPECT_EQ(state_.LastImeWindow, ToWindowId(imeWindow));

    // Same focus: the fast path asks the same IME window once (closed IME).
    ime_.messages = 0;
    EXPECT_EQ(Query(f), status);
    EXPECT_EQ(ime_.messages, 1);
    EXPECT_EQ(ime_.contextsTaken, 0);
}

TEST_F(InputModeLiveQuery, InputContextProbeReleasesEveryContextItTakes) {
    ime_.imeWindowsHung = true;
    const FocusSnapshot f = Snapshot();
    ASSERT_EQ(f.focus, ToWindowId(edit_));

    const ImeStatus status = Query(f);
    EXPECT_EQ(status.Source, StatusSource::Live);
    EXPECT_EQ(status.Language, ThreadLanguage());
    EXPECT_FALSE(status.Open);
    EXPECT_EQ(state_.LastMethod, ProbeMethod::InputContext);
    EXPECT_EQ(state_.LastSourceWindow, ToWindowId(edit_));

    for (int i = 0; i < 3; ++i) EXPECT_EQ(Query(f), status);  // fast path through the context
    EXPECT_EQ(ime_.contextsTaken, 4);
    EXPECT_EQ(ime_.contextsReleased, ime_.contextsTaken);
}

TEST_F(InputModeLiveQuery, OpenedContextIsReportedOpenWithItsConversion) {
    // Open this window's own IME through its context and read it back.
    HIMC himc = ImmGetContext(edit_);
    ASSERT_NE(himc, nullptr);
    const bool opened = ImmSetOpenStatus(himc, TRUE) != FALSE;
    ImmSetConversionStatus(himc, IME_CMODE_NATIVE, IME_SMODE_NONE);
    ImmReleaseContext(edit_, himc);
    if (!opened) TESSEL_SKIP_OUTSIDE_CI("this desktop cannot open the IME");

    ime_.imeWindowsHung = true;  // read through the context
    const ImeStatus status = Query(Snapshot());
    EXPECT_EQ(status.Source, StatusSource::Live);
    EXPECT_TRUE(status.Open);
    EXPECT_EQ(status.Conversion, static_cast<std::uint32_t>(IME_CMODE_NATIVE));
    EXPECT_EQ(ime_.contextsReleased, ime_.contextsTaken);

    ime_.imeWindowsHung = false;  // and through the IME window, which must agree
    state_ = ImeQueryState{};
    const ImeStatus viaWindow = Query(Snapshot());
    EXPECT_EQ(state_.LastMethod, ProbeMethod::ImeWindow);
    EXPECT_EQ(viaWindow, status);

    himc = ImmGetContext(edit_);
    ImmSetOpenStatus(himc, FALSE);
    ImmReleaseContext(edit_, himc);
}

}  // namespace
}  // namespace tessel
