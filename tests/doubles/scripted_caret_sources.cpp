#include "scripted_caret_sources.h"

namespace tessel::testing {
int ScriptedCaretSources::Count(const std::string& prefix) const {
    int n = 0;
    for (const auto& entry : log)
        if (entry.rfind(prefix, 0) == 0) ++n;
    return n;
}

std::uint8_t ScriptedCaretSources::ComposeWindowTest(const FocusSnapshot&, WindowId window) {
    log.push_back("ComposeWindowTest(" + std::to_string(window) + ")");
    auto it = composeAnswers.find(window);
    return it == composeAnswers.end() ? 1 : it->second;
}

}  // namespace tessel::testing
