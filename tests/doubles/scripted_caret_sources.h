#pragma once
// Scripted caret sources: accessibility carets per window and console carets,
// with a log of the calls in order so that tests can check which sources were
// asked.
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "editability/caret_sources.h"

namespace tessel::testing {

class ScriptedCaretSources : public CaretSources {
public:
    // --- script ---
    std::map<WindowId, CaretInfo> accessibleCarets;
    CaretInfo consoleCaret;

    // --- observation ---
    std::vector<std::string> log;
    int Count(const std::string& prefix) const;

    // --- CaretSources ---
    CaretInfo AccessibleCaret(WindowId window) override;
    CaretInfo LocateConsoleCaret(const FocusSnapshot& snapshot, std::uint32_t cells) override;
    void ReleaseConsole() override;
};

}  // namespace tessel::testing
