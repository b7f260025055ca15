#include "scripted_caret_sources.h"

namespace tessel::testing {
int ScriptedCaretSources::Count(const std::string& prefix) const {
    int n = 0;
    for (const auto& entry : log)
        if (entry.rfind(prefix, 0) == 0) ++n;
    return n;
}

CaretInfo ScriptedCaretSources::AccessibleCaret(WindowId window) {
    log.push_back("AccessibleCaret(" + std::to_string(window) + ")");
    auto it = accessibleCarets.find(window);
    return it == accessibleCarets.end() ? CaretInfo{} : it->second;
}

CaretInfo ScriptedCaretSources::LocateConsoleCaret(const FocusSnapshot&, std::uint32_t cells) {
    log.push_back("LocateConsoleCaret(" + std::to_string(cells) + ")");
    return consoleCaret;
}

void ScriptedCaretSources::ReleaseConsole() { log.push_back("ReleaseConsole"); }

}  // namespace tessel::testing
