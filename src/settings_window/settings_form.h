#pragma once
// The settings window's controls and what OK does with their values, as
// plain data: the control table, colour validation and the copy into the
// settings record.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "config/program_list.h"
#include "config/settings.h"

namespace tessel {

// Control ids.
constexpr int kIdOk = 1;
constexpr int kIdCancel = 2;
constexpr int kIdPlaySounds = 2101;
constexpr int kIdPlayEnglish = 2102;
constexpr int kIdPlayJapanese = 2103;
constexpr int kIdPlayKorean = 2104;
constexpr int kIdPosition = 2105;
constexpr int kIdTextColour = 2106;
constexpr int kIdEnglishColour = 2107;
constexpr int kIdJapaneseColour = 2108;
constexpr int kIdKoreanColour = 2109;
constexpr int kIdBadgeTime = 2110;
constexpr int kIdExcludedPrograms = 2111;
constexpr int kIdRunAtLogon = 2112;

constexpr std::string_view kSettingsWindowClass = "Tessel.SettingsWindow";
constexpr std::string_view kSettingsWindowTitle = "Tessel 설정";
constexpr std::string_view kSettingsErrorCaption = "Tessel 설정 오류";
constexpr std::uint32_t kSettingsWindowExStyle = 0x00010001;  // WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT
constexpr std::uint32_t kSettingsWindowStyle = 0x02C80000;    // WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN

// Colour edits accept at most this many characters.
constexpr int kColourTextLimit = 8;
// Room for the longest list the settings keep, written with "; " between names.
constexpr int kProgramsTextLimit =
    static_cast<int>(kMaxExcludedPrograms * kMaxExcludedProgramLength + (kMaxExcludedPrograms - 1) * 2);

enum class ControlKind : std::uint8_t {
    GroupBox,
    CheckBox,
    Label,
    Combo,  // the badge position
    ColourEdit,
    BadgeTimeCombo,
    ProgramsEdit,
    RunAtLogonCheckBox,  // its truth is the registry, not the settings
    OkButton,
    CancelButton,
};

struct ControlSpec {
    int id = 0;
    ControlKind kind = ControlKind::Label;
    std::string_view className;
    std::string_view text;  // empty for the combo box and the colour edits
    std::uint32_t style = 0;
};

// In creation order, which is also the Tab order.
extern const std::array<ControlSpec, 22> kSettingsControls;

// The combo box items, in IndicatorPosition order.
extern const std::array<std::string_view, 3> kPositionItems;

// The badge-time items and the BadgeSeconds each stands for.
extern const std::array<std::string_view, 4> kBadgeTimeItems;
inline constexpr std::array<std::uint8_t, 4> kBadgeSecondsChoices = {0, 3, 5, 10};

// The item for a BadgeSeconds value; -1 (no selection) for a value the list
// does not offer, so that OK keeps it rather than guessing.
int BadgeTimeIndex(std::uint8_t badgeSeconds);

// The colour rows in validation order: edit id and the label the error
// message names.
struct ColourRow {
    int editId;
    std::string_view label;
};
extern const std::array<ColourRow, 4> kColourRows;

// The four colours of the settings in row order.
std::array<Rgba, 4> ColoursInRowOrder(const Settings& settings);

struct ColourValidation {
    std::optional<std::array<Rgba, 4>> colours;  // all four, when every row is valid
    int firstBadRow = -1;                        // index into kColourRows otherwise
};

// texts: each row's edit text, empty when the control is missing or could
// not be read. Rows are checked in order and the first bad one is reported.
ColourValidation ValidateColourRows(const std::array<std::optional<std::string>, 4>& texts);

// The body of the invalid-colour box for a row label.
std::string ColourErrorText(std::string_view label);

struct SettingsFormValues {
    std::array<bool, 4> checks{};        // 2101 to 2104
    int positionIndex = -1;              // combo selection; -1 when there is none
    std::array<Rgba, 4> colours{};       // validated, in row order
    int badgeTimeIndex = -1;             // -1 when there is none
    std::optional<std::string> programsText;  // as typed; empty when the edit is missing
};

// Copies the confirmed form into the settings. A missing selection keeps the
// current position; an index beyond the list means Below. A missing or
// unknown badge-time selection keeps BadgeSeconds; the program list is
// normalised as ParseProgramList does and kept when there is no text.
void ApplySettingsForm(Settings& settings, const SettingsFormValues& form);

}  // namespace tessel
