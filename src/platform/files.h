#pragma once
// Whole-file reading and the few steps of replacing a file safely, the only
// file operations Tessel needs. One Win32 implementation (files_win32.cpp);
// tests use an in-memory double.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace tessel {

// How the portable logic needs to tell failures apart; the OS code and text
// are kept for the user.
enum class FsErrorKind : std::uint8_t {
    None,           // success
    NotFound,       // file or path not found
    AlreadyExists,  // something is already there under that name
    Interrupted,    // nothing happened; the same call may be repeated
    Other,
};

struct FsError {
    FsErrorKind kind = FsErrorKind::None;
    // The operating system's error code, when the failure has one.
    std::optional<std::uint32_t> osCode;
    // The system's text for the error (trailing line break and spaces trimmed).
    std::string message;

    bool Ok() const { return kind == FsErrorKind::None; }
};

struct WriteResult {
    std::size_t written = 0;
    FsError error;
};

// A file open for writing. Destroying it without Close closes it quietly.
class WritableFile {
public:
    virtual ~WritableFile() = default;
    // Writes a prefix of `bytes`; may write fewer bytes than given.
    virtual WriteResult Write(std::string_view bytes) = 0;
    // Pushes what was written through the system's caches to the disk.
    virtual FsError Flush() = 0;
    // Closes the file; a failed close means the data may not have arrived.
    virtual FsError Close() = 0;
};

struct OpenResult {
    std::unique_ptr<WritableFile> file;  // null on failure
    FsError error;
};

class FileSystem {
public:
    virtual ~FileSystem() = default;
    // All bytes of an existing file; empty on any failure, and when the file
    // holds more than `maxBytes` (reading stops there, also for a file that
    // grows while it is read).
    virtual std::optional<std::string> ReadWholeFile(const std::string& path, std::size_t maxBytes) = 0;
    // Creates one directory level.
    virtual FsError MakeDirectory(const std::string& path) = 0;
    virtual bool IsDirectory(const std::string& path) = 0;
    // Creates a file that must not exist yet (AlreadyExists when it does),
    // open for writing and not shared with anyone.
    virtual OpenResult CreateExclusive(const std::string& path) = 0;
    // True when a file (not a directory) is there.
    virtual bool FileExists(const std::string& path) = 0;
    // Puts the closed file `replacement` in the place of the existing file
    // `target` in one step; the target's attributes (hidden, system) stay. A
    // read-only target is refused.
    virtual FsError ReplaceExisting(const std::string& target, const std::string& replacement) = 0;
    // Renames `from` to `to`, replacing a file there, written through to the
    // disk before it returns.
    virtual FsError MoveReplacing(const std::string& from, const std::string& to) = 0;
    virtual FsError RemoveFile(const std::string& path) = 0;
};

}  // namespace tessel
