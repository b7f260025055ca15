#pragma once
// Shell surfaces (Start, search) whose text input another process serves, and
// Task Manager's search box.
#include <string_view>

#include "platform/focus_snapshot.h"
#include "platform/desktop.h"

namespace tessel {

// True for the shell's host processes, compared in ASCII lower case.
bool IsShellHostProcessName(std::u16string_view exeName);

// Foreground "TaskManagerWindow" with focus on "Windows.UI.Input.InputSite.WindowClass".
bool IsTaskManagerSearchBox(Desktop& desktop, WindowId foreground, WindowId focus);

// The foreground thread's GUI state now.
FocusSnapshot TakeFocusSnapshot(Desktop& desktop);

// The foreground thread's GUI state `now` shows the same active, focus and
// caret windows and caret rectangle as `then`. A null active window never
// matches, since the snapshot put the foreground window in its place.
bool SameTarget(const FocusSnapshot& then, const GuiThreadInfo& now);

// A rectangle with positive width and height.
bool IsNonEmpty(const Rect& r);

}  // namespace tessel
