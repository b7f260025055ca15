#pragma once
// The foreground thread's GUI state at the start of an update.
#include <cstdint>

#include "platform/types.h"

namespace tessel {

struct FocusSnapshot {
    Rect caretRect{};  // client coordinates of the caret window
    WindowId foreground = kNoWindow;
    WindowId active = kNoWindow;
    WindowId focus = kNoWindow;
    WindowId caret = kNoWindow;
    std::uint32_t processId = 0;
    friend constexpr bool operator==(const FocusSnapshot&, const FocusSnapshot&) = default;
};

}  // namespace tessel
