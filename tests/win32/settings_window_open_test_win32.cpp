// The settings window on the real desktop: its controls, initial values,
// keyboard order, OK, Cancel and the invalid-colour box.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "config/settings_values.h"
#include "settings_window/run_at_logon.h"
#include "settings_window/settings_form.h"
#include "settings_window/settings_layout.h"
#include "tray_settings_fixture_win32.h"

namespace tessel::testing {
namespace {

class SettingsWindowWin32 : public TraySettingsFixture {
protected:
    HWND Open() {
        OpenSettingsWindow(*state_);
        return ToHwnd(state_->settingsWindow);
    }
    HWND Item(int id) const { return GetDlgItem(ToHwnd(state_->settingsWindow), id); }
    void SetText(int id, const wchar_t* text) { SetWindowTextW(Item(id), text); }
    void Press(int id) { SendMessageW(ToHwnd(state_->settingsWindow), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }
    static int CountSettingsWindows() {
        int count = 0;
        for (HWND w = FindWindowExW(nullptr, nullptr, L"Tessel.SettingsWindow", nullptr); w;
             w = FindWindowExW(nullptr, w, L"Tessel.SettingsWindow", nullptr)) {
            DWORD pid = 0;
            GetWindowThreadProcessId(w, &pid);
            if (pid == GetCurrentProcessId()) ++count;
        }
        return count;
    }
};

TEST_F(SettingsWindowWin32, WindowHasTitleStylesOwnerAndClientSize) {
    HWND w = Open();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(TextOf(w), L"Tessel \uC124\uC815");  // "Tessel 설정"
    EXPECT_EQ(ClassOf(w), L"Tessel.SettingsWindow");
    const auto style = static_cast<DWORD>(GetWindowLongPtrW(w, GWL_STYLE));
    EXPECT_EQ(style & 0x02C80000u, 0x02C80000u);
    EXPECT_EQ(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX), 0u);
    const auto exStyle = static_cast<DWORD>(GetWindowLongPtrW(w, GWL_EXSTYLE));
    EXPECT_EQ(exStyle & 0x00010001u, 0x00010001u);
    EXPECT_EQ(GetWindow(w, GW_OWNER), MainHwnd(*state_));
    EXPECT_TRUE(IsWindowVisible(w));
    RECT client{};
    ASSERT_TRUE(GetClientRect(w, &client));
    EXPECT_EQ(client.right, 414);
    EXPECT_EQ(client.bottom, 489);
    EXPECT_EQ(reinterpret_cast<AppState*>(GetWindowLongPtrW(w, GWLP_USERDATA)), state_.get());
}

TEST_F(SettingsWindowWin32, InsideOfTheGroupBoxShowsTheWindowBackground) {
    HWND w = Open();
    ASSERT_NE(w, nullptr);
    RedrawWindow(w, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    // A point inside the group frame but between its controls: the group box
    // paints only its frame, so this shows whatever the window painted there.
    HWND group = GetWindow(w, GW_CHILD);
    ASSERT_NE(group, nullptr);
    RECT box{};
    GetWindowRect(group, &box);
    HWND first = GetDlgItem(w, 2101);
    RECT check{};
    GetWindowRect(first, &check);
    POINT probe{box.left + 8, (box.top + check.top) / 2 + 4};
    ASSERT_LT(probe.y, check.top);
    HDC screen = GetDC(nullptr);
    COLORREF seen = GetPixel(screen, probe.x, probe.y);
    ReleaseDC(nullptr, screen);
    EXPECT_EQ(seen, GetSysColor(COLOR_WINDOW));
}

TEST_F(SettingsWindowWin32, ControlsInCreationOrderWithIdsClassesTextsAndPlaces) {
    state_->settings.PlaySounds = true;
    state_->settings.PlayJapaneseSound = false;
    state_->settings.IndicatorPosition = IndicatorPosition::Above;
    state_->settings.KoreanBackgroundColor = {0x0a, 0xbc, 0xde, 0xf0};
    HWND w = Open();
    ASSERT_NE(w, nullptr);

    const SettingsLayout layout = ComputeSettingsLayout(414, 489);
    std::vector<HWND> children;
    for (HWND c = GetWindow(w, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) children.push_back(c);
    ASSERT_EQ(children.size(), kSettingsControls.size());
    for (std::size_t i = 0; i < children.size(); ++i) {
        const ControlSpec& entry = kSettingsControls[i];
        HWND c = children[i];
        SCOPED_TRACE(i);
        EXPECT_EQ(GetDlgCtrlID(c), entry.id);
        EXPECT_EQ(CompareStringOrdinal(ClassOf(c).c_str(), -1, Wide(entry.className).c_str(), -1, TRUE), CSTR_EQUAL);
        const bool edit = entry.kind == ControlKind::ColourEdit || entry.kind == ControlKind::ProgramsEdit;
        if (!edit && entry.kind != ControlKind::Combo && entry.kind != ControlKind::BadgeTimeCombo) {
            EXPECT_EQ(TextOf(c), Wide(entry.text));
        }
        // The edit control keeps WS_BORDER to itself and draws the frame.
        const DWORD expected = edit ? entry.style & ~DWORD{WS_BORDER} : entry.style;
        const auto style = static_cast<DWORD>(GetWindowLongPtrW(c, GWL_STYLE));
        EXPECT_EQ(style & expected, expected);
        EXPECT_EQ(SendMessageW(c, WM_GETFONT, 0, 0), reinterpret_cast<LRESULT>(GetStockObject(DEFAULT_GUI_FONT)));
    }
    // Places: the first check box, a colour edit and the buttons.
    auto placeOf = [&](HWND c) {
        RECT r{};
        GetWindowRect(c, &r);
        MapWindowPoints(nullptr, w, reinterpret_cast<POINT*>(&r), 2);
        return ControlBox{r.left, r.top, r.right - r.left, r.bottom - r.top};
    };
    EXPECT_EQ(placeOf(Item(kIdPlaySounds)), layout.checkBoxes[0]);
    EXPECT_EQ(placeOf(Item(kIdJapaneseColour)), layout.colourEdits[2]);
    EXPECT_EQ(placeOf(Item(kIdOk)), layout.ok);
    EXPECT_EQ(placeOf(Item(kIdCancel)), layout.cancel);
    EXPECT_EQ(placeOf(Item(kIdExcludedPrograms)), layout.programsEdit);
    EXPECT_EQ(placeOf(Item(kIdRunAtLogon)), layout.runAtLogon);
    EXPECT_EQ(placeOf(children[0]), layout.groupBox);

    // Current values.
    EXPECT_EQ(SendMessageW(Item(kIdPlaySounds), BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(SendMessageW(Item(kIdPlayEnglish), BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(SendMessageW(Item(kIdPlayJapanese), BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_EQ(SendMessageW(Item(kIdPlayKorean), BM_GETCHECK, 0, 0), BST_CHECKED);
    HWND combo = Item(kIdPosition);
    ASSERT_EQ(SendMessageW(combo, CB_GETCOUNT, 0, 0), 3);
    for (int i = 0; i < 3; ++i) {
        wchar_t item[64] = {};
        SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item));
        EXPECT_EQ(std::wstring(item), Wide(kPositionItems[static_cast<std::size_t>(i)]));
    }
    EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), 1);
    EXPECT_EQ(TextOf(Item(kIdTextColour)), L"FFFFFFA5");
    EXPECT_EQ(TextOf(Item(kIdEnglishColour)), L"FF6262A5");
    EXPECT_EQ(TextOf(Item(kIdJapaneseColour)), L"62FF62A5");
    EXPECT_EQ(TextOf(Item(kIdKoreanColour)), L"0ABCDEF0");
    EXPECT_EQ(SendMessageW(Item(kIdKoreanColour), EM_GETLIMITTEXT, 0, 0), 8);
    EXPECT_EQ(SendMessageW(Item(kIdBadgeTime), CB_GETCOUNT, 0, 0), 4);
    EXPECT_EQ(SendMessageW(Item(kIdExcludedPrograms), EM_GETLIMITTEXT, 0, 0), kProgramsTextLimit);
}

TEST_F(SettingsWindowWin32, TabOrderFollowsCreationOrder) {
    HWND w = Open();
    ASSERT_NE(w, nullptr);
    const int order[] = {kIdPlaySounds,    kIdPlayEnglish, kIdPlayJapanese,     kIdPlayKorean,
                         kIdPosition,      kIdTextColour,  kIdEnglishColour,    kIdJapaneseColour,
                         kIdKoreanColour,  kIdBadgeTime,   kIdExcludedPrograms, kIdRunAtLogon,
                         kIdOk,            kIdCancel};
    HWND at = Item(order[0]);
    for (std::size_t i = 1; i <= std::size(order); ++i) {
        at = GetNextDlgTabItem(w, at, FALSE);
        ASSERT_NE(at, nullptr);
        EXPECT_EQ(GetDlgCtrlID(at), order[i % std::size(order)]) << "step " << i;
    }
}

TEST_F(SettingsWindowWin32, TypedDigitsAreUpperCasedAndLimitedToEight) {
    ASSERT_NE(Open(), nullptr);
    HWND edit = Item(kIdEnglishColour);
    SetWindowTextW(edit, L"");
    for (wchar_t c : std::wstring(L"abcdef123")) SendMessageW(edit, WM_CHAR, c, 0);
    EXPECT_EQ(TextOf(edit), L"ABCDEF12");
}

TEST_F(SettingsWindowWin32, SecondOpenKeepsTheOneWindowAndItsEdits) {
    HWND first = Open();
    ASSERT_NE(first, nullptr);
    SetText(kIdEnglishColour, L"1234");
    SendMessageW(Item(kIdPlayKorean), BM_SETCHECK, BST_UNCHECKED, 0);
    OpenSettingsWindow(*state_);
    EXPECT_EQ(ToHwnd(state_->settingsWindow), first);
    EXPECT_EQ(CountSettingsWindows(), 1);
    EXPECT_EQ(TextOf(Item(kIdEnglishColour)), L"1234");
    EXPECT_EQ(SendMessageW(Item(kIdPlayKorean), BM_GETCHECK, 0, 0), BST_UNCHECKED);
}

TEST_F(SettingsWindowWin32, OkAppliesEveryFieldSavesAndForgetsTheLastMode) {
    state_->mode.LastMode = InputMode::Korean;
    HWND w = Open();
    ASSERT_NE(w, nullptr);
    SetText(kIdEnglishColour, L"12345678");
    SendMessageW(Item(kIdPlaySounds), BM_SETCHECK, BST_CHECKED, 0);
    SendMessageW(Item(kIdPlayEnglish), BM_SETCHECK, BST_UNCHECKED, 0);
    SendMessageW(Item(kIdPosition), CB_SETCURSEL, 0, 0);
    Press(IDOK);

    EXPECT_FALSE(IsWindow(w));
    EXPECT_EQ(state_->settingsWindow, kNoWindow);
    EXPECT_EQ(state_->settings.EnglishBackgroundColor, (Rgba{0x12, 0x34, 0x56, 0x78}));
    EXPECT_TRUE(state_->settings.PlaySounds);
    EXPECT_FALSE(state_->settings.PlayEnglishSound);
    EXPECT_TRUE(state_->settings.PlayKoreanSound);
    EXPECT_EQ(state_->settings.IndicatorPosition, IndicatorPosition::Right);
    EXPECT_EQ(state_->mode.LastMode, InputMode::None);
    const std::string file = SettingsFileText();
    EXPECT_NE(file.find("EnglishBackgroundColor=12345678"), std::string::npos) << file;
    EXPECT_NE(file.find("PlaySounds=1"), std::string::npos) << file;
}

TEST_F(SettingsWindowWin32, RegistryFailureIsShownAndTheOtherSettingsAreSaved) {
    registration_.writeError = RegistryError{5, "Access is denied."};
    HWND w = Open();
    ASSERT_NE(w, nullptr);
    SendMessageW(Item(kIdRunAtLogon), BM_SETCHECK, BST_CHECKED, 0);
    SendMessageW(Item(kIdBadgeTime), CB_SETCURSEL, 3, 0);
    MessageBoxCloser closer(L"Tessel \uC124\uC815 \uC624\uB958");  // "Tessel 설정 오류"
    Press(IDOK);
    ASSERT_TRUE(closer.Found());
    EXPECT_EQ(closer.Owner(), w) << "a second 확인 could run under the box";
    EXPECT_TRUE(closer.AnyTextIs(Wide(RunAtLogonErrorText(*registration_.writeError))));
    EXPECT_FALSE(IsWindow(w));
    EXPECT_EQ(state_->settings.BadgeSeconds, 10);
    EXPECT_TRUE(SettingsFileExists());
}

TEST_F(SettingsWindowWin32, UnchangedOkRewritesTheFile) {
    Open();
    Press(IDOK);
    EXPECT_EQ(state_->settings, Settings{});
    EXPECT_TRUE(SettingsFileExists());
}

TEST_F(SettingsWindowWin32, InvalidColourNamesTheFirstBadRowAndChangesNothing) {
    state_->mode.LastMode = InputMode::Korean;
    HWND w = Open();
    ASSERT_NE(w, nullptr);
    SetText(kIdJapaneseColour, L"62FF62");  // six digits
    SetText(kIdKoreanColour, L"XYZ");
    SendMessageW(Item(kIdPlaySounds), BM_SETCHECK, BST_CHECKED, 0);
    SendMessageW(Item(kIdPosition), CB_SETCURSEL, 0, 0);

    MessageBoxCloser closer(L"Tessel \uC124\uC815 \uC624\uB958");  // "Tessel 설정 오류"
    Press(IDOK);
    ASSERT_TRUE(closer.Found());
    EXPECT_EQ(closer.Owner(), w);
    EXPECT_TRUE(closer.AnyTextIs(Wide(ColourErrorText("일본어 배경색")))) << "box texts did not match";

    EXPECT_TRUE(IsWindow(w));
    EXPECT_EQ(ToHwnd(state_->settingsWindow), w);
    EXPECT_EQ(state_->settings, Settings{});
    EXPECT_EQ(state_->mode.LastMode, InputMode::Korean);
    EXPECT_FALSE(SettingsFileExists());
    EXPECT_EQ(TextOf(Item(kIdJapaneseColour)), L"62FF62");  // the user's text stays
}

TEST_F(SettingsWindowWin32, TextLongerThanAColourIsNotCutToAValidPrefix) {
    HWND w = Open();
    ASSERT_NE(w, nullptr);
    // Set from outside, past the typing limit.
    SetText(kIdTextColour, L"123456789");
    MessageBoxCloser closer(L"Tessel \uC124\uC815 \uC624\uB958");
    Press(IDOK);
    ASSERT_TRUE(closer.Found());
    EXPECT_TRUE(closer.AnyTextIs(Wide(ColourErrorText("상태 표시 글자색"))));
    EXPECT_TRUE(IsWindow(w));
    EXPECT_EQ(state_->settings, Settings{});
}

TEST_F(SettingsWindowWin32, CancelAndCloseDiscardTheEdits) {
    HWND w = Open();
    ASSERT_NE(w, nullptr);
    SetText(kIdTextColour, L"00000000");
    SendMessageW(Item(kIdPlaySounds), BM_SETCHECK, BST_CHECKED, 0);
    Press(IDCANCEL);
    EXPECT_FALSE(IsWindow(w));
    EXPECT_EQ(state_->settingsWindow, kNoWindow);
    EXPECT_EQ(state_->settings, Settings{});
    EXPECT_FALSE(SettingsFileExists());

    HWND again = Open();
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(TextOf(Item(kIdTextColour)), L"FFFFFFA5");  // a fresh window shows the settings again
    SendMessageW(again, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(again));
    EXPECT_EQ(state_->settingsWindow, kNoWindow);
    EXPECT_FALSE(SettingsFileExists());
}

TEST_F(SettingsWindowWin32, EscapeAndEnterThroughTheDialogManager) {
    HWND w = Open();
    ASSERT_NE(w, nullptr);
    SetText(kIdKoreanColour, L"01020304");
    SetFocus(Item(kIdKoreanColour));
    MSG enter{Item(kIdKoreanColour), WM_KEYDOWN, VK_RETURN, 0, 0, {}};
    EXPECT_TRUE(IsDialogMessageW(w, &enter));
    Pump(std::chrono::milliseconds(50));
    EXPECT_FALSE(IsWindow(w));
    EXPECT_EQ(state_->settings.KoreanBackgroundColor, (Rgba{1, 2, 3, 4}));

    HWND second = Open();
    ASSERT_NE(second, nullptr);
    SetFocus(Item(kIdTextColour));
    MSG escape{Item(kIdTextColour), WM_KEYDOWN, VK_ESCAPE, 0, 0, {}};
    EXPECT_TRUE(IsDialogMessageW(second, &escape));
    Pump(std::chrono::milliseconds(50));
    EXPECT_FALSE(IsWindow(second));
}

}  // namespace
}  // namespace tessel::testing
