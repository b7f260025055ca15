#include "main/editability_decision.h"

#include <optional>

#include "editability/accessibility_caret_search.h"
#include "editability/caret_locator.h"
#include "editability/window_classification.h"

namespace tessel {
namespace {

constexpr Duration kVerdictReuse = Ms(250);

// The cheap rules, in order; empty when none of them decides.
std::optional<EditabilityDecision> CheapRules(const EditabilityInputs& in) {
    Desktop& desktop = in.desktop;
    const FocusSnapshot& s = in.snapshot;
    if (in.foreground.ConsoleHost) return EditabilityDecision{true, EditabilityRule::Console};
    if (EvaluateNativeEditFirst(desktop, in.memo, s)) return EditabilityDecision{true, EditabilityRule::NativeControl};
    if (ExcelCaretOwnerRule(desktop, in.memo, s).applies)
        return EditabilityDecision{true, EditabilityRule::ExcelCaretOwner};
    if (UiaEnv env = in.Uia(); ExcelFieldEstimate(env, in.memo, s).Found)
        return EditabilityDecision{true, EditabilityRule::ExcelFieldEstimate};
    if (RuleWindow dialog = ExcelDialogRule(desktop, in.memo, s); dialog.applies) {
        ChildCaretSearch found = SearchChildCarets(desktop, in.accessibility, dialog.window);
        if (found.preferred.Found || found.fallback.Found)
            return EditabilityDecision{true, EditabilityRule::ExcelDialog};
    }
    if (in.foreground.Word) {
        WindowId w = s.caret ? s.caret : s.focus;
        if (w && desktop.IsWindowEnabled(w) && IsWordPane(desktop, w))
            return EditabilityDecision{true, EditabilityRule::WordPane};
    }
    return std::nullopt;
}

// The slow rules: standard controls, PowerPoint, Outlook, UI Automation.
bool ComputeVerdict(const EditabilityInputs& in) {
    Desktop& desktop = in.desktop;
    const FocusSnapshot& s = in.snapshot;
    std::optional<std::uint8_t> outlookAnswer;
    // The standard-control rule has answered for both windows already: the
    // cheap rules' native-edit test asks it, and asking a Scintilla editor
    // again would cost another message. Caret and focus are usually one
    // window; its rules answer the same twice.
    for (WindowId w : {s.caret, s.focus == s.caret ? kNoWindow : s.focus}) {
        if (!w || !IsWordPane(desktop, w) || outlookAnswer) continue;
        // "Does not apply" is the compose test's own Outlook-pane check.
        const std::uint8_t compose = ComposeWindowTest(desktop, in.outlook, in.outlookAnswer, s, w);
        if (compose != kNotOutlookPane) outlookAnswer = compose;
    }
    if (in.foreground.PowerPoint && FocusThenCaretAccessibleCaret(desktop, in.accessibility, s.focus, s.caret).Found)
        return true;
    if (outlookAnswer) return *outlookAnswer == kComposeSurface;
    UiaEnv env = in.Uia();
    return UiaVerdictOnFocus(env, s) == UiaVerdict::Editable;
}

}  // namespace

EditabilityDecision DecideEditability(const EditabilityInputs& in, EditabilityVerdict& cache) {
    const FocusSnapshot& s = in.snapshot;
    std::optional<EditabilityDecision> decision = CheapRules(in);
    if (!decision) {
        if (cache.foreground == s.foreground && cache.focus == s.focus && cache.caret == s.caret &&
            AtMostAgo(in.decisionTime, cache.time, kVerdictReuse))
            return EditabilityDecision{cache.show, EditabilityRule::Cached};
        decision = EditabilityDecision{ComputeVerdict(in), EditabilityRule::Computed};
    }
    cache = EditabilityVerdict{in.decisionTime, s.foreground, s.focus, s.caret, decision->show};
    return *decision;
}

}  // namespace tessel
