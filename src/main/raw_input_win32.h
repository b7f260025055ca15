#pragma once
#include <windows.h>

#include "main/raw_input.h"

namespace tessel {

// Reads the WM_INPUT packet behind `lParam` (40 bytes at most) and classifies it.
RawInputOutcome ReadRawInput(LPARAM lParam);

}  // namespace tessel
