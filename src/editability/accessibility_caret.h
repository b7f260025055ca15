#pragma once
// The caret a window publishes through its accessibility caret object.
#include <optional>

#include "editability/caret_info.h"
#include "platform/accessibility.h"
#include "platform/desktop.h"

namespace tessel {

// A caret-sized box (width 0 to 8, height 1 to 256) as a caret point: X is the
// right edge, one pixel right of a zero-width bar. Anything else is no caret.
CaretInfo CaretFromAccessibleBox(const AccessibleBox& box);

// The caret object's caret of a live window, or not found.
CaretInfo AccessibleCaret(Desktop& desktop, Accessibility& accessibility, WindowId window);

}  // namespace tessel
