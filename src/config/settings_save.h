#pragma once
// The settings file on the real disk, for the application shell.
#include <string>

#include "config/settings.h"
#include "platform/types.h"

namespace tessel {

// Reads the settings file; defaults for anything missing or unreadable. No
// message, no file created.
Settings LoadSettingsFromDisk(const std::string& settingsFilePath);

// Writes the settings file. On failure shows the error box owned by `owner`
// (0 for none) and returns when the user has closed it. Returns whether the
// file was saved; the caller keeps its in-memory settings either way.
bool SaveSettingsReportingFailure(const std::string& settingsFilePath, const Settings& settings, WindowId owner);

}  // namespace tessel
