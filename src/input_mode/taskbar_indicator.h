#pragma once
// The taskbar's input indicator, read through UI Automation: the element whose
// name announces the Korean or English input mode.
#include <cstdint>

#include "platform/automation.h"
#include "platform/desktop.h"

namespace tessel {

namespace taskbar_reading {
constexpr std::uint8_t kEnglish = 0;
constexpr std::uint8_t kKorean = 1;
constexpr std::uint8_t kNone = 2;
}  // namespace taskbar_reading

// What the indicator reading keeps between calls.
struct TaskbarIndicatorState {
    std::uint8_t& reading;        // 0 English, 1 Korean, 2 no reading
    UiaElementRef& indicator;     // the element of the last reading, if any
};

// Re-reads the held indicator, or finds it anew below the taskbar; true when a
// reading was obtained that differs from the previous one (or there was none).
bool ReadTaskbarIndicator(Automation& automation, Desktop& desktop, TaskbarIndicatorState state);

// The reading an element's name gives.
std::uint8_t ClassifyIndicatorName(Automation& automation, const UiaElementRef& element);

// The first element below `parent` (depth first, in document order) whose name
// gives a reading; `budget` counts the elements examined across the search.
UiaElementRef FindIndicatorElement(Automation& automation, const UiaElementRef& parent, int depth, int& budget);

}  // namespace tessel
