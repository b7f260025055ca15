#include "platform/files_win32.h"

#include <windows.h>

#include <algorithm>
#include <limits>
#include <vector>

#include "platform/long_path.h"
#include "platform/win32_types_win32.h"

namespace tessel {
namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

class Handle {
public:
    explicit Handle(HANDLE h) : h_(h) {}
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    ~Handle() {
        if (Valid()) CloseHandle(h_);
    }
    bool Valid() const { return h_ != INVALID_HANDLE_VALUE && h_ != nullptr; }
    HANDLE Get() const { return h_; }
    // Gives up ownership; the caller closes.
    HANDLE Release() {
        HANDLE h = h_;
        h_ = INVALID_HANDLE_VALUE;
        return h;
    }

private:
    HANDLE h_;
};

FsError LastError() { return FsErrorFromCode(GetLastError()); }

class Win32WritableFile final : public WritableFile {
public:
    explicit Win32WritableFile(HANDLE h) : h_(h) {}
    ~Win32WritableFile() override {
        if (h_ != INVALID_HANDLE_VALUE) CloseHandle(h_);
    }

    WriteResult Write(std::string_view bytes) override {
        WriteResult r;
        if (h_ == INVALID_HANDLE_VALUE) {
            r.error = FsErrorFromCode(ERROR_INVALID_HANDLE);
            return r;
        }
        const DWORD chunk = bytes.size() > std::numeric_limits<DWORD>::max() / 2
                                ? std::numeric_limits<DWORD>::max() / 2
                                : static_cast<DWORD>(bytes.size());
        DWORD written = 0;
        if (!WriteFile(h_, bytes.data(), chunk, &written, nullptr)) {
            r.error = LastError();
            return r;
        }
        r.written = written;
        return r;
    }

    FsError Flush() override {
        if (h_ == INVALID_HANDLE_VALUE) return FsErrorFromCode(ERROR_INVALID_HANDLE);
        if (!FlushFileBuffers(h_)) return LastError();
        return FsError{};
    }

    FsError Close() override {
        if (h_ == INVALID_HANDLE_VALUE) return FsError{};
        HANDLE h = h_;
        h_ = INVALID_HANDLE_VALUE;
        if (!CloseHandle(h)) return LastError();
        return FsError{};
    }

private:
    HANDLE h_;
};

}  // namespace

std::string SystemErrorText(std::uint32_t code) {
    wchar_t* buffer = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
        code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    if (length == 0 || buffer == nullptr) {
        if (buffer) LocalFree(buffer);
        return "알 수 없는 시스템 오류입니다.";
    }
    std::string text = Narrow(std::wstring_view(buffer, length));
    LocalFree(buffer);
    // FormatMessageW ends its texts with CR LF (sometimes a space first).
    while (!text.empty() && (text.back() == '\r' || text.back() == '\n' || text.back() == ' ' || text.back() == '\t'))
        text.pop_back();
    return text;
}

FsError FsErrorFromCode(std::uint32_t code) {
    FsError e;
    switch (code) {
        case ERROR_SUCCESS:
            // A failing call that left no code still failed.
            e.kind = FsErrorKind::Other;
            break;
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
            e.kind = FsErrorKind::NotFound;
            break;
        case ERROR_ALREADY_EXISTS:
        case ERROR_FILE_EXISTS:
            e.kind = FsErrorKind::AlreadyExists;
            break;
        default:
            e.kind = FsErrorKind::Other;
            break;
    }
    e.osCode = code;
    e.message = SystemErrorText(code);
    return e;
}

std::optional<std::string> Win32FileSystem::ReadWholeFile(const std::string& path, std::size_t maxBytes) {
    Handle file(CreateFileW(Wide(ExtendedLengthPath(path)).c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid()) return std::nullopt;
    // One byte past the limit tells a file that is too long, whatever its
    // size said when it was opened.
    const std::size_t readLimit = maxBytes < std::numeric_limits<std::size_t>::max() ? maxBytes + 1 : maxBytes;
    std::string bytes;
    LARGE_INTEGER size{};
    // The size is only a hint: the file may change while it is read.
    if (GetFileSizeEx(file.Get(), &size) && size.QuadPart > 0)
        bytes.reserve(static_cast<std::size_t>(std::min<ULONGLONG>(size.QuadPart, readLimit)));
    char buffer[64 * 1024];
    while (bytes.size() < readLimit) {
        const DWORD want = static_cast<DWORD>(std::min<std::size_t>(sizeof buffer, readLimit - bytes.size()));
        DWORD got = 0;
        if (!ReadFile(file.Get(), buffer, want, &got, nullptr)) {
            const DWORD error = GetLastError();
            if (error == ERROR_HANDLE_EOF || error == ERROR_BROKEN_PIPE) break;
            return std::nullopt;
        }
        if (got == 0) break;
        bytes.append(buffer, got);
    }
    if (bytes.size() > maxBytes) return std::nullopt;
    return bytes;
}

FsError Win32FileSystem::MakeDirectory(const std::string& path) {
    if (CreateDirectoryW(Wide(ExtendedLengthPath(path)).c_str(), nullptr)) return FsError{};
    return LastError();
}

bool Win32FileSystem::IsDirectory(const std::string& path) {
    const DWORD attributes = GetFileAttributesW(Wide(ExtendedLengthPath(path)).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

OpenResult Win32FileSystem::CreateExclusive(const std::string& path) {
    OpenResult result;
    // Not shared: nobody else may write or remove it while it is being filled.
    Handle file(CreateFileW(Wide(ExtendedLengthPath(path)).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid()) {
        result.error = LastError();
        return result;
    }
    result.file = std::make_unique<Win32WritableFile>(file.Release());
    return result;
}

bool Win32FileSystem::FileExists(const std::string& path) {
    const DWORD attributes = GetFileAttributesW(Wide(ExtendedLengthPath(path)).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

FsError Win32FileSystem::ReplaceExisting(const std::string& target, const std::string& replacement) {
    const std::wstring wideTarget = Wide(ExtendedLengthPath(target));
    const std::wstring wideReplacement = Wide(ExtendedLengthPath(replacement));
    const DWORD attributes = GetFileAttributesW(wideTarget.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return LastError();
    // A read-only file is the user's "do not change": refuse it with the error
    // that opening it for writing gives, whatever the file system would allow.
    if (attributes & FILE_ATTRIBUTE_READONLY) return FsErrorFromCode(ERROR_ACCESS_DENIED);
    {
        // Ask first whether the file may be removed at all: the error then
        // names the cause (in use, denied), and ReplaceFileW does not start
        // work it cannot undo (Wine's leaves a file of its own behind).
        Handle probe(CreateFileW(wideTarget.c_str(), DELETE, kShareAll, nullptr, OPEN_EXISTING, 0, nullptr));
        if (!probe.Valid()) return LastError();
    }
    // Not every ReplaceFileW carries these over; a hidden file must stay hidden.
    constexpr DWORD kKept =
        FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
    if ((attributes & kKept) != 0 && !SetFileAttributesW(wideReplacement.c_str(), attributes & kKept))
        return LastError();
    if (!ReplaceFileW(wideTarget.c_str(), wideReplacement.c_str(), nullptr,
                      REPLACEFILE_IGNORE_MERGE_ERRORS | REPLACEFILE_IGNORE_ACL_ERRORS, nullptr, nullptr))
        return LastError();
    return FsError{};
}

FsError Win32FileSystem::MoveReplacing(const std::string& from, const std::string& to) {
    if (!MoveFileExW(Wide(ExtendedLengthPath(from)).c_str(), Wide(ExtendedLengthPath(to)).c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return LastError();
    return FsError{};
}

FsError Win32FileSystem::RemoveFile(const std::string& path) {
    if (!DeleteFileW(Wide(ExtendedLengthPath(path)).c_str())) return LastError();
    return FsError{};
}

std::optional<std::string> ThisExecutablePath() {
    std::vector<wchar_t> buffer(512);
    for (;;) {
        ::SetLastError(0);
        DWORD n = ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0) return std::nullopt;
        if (n == buffer.size() && ::GetLastError() == ERROR_INSUFFICIENT_BUFFER) {
            if (buffer.size() > (1u << 20)) return std::nullopt;
            buffer.resize(buffer.size() * 2);
            continue;
        }
        return Narrow(std::wstring_view(buffer.data(), n));
    }
}

}  // namespace tessel
