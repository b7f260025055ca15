#pragma once
// Searches built on the accessibility caret object of a window.
#include "editability/caret_info.h"
#include "platform/accessibility.h"
#include "platform/desktop.h"

namespace tessel {

// The caret of the focus window, else of the caret window, each accepted only
// when it is plausible in its own window.
CaretInfo FocusThenCaretAccessibleCaret(Desktop& desktop, Accessibility& accessibility, WindowId focus, WindowId caret);

struct ChildCaretSearch {
    CaretInfo preferred;  // a plausible caret of an edit child
    CaretInfo fallback;   // the edit-window guess of the first edit child with a rectangle
};

// Looks through the host's enabled edit children for a caret.
ChildCaretSearch SearchChildCarets(Desktop& desktop, Accessibility& accessibility, WindowId host);

}  // namespace tessel
