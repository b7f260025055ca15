#include "editability/caret_locator.h"

#include <algorithm>

#include "common/saturate.h"
#include "editability/accessibility_caret.h"
#include "editability/accessibility_caret_search.h"
#include "editability/console_caret.h"
#include "editability/uia_caret_search.h"
#include "editability/uia_element_reading.h"
#include "editability/window_classification.h"

namespace tessel {
namespace {

constexpr std::uint32_t kMonitorDefaultToNearest = 2;
constexpr int kMdtEffectiveDpi = 0;
constexpr Duration kWindowCaretMaxAge = Ms(120);

CaretInfo Accept(std::int32_t x, std::int32_t top, std::int32_t bottom) { return CaretInfo{true, x, top, bottom}; }

CaretInfo Accept(const UiaCaret& c) { return Accept(c.X, c.Top, c.Bottom); }

// Browser and Task Manager windows: the accessibility caret of the foreground
// window, trusted when UI Automation confirms that an editable element is there.
CaretInfo UiaFirstCaret(CaretContext& ctx, const FocusSnapshot& snapshot, const ForegroundClass& flags) {
    Desktop& desktop = ctx.desktop;
    UiaEnv env = ctx.Uia();
    Automation& automation = ctx.automation;
    auto resolve = [&]() {
        const UiaCaret u = ResolveUiaCaret(env, snapshot, flags.ConsoleHost, flags.Chromium, flags.ScopeToWindow);
        return u.kind == UiaCaretKind::CaretFound ? Accept(u) : CaretInfo{};
    };

    const CaretInfo p = AccessibleCaret(desktop, ctx.accessibility, snapshot.foreground);
    if (!p.Found || !PlausibleInWindow(desktop, p, snapshot.foreground)) return resolve();
    // Chromium's caret object is trusted only where UI Automation confirms a text field.
    if (!automation.Present()) return flags.Chromium ? resolve() : p;
    UiaElementRef element = CachedFocusedElement(env, snapshot);
    if (!element) return flags.Chromium ? resolve() : p;
    const bool walker = automation.HasWalker();
    if (walker) {
        int budget = 64;
        if (DescendantContainsPoint(env, element, 4, budget, p, flags.Chromium)) return p;
    }
    for (int i = 0; i < 13 && element; ++i) {
        if (StronglyEditable(ElementEditability(automation, element), flags.Chromium)) {
            const auto r = ElementRectangle(env, element);
            if (!r) return p;
            if (IsUsableRect(*r) && NearRect(p, *r)) return p;
        }
        if (!walker || i == 12) break;  // no parent request beyond the thirteenth element
        element = automation.Parent(element);
    }
    // Release the walk's element before the search takes its own references.
    element.Reset();
    return resolve();
}

// Excel: the cell editor, formula bar or name box owns the caret.
CaretInfo ExcelOwnerCaret(CaretContext& ctx, CaretLocatorState& state, const FocusSnapshot& snapshot, WindowId owner) {
    Desktop& desktop = ctx.desktop;
    if (CaretInfo c = GuiThreadCaret(desktop, snapshot); c.Found) return c;
    if (CaretInfo c = AccessibleCaret(desktop, ctx.accessibility, owner); c.Found && PlausibleInWindow(desktop, c, owner))
        return c;
    UiaEnv env = ctx.Uia();
    if (UiaCaret u = ResolveUiaCaret(env, snapshot, false, false, false); u.kind == UiaCaretKind::CaretFound)
        return Accept(u);
    if (CaretInfo c = ExcelFieldEstimate(env, state.targetMemo, snapshot); c.Found) return c;
    if (ExcelDialogRule(desktop, state.targetMemo, snapshot).applies) return EditWindowGuess(desktop, owner);
    return {};
}

struct WindowLoopResult {
    bool accepted = false;
    bool outlookSeen = false;
    CaretInfo caret;
};

// Word document panes (in Word or as Outlook's editor) report their caret
// through the accessibility caret object.
WindowLoopResult WordPaneLoop(CaretContext& ctx, CaretLocatorState& state, const FocusSnapshot& snapshot) {
    Desktop& desktop = ctx.desktop;
    WindowLoopResult result;
    const WindowId candidates[2] = {snapshot.caret, snapshot.focus == snapshot.caret ? kNoWindow : snapshot.focus};
    for (WindowId w : candidates) {
        if (w == kNoWindow) continue;
        if (!IsWordPane(desktop, w)) continue;
        // The compose test makes the Outlook-pane check itself; its "does not
        // apply" answer spares a second walk up the pane's parents.
        const std::uint8_t compose = ComposeWindowTest(desktop, ctx.outlook, ctx.outlookAnswer, snapshot, w);
        if (compose != kNotOutlookPane) {
            result.outlookSeen = true;
            if (compose != kComposeSurface) continue;
            WindowCaretCache& cache = state.windowCaret;
            const MonoTime now = ctx.clock.Now();
            if (cache.stored && cache.foreground == snapshot.foreground && cache.focus == snapshot.focus &&
                cache.caret == snapshot.caret && cache.window == w && AtMostAgo(now, cache.stored, kWindowCaretMaxAge)) {
                result.accepted = true;
                result.caret = Accept(cache.X, cache.Top, cache.Bottom);
                return result;
            }
            const CaretInfo c = AccessibleCaret(desktop, ctx.accessibility, w);
            if (c.Found && PlausibleInWindow(desktop, c, w)) {
                // The read may have taken a while: the point is as old as its answer.
                cache = WindowCaretCache{ctx.clock.Now(), snapshot.foreground, snapshot.focus, snapshot.caret,
                                         w, c.X, c.Top, c.Bottom};
                result.accepted = true;
                result.caret = c;
                return result;
            }
            cache = WindowCaretCache{};
            continue;
        }
        const CaretInfo c = AccessibleCaret(desktop, ctx.accessibility, w);
        if (c.Found && PlausibleInWindow(desktop, c, w)) {
            result.accepted = true;
            result.caret = c;
            return result;
        }
    }
    return result;
}

// Steps 2 to 8: the first source that accepts a caret or gives up decides.
CaretInfo SearchCaret(CaretContext& ctx, CaretLocatorState& state, const FocusSnapshot& snapshot,
                      std::uint32_t defaultCompositionCells, bool& systemCaret, Point& origin) {
    Desktop& desktop = ctx.desktop;
    const ForegroundClass flags = ClassifyForeground(desktop, state.classification, snapshot.foreground);

    if (flags.ClassicConsole) {
        ConsoleCaretServices console{desktop, ctx.console, ctx.processes, ctx.ime};
        if (CaretInfo c = LocateConsoleCaret(console, state.ConsoleAttachment, snapshot, defaultCompositionCells); c.Found)
            return c;
    } else {
        ReleaseConsole(state.ConsoleAttachment);
    }

    if (flags.UiaFirst) return UiaFirstCaret(ctx, snapshot, flags);

    UiaEnv env = ctx.Uia();
    if (flags.ConsoleHost) {
        const UiaCaret u = ResolveUiaCaret(env, snapshot, true, false, false);
        return u.kind == UiaCaretKind::CaretFound ? Accept(u) : CaretInfo{};
    }

    // Native-control shortcut: a standard edit control reports its system caret.
    TargetMemo& memo = state.targetMemo;
    EnsureTargetMemo(memo, snapshot);
    if (!memo.Evaluated) EvaluateNativeEditFirst(desktop, memo, snapshot);
    if (memo.NativeEditFirst) {
        if (CaretInfo c = GuiThreadCaret(desktop, snapshot, &origin); c.Found) {
            systemCaret = true;
            return c;
        }
    }

    const RuleWindow owner = ExcelCaretOwnerRule(desktop, memo, snapshot);
    if (owner.applies) return ExcelOwnerCaret(ctx, state, snapshot, owner.window);
    if (CaretInfo c = ExcelFieldEstimate(env, memo, snapshot); c.Found) return c;
    if (const RuleWindow dialog = ExcelDialogRule(desktop, memo, snapshot); dialog.applies) {
        const ChildCaretSearch search = SearchChildCarets(desktop, ctx.accessibility, dialog.window);
        if (search.preferred.Found) return search.preferred;
        if (search.fallback.Found) return search.fallback;
    }

    const WindowLoopResult loop = WordPaneLoop(ctx, state, snapshot);
    if (loop.accepted) return loop.caret;
    // Outlook decides for its own panes; a reading pane's caret must not show.
    if (loop.outlookSeen) return {};

    if (flags.PowerPoint) {
        const UiaCaret u = ResolveUiaCaret(env, snapshot, false, false, false);
        if (u.kind == UiaCaretKind::CaretFound) return Accept(u);
        if (u.kind == UiaCaretKind::NoCaret) return {};
        return FocusThenCaretAccessibleCaret(desktop, ctx.accessibility, snapshot.focus, snapshot.caret);
    }

    if (CaretInfo c = GuiThreadCaret(desktop, snapshot, &origin); c.Found) {
        systemCaret = true;
        return c;
    }
    const UiaCaret u = ResolveUiaCaret(env, snapshot, false, false, flags.ScopeToWindow);
    return u.kind == UiaCaretKind::CaretFound ? Accept(u) : CaretInfo{};
}

}  // namespace

std::int32_t ScaleForDpi(std::int32_t value, std::uint32_t windowDpi, std::uint32_t monitorDpi) {
    if (windowDpi == 0 || windowDpi == monitorDpi) return value;
    const std::int64_t product = static_cast<std::int64_t>(value) * static_cast<std::int64_t>(monitorDpi);
    const std::int64_t half = static_cast<std::int64_t>(windowDpi / 2);
    const std::int64_t rounded = (product >= 0 ? product + half : product - half) / static_cast<std::int64_t>(windowDpi);
    return SaturateToI32(rounded);
}

CaretInfo GuiThreadCaret(Desktop& desktop, const FocusSnapshot& snapshot, Point* originOut) {
    const WindowId window = snapshot.caret;
    if (window == kNoWindow) return {};
    const Rect& r = snapshot.caretRect;
    const std::int32_t width =
        r.left >= r.right ? 1 : static_cast<std::int32_t>(std::min<std::int64_t>(static_cast<std::int64_t>(r.right) - r.left, 8));
    const auto origin = desktop.ClientToScreen(window, Point{0, 0});
    if (!origin) return {};
    if (originOut) *originOut = *origin;

    std::uint32_t windowDpi = desktop.DpiForWindow(window);
    if (windowDpi == 0) windowDpi = 96;
    std::uint32_t monitorDpi = windowDpi;
    if (const std::uintptr_t monitor = desktop.MonitorFromWindow(window, kMonitorDefaultToNearest)) {
        if (const auto dpi = desktop.DpiForMonitor(monitor, kMdtEffectiveDpi); dpi && *dpi != 0) monitorDpi = *dpi;
    }

    const std::int32_t x0 = ScaleForDpi(SatAdd(r.left, width), windowDpi, monitorDpi);
    const std::int32_t t0 = ScaleForDpi(r.top, windowDpi, monitorDpi);
    const std::int32_t b0 = ScaleForDpi(std::max(r.bottom, SatAdd(r.top, 1)), windowDpi, monitorDpi);

    CaretInfo c;
    c.Found = true;
    c.X = SatAdd(origin->x, x0);
    c.Top = SatAdd(origin->y, t0);
    c.Bottom = std::max(SatAdd(origin->y, b0), SatAdd(c.Top, 1));
    return c;
}

bool PlausibleInWindow(Desktop& desktop, const CaretInfo& p, WindowId window) {
    const auto r = desktop.WindowRect(window);
    if (!r) return false;
    return p.X >= SatSub(r->left, 16) && p.X <= SatAdd(r->right, 16) && p.Bottom >= SatSub(r->top, 16) &&
           p.Top <= SatAdd(r->bottom, 16);
}

bool InTopBand(Desktop& desktop, const CaretInfo& p, WindowId window) {
    const auto r = desktop.WindowRect(window);
    if (!r || r->right <= r->left || r->bottom <= r->top) return false;
    if (p.X < r->left || p.X > r->right || p.Bottom < r->top) return false;
    const std::int64_t height = static_cast<std::int64_t>(r->bottom) - r->top;
    const std::int64_t band = height < 288 ? 96 : std::min<std::int64_t>(height / 3, 320);
    return p.Top <= SatAdd(r->top, static_cast<std::int32_t>(band));
}

bool EvaluateNativeEditFirst(Desktop& desktop, TargetMemo& memo, const FocusSnapshot& snapshot) {
    memo.NativeEditFirst =
        (snapshot.caret != kNoWindow && StandardControlRule(desktop, snapshot.caret) == ControlVerdict::Editable) ||
        // The same window answers the same; a Scintilla editor would be asked twice.
        (snapshot.focus != kNoWindow && snapshot.focus != snapshot.caret &&
         StandardControlRule(desktop, snapshot.focus) == ControlVerdict::Editable);
    memo.Evaluated = true;
    return memo.NativeEditFirst;
}

CaretLocation LocateCaret(CaretContext& context, CaretLocatorState& state, const FocusSnapshot& snapshot,
                          std::uint32_t defaultCompositionCells) {
    CaretLocation result;
    if (snapshot.foreground == kNoWindow) {
        ReleaseConsole(state.ConsoleAttachment);
        return result;
    }
    result.caret =
        SearchCaret(context, state, snapshot, defaultCompositionCells, result.systemCaret, result.caretWindowOrigin);
    result.caretNearTop = result.caret.Found && InTopBand(context.desktop, result.caret, snapshot.foreground);
    return result;
}

}  // namespace tessel
