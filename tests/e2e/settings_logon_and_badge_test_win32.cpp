// The real Tessel.exe under Wine and the settings window's later rows: the
// "Windows 시작 시 실행" check box with the per-user Run value it writes and
// removes (and a value of another copy that it shows unchecked and leaves
// alone), and the badge time and program list as they come from and go to
// Tessel.ini.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "e2e/e2e_support_win32.h"

namespace tessel::e2e {
namespace {

using namespace std::chrono_literals;

constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr int kBadgeTimeCombo = 2110;
constexpr int kProgramsEdit = 2111;
constexpr int kRunAtLogonBox = 2112;

struct RunValue {
    DWORD type = 0;
    std::wstring text;
};

std::optional<RunValue> ReadRunValue() {
    DWORD type = 0;
    DWORD bytes = 0;
    if (::RegGetValueW(HKEY_CURRENT_USER, kRunKey, L"Tessel", RRF_RT_ANY | RRF_NOEXPAND, &type, nullptr, &bytes) !=
        ERROR_SUCCESS)
        return std::nullopt;
    std::vector<wchar_t> buffer(bytes / sizeof(wchar_t) + 1);
    if (::RegGetValueW(HKEY_CURRENT_USER, kRunKey, L"Tessel", RRF_RT_ANY | RRF_NOEXPAND, &type, buffer.data(),
                       &bytes) != ERROR_SUCCESS)
        return std::nullopt;
    return RunValue{type, std::wstring(buffer.data())};
}

void WriteRunValue(const std::wstring& text) {
    ::RegSetKeyValueW(HKEY_CURRENT_USER, kRunKey, L"Tessel", REG_SZ, text.c_str(),
                      static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

void DeleteRunValue() { ::RegDeleteKeyValueW(HKEY_CURRENT_USER, kRunKey, L"Tessel"); }

// Puts back whatever the prefix held, so that no later start of the prefix
// runs a sandbox that is gone.
class RunValueGuard {
public:
    RunValueGuard() : saved_(ReadRunValue()) { DeleteRunValue(); }
    ~RunValueGuard() {
        if (saved_)
            ::RegSetKeyValueW(HKEY_CURRENT_USER, kRunKey, L"Tessel", saved_->type, saved_->text.c_str(),
                              static_cast<DWORD>((saved_->text.size() + 1) * sizeof(wchar_t)));
        else
            DeleteRunValue();
    }

private:
    std::optional<RunValue> saved_;
};

bool SameIgnoringCase(const std::wstring& a, const std::wstring& b) {
    return ::CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_EQUAL;
}

LRESULT Ask(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    DWORD_PTR result = 0;
    if (!::SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, 2000, &result)) return -12345;
    return static_cast<LRESULT>(result);
}

// WM_GETTEXT and WM_SETTEXT are marshalled between processes.
std::wstring TextOf(HWND window) {
    std::wstring buffer(4096, L'\0');
    const LRESULT got = Ask(window, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()));
    buffer.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
    return buffer;
}
bool SetText(HWND window, const std::wstring& text) {
    return Ask(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str())) == TRUE;
}

HWND SettingsWindow(RunningTessel& tessel) {
    auto w = WindowsOf(tessel.Proc().Id(), L"Tessel.SettingsWindow");
    return w.empty() ? nullptr : w.front();
}

// A second start asks the running instance to open its settings window.
HWND OpenSettings(const Sandbox& sandbox, RunningTessel& tessel) {
    Process second(sandbox.Exe(), sandbox.Dir());
    DWORD code = 1;
    if (!second.Started() || !second.WaitExit(10s, &code) || code != 0) return nullptr;
    HWND settings = nullptr;
    WaitFor([&] { return (settings = SettingsWindow(tessel)) != nullptr && ::IsWindowVisible(settings); }, 10s);
    return settings;
}

LRESULT RunBoxState(HWND settings) { return Ask(::GetDlgItem(settings, kRunAtLogonBox), BM_GETCHECK); }

// Sets the box and presses OK; true once the window has closed.
bool ConfirmWithBox(RunningTessel& tessel, HWND settings, bool checked) {
    Ask(::GetDlgItem(settings, kRunAtLogonBox), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED);
    ::PostMessageW(::GetDlgItem(settings, IDOK), BM_CLICK, 0, 0);
    return WaitFor([&] { return SettingsWindow(tessel) == nullptr; }, 10s);
}

// One round of the window: opens it, expects the box to show `shown`, sets it
// to `tick` and presses OK; the Run value after, or nullopt (with a failure
// recorded) when the window did not open or close.
std::optional<RunValue> Round(const Sandbox& sandbox, RunningTessel& tessel, LRESULT shown, bool tick) {
    HWND settings = OpenSettings(sandbox, tessel);
    if (!settings) {
        ADD_FAILURE() << "the settings window did not open";
        return std::nullopt;
    }
    EXPECT_EQ(RunBoxState(settings), shown);
    if (!ConfirmWithBox(tessel, settings, tick)) ADD_FAILURE() << "the settings window did not close";
    return ReadRunValue();
}

bool NoMessageBox(RunningTessel& tessel) {
    for (HWND w : WindowsOf(tessel.Proc().Id(), L"#32770"))
        if (::IsWindowVisible(w)) return false;
    return true;
}

TEST(RunAtLogonE2E, TickingWritesThisPathAndUntickingRemovesIt) {
    RunValueGuard guard;
    Sandbox sandbox;
    RunningTessel tessel(sandbox);
    ASSERT_TRUE(tessel.Ready());

    const auto written = Round(sandbox, tessel, BST_UNCHECKED, true);
    ASSERT_TRUE(written.has_value()) << "no Run value after ticking";
    EXPECT_EQ(written->type, static_cast<DWORD>(REG_SZ));
    EXPECT_TRUE(SameIgnoringCase(written->text, L"\"" + sandbox.Exe() + L"\""))
        << ::testing::PrintToString(written->text);
    EXPECT_TRUE(NoMessageBox(tessel));

    EXPECT_FALSE(Round(sandbox, tessel, BST_CHECKED, false).has_value()) << "the value stayed after unticking";

    // Cancel changes nothing, whatever the box shows.
    HWND settings = OpenSettings(sandbox, tessel);
    ASSERT_NE(settings, nullptr);
    Ask(::GetDlgItem(settings, kRunAtLogonBox), BM_SETCHECK, BST_CHECKED);
    ::PostMessageW(::GetDlgItem(settings, IDCANCEL), BM_CLICK, 0, 0);
    ASSERT_TRUE(WaitFor([&] { return SettingsWindow(tessel) == nullptr; }, 10s));
    EXPECT_FALSE(ReadRunValue().has_value());
    EXPECT_EQ(tessel.Close(), 0);
}

TEST(RunAtLogonE2E, AnotherCopysValueShowsUncheckedAndIsLeftAlone) {
    RunValueGuard guard;
    const std::wstring other = L"\"C:\\Elsewhere\\Tessel\\Tessel.exe\"";
    WriteRunValue(other);
    Sandbox sandbox;
    RunningTessel tessel(sandbox);
    ASSERT_TRUE(tessel.Ready());

    auto value = Round(sandbox, tessel, BST_UNCHECKED, false);
    ASSERT_TRUE(value.has_value()) << "another copy's value was removed";
    EXPECT_EQ(value->text, other);

    // Ticking takes the value over for this copy.
    value = Round(sandbox, tessel, BST_UNCHECKED, true);
    ASSERT_TRUE(value.has_value());
    EXPECT_TRUE(SameIgnoringCase(value->text, L"\"" + sandbox.Exe() + L"\"")) << ::testing::PrintToString(value->text);
    EXPECT_EQ(tessel.Close(), 0);
}

TEST(SettingsFieldsE2E, BadgeTimeAndProgramsComeFromAndGoToTheFile) {
    RunValueGuard guard;
    Sandbox sandbox;
    sandbox.WriteFile(L"Tessel.ini", "[Settings]\r\nBadgeSeconds=10\r\nExcludedPrograms=game.exe; Photo.exe\r\n");
    RunningTessel tessel(sandbox);
    ASSERT_TRUE(tessel.Ready());
    HWND settings = OpenSettings(sandbox, tessel);
    ASSERT_NE(settings, nullptr);
    HWND combo = ::GetDlgItem(settings, kBadgeTimeCombo);
    HWND programs = ::GetDlgItem(settings, kProgramsEdit);
    EXPECT_EQ(Ask(combo, CB_GETCURSEL), 3) << "10 seconds";
    EXPECT_EQ(TextOf(programs), L"game.exe;Photo.exe");

    Ask(combo, CB_SETCURSEL, 1);
    ASSERT_TRUE(SetText(programs, L" notepad.exe ; Code.exe;NOTEPAD.EXE "));
    ::PostMessageW(::GetDlgItem(settings, IDOK), BM_CLICK, 0, 0);
    ASSERT_TRUE(WaitFor([&] { return SettingsWindow(tessel) == nullptr; }, 10s));
    const std::string file = sandbox.ReadFile(L"Tessel.ini");
    EXPECT_NE(file.find("\r\nBadgeSeconds=3\r\n"), std::string::npos) << file;
    EXPECT_NE(file.find("\r\nExcludedPrograms=notepad.exe;Code.exe\r\n"), std::string::npos) << file;
    EXPECT_FALSE(ReadRunValue().has_value()) << "an unticked box writes no Run value";
    EXPECT_EQ(tessel.Close(), 0);
}

}  // namespace
}  // namespace tessel::e2e
