#include "doubles/fake_file_system.h"

#include <algorithm>

#include "config/settings_path.h"

namespace tessel::testing {

class FakeFileSystem::File final : public WritableFile {
public:
    File(FakeFileSystem& fs, std::string path) : fs_(fs), path_(std::move(path)) {
        ++fs_.openFiles_;
        fs_.openPaths_.insert(path_);
    }
    ~File() override {
        if (open_) Forget();
    }

    WriteResult Write(std::string_view bytes) override {
        ++fs_.writeCalls_;
        WriteResult r;
        WriteStep step = WriteStep::Normal;
        if (!fs_.writeSteps_.empty()) {
            step = fs_.writeSteps_.front();
            fs_.writeSteps_.pop_front();
        }
        switch (step) {
            case WriteStep::Interrupted:
                r.error = Error(FsErrorKind::Interrupted, 4, "Interrupted.");
                return r;
            case WriteStep::NoProgress:
                return r;
            case WriteStep::Fail:
                r.error = fs_.writeFailure_.value_or(Error(FsErrorKind::Other, 112, "There is not enough space on the disk."));
                return r;
            case WriteStep::Normal:
                break;
        }
        const std::size_t n = std::min(bytes.size(), fs_.maxBytesPerWrite_);
        fs_.files_[path_].append(bytes.substr(0, n));
        r.written = n;
        return r;
    }

    FsError Flush() override { return fs_.Logged("flush " + path_, fs_.flushFailure_.value_or(FsError{})); }

    FsError Close() override {
        ++fs_.closeCalls_;
        if (!open_) return FsError{};
        Forget();
        return fs_.Logged("close " + path_, fs_.closeFailure_.value_or(FsError{}));
    }

private:
    void Forget() {
        open_ = false;
        --fs_.openFiles_;
        fs_.openPaths_.erase(fs_.openPaths_.find(path_));
    }

    FakeFileSystem& fs_;
    std::string path_;
    bool open_ = true;
};

FakeFileSystem::FakeFileSystem() { directories_.insert("C:\\"); }

FsError FakeFileSystem::Error(FsErrorKind kind, std::uint32_t code, std::string message) {
    FsError e;
    e.kind = kind;
    e.osCode = code;
    e.message = std::move(message);
    return e;
}

std::string FakeFileSystem::Normalize(const std::string& path) {
    std::string p = path;
    std::replace(p.begin(), p.end(), '/', '\\');
    while (p.size() > 1 && p.back() == '\\' && !(p.size() == 3 && p[1] == ':')) p.pop_back();
    return p;
}

void FakeFileSystem::AddDirectory(const std::string& path) { directories_.insert(Normalize(path)); }
void FakeFileSystem::AddFile(const std::string& path, std::string bytes) { files_[Normalize(path)] = std::move(bytes); }
void FakeFileSystem::FailMakeDirectory(const std::string& path, FsError error) {
    makeDirectoryFailures_[Normalize(path)] = std::move(error);
}

bool FakeFileSystem::HasFile(const std::string& path) const { return files_.count(Normalize(path)) != 0; }
std::string FakeFileSystem::FileBytes(const std::string& path) const {
    auto it = files_.find(Normalize(path));
    return it == files_.end() ? std::string() : it->second;
}
bool FakeFileSystem::HasDirectory(const std::string& path) const { return directories_.count(Normalize(path)) != 0; }

bool FakeFileSystem::ParentExists(const std::string& normalized) const {
    std::optional<std::string> parent = WindowsParentPath(normalized);
    if (!parent) return false;
    if (parent->empty()) return true;  // the current directory
    return directories_.count(Normalize(*parent)) != 0;
}

std::optional<std::string> FakeFileSystem::ReadWholeFile(const std::string& path, std::size_t maxBytes) {
    if (readFails_) return std::nullopt;
    auto it = files_.find(Normalize(path));
    if (it == files_.end() || it->second.size() > maxBytes) return std::nullopt;
    return it->second;
}

FsError FakeFileSystem::MakeDirectory(const std::string& path) {
    makeDirectoryCalls_.push_back(path);
    const std::string p = Normalize(path);
    if (auto it = makeDirectoryFailures_.find(p); it != makeDirectoryFailures_.end()) return it->second;
    if (directories_.count(p) || files_.count(p))
        return Error(FsErrorKind::AlreadyExists, 183, "Cannot create a file when that file already exists.");
    if (!ParentExists(p)) return Error(FsErrorKind::NotFound, 3, "The system cannot find the path specified.");
    directories_.insert(p);
    return FsError{};
}

bool FakeFileSystem::IsDirectory(const std::string& path) { return directories_.count(Normalize(path)) != 0; }

FsError FakeFileSystem::Logged(std::string step, FsError result) {
    if (!result.Ok()) step += " failed";
    log_.push_back(std::move(step));
    return result;
}

void FakeFileSystem::FailRemove(const std::string& path, FsError error) { removeFailures_[Normalize(path)] = std::move(error); }

std::vector<std::string> FakeFileSystem::FilePaths() const {
    std::vector<std::string> paths;
    for (const auto& [path, bytes] : files_) paths.push_back(path);
    return paths;
}

OpenResult FakeFileSystem::CreateExclusive(const std::string& path) {
    OpenResult r;
    const std::string p = Normalize(path);
    if (openFailure_) {
        r.error = *openFailure_;
    } else if (directories_.count(p) || files_.count(p)) {
        r.error = Error(FsErrorKind::AlreadyExists, 80, "The file exists.");
    } else if (!ParentExists(p)) {
        r.error = Error(FsErrorKind::NotFound, 3, "The system cannot find the path specified.");
    } else {
        files_[p].clear();
        r.file = std::make_unique<File>(*this, p);
    }
    Logged("create " + p, r.error);
    return r;
}

bool FakeFileSystem::FileExists(const std::string& path) { return files_.count(Normalize(path)) != 0; }

FsError FakeFileSystem::ReplaceExisting(const std::string& target, const std::string& replacement) {
    const std::string t = Normalize(target);
    const std::string r = Normalize(replacement);
    const std::string step = "replace " + t + " with " + r;
    if (replaceFailure_) {
        if (replaceRemovesTarget_) files_.erase(t);
        return Logged(step, *replaceFailure_);
    }
    if (!files_.count(t) || !files_.count(r))
        return Logged(step, Error(FsErrorKind::NotFound, 2, "The system cannot find the file specified."));
    // The system cannot swap in a file that is still open for writing.
    if (openPaths_.count(r) || openPaths_.count(t))
        return Logged(step, Error(FsErrorKind::Other, 32, "The file is in use."));
    files_[t] = std::move(files_[r]);
    files_.erase(r);
    return Logged(step, FsError{});
}

FsError FakeFileSystem::MoveReplacing(const std::string& from, const std::string& to) {
    const std::string f = Normalize(from);
    const std::string t = Normalize(to);
    const std::string step = "move " + f + " to " + t;
    if (moveFailure_) return Logged(step, *moveFailure_);
    if (!files_.count(f))
        return Logged(step, Error(FsErrorKind::NotFound, 2, "The system cannot find the file specified."));
    if (directories_.count(t)) return Logged(step, Error(FsErrorKind::Other, 5, "Access is denied."));
    if (openPaths_.count(f) || openPaths_.count(t))
        return Logged(step, Error(FsErrorKind::Other, 32, "The file is in use."));
    files_[t] = std::move(files_[f]);
    files_.erase(f);
    return Logged(step, FsError{});
}

FsError FakeFileSystem::RemoveFile(const std::string& path) {
    const std::string p = Normalize(path);
    if (auto it = removeFailures_.find(p); it != removeFailures_.end()) return Logged("remove " + p, it->second);
    if (!files_.count(p))
        return Logged("remove " + p, Error(FsErrorKind::NotFound, 2, "The system cannot find the file specified."));
    if (openPaths_.count(p)) return Logged("remove " + p, Error(FsErrorKind::Other, 32, "The file is in use."));
    files_.erase(p);
    return Logged("remove " + p, FsError{});
}

}  // namespace tessel::testing
