#include "scripted_caret_sources.h"

namespace tessel::testing {
namespace {

struct ScriptedRef final : UiaElement {
    ScriptedRef(int id, int* live) : id(id), live(live) { ++*live; }
    ~ScriptedRef() override { --*live; }
    int id;
    int* live;
};

std::string Flag(bool b) { return b ? "1" : "0"; }

}  // namespace

int ScriptedCaretSources::Count(const std::string& prefix) const {
    int n = 0;
    for (const auto& entry : log)
        if (entry.rfind(prefix, 0) == 0) ++n;
    return n;
}

int ScriptedCaretSources::IdOf(const UiaElement& element) { return static_cast<const ScriptedRef&>(element).id; }

UiaElementPtr ScriptedCaretSources::Make(int id) { return std::make_unique<ScriptedRef>(id, &liveElements); }

const ScriptedElement& ScriptedCaretSources::Get(const UiaElement& element) const { return elements.at(IdOf(element)); }

CaretInfo ScriptedCaretSources::AccessibleCaret(WindowId window) {
    log.push_back("AccessibleCaret(" + std::to_string(window) + ")");
    auto it = accessibleCarets.find(window);
    return it == accessibleCarets.end() ? CaretInfo{} : it->second;
}

CaretInfo ScriptedCaretSources::LocateConsoleCaret(const FocusSnapshot&, std::uint32_t cells) {
    log.push_back("LocateConsoleCaret(" + std::to_string(cells) + ")");
    return consoleCaret;
}

void ScriptedCaretSources::ReleaseConsole() { log.push_back("ReleaseConsole"); }

UiaElementPtr ScriptedCaretSources::FocusedElement(const FocusSnapshot&) {
    log.push_back("FocusedElement");
    return focused ? Make(focused) : nullptr;
}

UiaElementPtr ScriptedCaretSources::ParentElement(const UiaElement& element) {
    log.push_back("ParentElement(" + std::to_string(IdOf(element)) + ")");
    if (!walker) return nullptr;
    const int parent = Get(element).parent;
    return parent ? Make(parent) : nullptr;
}

std::optional<bool> ScriptedCaretSources::ReadBoolProperty(const UiaElement& element, int id) {
    const auto& m = Get(element).bools;
    auto it = m.find(id);
    return it == m.end() ? std::nullopt : std::optional<bool>(it->second);
}

std::optional<std::int32_t> ScriptedCaretSources::ReadI32Property(const UiaElement& element, int id) {
    const auto& m = Get(element).ints;
    auto it = m.find(id);
    return it == m.end() ? std::nullopt : std::optional<std::int32_t>(it->second);
}

std::optional<std::string> ScriptedCaretSources::ReadStringProperty(const UiaElement& element, int id) {
    const auto& m = Get(element).strings;
    auto it = m.find(id);
    return it == m.end() ? std::nullopt : std::optional<std::string>(it->second);
}

Editability ScriptedCaretSources::ElementEditability(const UiaElement& element) {
    log.push_back("ElementEditability(" + std::to_string(IdOf(element)) + ")");
    return Get(element).editability;
}

std::optional<ElementRect> ScriptedCaretSources::ElementRectangle(const UiaElement& element) { return Get(element).rect; }

CaretInfo ScriptedCaretSources::EmptyFieldGuess(const UiaElement& element, WindowId scope) {
    log.push_back("EmptyFieldGuess(" + std::to_string(IdOf(element)) + "," + std::to_string(scope) + ")");
    return Get(element).emptyFieldGuess;
}

bool ScriptedCaretSources::IsTaskManagerSearchBox(const UiaElement& element, WindowId) {
    return Get(element).taskManagerSearchBox;
}

bool ScriptedCaretSources::HasEditableDescendant(const UiaElement& element, int depth, int budget, WindowId) {
    log.push_back("HasEditableDescendant(" + std::to_string(IdOf(element)) + "," + std::to_string(depth) + "," +
                  std::to_string(budget) + ")");
    return Get(element).hasEditableDescendant;
}

bool ScriptedCaretSources::DescendantContainsPoint(const UiaElement& element, int depth, int budget, const CaretInfo&,
                                                   bool chromium) {
    log.push_back("DescendantContainsPoint(" + std::to_string(IdOf(element)) + "," + std::to_string(depth) + "," +
                  std::to_string(budget) + "," + Flag(chromium) + ")");
    return Get(element).descendantContainsPoint;
}

UiaCaret ScriptedCaretSources::ResolveUiaCaret(const FocusSnapshot&, bool console, bool chromium, bool scope) {
    log.push_back("ResolveUiaCaret(" + Flag(console) + Flag(chromium) + Flag(scope) + ")");
    return uiaCaret;
}

}  // namespace tessel::testing
