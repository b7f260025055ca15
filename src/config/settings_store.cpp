#include "config/settings_store.h"

#include <vector>

#include "common/text.h"
#include "config/settings_format.h"
#include "config/settings_path.h"

namespace tessel {
namespace {

// A write that keeps being interrupted is given up eventually rather than
// spinning forever.
constexpr int kMaxInterruptedWrites = 64;

// Names tried for the temporary file before the save gives up.
constexpr int kTemporaryNameAttempts = 4;

FsError Failure(std::string message) {
    FsError e;
    e.kind = FsErrorKind::Other;
    e.message = std::move(message);
    return e;
}

// Trailing white space only: system texts end in CR LF, sometimes a space.
std::string_view TrimEnd(std::string_view text) {
    const std::string_view trimmed = TrimWhiteSpace(text);
    if (trimmed.empty()) return trimmed;
    return text.substr(0, static_cast<std::size_t>(trimmed.data() - text.data()) + trimmed.size());
}

}  // namespace

Settings LoadSettings(FileSystem& files, const std::string& path) {
    const std::optional<std::string> bytes = files.ReadWholeFile(path, kMaxSettingsFileBytes);
    if (!bytes) return Settings{};
    return ParseSettings(*bytes);
}

FsError CreateDirectoryTree(FileSystem& files, const std::string& directory) {
    // Walk up until a level exists (or is created).
    std::vector<std::string> missing;
    std::string level = directory;
    while (!level.empty()) {
        FsError made = files.MakeDirectory(level);
        if (made.Ok()) break;
        if (made.kind != FsErrorKind::NotFound) {
            if (files.IsDirectory(level)) break;
            return made;
        }
        missing.push_back(level);
        std::optional<std::string> parent = WindowsParentPath(level);
        // A root that is not found (missing drive or share) cannot be created.
        if (!parent) return made;
        level = std::move(*parent);
    }
    // Then create the missing levels top-down.
    for (auto it = missing.rbegin(); it != missing.rend(); ++it) {
        FsError made = files.MakeDirectory(*it);
        if (!made.Ok() && !files.IsDirectory(*it)) return made;
    }
    return FsError{};
}

FsError WriteAll(WritableFile& file, std::string_view bytes) {
    int interrupted = 0;
    while (!bytes.empty()) {
        WriteResult r = file.Write(bytes);
        if (r.error.kind == FsErrorKind::Interrupted && r.written == 0) {
            if (++interrupted > kMaxInterruptedWrites) return r.error;
            continue;
        }
        if (!r.error.Ok()) return r.error;
        if (r.written == 0 || r.written > bytes.size())
            return Failure("파일에 내용을 모두 쓰지 못했습니다.");
        interrupted = 0;
        bytes.remove_prefix(r.written);
    }
    return FsError{};
}

std::string TemporarySettingsPath(const std::string& path, int attempt) {
    std::string temp = path;
    if (attempt > 0) {
        temp.push_back('.');
        temp.append(std::to_string(attempt));
    }
    temp.append(".tmp");
    return temp;
}

namespace {

struct TemporaryFile {
    std::string path;
    OpenResult opened;
};

// A temporary file of ours that is already there was left by a save that was
// cut short; it is removed and made anew. One that cannot be removed (held
// open by someone) is left alone and the next name tried.
TemporaryFile CreateTemporaryFile(FileSystem& files, const std::string& path) {
    TemporaryFile temp;
    for (int attempt = 0; attempt < kTemporaryNameAttempts; ++attempt) {
        temp.path = TemporarySettingsPath(path, attempt);
        temp.opened = files.CreateExclusive(temp.path);
        if (temp.opened.error.kind != FsErrorKind::AlreadyExists) break;
        if (!files.RemoveFile(temp.path).Ok()) continue;
        temp.opened = files.CreateExclusive(temp.path);
        if (temp.opened.error.kind != FsErrorKind::AlreadyExists) break;
    }
    return temp;
}

}  // namespace

SaveOutcome SaveSettingsFile(FileSystem& files, const std::string& path, const Settings& settings) {
    SaveOutcome outcome;
    const std::string text = FormatSettingsFile(settings);

    if (std::optional<std::string> parent = WindowsParentPath(path); parent && !parent->empty()) {
        outcome.error = CreateDirectoryTree(files, *parent);
        if (!outcome.error.Ok()) return outcome;
    }

    TemporaryFile temp = CreateTemporaryFile(files, path);
    if (!temp.opened.file) {
        outcome.error =
            temp.opened.error.Ok() ? Failure("파일을 열지 못했습니다.") : std::move(temp.opened.error);
        return outcome;
    }
    outcome.error = WriteAll(*temp.opened.file, text);
    if (outcome.error.Ok()) outcome.error = temp.opened.file->Flush();
    // Close even after a failed write, but report the first failure.
    FsError closed = temp.opened.file->Close();
    if (outcome.error.Ok()) outcome.error = std::move(closed);
    temp.opened.file.reset();

    bool replacing = false;
    if (outcome.error.Ok()) {
        replacing = files.FileExists(path);
        outcome.error = replacing ? files.ReplaceExisting(path, temp.path) : files.MoveReplacing(temp.path, path);
    }
    if (outcome.error.Ok()) {
        outcome.saved = true;
        return outcome;
    }
    // A replacement that failed half-way may have removed the old file; then
    // the temporary file holds the only copy and is moved into place instead.
    if (replacing && !files.FileExists(path)) {
        if (files.MoveReplacing(temp.path, path).Ok()) {
            outcome.error = FsError{};
            outcome.saved = true;
        }
        return outcome;
    }
    files.RemoveFile(temp.path);
    return outcome;
}

std::string FormatSaveErrorText(std::string_view path, std::string_view osMessage,
                                std::optional<std::uint32_t> osCode) {
    std::string text = "설정 파일을 저장하지 못했습니다.\n\n";
    text.append(path);
    text.append("\n\n");
    text.append(TrimEnd(osMessage));
    if (osCode) {
        text.append(" (os error ");
        text.append(std::to_string(*osCode));
        text.push_back(')');
    }
    return text;
}

}  // namespace tessel
