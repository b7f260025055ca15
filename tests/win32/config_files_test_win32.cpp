// The settings file through the real Win32 file calls, in a temporary directory.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "config/settings_format.h"
#include "config/settings_path.h"
#include "config/settings_save.h"
#include "config/settings_store.h"
#include "platform/files_win32.h"
#include "platform/win32_types_win32.h"

namespace tessel {
namespace {

// Deletes a directory tree (files and subdirectories).
void RemoveTree(const std::wstring& dir) {
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((dir + L"\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = data.cFileName;
            if (name == L"." || name == L"..") continue;
            const std::wstring full = dir + L"\\" + name;
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(full);
            } else {
                SetFileAttributesW(full.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileW(full.c_str());
            }
        } while (FindNextFileW(find, &data));
        FindClose(find);
    }
    RemoveDirectoryW(dir.c_str());
}

class ConfigFilesWin32 : public ::testing::Test {
protected:
    void SetUp() override {
        wchar_t temp[MAX_PATH + 1];
        ASSERT_GT(GetTempPathW(MAX_PATH + 1, temp), 0u);
        dir_ = std::wstring(temp) + L"tessel-config-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
               std::to_wstring(GetTickCount64()) + L"-\uD55C\uAE00";  // a non-ASCII name on purpose
        ASSERT_TRUE(CreateDirectoryW(dir_.c_str(), nullptr));
    }
    // Extended-length, so that a folder whose name ends in a dot goes too.
    void TearDown() override { RemoveTree(L"\\\\?\\" + dir_); }

    std::string Path(const std::wstring& name) const { return Narrow(dir_ + L"\\" + name); }

    static void WriteRaw(const std::string& path, const std::string& bytes) {
        HANDLE h = CreateFileW(Wide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(h, INVALID_HANDLE_VALUE);
        DWORD written = 0;
        ASSERT_TRUE(WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr));
        ASSERT_EQ(written, bytes.size());
        CloseHandle(h);
    }
    static std::string ReadRaw(const std::string& path) {
        HANDLE h = CreateFileW(Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        if (h == INVALID_HANDLE_VALUE) return "<missing>";
        std::string out(1 << 16, '\0');
        DWORD got = 0;
        ReadFile(h, out.data(), static_cast<DWORD>(out.size()), &got, nullptr);
        CloseHandle(h);
        out.resize(got);
        return out;
    }
    static bool Exists(const std::string& path) { return GetFileAttributesW(Wide(path).c_str()) != INVALID_FILE_ATTRIBUTES; }
    static DWORD Attributes(const std::string& path) { return GetFileAttributesW(Wide(path).c_str()); }
    // Names in the test folder, to see that no temporary file is left.
    std::vector<std::wstring> Names() const {
        std::vector<std::wstring> names;
        WIN32_FIND_DATAW data;
        HANDLE find = FindFirstFileW((dir_ + L"\\*").c_str(), &data);
        if (find == INVALID_HANDLE_VALUE) return names;
        do {
            if (std::wstring_view(data.cFileName) != L"." && std::wstring_view(data.cFileName) != L"..")
                names.emplace_back(data.cFileName);
        } while (FindNextFileW(find, &data));
        FindClose(find);
        std::sort(names.begin(), names.end());
        return names;
    }

    static Settings Changed() {
        Settings s;
        s.PlaySounds = true;
        s.PlayJapaneseSound = false;
        s.IndicatorPosition = IndicatorPosition::Right;
        s.EnglishBackgroundColor = {0x0A, 0x0B, 0x0C, 0x0D};
        return s;
    }

    std::wstring dir_;
};

TEST_F(ConfigFilesWin32, MissingFileGivesDefaultsAndIsNotCreated) {
    const std::string path = Path(L"Tessel.ini");
    EXPECT_EQ(LoadSettingsFromDisk(path), Settings{});
    EXPECT_FALSE(Exists(path));
}

TEST_F(ConfigFilesWin32, SaveWritesExactBytesAndReadsBack) {
    const std::string path = Path(L"Tessel.ini");
    ASSERT_TRUE(SaveSettingsReportingFailure(path, Settings{}, 0));
    const std::string bytes = ReadRaw(path);
    EXPECT_EQ(bytes.size(), 274u);
    EXPECT_EQ(bytes, FormatSettingsFile(Settings{}));

    // A longer file is truncated, not overwritten in place.
    WriteRaw(path, std::string(5000, '#') + "\r\n");
    ASSERT_TRUE(SaveSettingsReportingFailure(path, Changed(), 0));
    EXPECT_EQ(ReadRaw(path), FormatSettingsFile(Changed()));
    EXPECT_EQ(LoadSettingsFromDisk(path), Changed());
}

TEST_F(ConfigFilesWin32, SaveWhileAnotherProgramHoldsTheFileOpen) {
    const std::string path = Path(L"Tessel.ini");
    WriteRaw(path, "old");
    HANDLE other = CreateFileW(Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                               nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(other, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(SaveSettingsReportingFailure(path, Changed(), 0));
    EXPECT_EQ(LoadSettingsFromDisk(path), Changed());
    CloseHandle(other);
}

TEST_F(ConfigFilesWin32, HiddenFileIsRewritten) {
    const std::string path = Path(L"Tessel.ini");
    WriteRaw(path, std::string(400, ' '));
    ASSERT_TRUE(SetFileAttributesW(Wide(path).c_str(), FILE_ATTRIBUTE_HIDDEN));
    ASSERT_TRUE(SaveSettingsReportingFailure(path, Changed(), 0));
    EXPECT_EQ(ReadRaw(path), FormatSettingsFile(Changed()));
    EXPECT_TRUE(Attributes(path) & FILE_ATTRIBUTE_HIDDEN) << "the new file must stay hidden";
    EXPECT_EQ(Names(), std::vector<std::wstring>{L"Tessel.ini"});
}

TEST_F(ConfigFilesWin32, SaveThatCannotReplaceTheFileLeavesItWhole) {
    const std::string path = Path(L"Tessel.ini");
    const std::string old = FormatSettingsFile(Settings{}) + "; kept by hand\r\n";
    const struct {
        const char* name;
        DWORD attributes;
        DWORD holderShare;  // another program holds the file open; 0 = nobody does
        std::uint32_t code;
    } cases[] = {
        // Held without FILE_SHARE_DELETE: the file cannot be replaced or renamed over.
        {"held open", FILE_ATTRIBUTE_NORMAL, FILE_SHARE_READ | FILE_SHARE_WRITE, ERROR_SHARING_VIOLATION},
        // Read-only is refused as opening it for writing always was.
        {"read-only", FILE_ATTRIBUTE_READONLY, 0, ERROR_ACCESS_DENIED},
    };
    for (const auto& c : cases) {
        WriteRaw(path, old);
        ASSERT_TRUE(SetFileAttributesW(Wide(path).c_str(), c.attributes));
        HANDLE holder = INVALID_HANDLE_VALUE;
        if (c.holderShare != 0) {
            holder = CreateFileW(Wide(path).c_str(), GENERIC_READ, c.holderShare, nullptr, OPEN_EXISTING, 0, nullptr);
            ASSERT_NE(holder, INVALID_HANDLE_VALUE);
        }
        Win32FileSystem files;
        const SaveOutcome out = SaveSettingsFile(files, path, Changed());
        if (holder != INVALID_HANDLE_VALUE) CloseHandle(holder);
        EXPECT_FALSE(out.saved) << c.name;
        EXPECT_EQ(out.error.osCode, c.code) << c.name << ": " << out.error.message;
        EXPECT_EQ(ReadRaw(path), old) << c.name;
        EXPECT_EQ(Attributes(path) & FILE_ATTRIBUTE_READONLY, c.attributes & FILE_ATTRIBUTE_READONLY) << c.name;
        EXPECT_EQ(Names(), std::vector<std::wstring>{L"Tessel.ini"}) << c.name;
        SetFileAttributesW(Wide(path).c_str(), FILE_ATTRIBUTE_NORMAL);
    }
}

TEST_F(ConfigFilesWin32, CreatesMissingDirectories) {
    const std::string path = Path(L"a\\b\\c\\Tessel.ini");
    ASSERT_TRUE(SaveSettingsReportingFailure(path, Changed(), 0));
    EXPECT_EQ(LoadSettingsFromDisk(path), Changed());
}

TEST_F(ConfigFilesWin32, EncodingsAndLineEndsReadTheSame) {
    const std::string text = FormatSettingsFile(Changed());
    std::string lf, cr, le = "\xFF\xFE", be = "\xFE\xFF";
    for (char c : text) {
        if (c != '\r') lf.push_back(c);
        if (c != '\n') cr.push_back(c);
        le += c;
        le += '\0';
        be += '\0';
        be += c;
    }
    const std::string path = Path(L"Tessel.ini");
    const struct {
        const char* name;
        std::string bytes;
        Settings expected;
    } cases[] = {
        {"utf8", text, Changed()},
        {"utf8 bom", "\xEF\xBB\xBF" + text, Changed()},
        {"lf only", lf, Changed()},
        {"utf16 le", le, Changed()},
        {"utf16 be", be, Changed()},
        {"cr only", cr, Settings{}},
        {"empty", "", Settings{}},
    };
    for (const auto& c : cases) {
        WriteRaw(path, c.bytes);
        EXPECT_EQ(LoadSettingsFromDisk(path), c.expected) << c.name;
    }
}

TEST_F(ConfigFilesWin32, ReadsFilesUpToOneMebibyteWholeAndLongerOnesNotAtAll) {
    // The valid line ends exactly at 1 MiB, after many read buffers of comments.
    const std::string last = "PlaySounds=1\r\n";
    std::string bytes = "[Settings]\r\n";
    const std::string comment = "; padding\r\n";
    while (bytes.size() + comment.size() + last.size() <= kMaxSettingsFileBytes) bytes += comment;
    bytes.resize(kMaxSettingsFileBytes - last.size(), ' ');  // leading blanks of the last line
    bytes += last;
    ASSERT_EQ(bytes.size(), 1024u * 1024u);
    const std::string path = Path(L"Tessel.ini");
    WriteRaw(path, bytes);
    EXPECT_TRUE(LoadSettingsFromDisk(path).PlaySounds);
    // One byte more and the file is runaway: defaults, as for an unreadable one.
    WriteRaw(path, " " + bytes);
    EXPECT_EQ(LoadSettingsFromDisk(path), Settings{});
}

TEST_F(ConfigFilesWin32, LoadsAndSavesInAFolderLongerThanMaxPath) {
    // Beside a Tessel.exe deep in a folder tree: the directories are made by
    // the save itself. The last folder's name ends in a dot, as tools other
    // than Explorer may name one; only the extended-length form keeps the dot
    // (a plain path would lead to a twin folder without it).
    std::wstring exeDir = dir_;
    while (exeDir.size() <= MAX_PATH) exeDir += L"\\" + std::wstring(60, L'd');
    exeDir += L"\\Tessel.";
    const SettingsPaths paths = ComputeSettingsFilePath(Narrow(exeDir + L"\\Tessel.exe"));
    Settings changed;
    changed.PlaySounds = true;
    changed.IndicatorPosition = IndicatorPosition::Above;
    Win32FileSystem files;
    const SaveOutcome out = SaveSettingsFile(files, paths.settingsFilePath, changed);
    EXPECT_TRUE(out.saved) << out.error.message;
    EXPECT_EQ(LoadSettingsFromDisk(paths.settingsFilePath), changed);
    EXPECT_NE(GetFileAttributesW((L"\\\\?\\" + exeDir + L"\\Tessel.ini").c_str()), INVALID_FILE_ATTRIBUTES)
        << "the file is not in the folder whose name ends in a dot";
}

TEST_F(ConfigFilesWin32, LevelThatIsAFileFailsWithTheSystemError) {
    WriteRaw(Path(L"notadir"), "x");
    Win32FileSystem files;
    const SaveOutcome out = SaveSettingsFile(files, Path(L"notadir\\sub\\Tessel.ini"), Settings{});
    EXPECT_FALSE(out.saved);
    ASSERT_TRUE(out.error.osCode.has_value());
    EXPECT_NE(*out.error.osCode, 0u);
    EXPECT_FALSE(out.error.message.empty());
}

TEST_F(ConfigFilesWin32, SystemErrorTextHasNoTrailingLineBreak) {
    const std::string text = SystemErrorText(ERROR_ACCESS_DENIED);
    ASSERT_FALSE(text.empty());
    EXPECT_NE(text.back(), '\n');
    EXPECT_NE(text.back(), '\r');
    EXPECT_NE(text.back(), ' ');
    const FsError e = FsErrorFromCode(ERROR_PATH_NOT_FOUND);
    EXPECT_EQ(e.kind, FsErrorKind::NotFound);
    EXPECT_EQ(e.osCode, 3u);
}

// Finds the save-failure box from another thread, reads its text and closes it.
struct BoxWatcher {
    std::atomic<bool> found{false};
    std::wstring text;
    HWND owner = nullptr;

    void Run() {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (std::chrono::steady_clock::now() < deadline) {
            HWND box = FindWindowW(L"#32770", L"Tessel \uC124\uC815 \uC624\uB958");
            if (box) {
                wchar_t buffer[2048] = {};
                GetDlgItemTextW(box, 0xFFFF, buffer, 2048);
                text = buffer;
                if (text.empty()) {
                    EnumChildWindows(
                        box,
                        [](HWND child, LPARAM param) -> BOOL {
                            wchar_t b[2048] = {};
                            GetWindowTextW(child, b, 2048);
                            auto* self = reinterpret_cast<BoxWatcher*>(param);
                            if (wcslen(b) > self->text.size()) self->text = b;
                            return TRUE;
                        },
                        reinterpret_cast<LPARAM>(this));
                }
                owner = GetWindow(box, GW_OWNER);
                found = true;
                PostMessageW(box, WM_COMMAND, IDOK, 0);
                return;
            }
            Sleep(50);
        }
    }
};

TEST_F(ConfigFilesWin32, FailedSaveShowsTheErrorBoxAndReturns) {
    // A directory where the file should be: opening it for writing fails.
    const std::string path = Path(L"Tessel.ini");
    ASSERT_TRUE(CreateDirectoryW(Wide(path).c_str(), nullptr));

    HWND owner = CreateWindowExW(0, L"STATIC", L"owner", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(owner, nullptr);

    BoxWatcher watcher;
    std::thread thread([&] { watcher.Run(); });
    const bool saved = SaveSettingsReportingFailure(path, Changed(), ToWindowId(owner));
    thread.join();
    DestroyWindow(owner);

    EXPECT_FALSE(saved);
    ASSERT_TRUE(watcher.found);
    EXPECT_EQ(watcher.owner, owner);
    const std::string text = Narrow(watcher.text);
    const std::string head = "설정 파일을 저장하지 못했습니다.\n\n" + path + "\n\n";
    ASSERT_GE(text.size(), head.size()) << text;
    EXPECT_EQ(text.substr(0, head.size()), head) << text;
    // The system's own text for the code, then the code.
    Win32FileSystem files;
    const SaveOutcome again = SaveSettingsFile(files, path, Changed());
    ASSERT_FALSE(again.saved);
    ASSERT_TRUE(again.error.osCode.has_value());
    const std::string tail =
        SystemErrorText(*again.error.osCode) + " (os error " + std::to_string(*again.error.osCode) + ")";
    EXPECT_EQ(text.substr(head.size()), tail);
    // Still a directory, nothing written or left behind, and we are still here.
    EXPECT_TRUE(GetFileAttributesW(Wide(path).c_str()) & FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ(Names(), std::vector<std::wstring>{L"Tessel.ini"});
}

}  // namespace
}  // namespace tessel
