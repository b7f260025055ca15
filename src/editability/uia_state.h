#pragma once
// What the UI Automation procedures keep between calls, and what they work with.
#include <cstdint>
#include <vector>

#include "common/time.h"
#include "editability/uia_element.h"
#include "platform/automation.h"
#include "platform/clock.h"
#include "platform/desktop.h"
#include "platform/types.h"

namespace tessel {

// The focused element, reused for a short while for the same windows.
struct FocusedElementCache {
    WindowId foreground = kNoWindow;
    WindowId focus = kNoWindow;
    WindowId caret = kNoWindow;
    UiaElementRef element;  // owned by the cache
    OptionalTime stored;    // empty: the cache is empty
};

// The last caret point found or estimated for Task Manager's search box.
struct EstimatedCaretCache {
    bool valid = false;
    Rect box{};  // the search box, rounded to whole pixels
    WindowId foreground = kNoWindow;
    WindowId focus = kNoWindow;
    std::int32_t X = 0;
    std::int32_t Top = 0;
    std::int32_t Bottom = 0;
};

// Buffers reused by every rectangle read, so that a search allocates nothing
// once they have grown.
struct UiaScratch {
    std::vector<double> values;
    std::vector<ElementRect> rects;
};

struct UiaState {
    FocusedElementCache focusedElement;
    EstimatedCaretCache estimatedCaret;  // outlives InvalidateCaretCaches on purpose
    UiaScratch scratch;
};

// Releases the cached focused element.
inline void EmptyFocusedElementCache(FocusedElementCache& cache) noexcept { cache = FocusedElementCache{}; }

// The services and state one UI Automation procedure works with.
struct UiaEnv {
    Automation& automation;
    Desktop& desktop;
    Clock& clock;
    UiaState& state;
};

}  // namespace tessel
