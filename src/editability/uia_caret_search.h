#pragma once
// Searches around the focused UI Automation element for the element that
// holds the caret: bounded depth-first searches below an element, and the
// complete procedure the caret locator calls.
#include "editability/caret_info.h"
#include "editability/uia_element.h"
#include "editability/uia_state.h"
#include "platform/focus_snapshot.h"

namespace tessel {

// The searches below walk the raw view depth first. `budget` is shared by the
// whole search: one per child visited; at 0 nothing further is visited.
// Depth d reaches d levels below `element` (0 visits nothing).
UiaCaret FindTextCaretInDescendants(UiaEnv& env, const UiaElementRef& element, int depth, int& budget, bool chromium);
UiaCaret FindCaretInDescendants(UiaEnv& env, const UiaElementRef& element, int depth, int& budget, bool chromium,
                                WindowId scope);
bool DescendantContainsPoint(UiaEnv& env, const UiaElementRef& element, int depth, int& budget, const CaretInfo& point,
                             bool chromium);
bool HasEditableDescendant(UiaEnv& env, const UiaElementRef& element, int depth, int& budget, WindowId scope);

// The caret around the focused element: the element itself, below it, its
// ancestors, the best guess for an empty field, and for Task Manager's search
// box the element under the pointer or an estimate.
UiaCaret ResolveUiaCaret(UiaEnv& env, const FocusSnapshot& snapshot, bool console, bool chromium, bool scopeToWindow);

}  // namespace tessel
