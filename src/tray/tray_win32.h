#pragma once
// The notification-area icon, its menu, its hint bubble and the commands
// behind them. Called from the main window's procedure.
#include <windows.h>

#include <optional>

#include "main/app_state.h"
#include "platform/types.h"

namespace tessel {

// Adds the icon unless it is already there; sets IconAdded on success.
void AddTrayIcon(AppState& state);

// Handler of the icon's callback message (kWmTrayNotify).
void OnTrayNotify(AppState& state, WPARAM wParam, LPARAM lParam);

// Opens the context menu beside the icon (or at the anchor point) and runs
// the chosen command after the menu has closed.
void ShowTrayMenu(AppState& state, std::optional<Point> anchor);

// Carries out a menu command; unknown ids do nothing.
void RunCommand(AppState& state, unsigned commandId);

// Shows the "right-click for settings" bubble for two seconds.
void ShowHint(AppState& state, std::optional<Point> anchor);

// Stops the hint timer and destroys the hint bubble if it is shown.
void CloseHint(AppState& state);

// Builds the context menu for the current settings; null on failure. The
// caller destroys it.
HMENU BuildTrayMenu(const Settings& settings);

}  // namespace tessel
