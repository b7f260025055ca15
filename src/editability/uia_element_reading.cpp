#include "editability/uia_element_reading.h"

#include <algorithm>
#include <cmath>

#include "common/saturate.h"
#include "common/text.h"
#include "editability/caret_locator.h"

namespace tessel {
namespace {

constexpr Duration kFocusedElementReuse = Ms(100);
constexpr std::int32_t kStateUnavailable = 0x1;
constexpr std::int32_t kStateReadOnly = 0x40;

bool IsRoleSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\f' || c == '\r'; }

// Calls `visit` for each non-empty white-space separated token until it returns true.
template <typename Visit>
bool AnyToken(std::string_view text, Visit visit) {
    std::size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && IsRoleSpace(text[i])) ++i;
        std::size_t end = i;
        while (end < text.size() && !IsRoleSpace(text[end])) ++end;
        if (end > i && visit(text.substr(i, end - i))) return true;
        i = end;
    }
    return false;
}

bool IsOneOf(std::string_view token, std::initializer_list<std::string_view> names) {
    return std::find(names.begin(), names.end(), token) != names.end();
}

bool IsCodeRole(std::string_view role) {
    return AnyToken(role, [](std::string_view t) { return IsOneOf(t, {"pre", "code", "doc-code", "presentation"}); });
}

}  // namespace

UiaElementRef CachedFocusedElement(UiaEnv& env, const FocusSnapshot& snapshot) {
    FocusedElementCache& cache = env.state.focusedElement;
    if (!env.automation.Present() || snapshot.foreground == kNoWindow) {
        EmptyFocusedElementCache(cache);
        return {};
    }
    const MonoTime now = env.clock.Now();
    if (cache.element && cache.foreground == snapshot.foreground && cache.focus == snapshot.focus &&
        cache.caret == snapshot.caret && AtMostAgo(now, cache.stored, kFocusedElementReuse))
        return cache.element.Share();
    EmptyFocusedElementCache(cache);
    UiaElementRef focused = env.automation.FocusedElement();
    if (!focused) return {};
    cache.foreground = snapshot.foreground;
    cache.focus = snapshot.focus;
    cache.caret = snapshot.caret;
    cache.stored = now;
    cache.element = focused.Share();
    return focused;
}

std::optional<std::string> ReadStringProperty(Automation& automation, const UiaElementRef& element, int propertyId) {
    if (!element) return std::nullopt;
    return automation.StringProperty(element, propertyId);
}

bool ContainsText(std::string_view text, std::string_view pattern) { return text.find(pattern) != std::string_view::npos; }

bool ContainsLoweredText(std::string_view text, std::string_view lowerPattern) {
    return std::search(text.begin(), text.end(), lowerPattern.begin(), lowerPattern.end(),
                       [](char a, char b) { return AsciiLower(a) == b; }) != text.end() ||
           lowerPattern.empty();
}

std::optional<ElementRect> ElementRectangle(UiaEnv& env, const UiaElementRef& element) {
    std::vector<double>& v = env.state.scratch.values;
    if (!element || !env.automation.DoublesProperty(element, uia_property::kBoundingRectangle, v) || v.size() < 4)
        return std::nullopt;
    return ElementRect{v[0], v[1], v[2], v[3]};
}

bool IsUsableRect(const ElementRect& r) {
    return std::isfinite(r.left) && std::isfinite(r.top) && std::isfinite(r.width) && std::isfinite(r.height) &&
           r.width > 0 && r.height > 0;
}

CaretInfo GuessInside(const ElementRect& r) {
    CaretInfo c;
    c.Found = true;
    c.X = RoundToI32(r.left + 4);
    c.Top = RoundToI32(r.top + 2);
    c.Bottom = std::max(RoundToI32(r.top + r.height - 2), SatAdd(c.Top, 1));
    return c;
}

bool NearRect(const CaretInfo& p, const ElementRect& r) {
    return p.X >= r.left - 6 && p.X <= r.left + r.width + 6 && p.Bottom >= r.top - 6 && p.Top <= r.top + r.height + 6;
}

bool HasTextInputRole(std::string_view role) {
    return AnyToken(role, [](std::string_view t) {
        return IsOneOf(t, {"textbox", "combobox", "searchbox", "spinbutton"});
    });
}

bool StronglyEditable(Editability e, bool chromium) {
    return e == Editability::TextInput || (e == Editability::EditableDocument && !chromium);
}

Editability ElementEditability(Automation& a, const UiaElementRef& element) {
    using namespace uia_property;
    if (!element) return Editability::UnknownEditability;
    if (a.BoolProperty(element, kIsEnabled) == false) return Editability::NotEditable;

    const std::optional<std::int32_t> controlType = a.I32Property(element, kControlType);
    const std::optional<bool> focus = a.BoolProperty(element, kHasKeyboardFocus);
    const std::optional<bool> focusable = a.BoolProperty(element, kIsKeyboardFocusable);
    const std::optional<std::int32_t> legacyState = a.I32Property(element, kLegacyIAccessibleState);
    std::optional<std::string> role = a.StringProperty(element, kAriaRole);

    if (legacyState && (*legacyState & (kStateUnavailable | kStateReadOnly))) return Editability::NotEditable;
    bool writableValue = false;
    if (a.BoolProperty(element, kIsValuePatternAvailable) == true) {
        const std::optional<bool> readOnly = a.BoolProperty(element, kValueIsReadOnly);
        if (readOnly == true) return Editability::NotEditable;
        writableValue = readOnly == false;
    }
    const bool textEdit = a.BoolProperty(element, kIsTextEditPatternAvailable) == true;
    const bool focused = focus == true;
    const bool canFocus = focusable == true;

    if (role) {
        const std::string lowered = AsciiLowerCopy(TrimWhiteSpace(*role));
        if (IsCodeRole(lowered)) return Editability::CodeOrPresentation;
        if (HasTextInputRole(lowered))
            return (focusable == false && !focused) ? Editability::NotEditable : Editability::TextInput;
    }

    if (!controlType) return Editability::UnknownEditability;
    switch (*controlType) {
        case uia_control_type::kComboBox:
            return ((focused || canFocus) && (writableValue || textEdit)) ? Editability::TextInput
                                                                          : Editability::UnknownEditability;
        case uia_control_type::kEdit:
            if (focused || canFocus) return Editability::TextInput;
            if (writableValue || textEdit) return Editability::TextInput;
            return focusable == false ? Editability::NotEditable : Editability::UnknownEditability;
        case uia_control_type::kText: return Editability::StaticText;
        case uia_control_type::kGroup:
            return (canFocus && focused && textEdit && a.BoolProperty(element, kIsTextPatternAvailable) == true)
                       ? Editability::TextInput
                       : Editability::UnknownEditability;
        case uia_control_type::kDocument:
            return (textEdit && (focused || canFocus)) ? Editability::EditableDocument : Editability::StaticText;
        default: return Editability::UnknownEditability;
    }
}

CaretInfo EmptyFieldGuess(UiaEnv& env, const UiaElementRef& element, WindowId scope, std::optional<Editability> known) {
    using namespace uia_property;
    Automation& a = env.automation;
    if (scope == kNoWindow || !element || IsAddressBar(a, element)) return {};
    if (a.BoolProperty(element, kIsEnabled) == false || a.BoolProperty(element, kValueIsReadOnly) == true) return {};
    bool field = a.I32Property(element, kControlType) == uia_control_type::kEdit;
    if (!field) {
        const std::optional<std::string> role = a.StringProperty(element, kAriaRole);
        field = role && HasTextInputRole(AsciiLowerCopy(TrimWhiteSpace(*role)));
    }
    if (!field) field = (known ? *known : ElementEditability(a, element)) == Editability::TextInput;
    if (!field) return {};
    const std::optional<ElementRect> r = ElementRectangle(env, element);
    if (!r || !IsUsableRect(*r) || r->width < 80 || r->height > 160) return {};
    const CaretInfo guess = GuessInside(*r);
    return InTopBand(env.desktop, guess, scope) ? guess : CaretInfo{};
}

CaretInfo EmptyValueGuess(UiaEnv& env, const UiaElementRef& element) {
    const std::optional<std::string> value = ReadStringProperty(env.automation, element, uia_property::kValueValue);
    if (!value || !value->empty()) return {};
    const std::optional<ElementRect> r = ElementRectangle(env, element);
    if (!r || !IsUsableRect(*r)) return {};
    return GuessInside(*r);
}

bool IsAddressBar(Automation& a, const UiaElementRef& element) {
    if (const auto cls = ReadStringProperty(a, element, uia_property::kClassName)) {
        if (ContainsLoweredText(*cls, "omnibox") || ContainsLoweredText(*cls, "addressbar")) return true;
    }
    if (const auto name = ReadStringProperty(a, element, uia_property::kName)) {
        if (ContainsLoweredText(*name, "address and search") || ContainsLoweredText(*name, "주소 및 검색")) return true;
    }
    return false;
}

bool IsTaskManagerSearchBox(UiaEnv& env, const UiaElementRef& element, WindowId window) {
    const auto cls = ReadStringProperty(env.automation, element, uia_property::kClassName);
    if (!cls || !EqualsIgnoreAsciiCase(*cls, "Windows.UI.Composition.DesktopWindowContentBridge")) return false;
    if (window == kNoWindow) return false;
    ClassNameBuffer windowClass;
    env.desktop.ReadClassName(window, windowClass);
    if (!windowClass.Is("TaskManagerWindow")) return false;
    const std::optional<ElementRect> r = ElementRectangle(env, element);
    if (!r || !IsUsableRect(*r) || r->width < 80 || r->height > 160) return false;
    return InTopBand(env.desktop, GuessInside(*r), window);
}

}  // namespace tessel
