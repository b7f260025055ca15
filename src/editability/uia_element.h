#pragma once
// Plain values for UI Automation answers, and an opaque element reference that
// releases what it holds when destroyed (so every reference is released once).
#include <cstdint>
#include <memory>

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
};

// A bounding rectangle as UI Automation reports it (screen pixels, doubles).
struct ElementRect {
    double left = 0;
    double top = 0;
    double width = 0;
    double height = 0;
};

// Property identifiers read by the window rules.
namespace uia_property {
constexpr int kProcessId = 30002;
constexpr int kControlType = 30003;
constexpr int kIsEnabled = 30010;
constexpr int kClassName = 30012;
constexpr int kNativeWindowHandle = 30020;
}  // namespace uia_property

namespace uia_control_type {
constexpr std::int32_t kEdit = 50004;
}  // namespace uia_control_type

// An element reference owned by whoever holds the pointer. Implementations
// derive from it and release their COM reference in the destructor.
class UiaElement {
public:
    virtual ~UiaElement() = default;
};
using UiaElementPtr = std::unique_ptr<UiaElement>;

}  // namespace tessel
