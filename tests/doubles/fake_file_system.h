#pragma once
// An in-memory file system with scriptable failures, for the settings store.
#include <cstddef>
#include <deque>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/files.h"

namespace tessel::testing {

// Paths are compared after turning '/' into '\' and dropping trailing
// separators (except after a drive root such as "C:\").
class FakeFileSystem final : public FileSystem {
public:
    // What one scripted Write call does instead of writing normally.
    enum class WriteStep { Normal, Interrupted, NoProgress, Fail };

    FakeFileSystem();  // "C:\" exists as a directory

    // --- set-up ---
    void AddDirectory(const std::string& path);
    void AddFile(const std::string& path, std::string bytes);
    void FailMakeDirectory(const std::string& path, FsError error);
    void FailOpen(FsError error) { openFailure_ = std::move(error); }
    void FailRead() { readFails_ = true; }
    void SetMaxBytesPerWrite(std::size_t n) { maxBytesPerWrite_ = n; }
    void ScriptWrites(std::vector<WriteStep> steps) { writeSteps_.assign(steps.begin(), steps.end()); }
    void FailWritesWith(FsError error) { writeFailure_ = std::move(error); }
    void FailClose(FsError error) { closeFailure_ = std::move(error); }

    // --- inspection ---
    bool HasFile(const std::string& path) const;
    std::string FileBytes(const std::string& path) const;
    bool HasDirectory(const std::string& path) const;
    const std::vector<std::string>& MakeDirectoryCalls() const { return makeDirectoryCalls_; }
    int WriteCalls() const { return writeCalls_; }
    int CloseCalls() const { return closeCalls_; }
    int OpenFilesNow() const { return openFiles_; }

    // --- FileSystem ---
    std::optional<std::string> ReadWholeFile(const std::string& path, std::size_t maxBytes) override;
    FsError MakeDirectory(const std::string& path) override;
    bool IsDirectory(const std::string& path) override;
    OpenResult OpenForWriting(const std::string& path) override;

    static FsError Error(FsErrorKind kind, std::uint32_t code, std::string message);
    static std::string Normalize(const std::string& path);

private:
    class File;
    friend class File;
    bool ParentExists(const std::string& normalized) const;

    std::map<std::string, std::string> files_;
    std::set<std::string> directories_;
    std::map<std::string, FsError> makeDirectoryFailures_;
    std::optional<FsError> openFailure_;
    std::optional<FsError> writeFailure_;
    std::optional<FsError> closeFailure_;
    bool readFails_ = false;
    std::size_t maxBytesPerWrite_ = static_cast<std::size_t>(-1);
    std::deque<WriteStep> writeSteps_;
    std::vector<std::string> makeDirectoryCalls_;
    int writeCalls_ = 0;
    int closeCalls_ = 0;
    int openFiles_ = 0;
};

}  // namespace tessel::testing
