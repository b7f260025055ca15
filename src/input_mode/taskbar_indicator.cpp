#include "input_mode/taskbar_indicator.h"

#include <string>

#include "editability/uia_element.h"
#include "editability/uia_element_reading.h"

namespace tessel {
namespace {

constexpr int kSearchDepth = 10;
constexpr int kSearchBudget = 128;

}  // namespace

std::uint8_t ClassifyIndicatorName(Automation& automation, const UiaElementRef& element) {
    const std::optional<std::string> name = ReadStringProperty(automation, element, uia_property::kName);
    if (!name) return taskbar_reading::kNone;
    const std::string_view n = *name;
    if (ContainsLoweredText(n, "한국어 입력 모드") || ContainsLoweredText(n, "korean input mode"))
        return taskbar_reading::kKorean;
    if (ContainsLoweredText(n, "영어 입력 모드") || ContainsLoweredText(n, "english input mode"))
        return taskbar_reading::kEnglish;
    return taskbar_reading::kNone;
}

UiaElementRef FindIndicatorElement(Automation& automation, const UiaElementRef& parent, int depth, int& budget) {
    if (depth <= 0 || budget <= 0) return {};
    UiaElementRef child = automation.FirstChild(parent);
    while (child) {
        --budget;
        if (ClassifyIndicatorName(automation, child) != taskbar_reading::kNone) return child;
        if (budget > 0) {
            if (UiaElementRef found = FindIndicatorElement(automation, child, depth - 1, budget)) return found;
        }
        if (budget <= 0) return {};
        child = automation.NextSibling(child);
    }
    return {};
}

namespace {

// Finds the indicator below the taskbar; empty when there is none to be had.
UiaElementRef SearchTaskbar(Automation& automation, Desktop& desktop) {
    const WindowId taskbar = desktop.FindTopLevelWindow(u"Shell_TrayWnd");
    if (taskbar == kNoWindow) return {};
    const UiaElementRef root = automation.ElementFromWindow(taskbar);
    if (!root) return {};
    int budget = kSearchBudget;
    return FindIndicatorElement(automation, root, kSearchDepth, budget);
}

}  // namespace

bool ReadTaskbarIndicator(Automation& automation, Desktop& desktop, const Clock& clock, TaskbarIndicatorState state) {
    if (!automation.Present() || !automation.HasWalker()) return false;
    std::uint8_t reading = taskbar_reading::kNone;
    if (state.indicator) {
        reading = ClassifyIndicatorName(automation, state.indicator);
        // An element that stopped announcing a mode is stale: search afresh at
        // once, as the indicator was there a moment ago.
        if (reading == taskbar_reading::kNone) state.indicator.Reset();
    } else if (state.lastMiss) {
        const std::optional<Duration> since = Elapsed(clock.Now(), *state.lastMiss);
        if (since && *since < kIndicatorSearchBackOff) return false;
    }
    if (reading == taskbar_reading::kNone) {
        UiaElementRef found = SearchTaskbar(automation, desktop);
        // The name may have changed between the search and this read.
        if (found) reading = ClassifyIndicatorName(automation, found);
        if (reading == taskbar_reading::kNone) {
            state.lastMiss = clock.Now();
            return false;
        }
        state.indicator = std::move(found);
        state.lastMiss.reset();
    }
    const std::uint8_t previous = state.reading;
    state.reading = reading;
    return reading != previous || previous == taskbar_reading::kNone;
}

}  // namespace tessel
