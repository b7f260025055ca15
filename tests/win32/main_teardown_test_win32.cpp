// Freeing the application record at the very end of the program.
#include <windows.h>

#include <gtest/gtest.h>

#include "doubles/scripted_automation.h"
#include "doubles/scripted_console.h"
#include "main/app_state.h"
#include "main/app_teardown_win32.h"
#include "main/shell_resources_win32.h"

namespace tessel {
namespace {

TEST(MainTeardownWin32, FreeingTheStateLetsTheConsoleAndTheCachedElementsGo) {
    testing::ScriptedAutomation automation;
    testing::ScriptedConsole console;
    console.attached = 0x900;
    automation.Add(1);
    automation.Add(2);
    automation.focused = 1;
    automation.windowElements[5] = 2;
    auto* state = new AppState;
    state->automation = &automation;
    state->console = &console;
    state->caretLocator.ConsoleAttachment = 40;
    state->uia.focusedElement.element = automation.FocusedElement();
    state->IndicatorElement = automation.ElementFromWindow(5);
    state->shell = new ShellResources;
    DestroyAppState(state);
    // An attached console would otherwise outlive the state that knew of it.
    EXPECT_EQ(console.frees, 1);
    EXPECT_EQ(console.attached, kNoWindow);
    EXPECT_EQ(automation.ReferenceProblems(), "");
}

}  // namespace
}  // namespace tessel
