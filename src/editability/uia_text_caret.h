#pragma once
// The caret of one UI Automation element from its text patterns: the active
// composition, the selection and the caret range, with the rules that turn
// degenerate ranges into a caret rectangle.
#include <vector>

#include "editability/caret_info.h"
#include "editability/uia_element.h"
#include "editability/uia_state.h"

namespace tessel {

UiaCaret TextCaretOfElement(UiaEnv& env, const UiaElementRef& element, bool chromium);

// The caret at a range: its own narrow rectangle, a neighbouring character,
// or (unless skipExpand) the character it expands to.
CaretInfo RangeCaret(UiaEnv& env, const UiaRangeRef& range, bool skipExpand);

// The right edge of the previous character, else the left edge of the next.
CaretInfo AdjacentCharacterCaret(UiaEnv& env, const UiaRangeRef& range);

// The range's rectangles with finite values and no negative size, written
// into `out` (cleared first); false when the call fails.
bool RangeRectangles(UiaEnv& env, const UiaRangeRef& range, std::vector<ElementRect>& out);

// The first selected range of a text pattern (or one derived from it).
UiaRangeRef FirstSelectionRange(Automation& automation, const UiaPatternRef& pattern);

}  // namespace tessel
