#pragma once
// Plain values for UI Automation answers and the identifiers the caret and
// editability procedures read.
#include <cstdint>

namespace tessel {

// Editability of one UI Automation element, from its properties.
enum class Editability : std::uint8_t {
    TextInput = 0,
    EditableDocument = 1,
    NotEditable = 2,
    StaticText = 3,
    CodeOrPresentation = 4,
    UnknownEditability = 5,
};

// Three-way answer of the UI Automation caret procedures.
enum class UiaCaretKind : std::uint32_t { CaretFound = 0, NoCaret = 1, Undetermined = 2 };

struct UiaCaret {
    UiaCaretKind kind = UiaCaretKind::Undetermined;
    std::int32_t X = 0;
    std::int32_t Top = 0;
    std::int32_t Bottom = 0;
    friend constexpr bool operator==(const UiaCaret&, const UiaCaret&) = default;
};

// A bounding rectangle as UI Automation reports it (screen pixels, doubles).
struct ElementRect {
    double left = 0;
    double top = 0;
    double width = 0;
    double height = 0;
};

namespace uia_property {
constexpr int kBoundingRectangle = 30001;
constexpr int kProcessId = 30002;
constexpr int kControlType = 30003;
constexpr int kName = 30005;
constexpr int kHasKeyboardFocus = 30008;
constexpr int kIsKeyboardFocusable = 30009;
constexpr int kIsEnabled = 30010;
constexpr int kClassName = 30012;
constexpr int kNativeWindowHandle = 30020;
constexpr int kIsTextPatternAvailable = 30040;
constexpr int kIsValuePatternAvailable = 30043;
constexpr int kValueValue = 30045;
constexpr int kValueIsReadOnly = 30046;
constexpr int kLegacyIAccessibleState = 30096;
constexpr int kAriaRole = 30101;
constexpr int kIsTextEditPatternAvailable = 30149;
}  // namespace uia_property

namespace uia_control_type {
constexpr std::int32_t kComboBox = 50003;
constexpr std::int32_t kEdit = 50004;
constexpr std::int32_t kText = 50020;
constexpr std::int32_t kGroup = 50026;
constexpr std::int32_t kDocument = 50030;
}  // namespace uia_control_type

}  // namespace tessel
