#pragma once
// Reads the raw IME status of the thread that serves the keyboard focus.
#include <cstdint>

#include "common/time.h"
#include "input_mode/candidate_list.h"
#include "input_mode/ime_query_state.h"
#include "input_mode/input_mode.h"
#include "platform/focus_snapshot.h"
#include "platform/clock.h"
#include "platform/desktop.h"
#include "platform/ime.h"
#include "platform/processes.h"

namespace tessel {

// The platform services the query uses.
struct ImeQueryServices {
    Desktop& desktop;
    Ime& ime;
    const Clock& clock;
    // The process snapshot for IME host discovery; null where no host
    // process can be listed.
    Processes* processes = nullptr;
};

// Reads the IME status of the thread that serves the focus described by
// `focus`, `uiaFocusWindow` and `uiaFocusProcessId` (both may be 0).
// `windowsUnchanged`: the caller has just seen the focus windows as they were
// at the last answer, so the remembered IME window is asked without checking
// its source again (a window gone since fails the question and the search runs).
ImeStatus QueryImeStatus(ImeQueryState& state, const FocusSnapshot& focus, WindowId uiaFocusWindow,
                         std::uint32_t uiaFocusProcessId, const ImeQueryServices& services,
                         bool windowsUnchanged = false);

}  // namespace tessel
