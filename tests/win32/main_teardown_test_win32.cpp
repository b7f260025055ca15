// Freeing the application record at the very end of the program.
#include <windows.h>

#include <gtest/gtest.h>

#include "doubles/scripted_caret_sources.h"
#include "main/app_state.h"
#include "main/app_teardown_win32.h"
#include "main/shell_resources_win32.h"

namespace tessel {
namespace {

TEST(MainTeardownWin32, FreeingTheStateLetsTheConsoleAndTheFocusedElementGo) {
    testing::ScriptedCaretSources sources;
    auto* state = new AppState;
    state->caretSources = &sources;
    state->shell = new ShellResources;
    DestroyAppState(state);
    // An attached console would otherwise outlive the state that knew of it.
    EXPECT_EQ(sources.Count("ReleaseConsole"), 1);
    EXPECT_EQ(sources.focusedElementReleases, 1);
}

}  // namespace
}  // namespace tessel
