#pragma once
// Caret objects per window, with the windows asked in order.
#include <functional>
#include <map>
#include <set>
#include <vector>

#include "platform/accessibility.h"

namespace tessel::testing {

class ScriptedAccessibility : public Accessibility {
public:
    std::map<WindowId, AccessibleBox> boxes;  // missing: no caret object
    std::set<WindowId> lateWindows;           // do not answer in time
    bool late = false;
    // Runs inside the next read, as a message Windows delivers while the
    // caller waits on the application would.
    std::function<void()> duringNextRead;
    std::vector<WindowId> asked;

    int Reads(WindowId window) const;
    // A caret point (X, Top, Bottom) as a 1-pixel box that reads back as it.
    void SetCaret(WindowId window, std::int32_t x, std::int32_t top, std::int32_t bottom) {
        boxes[window] = AccessibleBox{x - 1, top, 0, bottom - top};
    }

    std::optional<AccessibleBox> CaretLocation(WindowId window) noexcept override;
    void BeginUpdate() noexcept override { late = false; }
    bool Late() const noexcept override { return late; }
};

}  // namespace tessel::testing
