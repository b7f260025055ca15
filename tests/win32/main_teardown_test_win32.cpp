// Freeing the application record at the very end of the program.
#include <windows.h>

#include <gtest/gtest.h>

#include "doubles/scripted_automation.h"
#include "main/app_state.h"
#include "main/app_teardown_win32.h"
#include "main/shell_resources_win32.h"

namespace tessel {
namespace {

TEST(MainTeardownWin32, FreeingTheStateLetsTheCachedElementsGo) {
    testing::ScriptedAutomation automation;
    automation.Add(1);
    automation.Add(2);
    automation.focused = 1;
    automation.windowElements[5] = 2;
    auto* state = new AppState;
    state->automation = &automation;
    state->uia.focusedElement.element = automation.FocusedElement();
    state->IndicatorElement = automation.ElementFromWindow(5);
    state->shell = new ShellResources;
    DestroyAppState(state);
    EXPECT_EQ(automation.ReferenceProblems(), "");
}

}  // namespace
}  // namespace tessel
