#include "main/app_teardown_win32.h"

#include <windows.h>
#include <objbase.h>

#include "main/shell_resources_win32.h"

namespace tessel {

void DestroyAppState(AppState* state) {
    if (!state) return;
    state->exeDirectory.clear();
    state->SettingsFilePath.clear();
    state->imeQuery = ImeQueryState{};

    // Cached elements go before the automation objects that made them.
    EmptyFocusedElementCache(state->uia.focusedElement);
    state->IndicatorElement.Reset();
    if (ShellResources* shell = state->shell) {
        // Release order: walker before the automation object that made it.
        shell->rawWalker.Reset();
        shell->automation.Reset();
    }
    if (state->comInitialised) ::CoUninitialize();

    delete state->shell;
    delete state;
}

}  // namespace tessel
