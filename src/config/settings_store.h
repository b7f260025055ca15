#pragma once
// Loading and saving the settings file over a FileSystem.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "config/settings.h"
#include "platform/files.h"

namespace tessel {

// A settings file is a few hundred bytes; a longer one than this is corrupt or
// runaway and is not read, so that it cannot exhaust memory or delay start-up.
inline constexpr std::size_t kMaxSettingsFileBytes = 1024 * 1024;

// The file's settings, or defaults for whatever is missing, unreadable, too
// long or invalid. Never creates the file.
Settings LoadSettings(FileSystem& files, const std::string& path);

struct SaveOutcome {
    bool saved = false;
    FsError error;  // why it was not saved
};

// Writes the whole file without ever leaving a cut-short one: creates missing
// directories (walking up until a level exists, then top-down), writes every
// byte to a new temporary file beside it, flushes and closes that, then puts
// it in the file's place in one step. Succeeds only when all of that did; on
// any failure the old file is untouched and the temporary file is removed.
SaveOutcome SaveSettingsFile(FileSystem& files, const std::string& path, const Settings& settings);

// The temporary file's name for attempt `attempt` (0, 1, ...): beside the
// settings file, so that the final rename stays on one volume.
std::string TemporarySettingsPath(const std::string& path, int attempt);

// Creates `directory` and any missing ancestors. A level that exists as a
// directory is fine; one that exists as a file is a failure.
FsError CreateDirectoryTree(FileSystem& files, const std::string& directory);

// Writes all of `bytes`, repeating after partial and interrupted writes; a
// write that makes no progress is a failure.
FsError WriteAll(WritableFile& file, std::string_view bytes);

// The body of the save-failure box: a fixed sentence, the file's path and the
// system's text with its code.
std::string FormatSaveErrorText(std::string_view path, std::string_view osMessage,
                                std::optional<std::uint32_t> osCode);

// Caption of the save-failure box.
inline constexpr std::string_view kSaveErrorCaption = "Tessel 설정 오류";

}  // namespace tessel
