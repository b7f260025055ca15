// The real Tessel.exe under Wine: the settings window reached by a second
// start, its OK/Cancel/validation paths as they land in Tessel.ini, the tray
// commands posted to the main window, the save error box, the hint bubble and
// re-adding the icon after the taskbar restarts.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "e2e/e2e_support_win32.h"  // brings <windows.h> before <shellapi.h>

#include <shellapi.h>

namespace tessel::e2e {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr UINT kTrayNotify = WM_APP + 1;
constexpr UINT kIconId = 1;
constexpr WPARAM kCmdSounds = 1001;
constexpr WPARAM kCmdExit = 1004;
constexpr int kPlaySoundsBox = 2101;
constexpr int kPlayJapaneseBox = 2103;
constexpr int kPositionCombo = 2105;
constexpr int kTextColourEdit = 2106;
constexpr int kJapaneseColourEdit = 2108;
constexpr int kKoreanColourEdit = 2109;

// The values of the twelve lines Tessel writes; defaults unless changed.
struct Ini {
    bool english = true, japanese = true, korean = true, sounds = false;
    std::string position = "Below";
    std::string text = "FFFFFFA5", englishBg = "FF6262A5", japaneseBg = "62FF62A5", koreanBg = "6262FFA5";
    std::string badgeSeconds = "0", excludedPrograms;

    std::string Text() const {
        auto sw = [](bool b) { return std::string(b ? "1" : "0"); };
        return "[Settings]\r\n"
               "PlayEnglishSound=" + sw(english) + "\r\n"
               "PlayJapaneseSound=" + sw(japanese) + "\r\n"
               "PlayKoreanSound=" + sw(korean) + "\r\n"
               "PlaySounds=" + sw(sounds) + "\r\n"
               "IndicatorPosition=" + position + "\r\n"
               "IndicatorTextColor=" + text + "\r\n"
               "EnglishBackgroundColor=" + englishBg + "\r\n"
               "JapaneseBackgroundColor=" + japaneseBg + "\r\n"
               "KoreanBackgroundColor=" + koreanBg + "\r\n"
               "BadgeSeconds=" + badgeSeconds + "\r\n"
               "ExcludedPrograms=" + excludedPrograms + "\r\n";
    }
};

// A hand-written file with a few non-default values (lower-case key, LF ends).
const char* const kCustomFile =
    "[Settings]\n"
    "PlaySounds=1\n"
    "playjapanesesound=0\n"
    "IndicatorPosition=Above\n"
    "KoreanBackgroundColor=11223344\n";

Ini CustomValues() {
    Ini v;
    v.sounds = true;
    v.japanese = false;
    v.position = "Above";
    v.koreanBg = "11223344";
    return v;
}

// Text of a window of another process, asked for with WM_GETTEXT (which is
// marshalled), so that edit contents are current.
std::wstring TextOf(HWND window) {
    DWORD_PTR length = 0;
    if (!::SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &length)) return L"<no answer>";
    std::wstring buffer(length + 1, L'\0');
    DWORD_PTR got = 0;
    if (!::SendMessageTimeoutW(window, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()),
                               SMTO_ABORTIFHUNG, 5000, &got))
        return L"<no answer>";
    buffer.resize(std::min<std::size_t>(got, length));
    return buffer;
}

LRESULT Ask(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    DWORD_PTR result = 0;
    if (!::SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, 2000, &result)) return -12345;
    return static_cast<LRESULT>(result);
}

bool SetText(HWND window, const std::wstring& text) {
    return Ask(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str())) == TRUE;
}

std::vector<HWND> Visible(std::vector<HWND> windows) {
    windows.erase(std::remove_if(windows.begin(), windows.end(), [](HWND w) { return !::IsWindowVisible(w); }),
                  windows.end());
    return windows;
}

HWND SettingsWindow(RunningTessel& tessel) {
    auto w = WindowsOf(tessel.Proc().Id(), L"Tessel.SettingsWindow");
    return w.empty() ? nullptr : w.front();
}

// The body text of a message box: the static control with the longest text.
std::wstring BoxText(HWND box) {
    std::wstring best;
    for (HWND child = ::GetWindow(box, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        if (::lstrcmpiW(ClassOf(child).c_str(), L"Static") != 0) continue;
        std::wstring t = TextOf(child);
        if (t.size() > best.size()) best = t;
    }
    return best;
}

// The one visible message box of the process, or null.
HWND MessageBoxOf(RunningTessel& tessel) {
    auto boxes = Visible(WindowsOf(tessel.Proc().Id(), L"#32770"));
    return boxes.size() == 1 ? boxes.front() : nullptr;
}

HWND WaitForMessageBox(RunningTessel& tessel) {
    HWND box = nullptr;
    WaitFor([&] { return (box = MessageBoxOf(tessel)) != nullptr; }, 10s);
    return box;
}

bool NoMessageBox(RunningTessel& tessel) { return Visible(WindowsOf(tessel.Proc().Id(), L"#32770")).empty(); }

// Presses a message box's OK as its button would.
bool DismissBox(RunningTessel& tessel, HWND box) {
    ::PostMessageW(box, WM_COMMAND, IDOK, 0);
    return WaitFor([&] { return NoMessageBox(tessel); }, 10s);
}

// Clicks a push button of the settings window the way the button itself does
// (posted, so that a modal box opened by the click cannot block the test).
void Click(HWND window, int id) { ::PostMessageW(::GetDlgItem(window, id), BM_CLICK, 0, 0); }

// A second start hands over to the running instance, which opens its window.
HWND OpenSettingsBySecondStart(const Sandbox& sandbox, RunningTessel& tessel) {
    Process second(sandbox.Exe(), sandbox.Dir());
    DWORD code = 1;
    if (!second.Started() || !second.WaitExit(10s, &code) || code != 0) return nullptr;
    HWND settings = nullptr;
    WaitFor([&] { return (settings = SettingsWindow(tessel)) != nullptr && ::IsWindowVisible(settings); }, 10s);
    return settings;
}

bool WaitForFile(const Sandbox& sandbox, const std::string& content) {
    return WaitFor([&] { return sandbox.ReadFile(L"Tessel.ini") == content; }, 10s);
}

NOTIFYICONDATAW IconOf(HWND main) {
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof(data);
    data.hWnd = main;
    data.uID = kIconId;
    return data;
}

// NIM_MODIFY changing nothing succeeds only while the icon is present.
bool IconPresent(HWND main) {
    NOTIFYICONDATAW data = IconOf(main);
    return ::Shell_NotifyIconW(NIM_MODIFY, &data) != FALSE;
}

TEST(TraySettingsE2E, ExpectedDefaultFileIsTheTwoHundredSeventyFourByteText) {
    // Guards the expectation the other cases compare whole files against.
    EXPECT_EQ(Ini{}.Text().size(), 274u);
}

TEST(TraySettingsE2E, SecondStartShowsTheSettingsWindowWithTheFileValues) {
    Sandbox sandbox;
    sandbox.WriteFile(L"Tessel.ini", kCustomFile);
    RunningTessel tessel(sandbox);
    ASSERT_TRUE(tessel.Ready());
    EXPECT_EQ(SettingsWindow(tessel), nullptr) << "the window is not open at start-up";

    HWND settings = OpenSettingsBySecondStart(sandbox, tessel);
    ASSERT_NE(settings, nullptr) << "no visible Tessel.SettingsWindow of the running instance";
    EXPECT_EQ(TitleOf(settings), L"Tessel 설정");
    EXPECT_EQ(::GetWindow(settings, GW_OWNER), tessel.Main());
    RECT client{};
    ::GetClientRect(settings, &client);
    EXPECT_EQ(client.right - client.left, 414);
    EXPECT_EQ(client.bottom - client.top, 489);

    EXPECT_EQ(Ask(::GetDlgItem(settings, kPlaySoundsBox), BM_GETCHECK), BST_CHECKED);
    EXPECT_EQ(Ask(::GetDlgItem(settings, 2102), BM_GETCHECK), BST_CHECKED);
    EXPECT_EQ(Ask(::GetDlgItem(settings, kPlayJapaneseBox), BM_GETCHECK), BST_UNCHECKED);
    EXPECT_EQ(Ask(::GetDlgItem(settings, 2104), BM_GETCHECK), BST_CHECKED);
    HWND combo = ::GetDlgItem(settings, kPositionCombo);
    EXPECT_EQ(Ask(combo, CB_GETCOUNT), 3);
    EXPECT_EQ(Ask(combo, CB_GETCURSEL), 1) << "Above";
    EXPECT_EQ(TextOf(::GetDlgItem(settings, kTextColourEdit)), L"FFFFFFA5");
    EXPECT_EQ(TextOf(::GetDlgItem(settings, 2107)), L"FF6262A5");
    EXPECT_EQ(TextOf(::GetDlgItem(settings, kJapaneseColourEdit)), L"62FF62A5");
    EXPECT_EQ(TextOf(::GetDlgItem(settings, kKoreanColourEdit)), L"11223344");

    // A third start while it is open keeps the one window and the edit in progress.
    ASSERT_TRUE(SetText(::GetDlgItem(settings, kKoreanColourEdit), L"55667788"));
    EXPECT_EQ(OpenSettingsBySecondStart(sandbox, tessel), settings);
    EXPECT_EQ(WindowsOf(tessel.Proc().Id(), L"Tessel.SettingsWindow").size(), 1u);
    EXPECT_EQ(TextOf(::GetDlgItem(settings, kKoreanColourEdit)), L"55667788");

    EXPECT_EQ(tessel.Close(), 0);
}

TEST(TraySettingsE2E, OkWritesEveryFieldOfTheWindowAndClosesIt) {
    Sandbox sandbox;
    sandbox.WriteFile(L"Tessel.ini", kCustomFile);
    RunningTessel tessel(sandbox);
    ASSERT_TRUE(tessel.Ready());
    HWND settings = OpenSettingsBySecondStart(sandbox, tessel);
    ASSERT_NE(settings, nullptr);

    ASSERT_TRUE(SetText(::GetDlgItem(settings, kTextColourEdit), L"0a0b0c0d"));
    ASSERT_TRUE(SetText(::GetDlgItem(settings, kKoreanColourEdit), L"A1B2C3D4"));
    Ask(::GetDlgItem(settings, kPlaySoundsBox), BM_SETCHECK, BST_UNCHECKED);
    Ask(::GetDlgItem(settings, kPositionCombo), CB_SETCURSEL, 0);
    Click(settings, IDOK);
    ASSERT_TRUE(WaitFor([&] { return SettingsWindow(tessel) == nullptr; }, 10s)) << "OK did not close the window";

    Ini expected = CustomValues();
    expected.sounds = false;
    expected.position = "Right";
    expected.text = "0A0B0C0D";  // written upper-case whatever was typed
    expected.koreanBg = "A1B2C3D4";
    EXPECT_EQ(sandbox.ReadFile(L"Tessel.ini"), expected.Text());
    EXPECT_TRUE(NoMessageBox(tessel));

    // The values are live: opening again shows them.
    settings = OpenSettingsBySecondStart(sandbox, tessel);
    ASSERT_NE(settings, nullptr);
    EXPECT_EQ(TextOf(::GetDlgItem(settings, kTextColourEdit)), L"0A0B0C0D");
    EXPECT_EQ(Ask(::GetDlgItem(settings, kPositionCombo), CB_GETCURSEL), 0);
    EXPECT_EQ(Ask(::GetDlgItem(settings, kPlaySoundsBox), BM_GETCHECK), BST_UNCHECKED);
    EXPECT_EQ(tessel.Close(), 0);
}

TEST(TraySettingsE2E, OkWithoutChangesWritesTheDefaultFile) {
    Sandbox sandbox;
    RunningTessel tessel(sandbox);
    ASSERT_TRUE(tessel.Ready());
    HWND settings = OpenSettingsBySecondStart(sandbox, tessel);
    ASSERT_NE(settings, nullptr);
    EXPECT_FALSE(sandbox.Exists(L"Tessel.ini"));
    Click(settings, IDOK);
    ASSERT_TRUE(WaitFor([&] { return SettingsWindow(tessel) == nullptr; }, 10s));
    EXPECT_EQ(sandbox.ReadFile(L"Tessel.ini"), Ini{}.Text());
    EXPECT_EQ(tessel.Close(), 0);
}

TEST(TraySettingsE2E, ShortColourIsRefusedNamingItsRowAndNothingIsWritten) {
    Sandbox sandbox;
    RunningTessel tessel(sandbox);
    ASSERT_TRUE(tessel.Ready());
    HWND settings = OpenSettingsBySecondStart(sandbox, tessel);
    ASSERT_NE(settings, nullptr);

    // Two bad rows: only the first in row order is named. The check box
    // change must not be applied either.
    ASSERT_TRUE(SetText(::GetDlgItem(settings, kJapaneseColourEdit), L"62FF62"));
    ASSERT_TRUE(SetText(::GetDlgItem(settings, kKoreanColourEdit), L"XYZ"));
    Ask(::GetDlgItem(settings, kPlaySoundsBox), BM_SETCHECK, BST_CHECKED);
    Click(settings, IDOK);

    HWND box = WaitForMessageBox(tessel);
    ASSERT_NE(box, nullptr) << "no error box";
    EXPECT_EQ(TitleOf(box), L"Tessel 설정 오류");
    EXPECT_EQ(::GetWindow(box, GW_OWNER), settings);
    const std::wstring text = BoxText(box);
    EXPECT_EQ(text.rfind(L"일본어 배경색 값은 RRGGBBAA", 0), 0u) << "box text: " << ::testing::PrintToString(text);
    EXPECT_NE(text.find(L"예: 626262A5"), std::wstring::npos);
    EXPECT_FALSE(sandbox.Exists(L"Tessel.ini"));
    ASSERT_TRUE(DismissBox(tessel, box));

    // The window stays open with the typed text untouched.
    EXPECT_EQ(SettingsWindow(tessel), settings);
    EXPECT_TRUE(::IsWindowVisible(settings));
    EXPECT_EQ(TextOf(::GetDlgItem(settings, kJapaneseColourEdit)), L"62FF62");
    EXPECT_FALSE(sandbox.Exists(L"Tessel.ini"));

    // Nothing was taken over in memory either: after Cancel a new window
    // shows the old switch.
    Click(settings, IDCANCEL);
    ASSERT_TRUE(WaitFor([&] { return SettingsWindow(tessel) == nullptr; }, 10s));
    settings = OpenSettingsBySecondStart(sandbox, tessel);
    ASSERT_NE(settings, nullptr);
    EXPECT_EQ(Ask(::GetDlgItem(settings, kPlaySoundsBox), BM_GETCHECK), BST_UNCHECKED);

    // Valid values save everything, the check box included.
    Ask(::GetDlgItem(settings, kPlaySoundsBox), BM_SETCHECK, BST_CHECKED);
    ASSERT_TRUE(SetText(::GetDlgItem(settings, kJapaneseColourEdit), L"62FF62FF"));
    ASSERT_TRUE(SetText(::GetDlgItem(settings, kKoreanColourEdit), L"6262FFFF"));
    Click(settings, IDOK);
    ASSERT_TRUE(WaitFor([&] { return SettingsWindow(tessel) == nullptr; }, 10s));
    Ini expected;
    expected.sounds = true;
    expected.japaneseBg = "62FF62FF";
    expected.koreanBg = "6262FFFF";
    EXPECT_EQ(sandbox.ReadFile(L"Tessel.ini"), expected.Text());
    EXPECT_EQ(tessel.Close(), 0);
}

TEST(TraySettingsE2E, CancelDiscardsTheEditsAndWritesNothing) {
    Sandbox sandbox;
    RunningTessel tessel(sandbox);
    ASSERT_TRUE(tessel.Ready());
    HWND settings = OpenSettingsBySecondStart(sandbox, tessel);
    ASSERT_NE(settings, nullptr);
    ASSERT_TRUE(SetText(::GetDlgItem(settings, kTextColourEdit), L"01020304"));
    Ask(::GetDlgItem(settings, kPlaySoundsBox), BM_SETCHECK, BST_CHECKED);
    Click(settings, IDCANCEL);
    ASSERT_TRUE(WaitFor([&] { return SettingsWindow(tessel) == nullptr; }, 10s)) << "Cancel did not close the window";
    EXPECT_FALSE(sandbox.Exists(L"Tessel.ini"));

    settings = OpenSettingsBySecondStart(sandbox, tessel);
    ASSERT_NE(settings, nullptr);
    EXPECT_EQ(TextOf(::GetDlgItem(settings, kTextColourEdit)), L"FFFFFFA5");
    EXPECT_EQ(Ask(::GetDlgItem(settings, kPlaySoundsBox), BM_GETCHECK), BST_UNCHECKED);
    // The caption's close button (WM_CLOSE) discards as well.
    ::PostMessageW(settings, WM_CLOSE, 0, 0);
    ASSERT_TRUE(WaitFor([&] { return SettingsWindow(tessel) == nullptr; }, 10s));
    EXPECT_FALSE(sandbox.Exists(L"Tessel.ini"));
    EXPECT_EQ(tessel.Close(), 0);
}

TEST(TraySettingsE2E, SoundCommandAndDoubleClickToggleAndSave) {
    Sandbox sandbox;
    RunningTessel tessel(sandbox);
    ASSERT_TRUE(tessel.Ready());
    Ini on;
    on.sounds = true;

    ::PostMessageW(tessel.Main(), WM_COMMAND, kCmdSounds, 0);
    EXPECT_TRUE(WaitForFile(sandbox, on.Text())) << sandbox.ReadFile(L"Tessel.ini");
    ::PostMessageW(tessel.Main(), WM_COMMAND, kCmdSounds, 0);
    EXPECT_TRUE(WaitForFile(sandbox, Ini{}.Text())) << sandbox.ReadFile(L"Tessel.ini");
    // A double click on the icon is the same switch.
    ::PostMessageW(tessel.Main(), kTrayNotify, 0, MAKELPARAM(WM_LBUTTONDBLCLK, kIconId));
    EXPECT_TRUE(WaitForFile(sandbox, on.Text())) << sandbox.ReadFile(L"Tessel.ini");
    EXPECT_TRUE(NoMessageBox(tessel));
    EXPECT_EQ(tessel.Close(), 0);
}

TEST(TraySettingsE2E, ExitCommandEndsTheProcessWithZero) {
    Sandbox sandbox;
    RunningTessel tessel(sandbox);
    ASSERT_TRUE(tessel.Ready());
    ::PostMessageW(tessel.Main(), WM_COMMAND, kCmdExit, 0);
    DWORD code = 12345;
    ASSERT_TRUE(tessel.Proc().WaitExit(10s, &code)) << "the exit command did not end Tessel";
    EXPECT_EQ(code, 0u);
    EXPECT_FALSE(sandbox.Exists(L"Tessel.ini"));
}

TEST(TraySettingsE2E, FailedSaveShowsTheErrorBoxAndKeepsTheNewValue) {
    Sandbox sandbox;
    // A directory where the file should be: it cannot be opened for writing.
    const std::wstring ini = sandbox.Path(L"Tessel.ini");
    ASSERT_TRUE(::CreateDirectoryW(ini.c_str(), nullptr));
    RunningTessel tessel(sandbox);
    ASSERT_TRUE(tessel.Ready());

    ::PostMessageW(tessel.Main(), WM_COMMAND, kCmdSounds, 0);
    HWND box = WaitForMessageBox(tessel);
    ASSERT_NE(box, nullptr) << "no save error box";
    EXPECT_EQ(TitleOf(box), L"Tessel 설정 오류");
    EXPECT_EQ(::GetWindow(box, GW_OWNER), tessel.Main());
    const std::wstring text = BoxText(box);
    const std::wstring head = L"설정 파일을 저장하지 못했습니다.\n\n";
    EXPECT_EQ(text.rfind(head, 0), 0u) << ::testing::PrintToString(text);
    // The path as Tessel computed it from its own location (compared without
    // letter case: the temp directory's spelling may differ).
    std::wstring lowerText = text, lowerPath = ini;
    ::CharLowerW(lowerText.data());
    ::CharLowerW(lowerPath.data());
    EXPECT_NE(lowerText.find(lowerPath + L"\n\n"), std::wstring::npos) << ::testing::PrintToString(text);
    EXPECT_NE(text.find(L" (os error "), std::wstring::npos);
    EXPECT_EQ(text.back(), L')');
    EXPECT_TRUE(tessel.Proc().Running());
    ASSERT_TRUE(DismissBox(tessel, box));
    EXPECT_TRUE(tessel.Proc().Running());

    // The switch stayed on in memory: the settings window shows it.
    HWND settings = OpenSettingsBySecondStart(sandbox, tessel);
    ASSERT_NE(settings, nullptr);
    EXPECT_EQ(Ask(::GetDlgItem(settings, kPlaySoundsBox), BM_GETCHECK), BST_CHECKED);
    // 확인 fails alike; its box holds the settings window until dismissed.
    Click(settings, IDOK);
    box = WaitForMessageBox(tessel);
    ASSERT_NE(box, nullptr) << "no save error box after 확인";
    EXPECT_EQ(::GetWindow(box, GW_OWNER), settings);
    EXPECT_FALSE(::IsWindowEnabled(settings)) << "a second 확인 could save again under the box";
    ASSERT_TRUE(DismissBox(tessel, box));
    ASSERT_TRUE(WaitFor([&] { return SettingsWindow(tessel) == nullptr; }, 10s));

    // With the obstacle gone, the next toggle turns it off and saves that.
    ASSERT_TRUE(::RemoveDirectoryW(ini.c_str()));
    ::PostMessageW(tessel.Main(), WM_COMMAND, kCmdSounds, 0);
    EXPECT_TRUE(WaitForFile(sandbox, Ini{}.Text())) << sandbox.ReadFile(L"Tessel.ini");
    EXPECT_TRUE(NoMessageBox(tessel));
    EXPECT_EQ(tessel.Close(), 0);
}

TEST(TraySettingsE2E, LeftClickShowsTheHintForAboutTwoSeconds) {
    Sandbox sandbox;
    RunningTessel tessel(sandbox);
    ASSERT_TRUE(tessel.Ready());
    // The icon is added in WM_CREATE, which may still run when the window is first found.
    ASSERT_TRUE(WaitFor([&] { return IconPresent(tessel.Main()); }, 5s)) << "Tessel's tray icon is missing";
    auto hints = [&] {
        std::vector<HWND> out;
        for (HWND w : Visible(WindowsOf(tessel.Proc().Id())))
            if (::lstrcmpiW(ClassOf(w).c_str(), L"Static") == 0) out.push_back(w);
        return out;
    };
    ASSERT_TRUE(hints().empty());

    ::PostMessageW(tessel.Main(), kTrayNotify, MAKEWPARAM(640, 700), MAKELPARAM(NIN_SELECT, kIconId));
    ASSERT_TRUE(WaitFor([&] { return hints().size() == 1; }, 5s, 5ms)) << "no hint after NIN_SELECT";
    const auto shown = Clock::now();
    HWND hint = hints().front();
    EXPECT_EQ(TextOf(hint), L"설정을 변경하려면 우클릭하세요.");
    EXPECT_EQ(::GetWindow(hint, GW_OWNER), tessel.Main());
    EXPECT_NE(::GetWindowLongPtrW(hint, GWL_EXSTYLE) & WS_EX_TOPMOST, 0);

    // What the user sees: the bubble disappears after two seconds. (Under
    // Xvfb without a window manager Wine then needs two more seconds to
    // finish destroying a window that was activated, so the handle outlives
    // the picture.)
    ASSERT_TRUE(WaitFor([&] { return !::IsWindowVisible(hint); }, 6s, 5ms)) << "the hint stayed";
    const auto lifetime = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - shown);
    EXPECT_GE(lifetime.count(), 1800);
    EXPECT_LE(lifetime.count(), 3000);
    EXPECT_TRUE(WaitFor([&] { return !::IsWindow(hint); }, 6s)) << "the hint was hidden but not destroyed";

    // WM_LBUTTONUP is a left click as well.
    ::PostMessageW(tessel.Main(), kTrayNotify, MAKEWPARAM(640, 700), MAKELPARAM(WM_LBUTTONUP, kIconId));
    EXPECT_TRUE(WaitFor([&] { return hints().size() == 1; }, 5s));
    EXPECT_EQ(tessel.Close(), 0);
}

TEST(TraySettingsE2E, TaskbarCreatedAddsTheIconAgain) {
    Sandbox sandbox;
    RunningTessel tessel(sandbox);
    ASSERT_TRUE(tessel.Ready());
    HWND main = tessel.Main();
    ASSERT_TRUE(WaitFor([&] { return IconPresent(main); }, 5s)) << "Tessel's tray icon is missing";

    // Take the icon away as a restarting taskbar would lose it.
    NOTIFYICONDATAW gone = IconOf(main);
    ASSERT_TRUE(::Shell_NotifyIconW(NIM_DELETE, &gone));
    ASSERT_FALSE(IconPresent(main)) << "the check cannot tell a missing icon";

    const UINT taskbarCreated = ::RegisterWindowMessageW(L"TaskbarCreated");
    ASSERT_NE(taskbarCreated, 0u);
    Ask(main, taskbarCreated);
    EXPECT_TRUE(WaitFor([&] { return IconPresent(main); }, 5s)) << "the icon was not added again";

    // It is a working icon again: a left click shows the hint.
    ::PostMessageW(main, kTrayNotify, MAKEWPARAM(640, 700), MAKELPARAM(NIN_SELECT, kIconId));
    EXPECT_TRUE(WaitFor([&] {
        for (HWND w : Visible(WindowsOf(tessel.Proc().Id())))
            if (::lstrcmpiW(ClassOf(w).c_str(), L"Static") == 0) return true;
        return false;
    }, 5s));
    EXPECT_EQ(tessel.Close(), 0);
    // Shutdown takes the icon away.
    EXPECT_FALSE(IconPresent(main));
}

}  // namespace
}  // namespace tessel::e2e
