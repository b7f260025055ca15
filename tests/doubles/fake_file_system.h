#pragma once
// An in-memory file system with scriptable failures, for the settings store.
// It logs the steps that change files, in order, so that a test can check
// that nothing touches the settings file before the new text is safe.
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
    // Creating any file fails with `error`.
    void FailOpen(FsError error) { openFailure_ = std::move(error); }
    void FailRead() { readFails_ = true; }
    void SetMaxBytesPerWrite(std::size_t n) { maxBytesPerWrite_ = n; }
    void ScriptWrites(std::vector<WriteStep> steps) { writeSteps_.assign(steps.begin(), steps.end()); }
    void FailWritesWith(FsError error) { writeFailure_ = std::move(error); }
    void FailClose(FsError error) { closeFailure_ = std::move(error); }
    void FailFlush(FsError error) { flushFailure_ = std::move(error); }
    // Replacing fails with `error`; with `removesTarget` the target is gone
    // afterwards, as when the system removed it but could not rename.
    void FailReplace(FsError error, bool removesTarget = false) {
        replaceFailure_ = std::move(error);
        replaceRemovesTarget_ = removesTarget;
    }
    void FailMove(FsError error) { moveFailure_ = std::move(error); }
    void FailRemove(const std::string& path, FsError error);

    // --- inspection ---
    bool HasFile(const std::string& path) const;
    std::string FileBytes(const std::string& path) const;
    bool HasDirectory(const std::string& path) const;
    const std::vector<std::string>& MakeDirectoryCalls() const { return makeDirectoryCalls_; }
    int WriteCalls() const { return writeCalls_; }
    int CloseCalls() const { return closeCalls_; }
    int OpenFilesNow() const { return openFiles_; }
    std::vector<std::string> FilePaths() const;
    // "create P", "flush P", "close P", "replace T with R", "move F to T",
    // "remove P" (failed steps too, with " failed" appended).
    const std::vector<std::string>& Log() const { return log_; }

    // --- FileSystem ---
    std::optional<std::string> ReadWholeFile(const std::string& path, std::size_t maxBytes) override;
    FsError MakeDirectory(const std::string& path) override;
    bool IsDirectory(const std::string& path) override;
    OpenResult CreateExclusive(const std::string& path) override;
    bool FileExists(const std::string& path) override;
    FsError ReplaceExisting(const std::string& target, const std::string& replacement) override;
    FsError MoveReplacing(const std::string& from, const std::string& to) override;
    FsError RemoveFile(const std::string& path) override;

    static FsError Error(FsErrorKind kind, std::uint32_t code, std::string message);
    static std::string Normalize(const std::string& path);

private:
    class File;
    friend class File;
    bool ParentExists(const std::string& normalized) const;
    FsError Logged(std::string step, FsError result);

    std::map<std::string, std::string> files_;
    std::set<std::string> directories_;
    std::map<std::string, FsError> makeDirectoryFailures_;
    std::optional<FsError> openFailure_;
    std::optional<FsError> writeFailure_;
    std::optional<FsError> closeFailure_;
    std::optional<FsError> flushFailure_;
    std::optional<FsError> replaceFailure_;
    bool replaceRemovesTarget_ = false;
    std::optional<FsError> moveFailure_;
    std::map<std::string, FsError> removeFailures_;
    std::multiset<std::string> openPaths_;
    std::vector<std::string> log_;
    bool readFails_ = false;
    std::size_t maxBytesPerWrite_ = static_cast<std::size_t>(-1);
    std::deque<WriteStep> writeSteps_;
    std::vector<std::string> makeDirectoryCalls_;
    int writeCalls_ = 0;
    int closeCalls_ = 0;
    int openFiles_ = 0;
};

}  // namespace tessel::testing
