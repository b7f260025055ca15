#pragma once
// Where the settings file lives, by Windows path rules, computed without any
// platform call so that it behaves the same in native tests.
#include <optional>
#include <string>
#include <string_view>

namespace tessel {

struct SettingsPaths {
    std::string exeDirectory;      // also where the sound files are looked up
    std::string settingsFilePath;  // "Tessel.ini" in exeDirectory
};

// From the executable's full path, or nothing when it could not be read (then
// the relative name "Tessel.exe" stands in).
SettingsPaths ComputeSettingsFilePath(std::optional<std::string> exePath);

// Windows path pieces. Both '\' and '/' separate, except after a verbatim
// "\\?\" prefix where only '\' does. Prefixes: "C:", "\\server\share",
// "\\?\C:", "\\?\UNC\server\share", "\\?\name", "\\.\device".

// The path without its last component; empty optional when there is none to
// remove (empty path, bare root such as "C:\", "\\server\share\" or "/").
// A bare file name has the empty path as its parent.
std::optional<std::string> WindowsParentPath(std::string_view path);

// Appends a relative `name`, adding '\' unless `base` is empty, already ends
// in a separator, or is a bare drive such as "C:" (which stays drive-relative).
std::string JoinWindowsPath(std::string_view base, std::string_view name);

}  // namespace tessel
