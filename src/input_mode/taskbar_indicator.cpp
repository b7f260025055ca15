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

bool ReadTaskbarIndicator(Automation& automation, Desktop& desktop, TaskbarIndicatorState state) {
    if (!automation.Present() || !automation.HasWalker()) return false;
    std::uint8_t reading = taskbar_reading::kNone;
    if (state.indicator) {
        reading = ClassifyIndicatorName(automation, state.indicator);
        // An element that stopped announcing a mode is stale: search afresh.
        if (reading == taskbar_reading::kNone) state.indicator.Reset();
    }
    if (reading == taskbar_reading::kNone) {
        const WindowId taskbar = desktop.FindTopLevelWindow(u"Shell_TrayWnd");
        if (taskbar == kNoWindow) return false;
        UiaElementRef found;
        {
            const UiaElementRef root = automation.ElementFromWindow(taskbar);
            if (!root) return false;
            int budget = kSearchBudget;
            found = FindIndicatorElement(automation, root, kSearchDepth, budget);
        }
        if (!found) return false;
        reading = ClassifyIndicatorName(automation, found);
        // The name may have changed between the search and this read.
        if (reading == taskbar_reading::kNone) return false;
        state.indicator = std::move(found);
    }
    const std::uint8_t previous = state.reading;
    state.reading = reading;
    return reading != previous || previous == taskbar_reading::kNone;
}

}  // namespace tessel
