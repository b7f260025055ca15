#pragma once
// The caret and editability sources that live outside the window rules:
// UI Automation element reading and searches, the accessibility caret object
// and the console caret. Every method has a default
// answer: "no automation object", "no element", "not found", "undetermined".
// That is exactly how the program must behave where these services are absent
// (UI Automation and the caret object are missing under Wine), so the default
// object is a valid, complete source set; richer implementations override it.
#include <cstdint>
#include <optional>
#include <string>

#include "editability/caret_info.h"
#include "editability/uia_element.h"
#include "main/focus_snapshot.h"
#include "platform/types.h"

namespace tessel {

class CaretSources {
public:
    virtual ~CaretSources() = default;

    // --- accessibility caret object of a window (OBJID_CARET) ---
    // Found with X (right edge), Top, Bottom in screen pixels, or not found.
    virtual CaretInfo AccessibleCaret(WindowId /*window*/) { return {}; }

    // --- console ---
    virtual CaretInfo LocateConsoleCaret(const FocusSnapshot& /*snapshot*/, std::uint32_t /*defaultCompositionCells*/) {
        return {};
    }
    // Detaches from a console attached by LocateConsoleCaret, if any.
    virtual void ReleaseConsole() {}

    // --- UI Automation ---
    // Whether the automation object and its raw-view tree walker exist.
    virtual bool HasAutomation() { return false; }
    virtual bool HasWalker() { return false; }
    // The focused element (briefly cached by the implementation), or none.
    virtual UiaElementPtr FocusedElement(const FocusSnapshot& /*snapshot*/) { return nullptr; }
    // Empties the focused-element cache, releasing the element it holds.
    virtual void ReleaseFocusedElement() {}
    // The parent through the raw-view walker; none without a walker or on failure.
    virtual UiaElementPtr ParentElement(const UiaElement& /*element*/) { return nullptr; }
    // Property reads; empty when the read fails or has another type.
    virtual std::optional<bool> ReadBoolProperty(const UiaElement& /*element*/, int /*propertyId*/) { return std::nullopt; }
    virtual std::optional<std::int32_t> ReadI32Property(const UiaElement& /*element*/, int /*propertyId*/) {
        return std::nullopt;
    }
    // UTF-8 text of a string property.
    virtual std::optional<std::string> ReadStringProperty(const UiaElement& /*element*/, int /*propertyId*/) {
        return std::nullopt;
    }
    virtual Editability ElementEditability(const UiaElement& /*element*/) { return Editability::UnknownEditability; }
    virtual std::optional<ElementRect> ElementRectangle(const UiaElement& /*element*/) { return std::nullopt; }
    // Guess for an empty single-line field (scope window may be null).
    virtual CaretInfo EmptyFieldGuess(const UiaElement& /*element*/, WindowId /*scope*/) { return {}; }
    virtual bool IsTaskManagerSearchBox(const UiaElement& /*element*/, WindowId /*window*/) { return false; }
    // Bounded searches below an element (depth, budget of visited elements).
    virtual bool HasEditableDescendant(const UiaElement& /*element*/, int /*depth*/, int /*budget*/, WindowId /*scope*/) {
        return false;
    }
    virtual bool DescendantContainsPoint(const UiaElement& /*element*/, int /*depth*/, int /*budget*/,
                                         const CaretInfo& /*point*/, bool /*chromium*/) {
        return false;
    }
    // The complete UI Automation caret procedure around the focused element.
    virtual UiaCaret ResolveUiaCaret(const FocusSnapshot& /*snapshot*/, bool /*console*/, bool /*chromium*/,
                                     bool /*scopeToWindow*/) {
        return {};
    }
};

}  // namespace tessel
