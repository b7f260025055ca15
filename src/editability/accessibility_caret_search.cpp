#include "editability/accessibility_caret_search.h"

#include "editability/accessibility_caret.h"
#include "editability/caret_locator.h"
#include "editability/window_classification.h"

namespace tessel {
namespace {

CaretInfo PlausibleCaretOf(Desktop& desktop, Accessibility& accessibility, WindowId window) {
    CaretInfo c = AccessibleCaret(desktop, accessibility, window);
    if (c.Found && PlausibleInWindow(desktop, c, window)) return c;
    return {};
}

}  // namespace

CaretInfo FocusThenCaretAccessibleCaret(Desktop& desktop, Accessibility& accessibility, WindowId focus, WindowId caret) {
    if (focus == kNoWindow && caret == kNoWindow) return {};
    const WindowId first = focus != kNoWindow ? focus : caret;
    if (CaretInfo c = PlausibleCaretOf(desktop, accessibility, first); c.Found) return c;
    if (focus != kNoWindow && caret != kNoWindow && focus != caret) return PlausibleCaretOf(desktop, accessibility, caret);
    return {};
}

ChildCaretSearch SearchChildCarets(Desktop& desktop, Accessibility& accessibility, WindowId host) {
    ChildCaretSearch result;
    if (host == kNoWindow) return result;
    desktop.EnumChildWindows(host, [&](WindowId child) {
        if (!desktop.IsWindowEnabled(child)) return true;
        const std::string c = LowerClassName(desktop, child);
        if (c != "edit" && c != "edtbx") return true;
        if (!result.fallback.Found) result.fallback = EditWindowGuess(desktop, child);
        if (CaretInfo p = PlausibleCaretOf(desktop, accessibility, child); p.Found) {
            result.preferred = p;
            return false;
        }
        return true;
    });
    return result;
}

}  // namespace tessel
