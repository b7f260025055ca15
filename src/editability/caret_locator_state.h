#pragma once
// Short-lived caches of caret location, kept in the application state.
#include <cstdint>

#include "common/time.h"
#include "platform/focus_snapshot.h"
#include "platform/types.h"

namespace tessel {

// Seven facts about the foreground window, from its class name.
struct ForegroundClass {
    bool ConsoleHost = false;     // any console or terminal host
    bool ClassicConsole = false;  // the classic console window
    bool UiaFirst = false;        // browsers and Task Manager: UI Automation first
    bool Chromium = false;
    bool PowerPoint = false;
    bool Word = false;           // Word's main window
    bool ScopeToWindow = false;  // empty-field guesses may use the foreground window
    friend constexpr bool operator==(const ForegroundClass&, const ForegroundClass&) = default;
};

// The last classified foreground window.
struct ClassificationCache {
    bool valid = false;
    WindowId window = kNoWindow;
    ForegroundClass flags;
};

// A rule that either does not apply or names a window.
struct RuleWindow {
    bool applies = false;
    WindowId window = kNoWindow;
    friend constexpr bool operator==(const RuleWindow&, const RuleWindow&) = default;
};

// Per-focus-target memo shared by the update cycle and the caret locator.
struct TargetMemo {
    static constexpr std::uint32_t kValid = 0;
    static constexpr std::uint32_t kInvalidated = 2;

    // key
    WindowId foreground = kNoWindow;
    WindowId focus = kNoWindow;
    WindowId caret = kNoWindow;
    std::uint32_t processId = 0;
    std::uint32_t stateWord = kInvalidated;

    // per-target answers
    bool Evaluated = false;
    bool NativeEditFirst = false;
    bool excelOwnerValid = false;
    RuleWindow excelOwner;
    bool excelDialogValid = false;
    RuleWindow excelDialog;
};

// The last accessibility caret read from an Outlook compose pane.
struct WindowCaretCache {
    OptionalTime stored;  // empty: the cache is empty
    WindowId foreground = kNoWindow;
    WindowId focus = kNoWindow;
    WindowId caret = kNoWindow;
    WindowId window = kNoWindow;
    std::int32_t X = 0;
    std::int32_t Top = 0;
    std::int32_t Bottom = 0;
};

// The process through whose console the caret of a console window was last
// read; the program attaches to it for one read at a time.
struct ConsoleSource {
    std::uint32_t processId = 0;  // 0: none remembered
    WindowId window = kNoWindow;  // the console window it showed
    // A console window that no process could be attached for (an elevated
    // console, say): not searched again while it stays in the foreground.
    WindowId unreachable = kNoWindow;
    friend constexpr bool operator==(const ConsoleSource&, const ConsoleSource&) = default;
};

struct CaretLocatorState {
    ClassificationCache classification;
    TargetMemo targetMemo;
    WindowCaretCache windowCaret;
    // The process to attach to for the console caret. Each read checks it
    // afresh, so invalidation leaves it alone.
    ConsoleSource ConsoleAttachment;
};

// Stores the snapshot's key, marks the memo valid and clears every answer.
inline void RekeyTargetMemo(TargetMemo& memo, const FocusSnapshot& snapshot) {
    memo = TargetMemo{};
    memo.foreground = snapshot.foreground;
    memo.focus = snapshot.focus;
    memo.caret = snapshot.caret;
    memo.processId = snapshot.processId;
    memo.stateWord = TargetMemo::kValid;
}

// Re-keys the memo when its key differs from the snapshot or it has been
// invalidated; returns true when it did.
inline bool EnsureTargetMemo(TargetMemo& memo, const FocusSnapshot& snapshot) {
    if (memo.stateWord != TargetMemo::kInvalidated && memo.foreground == snapshot.foreground &&
        memo.focus == snapshot.focus && memo.caret == snapshot.caret && memo.processId == snapshot.processId)
        return false;
    RekeyTargetMemo(memo, snapshot);
    return true;
}

// Makes the next user of the memo evaluate its target afresh.
inline void InvalidateTargetMemo(TargetMemo& memo) { memo.stateWord = TargetMemo::kInvalidated; }

// The caret locator's share of emptying the caret caches at once.
inline void InvalidateCaretLocatorCaches(CaretLocatorState& state) {
    state.classification = ClassificationCache{};
    state.windowCaret = WindowCaretCache{};
    InvalidateTargetMemo(state.targetMemo);
}

}  // namespace tessel
