#include <gtest/gtest.h>

#include <set>

#include "settings_window/settings_form.h"

namespace tessel {
namespace {

using Texts = std::array<std::optional<std::string>, 4>;

const Texts kValid = {std::string("FFFFFFA5"), std::string("ff6262a5"), std::string("62FF62A5"), std::string("6262FFA5")};

TEST(SettingsWindowValidation, AllValidRowsGiveColoursInRowOrder) {
    const ColourValidation v = ValidateColourRows(kValid);
    ASSERT_TRUE(v.colours.has_value());
    EXPECT_EQ(v.firstBadRow, -1);
    EXPECT_EQ((*v.colours)[0], (Rgba{0xFF, 0xFF, 0xFF, 0xA5}));
    EXPECT_EQ((*v.colours)[1], (Rgba{0xFF, 0x62, 0x62, 0xA5}));
    EXPECT_EQ((*v.colours)[3], (Rgba{0x62, 0x62, 0xFF, 0xA5}));
}

TEST(SettingsWindowValidation, ReportsOnlyTheFirstBadRowInOrder) {
    Texts t = kValid;
    t[1] = "6262FF";      // six digits
    t[3] = "GG62FFA5";    // not hexadecimal
    ColourValidation v = ValidateColourRows(t);
    EXPECT_FALSE(v.colours.has_value());
    EXPECT_EQ(v.firstBadRow, 1);
    EXPECT_EQ(kColourRows[1].label, "영문 배경색");

    t[0] = std::nullopt;  // missing control or failed read
    v = ValidateColourRows(t);
    EXPECT_EQ(v.firstBadRow, 0);
    EXPECT_EQ(kColourRows[0].label, "상태 표시 글자색");

    Texts lastOnly = kValid;
    lastOnly[3] = "";
    EXPECT_EQ(ValidateColourRows(lastOnly).firstBadRow, 3);
    Texts spaced = kValid;
    spaced[2] = " 62FF62 ";  // spaces only fit around fewer than eight digits
    EXPECT_EQ(ValidateColourRows(spaced).firstBadRow, 2);
}

TEST(SettingsWindowValidation, ErrorTextStartsWithTheRowLabel) {
    EXPECT_EQ(ColourErrorText("상태 표시 글자색"),
              "상태 표시 글자색 값은 RRGGBBAA 형식의 8자리 16진수여야 합니다.\n\n예: 626262A5");
}

TEST(SettingsWindowForm, ApplyCopiesEverySwitchAndColour) {
    Settings s;
    SettingsFormValues form;
    form.checks = {true, false, true, false};
    form.positionIndex = 1;
    form.colours = {Rgba{1, 2, 3, 4}, Rgba{5, 6, 7, 8}, Rgba{9, 10, 11, 12}, Rgba{13, 14, 15, 16}};
    ApplySettingsForm(s, form);
    EXPECT_TRUE(s.PlaySounds);
    EXPECT_FALSE(s.PlayEnglishSound);
    EXPECT_TRUE(s.PlayJapaneseSound);
    EXPECT_FALSE(s.PlayKoreanSound);
    EXPECT_EQ(s.IndicatorPosition, IndicatorPosition::Above);
    EXPECT_EQ(ColoursInRowOrder(s), form.colours);
}

TEST(SettingsWindowForm, PositionIndexMapping) {
    auto positionAfter = [](IndicatorPosition start, int index) {
        Settings s;
        s.IndicatorPosition = start;
        SettingsFormValues form;
        form.positionIndex = index;
        ApplySettingsForm(s, form);
        return s.IndicatorPosition;
    };
    EXPECT_EQ(positionAfter(IndicatorPosition::Below, 0), IndicatorPosition::Right);
    EXPECT_EQ(positionAfter(IndicatorPosition::Below, 1), IndicatorPosition::Above);
    EXPECT_EQ(positionAfter(IndicatorPosition::Right, 2), IndicatorPosition::Below);
    EXPECT_EQ(positionAfter(IndicatorPosition::Right, 7), IndicatorPosition::Below);
    // No selection keeps what was there.
    EXPECT_EQ(positionAfter(IndicatorPosition::Above, -1), IndicatorPosition::Above);
    EXPECT_EQ(positionAfter(IndicatorPosition::Right, -1), IndicatorPosition::Right);
}

TEST(SettingsWindowForm, BadgeTimeAndProgramList) {
    // Each listed time selects its item and comes back from it.
    for (std::size_t i = 0; i < kBadgeSecondsChoices.size(); ++i) {
        Settings s;
        s.BadgeSeconds = 99;
        SettingsFormValues form;
        form.badgeTimeIndex = BadgeTimeIndex(kBadgeSecondsChoices[i]);
        EXPECT_EQ(form.badgeTimeIndex, static_cast<int>(i));
        ApplySettingsForm(s, form);
        EXPECT_EQ(s.BadgeSeconds, kBadgeSecondsChoices[i]);
    }

    Settings s;
    s.BadgeSeconds = 7;  // not offered: no item, and OK keeps it
    s.ExcludedPrograms = {"old.exe"};
    EXPECT_EQ(BadgeTimeIndex(7), -1);
    SettingsFormValues form;
    form.badgeTimeIndex = BadgeTimeIndex(7);
    ApplySettingsForm(s, form);
    EXPECT_EQ(s.BadgeSeconds, 7);
    EXPECT_EQ(s.ExcludedPrograms, std::vector<std::string>{"old.exe"}) << "no edit: the list stays";

    form.programsText = " notepad.exe ; ; Code.exe;NOTEPAD.EXE ";
    ApplySettingsForm(s, form);
    EXPECT_EQ(s.ExcludedPrograms, (std::vector<std::string>{"notepad.exe", "Code.exe"}));
    form.programsText = "";
    ApplySettingsForm(s, form);
    EXPECT_TRUE(s.ExcludedPrograms.empty());

    // The edit takes the longest list the settings can hold, even written with "; ".
    std::vector<std::string> longest(kMaxExcludedPrograms, std::string(kMaxExcludedProgramLength, 'x'));
    for (std::size_t i = 0; i < longest.size(); ++i) longest[i][0] = static_cast<char>('A' + i);
    std::string spaced;
    for (const std::string& name : longest) spaced += (spaced.empty() ? "" : "; ") + name;
    EXPECT_EQ(spaced.size(), static_cast<std::size_t>(kProgramsTextLimit));
    EXPECT_EQ(ParseProgramList(spaced), longest);
}

TEST(SettingsWindowForm, ControlTableIsConsistent) {
    std::set<int> ids;
    int edits = 0;
    for (const ControlSpec& c : kSettingsControls) {
        if (c.id != 0) {
            EXPECT_TRUE(ids.insert(c.id).second) << "duplicate id " << c.id;
        }
        if (c.kind == ControlKind::ColourEdit) {
            // Each edit follows the label that names it in the error box.
            EXPECT_EQ(c.id, kColourRows[static_cast<std::size_t>(edits)].editId);
            EXPECT_EQ((&c)[-1].text, kColourRows[static_cast<std::size_t>(edits)].label);
            ++edits;
        }
    }
    EXPECT_EQ(edits, 4);
    EXPECT_EQ(kSettingsControls.front().kind, ControlKind::GroupBox);
    EXPECT_EQ(kSettingsControls[kSettingsControls.size() - 2].id, kIdOk);
    EXPECT_EQ(kSettingsControls.back().id, kIdCancel);
}

}  // namespace
}  // namespace tessel
