#pragma once
// Scripted caret sources: Outlook answers, with a log of the calls in order so
// that tests can check which sources were asked.
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "editability/caret_sources.h"

namespace tessel::testing {

class ScriptedCaretSources : public CaretSources {
public:
    // --- script ---
    std::map<WindowId, std::uint8_t> composeAnswers;  // missing: 1

    // --- observation ---
    std::vector<std::string> log;
    int Count(const std::string& prefix) const;

    // --- CaretSources ---
    std::uint8_t ComposeWindowTest(const FocusSnapshot& snapshot, WindowId window) override;
};

}  // namespace tessel::testing
