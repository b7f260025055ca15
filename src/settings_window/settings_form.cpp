#include "settings_window/settings_form.h"

#include "config/settings_values.h"

namespace tessel {

namespace {
constexpr std::uint32_t kGroupStyle = 0x50000007;
constexpr std::uint32_t kCheckStyle = 0x50010003;
constexpr std::uint32_t kLabelStyle = 0x50000000;
constexpr std::uint32_t kComboStyle = 0x50010203;
constexpr std::uint32_t kEditStyle = 0x50810088;
constexpr std::uint32_t kProgramsEditStyle = 0x50810080;  // as the colour edits, without ES_UPPERCASE
constexpr std::uint32_t kDefButtonStyle = 0x50010001;
constexpr std::uint32_t kButtonStyle = 0x50010000;
}  // namespace

const std::array<ControlSpec, 22> kSettingsControls = {{
    {0, ControlKind::GroupBox, "BUTTON", "설정", kGroupStyle},
    {kIdPlaySounds, ControlKind::CheckBox, "BUTTON", "상태 변경 소리 전체 사용", kCheckStyle},
    {kIdPlayEnglish, ControlKind::CheckBox, "BUTTON", "영문 전환 소리 재생", kCheckStyle},
    {kIdPlayJapanese, ControlKind::CheckBox, "BUTTON", "일본어 전환 소리 재생", kCheckStyle},
    {kIdPlayKorean, ControlKind::CheckBox, "BUTTON", "한글 전환 소리 재생", kCheckStyle},
    {0, ControlKind::Label, "STATIC", "상태 표시 위치", kLabelStyle},
    {kIdPosition, ControlKind::Combo, "COMBOBOX", "", kComboStyle},
    {0, ControlKind::Label, "STATIC", "상태 표시 글자색", kLabelStyle},
    {kIdTextColour, ControlKind::ColourEdit, "EDIT", "", kEditStyle},
    {0, ControlKind::Label, "STATIC", "영문 배경색", kLabelStyle},
    {kIdEnglishColour, ControlKind::ColourEdit, "EDIT", "", kEditStyle},
    {0, ControlKind::Label, "STATIC", "일본어 배경색", kLabelStyle},
    {kIdJapaneseColour, ControlKind::ColourEdit, "EDIT", "", kEditStyle},
    {0, ControlKind::Label, "STATIC", "한글 배경색", kLabelStyle},
    {kIdKoreanColour, ControlKind::ColourEdit, "EDIT", "", kEditStyle},
    {0, ControlKind::Label, "STATIC", "배지 표시", kLabelStyle},
    {kIdBadgeTime, ControlKind::BadgeTimeCombo, "COMBOBOX", "", kComboStyle},
    {0, ControlKind::Label, "STATIC", "표시하지 않을 프로그램", kLabelStyle},
    {kIdExcludedPrograms, ControlKind::ProgramsEdit, "EDIT", "", kProgramsEditStyle},
    {kIdRunAtLogon, ControlKind::RunAtLogonCheckBox, "BUTTON", "Windows 시작 시 실행", kCheckStyle},
    {kIdOk, ControlKind::OkButton, "BUTTON", "확인", kDefButtonStyle},
    {kIdCancel, ControlKind::CancelButton, "BUTTON", "취소", kButtonStyle},
}};

const std::array<std::string_view, 3> kPositionItems = {"캐럿 오른쪽", "캐럿 위", "캐럿 아래"};

const std::array<std::string_view, 4> kBadgeTimeItems = {"항상", "3초 동안", "5초 동안", "10초 동안"};

int BadgeTimeIndex(std::uint8_t badgeSeconds) {
    for (std::size_t i = 0; i < kBadgeSecondsChoices.size(); ++i)
        if (kBadgeSecondsChoices[i] == badgeSeconds) return static_cast<int>(i);
    return -1;
}

const std::array<ColourRow, 4> kColourRows = {{
    {kIdTextColour, "상태 표시 글자색"},
    {kIdEnglishColour, "영문 배경색"},
    {kIdJapaneseColour, "일본어 배경색"},
    {kIdKoreanColour, "한글 배경색"},
}};

std::array<Rgba, 4> ColoursInRowOrder(const Settings& s) {
    return {s.IndicatorTextColor, s.EnglishBackgroundColor, s.JapaneseBackgroundColor, s.KoreanBackgroundColor};
}

ColourValidation ValidateColourRows(const std::array<std::optional<std::string>, 4>& texts) {
    std::array<Rgba, 4> colours{};
    for (int row = 0; row < 4; ++row) {
        const auto& text = texts[static_cast<std::size_t>(row)];
        std::optional<Rgba> parsed = text ? ParseRgba(*text) : std::nullopt;
        if (!parsed) return {std::nullopt, row};
        colours[static_cast<std::size_t>(row)] = *parsed;
    }
    return {colours, -1};
}

std::string ColourErrorText(std::string_view label) {
    std::string text(label);
    text += " 값은 RRGGBBAA 형식의 8자리 16진수여야 합니다.\n\n예: 626262A5";
    return text;
}

void ApplySettingsForm(Settings& s, const SettingsFormValues& form) {
    s.PlaySounds = form.checks[0];
    s.PlayEnglishSound = form.checks[1];
    s.PlayJapaneseSound = form.checks[2];
    s.PlayKoreanSound = form.checks[3];
    if (form.positionIndex == 0) {
        s.IndicatorPosition = IndicatorPosition::Right;
    } else if (form.positionIndex == 1) {
        s.IndicatorPosition = IndicatorPosition::Above;
    } else if (form.positionIndex != -1) {
        s.IndicatorPosition = IndicatorPosition::Below;
    }
    s.IndicatorTextColor = form.colours[0];
    s.EnglishBackgroundColor = form.colours[1];
    s.JapaneseBackgroundColor = form.colours[2];
    s.KoreanBackgroundColor = form.colours[3];
    if (form.badgeTimeIndex >= 0 && form.badgeTimeIndex < static_cast<int>(kBadgeSecondsChoices.size()))
        s.BadgeSeconds = kBadgeSecondsChoices[static_cast<std::size_t>(form.badgeTimeIndex)];
    if (form.programsText) s.ExcludedPrograms = ParseProgramList(*form.programsText);
}

}  // namespace tessel
