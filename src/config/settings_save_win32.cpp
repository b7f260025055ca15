#include "config/settings_save.h"

#include <windows.h>

#include "config/settings_store.h"
#include "platform/files_win32.h"
#include "platform/win32_types_win32.h"

namespace tessel {

Settings LoadSettingsFromDisk(const std::string& settingsFilePath) {
    Win32FileSystem files;
    return LoadSettings(files, settingsFilePath);
}

bool SaveSettingsReportingFailure(const std::string& settingsFilePath, const Settings& settings, WindowId owner) {
    Win32FileSystem files;
    const SaveOutcome outcome = SaveSettingsFile(files, settingsFilePath, settings);
    if (outcome.saved) return true;
    const std::string text = FormatSaveErrorText(settingsFilePath, outcome.error.message, outcome.error.osCode);
    MessageBoxW(ToHwnd(owner), Wide(text).c_str(), Wide(kSaveErrorCaption).c_str(), MB_OK | MB_ICONERROR);
    return false;
}

}  // namespace tessel
