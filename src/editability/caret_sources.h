#pragma once
// The caret and editability sources that live outside the window rules:
// the accessibility caret object and the console caret. Every method has a
// default answer: "not found". That is exactly how the program must behave
// where these services are absent (the caret object is missing under Wine), so
// the default object is a valid, complete source set; richer implementations
// override it.
#include <cstdint>

#include "editability/caret_info.h"
#include "main/focus_snapshot.h"
#include "platform/types.h"

namespace tessel {

class CaretSources {
public:
    virtual ~CaretSources() = default;

    // --- accessibility caret object of a window (OBJID_CARET) ---
    // Found with X (right edge), Top, Bottom in screen pixels, or not found.
    virtual CaretInfo AccessibleCaret(WindowId /*window*/) { return {}; }

    // --- console ---
    virtual CaretInfo LocateConsoleCaret(const FocusSnapshot& /*snapshot*/, std::uint32_t /*defaultCompositionCells*/) {
        return {};
    }
    // Detaches from a console attached by LocateConsoleCaret, if any.
    virtual void ReleaseConsole() {}
};

}  // namespace tessel
