// The Win32 Outlook adapter against a scripted Outlook in another process
// (tests/apps/fake_outlook): the real ProgID lookup, running-object lookup and
// IDispatch calls, marshalled across processes.
#include <windows.h>
#include <objbase.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "editability/window_classification.h"
#include "main/editability_decision.h"
#include "outlook/compose_window_test.h"
#include "outlook/outlook_automation_win32.h"
#include "platform/accessibility_win32.h"
#include "platform/clock.h"
#include "platform/com_call_bound_win32.h"
#include "platform/desktop_win32.h"
#include "doubles/fake_clock.h"
#include "apps/fake_outlook_protocol_win32.h"

namespace tessel {
namespace {

using namespace testing::fake_outlook;

// Counts the primitive calls that reach the real adapter; it holds the real
// references and hands out its own for them.
class CountingOutlook final : public OutlookAutomation {
public:
    explicit CountingOutlook(OutlookAutomation& real) : real_(real) {}
    int titles = 0, connects = 0, reads = 0, releases = 0;
    int Total() const { return titles + connects + reads + releases; }
    void Reset() { titles = connects = reads = releases = 0; }

    std::u16string WindowTitle(WindowId window) noexcept override {
        ++titles;
        return real_.WindowTitle(window);
    }
    OutlookRef Connect() noexcept override {
        ++connects;
        return Hold(real_.Connect());
    }
    OutlookValue Read(const OutlookRef& object, std::u16string_view member, std::uint16_t flags) noexcept override {
        ++reads;
        const auto held = held_.find(object.Handle());
        OutlookValue v = real_.Read(held == held_.end() ? none_ : held->second, member, flags);
        v.object = Hold(std::move(v.object));
        return v;
    }
    void BeginQuestion(WindowId window) noexcept override { real_.BeginQuestion(window); }
    void EndQuestion() noexcept override { real_.EndQuestion(); }
    void BeginUpdate() noexcept override { real_.BeginUpdate(); }
    bool Late() const noexcept override { return real_.Late(); }
    void Release(std::uintptr_t handle) noexcept override {
        ++releases;
        auto held = held_.find(handle);
        if (held != held_.end()) held_.erase(held);
    }

private:
    OutlookRef Hold(OutlookRef real) {
        if (!real) return {};
        const std::uintptr_t h = real.Handle();
        held_.emplace(h, std::move(real));
        return OutlookRef(this, h);
    }
    OutlookAutomation& real_;
    const OutlookRef none_;
    std::multimap<std::uintptr_t, OutlookRef> held_;
};

std::wstring BinDirectory() {
    wchar_t path[MAX_PATH];
    const DWORD n = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring p(path, n);
    return p.substr(0, p.find_last_of(L"\\/"));
}

class FakeOutlook {
public:
    explicit FakeOutlook(const wchar_t* args) {
        std::wstring command = L"\"" + BinDirectory() + L"\\fake_outlook.exe\" " + args;
        STARTUPINFOW si{};
        si.cb = sizeof(si);
        if (!::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &info_))
            return;
        for (int i = 0; i < 500 && !control_; ++i) {
            control_ = ::FindWindowW(L"Tessel.FakeOutlook.Control", nullptr);
            if (!control_) ::Sleep(20);
        }
    }
    ~FakeOutlook() {
        if (control_) ::PostMessageW(control_, WM_CLOSE, 0, 0);
        if (info_.hProcess) {
            if (::WaitForSingleObject(info_.hProcess, 10000) != WAIT_OBJECT_0) ::TerminateProcess(info_.hProcess, 1);
            ::CloseHandle(info_.hProcess);
            ::CloseHandle(info_.hThread);
        }
    }
    bool Ready() const { return control_ != nullptr; }
    LRESULT Ask(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
        return ::SendMessageW(control_, message, wParam, lParam);
    }
    // Shows a scenario in fresh windows; the foreground and pane windows.
    FocusSnapshot Show(int scenario) {
        HWND frame = reinterpret_cast<HWND>(Ask(kShowScenario, static_cast<WPARAM>(scenario)));
        HWND body = ::FindWindowExW(frame, nullptr, L"_WwB", nullptr);
        HWND pane = ::FindWindowExW(body, nullptr, L"_WwG", nullptr);
        FocusSnapshot s;
        s.foreground = s.active = reinterpret_cast<WindowId>(frame);
        s.focus = s.caret = reinterpret_cast<WindowId>(pane);
        return s;
    }
    // Waits for the end; the exit code (objects never released), or -1.
    long Close() {
        if (control_) ::PostMessageW(control_, WM_CLOSE, 0, 0);
        control_ = nullptr;
        DWORD code = static_cast<DWORD>(-1);
        if (::WaitForSingleObject(info_.hProcess, 10000) == WAIT_OBJECT_0) ::GetExitCodeProcess(info_.hProcess, &code);
        return static_cast<long>(code);
    }

private:
    PROCESS_INFORMATION info_{};
    HWND control_ = nullptr;
};

struct ComApartment {
    HRESULT hr = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    ~ComApartment() {
        if (SUCCEEDED(hr)) ::CoUninitialize();
    }
};

// The editability decision of the update cycle over the fake's real windows
// and focus: compose mail and inline replies take text, received mail and the
// reading pane do not, though all report a system caret. Every object handed
// across is released.
TEST(OutlookAutomationWin32, TheDecisionShowsOnlyOverComposeSurfacesAndReleasesEverything) {
    ComApartment com;
    ASSERT_TRUE(SUCCEEDED(com.hr));
    FakeOutlook fake(L"compose");
    ASSERT_TRUE(fake.Ready());
    Win32Desktop desktop;
    Win32Outlook outlook;
    SteadyClock clock;
    Win32Accessibility accessibility;
    NoAutomation noAutomation;
    UiaState uia;
    const std::uint8_t expected[] = {kComposeSurface, kNotComposeSurface, kComposeSurface, kNotComposeSurface};
    for (int scenario = 0; scenario < 4; ++scenario) {
        const FocusSnapshot shown = fake.Show(scenario);
        FocusSnapshot s = shown;
        const auto info = desktop.GuiThreadInfoOf(desktop.WindowThreadProcessId(s.foreground, &s.processId));
        ASSERT_TRUE(info.has_value());
        s.focus = info->focus;
        s.caret = info->caret;
        s.caretRect = info->caretRect;
        ASSERT_EQ(s.focus, shown.focus) << "the pane has the focus of its thread";
        ASSERT_EQ(s.caret, shown.caret) << "the pane shows a system caret";

        ClassificationCache classification;
        const ForegroundClass fg = ClassifyForeground(desktop, classification, s.foreground);
        TargetMemo memo;
        RekeyTargetMemo(memo, s);
        EditabilityVerdict verdict;
        OutlookAnswerCache answers;
        const EditabilityInputs in{desktop, memo,    s,       fg,           clock.Now(), noAutomation,
                                   clock,   uia,     outlook, answers,      accessibility};
        EXPECT_EQ(DecideEditability(in, verdict).show, expected[scenario] == kComposeSurface) << "scenario " << scenario;
        EXPECT_EQ(answers.answer, expected[scenario]) << "scenario " << scenario;
        EXPECT_EQ(fake.Ask(kAliveObjects), 0) << "scenario " << scenario;
    }
    // Inspector and item twice; inspector, explorer, inline response; inspector, explorer.
    EXPECT_EQ(fake.Ask(kHandedOut), 9);
    EXPECT_EQ(fake.Ask(kBadFlagReads), 0);
    EXPECT_EQ(fake.Close(), 0);
}

TEST(OutlookAutomationWin32, WithTheObjectWithdrawnTheAnswerIsNoAndCached) {
    ComApartment com;
    FakeOutlook fake(L"compose --withdrawn");
    ASSERT_TRUE(fake.Ready());
    Win32Desktop desktop;
    Win32Outlook real;
    CountingOutlook outlook(real);
    const FocusSnapshot s = fake.Show(0);
    OutlookAnswerCache cache;
    EXPECT_EQ(ComposeWindowTest(desktop, outlook, cache, s, s.caret), kNotComposeSurface);
    EXPECT_EQ(outlook.connects, 1);
    EXPECT_EQ(cache.answer, kNotComposeSurface);
    EXPECT_EQ(cache.caret, s.caret);
    // Publishing now changes nothing for the same focus target ...
    ASSERT_EQ(fake.Ask(kPublish, 1), 1);
    outlook.Reset();
    EXPECT_EQ(ComposeWindowTest(desktop, outlook, cache, s, s.caret), kNotComposeSurface);
    EXPECT_EQ(outlook.Total(), 0);
    // ... until the cache is emptied.
    cache = OutlookAnswerCache{};
    EXPECT_EQ(ComposeWindowTest(desktop, outlook, cache, s, s.caret), kComposeSurface);
    EXPECT_EQ(outlook.connects, 1);
    EXPECT_EQ(outlook.releases, 3);  // application, inspector and item, once each
    EXPECT_EQ(fake.Ask(kAliveObjects), 0);
}

// Delivers the answers to pings sent with SendMessageCallback.
void Pump() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
}

// Pumps while it waits.
template <typename F>
bool WaitFor(F done, int ms) {
    for (int waited = 0; waited < ms; waited += 20) {
        Pump();
        if (done()) return true;
        ::Sleep(20);
    }
    Pump();
    return done();
}

double MsSince(std::chrono::steady_clock::time_point t0) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
}

// A COM apartment, the fake Outlook showing a compose pane, and the thread's
// registered message filter.
struct BoundRig {
    ComApartment com;
    FakeOutlook fake{L"compose"};
    SteadyClock steady;
    ComCallBound bound{steady};
    bool Ready() { return SUCCEEDED(com.hr) && fake.Ready() && bound.Register(); }
};

// The registered message filter against an Outlook that hangs 3 s in a member
// read. The question is given up (cancelled), reported late and not cached;
// Outlook is not asked again until it answers the ping, or the patience runs out.
TEST(OutlookAutomationWin32, AHungOutlookIsLateAndLeftAloneUntilItAnswers) {
    BoundRig rig;
    ASSERT_TRUE(rig.Ready());
    FakeOutlook& fake = rig.fake;
    ComCallBound& bound = rig.bound;
    testing::FakeClock patience;
    Win32Outlook real;
    real.Bind(&bound, &patience);
    CountingOutlook outlook(real);
    Win32Desktop desktop;
    const FocusSnapshot s = fake.Show(0);
    OutlookAnswerCache cache;
    double longestMs = 0;  // of one question
    const auto ask = [&] {
        const auto t0 = std::chrono::steady_clock::now();
        outlook.BeginUpdate();
        cache = OutlookAnswerCache{};
        const int answer = ComposeWindowTest(desktop, outlook, cache, s, s.caret);
        longestMs = std::max(longestMs, MsSince(t0));
        return answer;
    };

    // The first questions of a new connection may themselves take longer than
    // the deadline under Wine; an answer in time shows Outlook ready.
    ASSERT_TRUE(WaitFor([&] { return ask() == kComposeSurface && !outlook.Late(); }, 5000));
    const LRESULT callsBefore = fake.Ask(kCalls);
    const int cancelsBefore = bound.Cancels();
    ASSERT_EQ(fake.Ask(kHangNextCall, 3000, kHangMemberRead), 1);
    // Wine returns the call only once Outlook answers it; Outlook still hangs
    // a while when the ping comes.
    ASSERT_EQ(fake.Ask(kBusyOnPing, 1500), 1);
    longestMs = 0;
    EXPECT_EQ(ask(), kNotComposeSurface);
    const double hungMs = longestMs;
    EXPECT_TRUE(outlook.Late());
    EXPECT_EQ(cache.answer, kNotOutlookPane) << "a late answer is cached as a verdict";
    // Windows returns the cancelled call at the deadline with
    // RPC_E_CALL_CANCELED; Wine 8 waits for Outlook's answer and returns the
    // call's own result, which came too late all the same.
    ASSERT_TRUE(real.LastLateResult().has_value());
    const HRESULT seen = *real.LastLateResult();
    EXPECT_TRUE(seen == RPC_E_CALL_CANCELED || seen == S_OK) << std::hex << seen;

    // The next update does not ask: nothing reaches Outlook, the answer is late at once.
    const auto t0 = std::chrono::steady_clock::now();
    EXPECT_EQ(ask(), kNotComposeSurface);
    const double skippedMs = MsSince(t0);
    EXPECT_TRUE(outlook.Late());
    EXPECT_EQ(cache.answer, kNotOutlookPane);
    // The name lookup and the read that hung, nothing after.
    EXPECT_EQ(fake.Ask(kCalls), callsBefore + 2);

    // Its answer to the ping frees it: the next question reaches it again.
    Pump();
    const LRESULT callsSkipped = fake.Ask(kCalls);
    ask();
    EXPECT_GT(fake.Ask(kCalls), callsSkipped);

    // Without the ping's answer, the patience ends the wait after 5 s.
    Pump();
    const LRESULT callsLate = fake.Ask(kCalls);
    ASSERT_EQ(fake.Ask(kHangNextCall, 3000, kHangMemberRead), 1);
    ASSERT_EQ(fake.Ask(kBusyOnPing, 1500), 1);
    EXPECT_EQ(ask(), kNotComposeSurface);
    ASSERT_TRUE(outlook.Late());
    patience.AdvanceMs(4990);
    EXPECT_EQ(ask(), kNotComposeSurface);
    EXPECT_TRUE(outlook.Late());
    patience.AdvanceMs(10);
    // Outlook answers calls again by now, but its answer to the ping has not
    // been taken in: nothing pumped.
    ::Sleep(1600);
    ask();
    EXPECT_GT(fake.Ask(kCalls), callsLate + 2);

    bound.Revoke();
    std::printf("hung Outlook: the call returned 0x%08lx, question %.0f ms (%d cancels by the filter); next "
                "question %.2f ms; longest question from the hang on %.0f ms\n",
                static_cast<unsigned long>(seen), hungMs, bound.Cancels() - cancelsBefore, skippedMs, longestMs);
    EXPECT_TRUE(WaitFor([&] { return fake.Ask(kAliveObjects) == 0; }, 5000)) << fake.Ask(kAliveObjects) << " held";
}

// The pane's caret object answers WM_GETOBJECT, then hangs 3 s in accLocation:
// the read is late and the pane's thread is not asked again until it answers.
TEST(OutlookAutomationWin32, ACaretObjectThatHangsInItsLocationIsLateAndLeftAlone) {
    BoundRig rig;
    ASSERT_TRUE(rig.Ready());
    FakeOutlook& fake = rig.fake;
    ComCallBound& bound = rig.bound;
    Win32Accessibility accessibility;
    accessibility.Bind(&bound);
    const FocusSnapshot s = fake.Show(0);
    double longestMs = 0;
    const auto read = [&] {
        accessibility.BeginUpdate();
        const auto t0 = std::chrono::steady_clock::now();
        auto box = accessibility.CaretLocation(s.caret);
        longestMs = std::max(longestMs, MsSince(t0));
        return box;
    };
    ASSERT_TRUE(WaitFor([&] { return read().has_value() && !accessibility.Late(); }, 5000));
    const double readyMs = longestMs;

    const LRESULT requests = fake.Ask(kCaretObjectRequests);
    ASSERT_EQ(fake.Ask(kHangNextCall, 3000, kHangCaretLocation), 1);
    ASSERT_EQ(fake.Ask(kBusyOnPing, 1500), 1);
    // A message reaches this thread half a second into the hang, past the
    // read's deadline: the filter COM consults then cancels the call (Wine
    // returns it only when the answer comes, but cancelled all the same).
    ASSERT_EQ(fake.Ask(kPokeDuringHang, ::GetCurrentThreadId(), 500), 1);
    const int cancelsBefore = bound.Cancels();
    longestMs = 0;
    EXPECT_FALSE(read().has_value());
    const double hungMs = longestMs;
    EXPECT_TRUE(accessibility.Late());
    EXPECT_EQ(bound.Cancels() - cancelsBefore, 1);
    ASSERT_TRUE(accessibility.LastLateResult().has_value());
    const HRESULT seen = *accessibility.LastLateResult();
    EXPECT_EQ(seen, RPC_E_CALL_CANCELED) << std::hex << seen;

    // Not even the caret object is asked for until the ping is answered.
    longestMs = 0;
    EXPECT_FALSE(read().has_value());
    const double skippedMs = longestMs;
    EXPECT_TRUE(accessibility.Late());
    EXPECT_EQ(fake.Ask(kCaretObjectRequests), requests + 1);
    Pump();
    read();
    EXPECT_EQ(fake.Ask(kCaretObjectRequests), requests + 2);
    std::printf("caret object hung in accLocation: the read took %.0f ms and the call returned 0x%08lx; the next "
                "read %.2f ms; reads before the hang up to %.0f ms\n",
                hungMs, static_cast<unsigned long>(seen), skippedMs, readyMs);
    bound.Revoke();
}

// Not a check: time and primitive calls of one answer, cold and cached.
TEST(OutlookAutomationWin32, Figures) {
    ComApartment com;
    FakeOutlook fake(L"compose");
    ASSERT_TRUE(fake.Ready());
    Win32Desktop desktop;
    Win32Outlook real;
    CountingOutlook outlook(real);
    const FocusSnapshot s = fake.Show(0);
    OutlookAnswerCache cache;
    constexpr int kRounds = 50;
    using Clock = std::chrono::steady_clock;

    // The machine is shared: the minimum and the median say more than the mean.
    outlook.Reset();
    std::vector<double> cold;
    for (int i = 0; i < kRounds; ++i) {
        cache = OutlookAnswerCache{};
        const auto t0 = Clock::now();
        ASSERT_EQ(ComposeWindowTest(desktop, outlook, cache, s, s.caret), kComposeSurface);
        cold.push_back(std::chrono::duration<double, std::micro>(Clock::now() - t0).count());
    }
    std::sort(cold.begin(), cold.end());
    const double coldCalls = static_cast<double>(outlook.Total()) / kRounds;
    const double coldReads = static_cast<double>(outlook.reads) / kRounds;

    outlook.Reset();
    auto start = Clock::now();
    for (int i = 0; i < kRounds * 20; ++i) ASSERT_EQ(ComposeWindowTest(desktop, outlook, cache, s, s.caret), 0);
    const double cachedUs = std::chrono::duration<double, std::micro>(Clock::now() - start).count() / (kRounds * 20);
    // The cached answer still runs the window-class rules first.
    start = Clock::now();
    for (int i = 0; i < kRounds * 20; ++i) ASSERT_TRUE(IsOutlookPane(desktop, s.caret));
    const double rulesUs = std::chrono::duration<double, std::micro>(Clock::now() - start).count() / (kRounds * 20);
    std::printf("outlook answer cold: min %.0f us, median %.0f us, %.1f primitive calls (%.1f member reads); "
                "cached: %.1f us, %d calls (window-class rules alone: %.1f us)\n",
                cold.front(), cold[cold.size() / 2], coldCalls, coldReads, cachedUs, outlook.Total(), rulesUs);
    EXPECT_EQ(fake.Ask(kAliveObjects), 0);
}

}  // namespace
}  // namespace tessel
