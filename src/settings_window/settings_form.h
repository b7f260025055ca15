#pragma once
// The settings window's controls and what OK does with their values, as
// plain data: the control table, colour validation and the copy into the
// settings record.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

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

constexpr std::string_view kSettingsWindowClass = "Tessel.SettingsWindow";
constexpr std::string_view kSettingsWindowTitle = "Tessel 설정";
constexpr std::string_view kSettingsErrorCaption = "Tessel 설정 오류";
constexpr std::uint32_t kSettingsWindowExStyle = 0x00010001;  // WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT
constexpr std::uint32_t kSettingsWindowStyle = 0x02C80000;    // WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN

// Colour edits accept at most this many characters.
constexpr int kColourTextLimit = 8;

enum class ControlKind : std::uint8_t { GroupBox, CheckBox, Label, Combo, ColourEdit, OkButton, CancelButton };

struct ControlSpec {
    int id = 0;
    ControlKind kind = ControlKind::Label;
    std::string_view className;
    std::string_view text;  // empty for the combo box and the colour edits
    std::uint32_t style = 0;
};

// In creation order, which is also the Tab order.
extern const std::array<ControlSpec, 17> kSettingsControls;

// The combo box items, in IndicatorPosition order.
extern const std::array<std::string_view, 3> kPositionItems;

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
};

// Copies the confirmed form into the settings. A missing selection keeps the
// current position; an index beyond the list means Below.
void ApplySettingsForm(Settings& settings, const SettingsFormValues& form);

}  // namespace tessel
