#pragma once
// The Win32 file system: CreateFileW, ReadFile, WriteFile, FlushFileBuffers,
// CreateDirectoryW, ReplaceFileW, MoveFileExW, DeleteFileW.
#include <cstdint>
#include <optional>
#include <string>

#include "platform/files.h"

namespace tessel {

class Win32FileSystem final : public FileSystem {
public:
    std::optional<std::string> ReadWholeFile(const std::string& path, std::size_t maxBytes) override;
    FsError MakeDirectory(const std::string& path) override;
    bool IsDirectory(const std::string& path) override;
    OpenResult CreateExclusive(const std::string& path) override;
    bool FileExists(const std::string& path) override;
    FsError ReplaceExisting(const std::string& target, const std::string& replacement) override;
    FsError MoveReplacing(const std::string& from, const std::string& to) override;
    FsError RemoveFile(const std::string& path) override;
};

// The system's text for a Win32 error code (FormatMessageW), trailing line
// break and spaces trimmed.
std::string SystemErrorText(std::uint32_t code);

// An FsError for a Win32 error code, with its kind and text.
FsError FsErrorFromCode(std::uint32_t code);

// The running executable's full path (GetModuleFileNameW), or nothing when it
// cannot be read.
std::optional<std::string> ThisExecutablePath();

}  // namespace tessel
