#pragma once
// Where the caret of the focused control stands on screen: a fixed order of
// sources (system caret, console, UI Automation, accessibility caret, window
// rules, Outlook), each answer checked against the windows involved.
#include <cstdint>

#include "editability/caret_info.h"
#include "editability/caret_locator_state.h"
#include "editability/uia_state.h"
#include "platform/focus_snapshot.h"
#include "platform/accessibility.h"
#include "outlook/compose_window_test.h"
#include "platform/clock.h"
#include "platform/console.h"
#include "platform/desktop.h"
#include "platform/ime.h"
#include "platform/processes.h"

namespace tessel {

// What the locator works with; all of it outlives the call.
struct CaretContext {
    Desktop& desktop;
    Clock& clock;
    Automation& automation;
    UiaState& uia;
    OutlookAutomation& outlook;
    OutlookAnswerCache& outlookAnswer;
    Accessibility& accessibility;
    Console& console;
    Processes& processes;
    Ime& ime;

    UiaEnv Uia() const { return UiaEnv{automation, desktop, clock, uia}; }
};

struct CaretLocation {
    CaretInfo caret;
    bool caretNearTop = false;  // the caret lies in the top band of the foreground window
    bool systemCaret = false;   // the caret is the system caret GetGUIThreadInfo reports
    Point caretWindowOrigin;    // with the system caret: its window's client origin on screen
};

// The caret of the focused control in physical screen pixels. Mutates only the
// caches and the console attachment in `state`.
CaretLocation LocateCaret(CaretContext& context, CaretLocatorState& state, const FocusSnapshot& snapshot,
                          std::uint32_t defaultCompositionCells);

// The system caret of the snapshot, converted to screen pixels with the
// correction between the window's DPI and its monitor's effective DPI.
// `origin` receives the caret window's client origin on screen.
CaretInfo GuiThreadCaret(Desktop& desktop, const FocusSnapshot& snapshot, Point* origin = nullptr);

// The caret point (X, Top, Bottom) lies within 16 pixels of the window.
bool PlausibleInWindow(Desktop& desktop, const CaretInfo& point, WindowId window);

// The caret point lies in the top band of the window (96 pixels, or a third of
// the window's height up to 320 pixels for windows of 288 pixels and more).
bool InTopBand(Desktop& desktop, const CaretInfo& point, WindowId window);

// Scales a client value from the window's DPI to the monitor's, rounding half
// away from zero.
std::int32_t ScaleForDpi(std::int32_t value, std::uint32_t windowDpi, std::uint32_t monitorDpi);

// Evaluates the native-control shortcut of a (freshly keyed) memo: the caret
// or focus window is a standard control that takes text. Sets Evaluated.
bool EvaluateNativeEditFirst(Desktop& desktop, TargetMemo& memo, const FocusSnapshot& snapshot);

}  // namespace tessel
