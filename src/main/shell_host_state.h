#pragma once
// What the update cycle remembers about shell surfaces (Start, search), whose
// input is served by another process.
#include <cstdint>

#include "common/time.h"
#include "platform/types.h"

namespace tessel {

struct ShellHostState {
    WindowId lastForeground = kNoWindow;  // last examined foreground window
    bool isShellHost = false;             // its process is a shell host
    // UI Automation focus of the shell surface, reused for 250 ms.
    WindowId uiaFocusWindow = kNoWindow;
    std::uint32_t uiaFocusProcessId = 0;
    OptionalTime lookupTime;
};

}  // namespace tessel
