#include "doubles/scripted_accessibility.h"

#include <algorithm>
#include <utility>

namespace tessel::testing {

int ScriptedAccessibility::Reads(WindowId window) const {
    return static_cast<int>(std::count(asked.begin(), asked.end(), window));
}

std::optional<AccessibleBox> ScriptedAccessibility::CaretLocation(WindowId window) noexcept {
    asked.push_back(window);
    if (duringNextRead) std::exchange(duringNextRead, nullptr)();
    if (lateWindows.count(window)) {
        late = true;
        return std::nullopt;
    }
    auto it = boxes.find(window);
    if (it == boxes.end()) return std::nullopt;
    return it->second;
}

}  // namespace tessel::testing
