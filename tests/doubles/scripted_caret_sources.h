#pragma once
// Scripted caret sources: a small UI Automation element tree, accessibility
// carets per window and console carets, with a log of the calls in order so
// that tests can check which sources were asked.
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "editability/caret_sources.h"

namespace tessel::testing {

struct ScriptedElement {
    int parent = 0;  // 0: no parent
    std::map<int, bool> bools;
    std::map<int, std::int32_t> ints;
    std::map<int, std::string> strings;
    Editability editability = Editability::UnknownEditability;
    std::optional<ElementRect> rect;
    CaretInfo emptyFieldGuess;
    bool taskManagerSearchBox = false;
    bool hasEditableDescendant = false;
    bool descendantContainsPoint = false;
};

class ScriptedCaretSources : public CaretSources {
public:
    // --- script ---
    bool automation = false;
    bool walker = false;
    int focused = 0;  // 0: no focused element
    std::map<int, ScriptedElement> elements;
    std::map<WindowId, CaretInfo> accessibleCarets;
    CaretInfo consoleCaret;
    UiaCaret uiaCaret;  // answer of ResolveUiaCaret

    // --- observation ---
    std::vector<std::string> log;
    int Count(const std::string& prefix) const;
    int liveElements = 0;  // element references not yet released

    // --- CaretSources ---
    CaretInfo AccessibleCaret(WindowId window) override;
    CaretInfo LocateConsoleCaret(const FocusSnapshot& snapshot, std::uint32_t cells) override;
    void ReleaseConsole() override;
    void ReleaseFocusedElement() override { ++focusedElementReleases; }
    int focusedElementReleases = 0;
    bool HasAutomation() override { return automation; }
    bool HasWalker() override { return walker; }
    UiaElementPtr FocusedElement(const FocusSnapshot& snapshot) override;
    UiaElementPtr ParentElement(const UiaElement& element) override;
    std::optional<bool> ReadBoolProperty(const UiaElement& element, int propertyId) override;
    std::optional<std::int32_t> ReadI32Property(const UiaElement& element, int propertyId) override;
    std::optional<std::string> ReadStringProperty(const UiaElement& element, int propertyId) override;
    Editability ElementEditability(const UiaElement& element) override;
    std::optional<ElementRect> ElementRectangle(const UiaElement& element) override;
    CaretInfo EmptyFieldGuess(const UiaElement& element, WindowId scope) override;
    bool IsTaskManagerSearchBox(const UiaElement& element, WindowId window) override;
    bool HasEditableDescendant(const UiaElement& element, int depth, int budget, WindowId scope) override;
    bool DescendantContainsPoint(const UiaElement& element, int depth, int budget, const CaretInfo& point,
                                 bool chromium) override;
    UiaCaret ResolveUiaCaret(const FocusSnapshot& snapshot, bool console, bool chromium, bool scope) override;

    // The scripted id behind an element reference.
    static int IdOf(const UiaElement& element);

private:
    UiaElementPtr Make(int id);
    const ScriptedElement& Get(const UiaElement& element) const;
};

}  // namespace tessel::testing
