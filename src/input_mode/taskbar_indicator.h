#pragma once
// The taskbar's input indicator, read through UI Automation: the element whose
// name announces the Korean or English input mode.
#include <cstdint>

#include "common/time.h"
#include "platform/automation.h"
#include "platform/clock.h"
#include "platform/desktop.h"

namespace tessel {

namespace taskbar_reading {
constexpr std::uint8_t kEnglish = 0;
constexpr std::uint8_t kKorean = 1;
constexpr std::uint8_t kNone = 2;
}  // namespace taskbar_reading

// A search of the taskbar that found no indicator is not repeated sooner
// than this: where the indicator is hidden or named in another language,
// every search examines the whole budget of Explorer's elements for nothing.
inline constexpr Duration kIndicatorSearchBackOff = Ms(1000);

// What the indicator reading keeps between calls.
struct TaskbarIndicatorState {
    std::uint8_t& reading;        // 0 English, 1 Korean, 2 no reading
    UiaElementRef& indicator;     // the element of the last reading, if any
    OptionalTime& lastMiss;       // when a search last ended without an indicator
};

// Re-reads the held indicator, or finds it anew below the taskbar (at most
// once per back-off after a search that found none); true when a reading was
// obtained that differs from the previous one (or there was none).
bool ReadTaskbarIndicator(Automation& automation, Desktop& desktop, const Clock& clock, TaskbarIndicatorState state);

// The reading an element's name gives.
std::uint8_t ClassifyIndicatorName(Automation& automation, const UiaElementRef& element);

// The first element below `parent` (depth first, in document order) whose name
// gives a reading; `budget` counts the elements examined across the search.
UiaElementRef FindIndicatorElement(Automation& automation, const UiaElementRef& parent, int depth, int& budget);

}  // namespace tessel
