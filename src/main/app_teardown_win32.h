#pragma once
#include "main/app_state.h"

namespace tessel {

// The last step of the program: releases COM objects and the apartment, a
// borrowed console, and frees the record (and its ShellResources).
void DestroyAppState(AppState* state);

}  // namespace tessel
