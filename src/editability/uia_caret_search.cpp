#include "editability/uia_caret_search.h"

#include <algorithm>
#include <cmath>

#include "common/saturate.h"
#include "editability/caret_locator.h"
#include "editability/uia_element_reading.h"
#include "editability/uia_text_caret.h"
#include "editability/window_classification.h"

namespace tessel {
namespace {

constexpr int kSearchDepth = 4;
constexpr int kSearchBudget = 64;
constexpr int kQuickInputDepth = 8;
constexpr int kQuickInputBudget = 512;
constexpr int kAncestorElements = 12;
constexpr int kPointerElements = 7;

bool Decisive(const UiaCaret& c) { return c.kind != UiaCaretKind::Undetermined; }

UiaCaret Found(const CaretInfo& c) { return UiaCaret{UiaCaretKind::CaretFound, c.X, c.Top, c.Bottom}; }

// Visits the children of `element` in sibling order while budget remains;
// `visit` returns true to end the walk.
template <typename Visit>
void ForEachChild(UiaEnv& env, const UiaElementRef& element, int depth, int& budget, Visit visit) {
    if (depth <= 0 || budget <= 0) return;
    Automation& a = env.automation;
    UiaElementRef child = a.FirstChild(element);
    while (child) {
        --budget;
        if (visit(child)) return;
        if (budget <= 0) return;
        child = a.NextSibling(child);
    }
}

void Store(EstimatedCaretCache& cache, const Rect& box, const FocusSnapshot& snapshot, const CaretInfo& c) {
    cache = EstimatedCaretCache{true, box, snapshot.foreground, snapshot.focus, c.X, c.Top, c.Bottom};
}

// Task Manager's search box publishes no caret: the editable element under the
// pointer when the pointer is over the box, else an estimate from the box and
// the window, kept for as long as the box stays the same.
UiaCaret PointerOrEstimate(UiaEnv& env, const FocusSnapshot& snapshot, const ElementRect& r) {
    Automation& a = env.automation;
    Desktop& desktop = env.desktop;
    EstimatedCaretCache& cache = env.state.estimatedCaret;
    const WindowId foreground = snapshot.foreground;
    const Rect box{RoundToI32(r.left), RoundToI32(r.top), RoundToI32(r.left + r.width), RoundToI32(r.top + r.height)};

    const std::optional<Point> cursor = a.Present() ? desktop.CursorPos() : std::nullopt;
    if (cursor && cursor->x >= box.left && cursor->x <= box.right && cursor->y >= box.top && cursor->y <= box.bottom) {
        UiaElementRef element = a.ElementFromPoint(*cursor);
        std::uint32_t pid = 0;
        if (element) desktop.WindowThreadProcessId(foreground, &pid);
        CaretInfo candidate;
        for (int i = 0; i < kPointerElements && element; ++i) {
            const std::optional<std::int32_t> owner = a.I32Property(element, uia_property::kProcessId);
            const Editability e = owner && pid != 0 && static_cast<std::uint32_t>(*owner) == pid
                                      ? ElementEditability(a, element)
                                      : Editability::UnknownEditability;
            if (e == Editability::TextInput || e == Editability::EditableDocument) {
                const UiaCaret c = TextCaretOfElement(env, element, false);
                if (c.kind == UiaCaretKind::CaretFound) {
                    Store(cache, box, snapshot, CaretInfo{true, c.X, c.Top, c.Bottom});
                    return c;
                }
                if (!candidate.Found) {
                    if (const auto er = ElementRectangle(env, element); er && IsUsableRect(*er)) {
                        const CaretInfo guess = GuessInside(*er);
                        if (InTopBand(desktop, guess, foreground)) candidate = guess;
                    }
                }
            }
            if (i + 1 == kPointerElements) break;
            element = a.Parent(element);
        }
        if (candidate.Found) {
            Store(cache, box, snapshot, candidate);
            return Found(candidate);
        }
    }

    if (cache.valid && cache.box == box && cache.foreground == foreground && cache.focus == snapshot.focus)
        return UiaCaret{UiaCaretKind::CaretFound, cache.X, cache.Top, cache.Bottom};

    const double scale = std::max<double>(desktop.DpiForWindow(foreground), 96.0) / 96.0;
    const std::optional<Rect> window = desktop.WindowRect(foreground);
    const double centre = window ? (static_cast<double>(window->left) + static_cast<double>(window->right)) / 2
                                 : r.left + r.width / 2;
    const double span = std::isnan(r.width) ? 480 * scale : std::min(480 * scale, r.width);
    const double offset = std::min(std::max(32 * scale, 24.0), 64.0);
    CaretInfo estimate;
    estimate.Found = true;
    estimate.X = RoundToI32(std::min(centre - span / 2 + offset, r.left + r.width - 4));
    estimate.Top = RoundToI32(r.top + 2);
    estimate.Bottom = std::max(RoundToI32(std::max(r.top + r.height - 2, r.top + 3)), SatAdd(estimate.Top, 1));
    Store(cache, box, snapshot, estimate);
    return Found(estimate);
}

}  // namespace

UiaCaret FindTextCaretInDescendants(UiaEnv& env, const UiaElementRef& element, int depth, int& budget, bool chromium) {
    UiaCaret answer;
    ForEachChild(env, element, depth, budget, [&](const UiaElementRef& child) {
        answer = TextCaretOfElement(env, child, chromium);
        if (Decisive(answer)) return true;
        if (budget > 0) answer = FindTextCaretInDescendants(env, child, depth - 1, budget, chromium);
        return Decisive(answer);
    });
    return Decisive(answer) ? answer : UiaCaret{};
}

UiaCaret FindCaretInDescendants(UiaEnv& env, const UiaElementRef& element, int depth, int& budget, bool chromium,
                                WindowId scope) {
    CaretInfo remembered;
    UiaCaret answer;
    ForEachChild(env, element, depth, budget, [&](const UiaElementRef& child) {
        const Editability e = ElementEditability(env.automation, child);
        const CaretInfo guess = EmptyFieldGuess(env, child, scope, e);
        if (!StronglyEditable(e, chromium) && !guess.Found) {
            if (budget > 0) answer = FindCaretInDescendants(env, child, depth - 1, budget, chromium, scope);
            return Decisive(answer);
        }
        // A selection ends the search unless the field is one we would guess anyway.
        auto settle = [&](const UiaCaret& c) {
            if (c.kind == UiaCaretKind::CaretFound) {
                answer = c;
                return true;
            }
            if (c.kind == UiaCaretKind::NoCaret) {
                if (!guess.Found) {
                    answer = c;
                    return true;
                }
                if (!remembered.Found) remembered = guess;
            }
            return false;
        };
        if (settle(TextCaretOfElement(env, child, chromium))) return true;
        if (budget > 0 && settle(FindTextCaretInDescendants(env, child, depth - 1, budget, chromium))) return true;
        if (!remembered.Found) {
            const CaretInfo value = EmptyValueGuess(env, child);
            remembered = value.Found ? value : guess;
        }
        return false;
    });
    if (Decisive(answer)) return answer;
    return remembered.Found ? Found(remembered) : UiaCaret{};
}

bool DescendantContainsPoint(UiaEnv& env, const UiaElementRef& element, int depth, int& budget, const CaretInfo& point,
                             bool chromium) {
    bool contains = false;
    ForEachChild(env, element, depth, budget, [&](const UiaElementRef& child) {
        if (StronglyEditable(ElementEditability(env.automation, child), chromium)) {
            const std::optional<ElementRect> r = ElementRectangle(env, child);
            if (!r || (IsUsableRect(*r) && NearRect(point, *r))) return contains = true;
        }
        if (budget > 0) contains = DescendantContainsPoint(env, child, depth - 1, budget, point, chromium);
        return contains;
    });
    return contains;
}

bool HasEditableDescendant(UiaEnv& env, const UiaElementRef& element, int depth, int& budget, WindowId scope) {
    bool found = false;
    ForEachChild(env, element, depth, budget, [&](const UiaElementRef& child) {
        const Editability e = ElementEditability(env.automation, child);
        if (e == Editability::TextInput || e == Editability::EditableDocument) return found = true;
        if (EmptyFieldGuess(env, child, scope, e).Found) return found = true;
        if (budget > 0) found = HasEditableDescendant(env, child, depth - 1, budget, scope);
        return found;
    });
    return found;
}

UiaCaret ResolveUiaCaret(UiaEnv& env, const FocusSnapshot& snapshot, bool console, bool chromium, bool scopeToWindow) {
    Automation& a = env.automation;
    const WindowId foreground = snapshot.foreground;
    const WindowId scope = scopeToWindow ? foreground : kNoWindow;
    if (!a.Present()) return {};
    const UiaElementRef focused = CachedFocusedElement(env, snapshot);
    if (!focused) return {};

    const Editability e0 = ElementEditability(a, focused);
    const CaretInfo g0 = EmptyFieldGuess(env, focused, scope, e0);
    CaretInfo remembered = g0;
    if (StronglyEditable(e0, chromium) || console || g0.Found) {
        const UiaCaret c = TextCaretOfElement(env, focused, chromium);
        if (c.kind == UiaCaretKind::CaretFound) return c;
        if (c.kind == UiaCaretKind::NoCaret && !g0.Found) return c;
    }

    const bool walker = a.HasWalker();
    if (walker) {
        int budget = kSearchBudget;
        const UiaCaret c = console ? FindTextCaretInDescendants(env, focused, kSearchDepth, budget, chromium)
                                   : FindCaretInDescendants(env, focused, kSearchDepth, budget, chromium, scope);
        if (c.kind == UiaCaretKind::CaretFound) return c;
        if (c.kind == UiaCaretKind::NoCaret && !remembered.Found) return c;
    }

    UiaElementRef element = focused.Share();
    for (int i = 0; i < kAncestorElements && element; ++i) {
        const bool first = i == 0;
        if (walker && QuickInputRule(env, element, foreground)) {
            int budget = kQuickInputBudget;
            const UiaCaret c = FindCaretInDescendants(env, element, kQuickInputDepth, budget, chromium, scope);
            if (Decisive(c)) return c;
            if (IsTaskManagerSearchBox(env, element, foreground)) {
                if (const std::optional<ElementRect> r = ElementRectangle(env, element))
                    return PointerOrEstimate(env, snapshot, *r);
            }
        }
        const Editability e = first ? e0 : ElementEditability(a, element);
        const CaretInfo guess = first ? g0 : EmptyFieldGuess(env, element, scope, e);
        const bool strong = StronglyEditable(e, chromium);
        if (!first && (strong || console || guess.Found)) {
            const UiaCaret c = TextCaretOfElement(env, element, chromium);
            if (c.kind == UiaCaretKind::CaretFound) return c;
            if (c.kind == UiaCaretKind::NoCaret) {
                if (!guess.Found) return c;
                if (!remembered.Found) remembered = guess;
            }
        }
        if (strong || guess.Found) {
            // Ancestors always; the focused element again only when console and Chromium agree.
            if (walker && (!first || console == chromium)) {
                int budget = kSearchBudget;
                const UiaCaret c =
                    (scope != kNoWindow || chromium)
                        ? FindCaretInDescendants(env, element, kSearchDepth, budget, chromium, scope)
                        : FindTextCaretInDescendants(env, element, kSearchDepth, budget, false);
                if (c.kind == UiaCaretKind::CaretFound) return c;
                if (c.kind == UiaCaretKind::NoCaret) {
                    if (!remembered.Found && !guess.Found) return c;
                    if (!remembered.Found) remembered = guess;
                }
            }
            if (!remembered.Found) {
                const CaretInfo value = EmptyValueGuess(env, element);
                remembered = value.Found ? value : guess;
            }
        }
        if (i + 1 == kAncestorElements) break;
        element = a.Parent(element);
    }
    return remembered.Found ? Found(remembered) : UiaCaret{};
}

}  // namespace tessel
