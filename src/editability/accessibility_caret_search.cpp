#include "editability/accessibility_caret_search.h"

#include "editability/caret_locator.h"
#include "editability/window_classification.h"

namespace tessel {
namespace {

CaretInfo PlausibleCaretOf(Desktop& desktop, CaretSources& sources, WindowId window) {
    CaretInfo c = sources.AccessibleCaret(window);
    if (c.Found && PlausibleInWindow(desktop, c, window)) return c;
    return {};
}

}  // namespace

CaretInfo FocusThenCaretAccessibleCaret(Desktop& desktop, CaretSources& sources, WindowId focus, WindowId caret) {
    if (focus == kNoWindow && caret == kNoWindow) return {};
    const WindowId first = focus != kNoWindow ? focus : caret;
    if (CaretInfo c = PlausibleCaretOf(desktop, sources, first); c.Found) return c;
    if (focus != kNoWindow && caret != kNoWindow && focus != caret) return PlausibleCaretOf(desktop, sources, caret);
    return {};
}

ChildCaretSearch SearchChildCarets(Desktop& desktop, CaretSources& sources, WindowId host) {
    ChildCaretSearch result;
    if (host == kNoWindow) return result;
    desktop.EnumChildWindows(host, [&](WindowId child) {
        if (!desktop.IsWindowEnabled(child)) return true;
        const LowerClassText c = LowerClassName(desktop, child);
        if (c != "edit" && c != "edtbx") return true;
        if (!result.fallback.Found) result.fallback = EditWindowGuess(desktop, child);
        if (CaretInfo p = PlausibleCaretOf(desktop, sources, child); p.Found) {
            result.preferred = p;
            return false;
        }
        return true;
    });
    return result;
}

}  // namespace tessel
