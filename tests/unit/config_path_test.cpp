#include <gtest/gtest.h>

#include "config/settings_path.h"
#include "platform/long_path.h"

namespace tessel {
namespace {

TEST(ConfigPath, SettingsFileBesideTheExecutable) {
    SettingsPaths p = ComputeSettingsFilePath(std::string("C:\\Program Files\\Tessel\\Tessel.exe"));
    EXPECT_EQ(p.exeDirectory, "C:\\Program Files\\Tessel");
    EXPECT_EQ(p.settingsFilePath, "C:\\Program Files\\Tessel\\Tessel.ini");

    p = ComputeSettingsFilePath(std::string("C:\\Tessel.exe"));
    EXPECT_EQ(p.exeDirectory, "C:\\");
    EXPECT_EQ(p.settingsFilePath, "C:\\Tessel.ini");

    p = ComputeSettingsFilePath(std::string("\\\\server\\share\\Tessel.exe"));
    EXPECT_EQ(p.exeDirectory, "\\\\server\\share\\");
    EXPECT_EQ(p.settingsFilePath, "\\\\server\\share\\Tessel.ini");

    p = ComputeSettingsFilePath(std::string("D:/apps/tessel/Tessel.exe"));
    EXPECT_EQ(p.exeDirectory, "D:/apps/tessel");
    EXPECT_EQ(p.settingsFilePath, "D:/apps/tessel\\Tessel.ini");

    p = ComputeSettingsFilePath(std::string("\\\\?\\C:\\Tools\\Tessel.exe"));
    EXPECT_EQ(p.settingsFilePath, "\\\\?\\C:\\Tools\\Tessel.ini");
}

TEST(ConfigPath, FallbacksForMissingOrDegeneratePaths) {
    // No path: the bare name's parent is empty, so the file is relative.
    SettingsPaths p = ComputeSettingsFilePath(std::nullopt);
    EXPECT_EQ(p.exeDirectory, "");
    EXPECT_EQ(p.settingsFilePath, "Tessel.ini");
    // A bare root has no parent: ".".
    p = ComputeSettingsFilePath(std::string("C:\\"));
    EXPECT_EQ(p.exeDirectory, ".");
    EXPECT_EQ(p.settingsFilePath, ".\\Tessel.ini");
    p = ComputeSettingsFilePath(std::string(""));
    EXPECT_EQ(p.settingsFilePath, ".\\Tessel.ini");
    // Drive-relative stays drive-relative.
    p = ComputeSettingsFilePath(std::string("C:Tessel.exe"));
    EXPECT_EQ(p.exeDirectory, "C:");
    EXPECT_EQ(p.settingsFilePath, "C:Tessel.ini");
}

TEST(ConfigPath, ParentFollowsWindowsComponents) {
    struct Case {
        const char* path;
        std::optional<std::string> parent;
    };
    const Case cases[] = {
        {"C:\\", std::nullopt},
        {"C:", std::nullopt},
        {"\\", std::nullopt},
        {"/", std::nullopt},
        {"", std::nullopt},
        {"\\\\server\\share", std::nullopt},
        {"\\\\server\\share\\", std::nullopt},
        {"\\\\?\\C:\\", std::nullopt},
        {"\\\\?\\UNC\\server\\share\\", std::nullopt},
        {"\\\\.\\COM1", std::nullopt},
        {"C:\\a", "C:\\"},
        {"C:\\a\\", "C:\\"},
        {"C:\\a\\b", "C:\\a"},
        {"C:\\a\\\\b\\\\", "C:\\a"},
        {"C:\\a\\.\\b", "C:\\a"},
        {"C:\\\\a", "C:\\"},
        {"C:/a/b", "C:/a"},
        {"C:a", "C:"},
        {"a", ""},
        {"a\\b", "a"},
        {".", ""},
        {".\\a", "."},
        {"..\\a", ".."},
        {"a\\..", "a"},
        {"\\a", "\\"},
        {"//server/share/a", "//server/share/"},
        {"\\\\server\\share\\a\\b", "\\\\server\\share\\a"},
        {"\\\\?\\UNC\\server\\share\\a", "\\\\?\\UNC\\server\\share\\"},
        {"\\\\?\\C:\\a/b", "\\\\?\\C:\\"},  // '/' does not separate in verbatim paths
        {"\\\\.\\pipe\\x", "\\\\.\\pipe\\"},
    };
    for (const Case& c : cases) EXPECT_EQ(WindowsParentPath(c.path), c.parent) << c.path;
}

TEST(ConfigPath, JoinAddsOneBackSlashWhereNeeded) {
    EXPECT_EQ(JoinWindowsPath("C:\\a", "x"), "C:\\a\\x");
    EXPECT_EQ(JoinWindowsPath("C:\\a\\", "x"), "C:\\a\\x");
    EXPECT_EQ(JoinWindowsPath("C:/a/", "x"), "C:/a/x");
    EXPECT_EQ(JoinWindowsPath("", "x"), "x");
    EXPECT_EQ(JoinWindowsPath("C:", "x"), "C:x");
    EXPECT_EQ(JoinWindowsPath(".", "x"), ".\\x");
}

TEST(ConfigPath, LongPathsTakeTheVerbatimForm) {
    const std::string tail(300, 'd');
    EXPECT_EQ(ExtendedLengthPath("C:\\" + tail + "/Tessel.ini"), "\\\\?\\C:\\" + tail + "\\Tessel.ini");
    EXPECT_EQ(ExtendedLengthPath("\\\\server\\share\\" + tail), "\\\\?\\UNC\\server\\share\\" + tail);
    for (const std::string& same : {std::string("C:\\short\\Tessel.ini"), "\\\\?\\C:\\" + tail,
                                    "\\\\.\\pipe\\" + tail, "relative\\" + tail})
        EXPECT_EQ(ExtendedLengthPath(same), same);
}

}  // namespace
}  // namespace tessel
