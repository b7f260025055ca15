#pragma once
// Whether the focused control takes text: the first rule that decides wins.
#include "common/time.h"
#include "editability/caret_locator_state.h"
#include "editability/uia_state.h"
#include "platform/focus_snapshot.h"
#include "platform/accessibility.h"
#include "outlook/compose_window_test.h"
#include "platform/desktop.h"

namespace tessel {

// The last editability decision, reused for 250 ms for the same windows.
struct EditabilityVerdict {
    OptionalTime time;  // empty: no decision cached
    WindowId foreground = kNoWindow;
    WindowId focus = kNoWindow;
    WindowId caret = kNoWindow;
    bool show = false;
};

struct EditabilityInputs {
    Desktop& desktop;
    TargetMemo& memo;  // freshly keyed to `snapshot`
    const FocusSnapshot& snapshot;
    const ForegroundClass& foreground;
    MonoTime decisionTime;
    Automation& automation;
    Clock& clock;
    UiaState& uia;
    OutlookAutomation& outlook;
    OutlookAnswerCache& outlookAnswer;
    Accessibility& accessibility;

    UiaEnv Uia() const { return UiaEnv{automation, desktop, clock, uia}; }
};

// Which rule decided; for tests and benchmarks.
enum class EditabilityRule : std::uint8_t {
    Console = 1,
    NativeControl,
    ExcelCaretOwner,
    ExcelFieldEstimate,
    ExcelDialog,
    WordPane,
    Cached,
    Computed,
};

struct EditabilityDecision {
    bool show = false;
    EditabilityRule rule = EditabilityRule::Computed;
};

// Decides and records the decision (except a reused one) in `cache`.
EditabilityDecision DecideEditability(const EditabilityInputs& in, EditabilityVerdict& cache);

}  // namespace tessel
