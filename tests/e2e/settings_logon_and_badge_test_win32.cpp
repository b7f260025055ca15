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

void WriteRunValue(const RunValue& value) {
    ::RegSetKeyValueW(HKEY_CURRENT_USER, kRunKey, L"Tessel", value.type, value.text.c_str(),
                      static_cast<DWORD>((value.text.size() + 1) * sizeof(wchar_t)));
}

void DeleteRunValue() { ::RegDeleteKeyValueW(HKEY_CURRENT_USER, kRunKey, L"Tessel"); }

// Puts back whatever the prefix held, so that no later start of the prefix
// runs a sandbox that is gone.
class RunValueGuard {
public:
    RunValueGuard() : saved_(ReadRunValue()) { DeleteRunValue(); }
    ~RunValueGuard() {
        if (saved_) WriteRunValue(*saved_);
        else DeleteRunValue();
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

bool NoMessageBox(RunningTessel& tessel) {
    for (HWND w : WindowsOf(tessel.Proc().Id(), L"#32770"))
        if (::IsWindowVisible(w)) return false;
    return true;
}

// One round of the window: the box as it opens, as it is set, the button
// pressed, and whose Run value is there after.
enum class Owner { kNone, kThisCopy, kOtherCopy };
struct Round {
    LRESULT shown;
    bool tick;
    int button;
    Owner after;
};

constexpr wchar_t kOtherCopy[] = L"\"C:\\Elsewhere\\Tessel\\Tessel.exe\"";

TEST(RunAtLogonE2E, OkWritesOrRemovesThisCopysValueAndLeavesAnothersAlone) {
    const struct {
        const char* name;
        bool otherCopyFirst;
        std::vector<Round> rounds;
    } cases[] = {
        // Ticking writes this path, unticking removes it, Cancel changes nothing.
        {"no value before", false,
         {{BST_UNCHECKED, true, IDOK, Owner::kThisCopy},
          {BST_CHECKED, false, IDOK, Owner::kNone},
          {BST_UNCHECKED, true, IDCANCEL, Owner::kNone}}},
        // Another copy's value shows unchecked and is left alone; ticking takes it over.
        {"another copy's value before", true,
         {{BST_UNCHECKED, false, IDOK, Owner::kOtherCopy}, {BST_UNCHECKED, true, IDOK, Owner::kThisCopy}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RunValueGuard guard;
        if (c.otherCopyFirst) WriteRunValue({REG_SZ, kOtherCopy});
        Sandbox sandbox;
        RunningTessel tessel(sandbox);
        ASSERT_TRUE(tessel.Ready());
        for (std::size_t i = 0; i < c.rounds.size(); ++i) {
            SCOPED_TRACE(::testing::Message() << "round " << i + 1);
            const Round& r = c.rounds[i];
            HWND settings = OpenSettings(sandbox, tessel);
            ASSERT_NE(settings, nullptr) << "the settings window did not open";
            HWND box = ::GetDlgItem(settings, kRunAtLogonBox);
            EXPECT_EQ(Ask(box, BM_GETCHECK), r.shown);
            Ask(box, BM_SETCHECK, r.tick ? BST_CHECKED : BST_UNCHECKED);
            ::PostMessageW(::GetDlgItem(settings, r.button), BM_CLICK, 0, 0);
            ASSERT_TRUE(WaitFor([&] { return SettingsWindow(tessel) == nullptr; }, 10s)) << "the window did not close";
            const auto value = ReadRunValue();
            ASSERT_EQ(value.has_value(), r.after != Owner::kNone) << "whether a Run value is there";
            if (r.after == Owner::kOtherCopy) {
                EXPECT_EQ(value->text, kOtherCopy);
            } else if (r.after == Owner::kThisCopy) {
                EXPECT_EQ(value->type, static_cast<DWORD>(REG_SZ));
                EXPECT_TRUE(SameIgnoringCase(value->text, L"\"" + sandbox.Exe() + L"\""))
                    << ::testing::PrintToString(value->text);
            }
            EXPECT_TRUE(NoMessageBox(tessel));
        }
        EXPECT_EQ(tessel.Close(), 0);
    }
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
    ASSERT_EQ(Ask(programs, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L" notepad.exe ; Code.exe;NOTEPAD.EXE ")), TRUE);
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
