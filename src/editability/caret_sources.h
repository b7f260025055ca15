#pragma once
// The caret and editability sources that live outside the window rules: the
// Outlook compose test. Its default answer, "not a compose window", is how the
// program must behave where Outlook is absent; richer implementations override it.
#include <cstdint>

#include "editability/caret_info.h"
#include "main/focus_snapshot.h"
#include "platform/types.h"

namespace tessel {

class CaretSources {
public:
    virtual ~CaretSources() = default;

    // --- Outlook ---
    // For a window that passed the Outlook-pane rule: 0 when it is an editable
    // compose surface, 1 when it is not or Outlook could not be asked.
    virtual std::uint8_t ComposeWindowTest(const FocusSnapshot& /*snapshot*/, WindowId /*window*/) { return 1; }
};

}  // namespace tessel
