#include "doubles/fake_file_system.h"

#include <algorithm>

#include "config/settings_path.h"

namespace tessel::testing {

class FakeFileSystem::File final : public WritableFile {
public:
    File(FakeFileSystem& fs, std::string path) : fs_(fs), path_(std::move(path)) { ++fs_.openFiles_; }
    ~File() override {
        if (open_) --fs_.openFiles_;
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

    FsError Close() override {
        ++fs_.closeCalls_;
        if (!open_) return FsError{};
        open_ = false;
        --fs_.openFiles_;
        if (fs_.closeFailure_) return *fs_.closeFailure_;
        return FsError{};
    }

private:
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

OpenResult FakeFileSystem::OpenForWriting(const std::string& path) {
    OpenResult r;
    const std::string p = Normalize(path);
    if (openFailure_) {
        r.error = *openFailure_;
        return r;
    }
    if (directories_.count(p)) {
        r.error = Error(FsErrorKind::Other, 5, "Access is denied.");
        return r;
    }
    if (!ParentExists(p)) {
        r.error = Error(FsErrorKind::NotFound, 3, "The system cannot find the path specified.");
        return r;
    }
    files_[p].clear();
    r.file = std::make_unique<File>(*this, p);
    return r;
}

}  // namespace tessel::testing
