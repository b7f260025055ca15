#pragma once
// The rule book that tells applications apart by window class, parent chain
// and style, plus a few checks on the UI Automation focus. The rules decide
// nothing on their own; the update cycle and the caret locator combine them.
#include <cstdint>
#include <string>
#include <string_view>

#include "editability/caret_info.h"
#include "editability/caret_locator_state.h"
#include "editability/uia_state.h"
#include "common/class_name.h"
#include "platform/focus_snapshot.h"
#include "platform/desktop.h"

namespace tessel {

// A window's class name lower-cased in ASCII, in a fixed buffer (no
// allocation); empty when it cannot be read.
LowerClassText LowerClassName(Desktop& desktop, WindowId window);

// The seven flags for a lower-cased class name (empty: all false).
ForegroundClass ClassifyClassName(std::string_view lowerClass);

// Foreground classification, cached for the last classified window.
ForegroundClass ClassifyForeground(Desktop& desktop, ClassificationCache& cache, WindowId foreground);

// Chromium or Task Manager: empty-field guesses may be checked against the window.
bool IsWindowScopeClass(std::string_view lowerClass);

enum class ControlVerdict : std::uint8_t { Editable, ReadOnly, Unknown };

// Standard edit, rich edit, Scintilla and static controls.
ControlVerdict StandardControlRule(Desktop& desktop, WindowId window);

// Word's document pane (_WwG).
bool IsWordPane(Desktop& desktop, WindowId window);

// A Word document pane hosted inside an Outlook window.
bool IsOutlookPane(Desktop& desktop, WindowId window);

// The window, its root or its root owner is an Excel window.
bool IsExcelWindow(Desktop& desktop, WindowId window);

// Excel's dialog or edit-bar host window, memoised per focus target.
RuleWindow ExcelDialogRule(Desktop& desktop, TargetMemo& memo, const FocusSnapshot& snapshot);

// The Excel window that owns the caret (cell editor, formula bar, name box),
// memoised per focus target.
RuleWindow ExcelCaretOwnerRule(Desktop& desktop, TargetMemo& memo, const FocusSnapshot& snapshot);

// A caret estimate for an Excel edit field found through UI Automation.
CaretInfo ExcelFieldEstimate(UiaEnv& env, TargetMemo& memo, const FocusSnapshot& snapshot);

// A synthetic caret at the left of a plain edit window.
CaretInfo EditWindowGuess(Desktop& desktop, WindowId window);

// An editor's quick-input box, or Task Manager's search box.
bool QuickInputRule(UiaEnv& env, const UiaElementRef& element, WindowId scope);

enum class UiaVerdict : std::uint8_t { Editable = 0, NotEditable = 1, Undetermined = 2 };

// Whether the focused UI Automation element takes text.
UiaVerdict UiaVerdictOnFocus(UiaEnv& env, const FocusSnapshot& snapshot);

struct UiaFocusOwner {
    WindowId UiaFocusWindow = kNoWindow;
    std::uint32_t UiaFocusProcessId = 0;
    friend constexpr bool operator==(const UiaFocusOwner&, const UiaFocusOwner&) = default;
};

// The window and process that own the focused UI Automation element.
UiaFocusOwner UiaFocusLookup(UiaEnv& env, const FocusSnapshot& snapshot);

}  // namespace tessel
