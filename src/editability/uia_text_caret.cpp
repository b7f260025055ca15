#include "editability/uia_text_caret.h"

#include <algorithm>
#include <cmath>

#include "common/saturate.h"
#include "editability/uia_element_reading.h"

namespace tessel {
namespace {

constexpr double kMaxCharWidth = 64;
constexpr double kMaxCaretBarWidth = 4;

CaretInfo CaretAt(double x, const ElementRect& r) {
    CaretInfo c;
    c.Found = true;
    c.X = RoundToI32(x);
    c.Top = RoundToI32(r.top);
    c.Bottom = std::max(RoundToI32(r.top + std::max(r.height, 1.0)), SatAdd(c.Top, 1));
    return c;
}

bool CharacterSized(const ElementRect& r) { return r.width > 0 && r.width <= kMaxCharWidth; }

// A caret outside the element it belongs to is some other element's.
bool InsideElement(UiaEnv& env, const UiaElementRef& element, const CaretInfo& c) {
    if (!c.Found) return false;
    const std::optional<ElementRect> r = ElementRectangle(env, element);
    if (!r) return true;
    return IsUsableRect(*r) && NearRect(c, *r);
}

UiaCaret Found(const CaretInfo& c) { return UiaCaret{UiaCaretKind::CaretFound, c.X, c.Top, c.Bottom}; }

}  // namespace

bool RangeRectangles(UiaEnv& env, const UiaRangeRef& range, std::vector<ElementRect>& out) {
    out.clear();
    std::vector<double>& v = env.state.scratch.values;
    if (!range || !env.automation.BoundingRectangles(range, v)) return false;
    for (std::size_t i = 0; i + 4 <= v.size(); i += 4) {
        const ElementRect r{v[i], v[i + 1], v[i + 2], v[i + 3]};
        if (std::isfinite(r.left) && std::isfinite(r.top) && std::isfinite(r.width) && std::isfinite(r.height) &&
            r.width >= 0 && r.height >= 0)
            out.push_back(r);
    }
    return true;
}

UiaRangeRef FirstSelectionRange(Automation& a, const UiaPatternRef& pattern) {
    if (!pattern) return {};
    const UiaRangeArrayRef selection = a.Selection(pattern);
    if (!selection) return {};
    const std::optional<int> length = a.RangeArrayLength(selection);
    if (!length || *length < 1) return {};
    return a.RangeArrayElement(selection, 0);
}

CaretInfo AdjacentCharacterCaret(UiaEnv& env, const UiaRangeRef& range) {
    Automation& a = env.automation;
    std::vector<ElementRect>& rects = env.state.scratch.rects;
    if (!range) return {};
    {
        const UiaRangeRef before = a.Clone(range);
        const std::optional<int> moved =
            before ? a.MoveEndpointByUnit(before, TextEndpoint::Start, TextUnit::Character, -1) : std::nullopt;
        if (moved && *moved < 0 && RangeRectangles(env, before, rects) && !rects.empty()) {
            const ElementRect last = rects.back();
            return CharacterSized(last) ? CaretAt(last.left + last.width, last) : CaretInfo{};
        }
    }
    const UiaRangeRef after = a.Clone(range);
    const std::optional<int> moved =
        after ? a.MoveEndpointByUnit(after, TextEndpoint::End, TextUnit::Character, 1) : std::nullopt;
    if (!moved || *moved < 1 || !RangeRectangles(env, after, rects)) return {};
    for (const ElementRect& r : rects)
        if (CharacterSized(r)) return CaretAt(r.left, r);
    return {};
}

CaretInfo RangeCaret(UiaEnv& env, const UiaRangeRef& range, bool skipExpand) {
    Automation& a = env.automation;
    std::vector<ElementRect>& rects = env.state.scratch.rects;
    if (!range) return {};
    if (RangeRectangles(env, range, rects) && !rects.empty() && rects.front().width <= kMaxCaretBarWidth) {
        const ElementRect r = rects.front();
        return CaretAt(r.left, r);
    }
    if (CaretInfo c = AdjacentCharacterCaret(env, range); c.Found) return c;
    if (skipExpand) return {};

    const UiaRangeRef character = a.Clone(range);
    if (!character || !a.ExpandToEnclosingUnit(character, TextUnit::Character)) return {};
    const std::optional<int> c1 = a.CompareEndpoints(range, TextEndpoint::Start, character, TextEndpoint::Start);
    const std::optional<int> c2 = a.CompareEndpoints(range, TextEndpoint::Start, character, TextEndpoint::End);
    const bool atEnd = c2 == 0;
    if (!RangeRectangles(env, character, rects) || rects.empty() || !CharacterSized(rects.front())) return {};
    const ElementRect r = rects.front();
    return CaretAt((atEnd || (c1 && *c1 > 0)) ? r.left + r.width : r.left, r);
}

UiaCaret TextCaretOfElement(UiaEnv& env, const UiaElementRef& element, bool chromium) {
    Automation& a = env.automation;
    if (!element) return {};
    const bool browserField = chromium || IsAddressBar(a, element);

    const UiaPatternRef textEdit = a.Pattern(element, TextPatternKind::TextEdit);
    if (textEdit) {
        if (const UiaRangeRef composition = a.ActiveComposition(textEdit)) {
            // The caret stands at the end of what is being composed.
            if (const UiaRangeRef end = a.Clone(composition);
                end && a.MoveEndpointByRange(end, TextEndpoint::Start, composition, TextEndpoint::End)) {
                CaretInfo c = AdjacentCharacterCaret(env, end);
                if (!c.Found) c = RangeCaret(env, end, true);
                if (InsideElement(env, element, c)) return Found(c);
            }
        }
    }

    const UiaPatternRef text2 = a.Pattern(element, TextPatternKind::Text2);
    UiaRangeRef selection = FirstSelectionRange(a, textEdit);
    if (!selection) selection = FirstSelectionRange(a, text2);
    if (!selection) {
        const UiaPatternRef text = a.Pattern(element, TextPatternKind::Text);
        selection = FirstSelectionRange(a, text);
    }

    if (selection) {
        const std::optional<int> span = a.CompareEndpoints(selection, TextEndpoint::Start, selection, TextEndpoint::End);
        if (span && *span != 0) return UiaCaret{UiaCaretKind::NoCaret};
    } else if (browserField) {
        // Typed text without a selection range: the caret could be anywhere in it.
        const auto value = ReadStringProperty(a, element, uia_property::kValueValue);
        if (value && !value->empty()) return {};
    }

    if (text2 && !(browserField && selection)) {
        bool active = false;
        if (const UiaRangeRef caret = a.CaretRange(text2, active); caret && active) {
            const CaretInfo c = RangeCaret(env, caret, browserField);
            if (InsideElement(env, element, c)) return Found(c);
        }
    }

    if (selection) {
        CaretInfo c;
        if (browserField) {
            c = AdjacentCharacterCaret(env, selection);
            if (!c.Found) c = RangeCaret(env, selection, true);
        } else {
            c = RangeCaret(env, selection, false);
        }
        if (InsideElement(env, element, c)) return Found(c);
    }
    return {};
}

}  // namespace tessel
