#pragma once
// Turns a raw IME status into the input mode the badge shows.
#include <cstdint>
#include <optional>

#include "input_mode/input_mode.h"

namespace tessel {

// No mode exactly when the status is unavailable.
std::optional<InputMode> ClassifyInputMode(const ImeStatus& status);

// Taskbar indicator reading: 0 English, 1 Korean, 2 no reading.
// A Korean status takes its open state and conversion from a reading of 0 or 1;
// every other status, and a reading of 2, stays as it is. Source never changes.
void ApplyTaskbarOverride(ImeStatus& status, std::uint8_t taskbarReading);

}  // namespace tessel
