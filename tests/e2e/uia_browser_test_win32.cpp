// The real Tessel.exe finding a caret through UI Automation: an in-process
// automation server, registered for the test in the Wine prefix, serves a
// browser-like tree for the fake browser window, which has no system caret.
// It is registered as Windows 8 and later have it (both classes), or as
// Windows 7 has it (the older class alone, without time-outs).
#include <gtest/gtest.h>

#include <objbase.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <optional>
#include <vector>

#include "dlls/fake_browser_caret_win32.h"
#include "dlls/uia_server_win32.h"
#include "e2e/e2e_support_win32.h"

namespace tessel::e2e {
namespace {

using namespace std::chrono_literals;
namespace fb = tessel::testing::fake_browser;
namespace server = tessel::testing::uia_server;

constexpr CLSID kClsidCUIAutomation = {0xff48dba4, 0x60ef, 0x4201, {0xaa, 0x87, 0x54, 0x10, 0x3e, 0xef, 0x59, 0x4e}};
constexpr CLSID kClsidCUIAutomation8 = {0xe22ad333, 0xb25f, 0x460c, {0x83, 0xd0, 0x05, 0x81, 0x10, 0x73, 0x95, 0xc9}};

bool SetString(HKEY key, const wchar_t* name, const std::wstring& value) {
    return ::RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                            static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

// The badge's place for a caret at client point (x, y) of `window`: below it,
// 4 pixels right of the caret's left edge.
POINT BadgeFor(HWND window, int x, int y) {
    POINT p{x, y};
    ::ClientToScreen(window, &p);
    return POINT{p.x + 4, p.y + fb::kCaretHeight + 2};
}

// A time-out the server recorded, or nothing when it was never set.
std::optional<DWORD> Recorded(const wchar_t* name) {
    DWORD value = 0;
    DWORD size = sizeof(value);
    if (::RegGetValueW(HKEY_CURRENT_USER, server::kRecordKey, name, RRF_RT_REG_DWORD, nullptr, &value, &size) !=
        ERROR_SUCCESS)
        return std::nullopt;
    return value;
}

class UiaBrowserE2E : public ::testing::Test {
protected:
    // Windows 8 and later register both classes; Windows 7 the older alone.
    virtual bool Windows8ClassRegistered() const { return true; }

    void SetUp() override {
        ::RegDeleteTreeW(HKEY_CURRENT_USER, server::kRecordKey);
        Register(server::kOlderClassKey, kClsidCUIAutomation);
        if (!HasFatalFailure() && Windows8ClassRegistered()) Register(server::kWindows8ClassKey, kClsidCUIAutomation8);
    }

    void TearDown() override {
        // Tessel closes before the sandbox goes and the browser ends.
        tessel_.reset();
        sandbox_.reset();
        browser_.reset();
        // Other tests must see no UI Automation again.
        for (const wchar_t* key : registered_) {
            EXPECT_EQ(::RegDeleteTreeW(HKEY_LOCAL_MACHINE, key), ERROR_SUCCESS);
            ::RegDeleteKeyW(HKEY_LOCAL_MACHINE, key);
        }
        ::RegDeleteTreeW(HKEY_CURRENT_USER, server::kRecordKey);
        ::RegDeleteKeyW(HKEY_CURRENT_USER, server::kRecordKey);
    }

    // Registers the server for one class and checks that COM hands it out
    // (before Tessel can) for that class.
    void Register(const wchar_t* classKey, const CLSID& clsid) {
        const std::wstring dll = BuildDirectory() + L"\\fake_uia_server.dll";
        ASSERT_NE(::GetFileAttributesW(dll.c_str()), INVALID_FILE_ATTRIBUTES) << "fake_uia_server.dll not built";
        HKEY key = nullptr;
        ASSERT_EQ(::RegCreateKeyExW(HKEY_LOCAL_MACHINE, (std::wstring(classKey) + L"\\InprocServer32").c_str(), 0,
                                    nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr),
                  ERROR_SUCCESS)
            << "cannot register the automation server";
        registered_.push_back(classKey);
        const bool written = SetString(key, nullptr, dll) && SetString(key, L"ThreadingModel", L"Both");
        ::RegCloseKey(key);
        ASSERT_TRUE(written) << "cannot register the automation server";
        ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        IUnknown* automation = nullptr;
        HRESULT hr =
            ::CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, reinterpret_cast<void**>(&automation));
        if (automation) automation->Release();
        ::CoUninitialize();
        ASSERT_TRUE(SUCCEEDED(hr)) << "the registered server is not created: 0x" << std::hex << hr;
    }

    // The fake browser in the foreground, Tessel beside it, and the badge
    // below the browser's first caret. Records a failure when any of it fails.
    bool StartAndSeeTheBadge() {
        browser_ = std::make_unique<Process>(BuildDirectory() + L"\\fake_browser.exe");
        if (!WaitFor([&] {
                auto w = WindowsOf(browser_->Id(), fb::kWindowClass);
                window = w.empty() ? nullptr : w.front();
                return window != nullptr;
            }, 20s)) {
            ADD_FAILURE() << "the fake browser did not start";
            return false;
        }
        if (!WaitFor([&] {
                if (::GetForegroundWindow() == window) return true;
                ::SetForegroundWindow(window);
                return false;
            }, 10s, 100ms)) {
            ADD_FAILURE() << "the fake browser did not become the foreground window";
            return false;
        }
        sandbox_ = std::make_unique<Sandbox>();
        tessel_ = std::make_unique<RunningTessel>(*sandbox_);
        if (!tessel_->Ready() || !(badge = BadgeOf(*tessel_))) {
            ADD_FAILURE() << "Tessel did not start with its badge window";
            return false;
        }
        if (!WaitFor([&] { return BadgeAt(badge, BadgeFor(window, 40, 30)); }, 15s)) {
            ADD_FAILURE() << "badge at " << RectOf(badge).left << "," << RectOf(badge).top << " visible "
                          << ::IsWindowVisible(badge);
            return false;
        }
        return true;
    }

    RunningTessel& Tessel() { return *tessel_; }

    HWND window = nullptr;
    HWND badge = nullptr;

private:
    std::vector<const wchar_t*> registered_;
    std::unique_ptr<Process> browser_;
    std::unique_ptr<Sandbox> sandbox_;
    std::unique_ptr<RunningTessel> tessel_;
};

TEST_F(UiaBrowserE2E, BadgeStandsBelowTheAutomationCaretAndFollowsIt) {
    ASSERT_TRUE(StartAndSeeTheBadge());
    ::PostMessageW(window, fb::kMoveCaret, 200, 120);
    const auto moved = std::chrono::steady_clock::now();
    ASSERT_TRUE(WaitFor([&] { return BadgeAt(badge, BadgeFor(window, 200, 120)); }, 5s))
        << "the badge did not follow the caret; at " << RectOf(badge).left << "," << RectOf(badge).top;
    std::printf("badge followed the automation caret in %lld ms\n",
                static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                           std::chrono::steady_clock::now() - moved)
                                           .count()));
    EXPECT_EQ(Tessel().Close(), 0);
}

TEST_F(UiaBrowserE2E, ASelectionHidesTheBadgeUntilItCollapses) {
    ASSERT_TRUE(StartAndSeeTheBadge());
    ::PostMessageW(window, fb::kSelect, 1, 0);
    EXPECT_TRUE(WaitFor([&] { return !::IsWindowVisible(badge); }, 5s)) << "badge shown over a selection";
    ::PostMessageW(window, fb::kSelect, 0, 0);
    EXPECT_TRUE(WaitFor([&] { return BadgeAt(badge, BadgeFor(window, 40, 30)); }, 5s))
        << "badge did not come back when the selection collapsed";
    EXPECT_EQ(Tessel().Close(), 0);
}

TEST_F(UiaBrowserE2E, AHungProviderCostsOneTimeOutPerUpdateAndIsAskedAgainLater) {
    ASSERT_TRUE(StartAndSeeTheBadge());
    ::PostMessageW(window, fb::kHangProvider, 1, 0);
    ::PostMessageW(window, fb::kMoveCaret, 200, 120);  // updates follow while it hangs
    // How long Tessel's window takes to answer while every provider call waits.
    long long slowest = 0;
    const auto end = std::chrono::steady_clock::now() + 3s;
    while (std::chrono::steady_clock::now() < end) {
        const auto asked = std::chrono::steady_clock::now();
        DWORD_PTR ignored = 0;
        ASSERT_NE(::SendMessageTimeoutW(Tessel().Main(), WM_NULL, 0, 0, SMTO_BLOCK, 10000, &ignored), 0);
        slowest = std::max<long long>(
            slowest, std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - asked)
                         .count());
        ::Sleep(20);
    }
    std::printf("slowest answer while the provider hung: %lld ms (one time-out: %lu ms)\n", slowest, fb::kHangMs);
    EXPECT_LT(slowest, 1000) << "more than a few time-outs in one update";

    ::PostMessageW(window, fb::kHangProvider, 0, 0);
    EXPECT_TRUE(WaitFor([&] { return BadgeAt(badge, BadgeFor(window, 200, 120)); }, 5s))
        << "the provider was not asked again once it answered";
    EXPECT_EQ(Tessel().Close(), 0);
}

TEST_F(UiaBrowserE2E, TheWindows8ObjectIsGivenTheTimeOuts) {
    ASSERT_TRUE(StartAndSeeTheBadge());
    EXPECT_EQ(Recorded(server::kConnectionTimeout), std::optional<DWORD>(250));
    EXPECT_EQ(Recorded(server::kTransactionTimeout), std::optional<DWORD>(150));
    EXPECT_EQ(Tessel().Close(), 0);
}

// Windows 7: the older class alone, whose object has no time-outs to set.
class UiaBrowserOlderClassE2E : public UiaBrowserE2E {
protected:
    bool Windows8ClassRegistered() const override { return false; }
};

TEST_F(UiaBrowserOlderClassE2E, BadgeStandsBelowTheAutomationCaretAndFollowsIt) {
    ASSERT_TRUE(StartAndSeeTheBadge());
    ::PostMessageW(window, fb::kMoveCaret, 200, 120);
    EXPECT_TRUE(WaitFor([&] { return BadgeAt(badge, BadgeFor(window, 200, 120)); }, 5s))
        << "the badge did not follow the caret; at " << RectOf(badge).left << "," << RectOf(badge).top;
    EXPECT_EQ(Recorded(server::kConnectionTimeout), std::nullopt);
    EXPECT_EQ(Recorded(server::kTransactionTimeout), std::nullopt);
    EXPECT_EQ(Tessel().Close(), 0);
}

}  // namespace
}  // namespace tessel::e2e
