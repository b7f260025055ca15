#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config/settings_format.h"
#include "config/settings_store.h"
#include "doubles/fake_file_system.h"

namespace tessel {
namespace {

using testing::FakeFileSystem;
using WriteStep = FakeFileSystem::WriteStep;

Settings Changed() {
    Settings s;
    s.PlaySounds = true;
    s.IndicatorPosition = IndicatorPosition::Above;
    s.KoreanBackgroundColor = {1, 2, 3, 4};
    return s;
}

TEST(ConfigStoreLoad, MissingOrUnreadableFileGivesDefaultsAndCreatesNothing) {
    FakeFileSystem fs;
    EXPECT_EQ(LoadSettings(fs, "C:\\Tessel.ini"), Settings{});
    EXPECT_FALSE(fs.HasFile("C:\\Tessel.ini"));
    EXPECT_TRUE(fs.MakeDirectoryCalls().empty());

    fs.AddFile("C:\\Tessel.ini", FormatSettingsFile(Changed()));
    EXPECT_EQ(LoadSettings(fs, "C:\\Tessel.ini"), Changed());
    fs.FailRead();
    EXPECT_EQ(LoadSettings(fs, "C:\\Tessel.ini"), Settings{});
}

TEST(ConfigStoreSave, WritesTheWholeFileAndReplacesOldContent) {
    FakeFileSystem fs;
    fs.AddDirectory("C:\\Tessel");
    fs.AddFile("C:\\Tessel\\Tessel.ini", std::string(1000, 'x') + "\n[Settings]\nPlaySounds=1\n; comment\n");
    const SaveOutcome out = SaveSettingsFile(fs, "C:\\Tessel\\Tessel.ini", Changed());
    EXPECT_TRUE(out.saved);
    EXPECT_EQ(fs.FileBytes("C:\\Tessel\\Tessel.ini"), FormatSettingsFile(Changed()));
    EXPECT_EQ(fs.OpenFilesNow(), 0);
    EXPECT_EQ(LoadSettings(fs, "C:\\Tessel\\Tessel.ini"), Changed());
}

TEST(ConfigStoreSave, CreatesMissingDirectoriesTopDown) {
    FakeFileSystem fs;
    ASSERT_TRUE(SaveSettingsFile(fs, "C:\\a\\b\\c\\Tessel.ini", Settings{}).saved);
    EXPECT_TRUE(fs.HasDirectory("C:\\a\\b\\c"));
    EXPECT_EQ(fs.FileBytes("C:\\a\\b\\c\\Tessel.ini").size(), 274u);
    // Walked up until C:\a could be made, then created b before c.
    const std::vector<std::string> expected = {"C:\\a\\b\\c", "C:\\a\\b", "C:\\a", "C:\\a\\b", "C:\\a\\b\\c"};
    EXPECT_EQ(fs.MakeDirectoryCalls(), expected);

    // With the directory there, one attempt answers "exists" and that is all.
    ASSERT_TRUE(SaveSettingsFile(fs, "C:\\a\\b\\c\\Tessel.ini", Settings{}).saved);
    EXPECT_EQ(fs.MakeDirectoryCalls().size(), expected.size() + 1);
}

TEST(ConfigStoreSave, RootAndBareNameNeedNoCreation) {
    FakeFileSystem fs;
    ASSERT_TRUE(SaveSettingsFile(fs, "C:\\Tessel.ini", Settings{}).saved);  // "C:\" answers "exists"
    const std::size_t calls = fs.MakeDirectoryCalls().size();
    ASSERT_TRUE(SaveSettingsFile(fs, "Tessel.ini", Settings{}).saved);
    EXPECT_EQ(fs.MakeDirectoryCalls().size(), calls);  // empty parent: nothing tried
    EXPECT_EQ(fs.FileBytes("Tessel.ini"), FormatSettingsFile(Settings{}));
}

TEST(ConfigStoreSave, DirectoryLevelThatIsAFileFails) {
    FakeFileSystem fs;
    fs.AddFile("C:\\a", "not a directory");
    const SaveOutcome out = SaveSettingsFile(fs, "C:\\a\\b\\Tessel.ini", Settings{});
    EXPECT_FALSE(out.saved);
    EXPECT_EQ(out.error.osCode, 183u);
    EXPECT_FALSE(fs.HasFile("C:\\a\\b\\Tessel.ini"));
    EXPECT_FALSE(fs.HasDirectory("C:\\a\\b"));
}

TEST(ConfigStoreSave, MissingRootFailsWithItsOwnError) {
    FakeFileSystem fs;
    const SaveOutcome out = SaveSettingsFile(fs, "Z:\\x\\Tessel.ini", Settings{});
    EXPECT_FALSE(out.saved);
    EXPECT_EQ(out.error.kind, FsErrorKind::NotFound);
    EXPECT_EQ(out.error.osCode, 3u);
    EXPECT_FALSE(out.error.message.empty());
}

TEST(ConfigStoreSave, CreationRaceWithAnotherWriterCountsAsSuccess) {
    // The level was missing on the way up but "already exists" on the way
    // down because someone else made it meanwhile.
    FakeFileSystem fs;
    fs.AddDirectory("C:\\a");
    fs.AddDirectory("C:\\a\\b");  // exists, but scripted to answer "not found" first
    fs.FailMakeDirectory("C:\\a\\b", FakeFileSystem::Error(FsErrorKind::NotFound, 3, "not found"));
    // The walk-up sees NotFound on b, goes to a ("exists"), then retries b:
    // still the scripted NotFound, but b is a directory, so that is fine.
    EXPECT_TRUE(SaveSettingsFile(fs, "C:\\a\\b\\Tessel.ini", Settings{}).saved);
}

TEST(ConfigStoreSave, OpenFailureIsReported) {
    FakeFileSystem fs;
    fs.AddDirectory("C:\\Tessel\\Tessel.ini");  // a directory in the file's place
    SaveOutcome out = SaveSettingsFile(fs, "C:\\Tessel\\Tessel.ini", Settings{});
    EXPECT_FALSE(out.saved);
    EXPECT_EQ(out.error.osCode, 5u);

    FakeFileSystem locked;
    locked.FailOpen(FakeFileSystem::Error(FsErrorKind::Other, 32, "The file is in use."));
    out = SaveSettingsFile(locked, "C:\\Tessel.ini", Settings{});
    EXPECT_FALSE(out.saved);
    EXPECT_EQ(out.error.message, "The file is in use.");
}

TEST(ConfigStoreSave, PartialAndInterruptedWritesAreCompleted) {
    FakeFileSystem fs;
    fs.SetMaxBytesPerWrite(7);
    fs.ScriptWrites({WriteStep::Interrupted, WriteStep::Normal, WriteStep::Interrupted, WriteStep::Interrupted});
    ASSERT_TRUE(SaveSettingsFile(fs, "C:\\Tessel.ini", Changed()).saved);
    EXPECT_EQ(fs.FileBytes("C:\\Tessel.ini"), FormatSettingsFile(Changed()));
    EXPECT_EQ(fs.WriteCalls(), 3 + (274 + 6) / 7);
}

TEST(ConfigStoreSave, WriteFailuresAreNeverSuccess) {
    {
        FakeFileSystem fs;
        fs.SetMaxBytesPerWrite(100);
        fs.ScriptWrites({WriteStep::Normal, WriteStep::NoProgress});
        const SaveOutcome out = SaveSettingsFile(fs, "C:\\Tessel.ini", Settings{});
        EXPECT_FALSE(out.saved);
        EXPECT_FALSE(out.error.message.empty());
        EXPECT_FALSE(fs.HasFile("C:\\Tessel.ini"));  // no partial file in its place
        EXPECT_TRUE(fs.FilePaths().empty());         // and the partial temporary file is gone
        EXPECT_EQ(fs.OpenFilesNow(), 0);             // closed first
    }
    {
        FakeFileSystem fs;
        fs.ScriptWrites({WriteStep::Fail});
        fs.FailWritesWith(FakeFileSystem::Error(FsErrorKind::Other, 112, "Disk full."));
        fs.FailClose(FakeFileSystem::Error(FsErrorKind::Other, 6, "Bad handle."));
        const SaveOutcome out = SaveSettingsFile(fs, "C:\\Tessel.ini", Settings{});
        EXPECT_FALSE(out.saved);
        EXPECT_EQ(out.error.osCode, 112u);  // the first failure is the one reported
        EXPECT_EQ(fs.CloseCalls(), 1);
    }
    {
        FakeFileSystem fs;
        fs.FailClose(FakeFileSystem::Error(FsErrorKind::Other, 1784, "Close failed."));
        const SaveOutcome out = SaveSettingsFile(fs, "C:\\Tessel.ini", Settings{});
        EXPECT_FALSE(out.saved);
        EXPECT_EQ(out.error.osCode, 1784u);
    }
    {
        FakeFileSystem fs;
        fs.ScriptWrites(std::vector<WriteStep>(1000, WriteStep::Interrupted));
        EXPECT_FALSE(SaveSettingsFile(fs, "C:\\Tessel.ini", Settings{}).saved);
        EXPECT_LT(fs.WriteCalls(), 1000);
    }
}

TEST(ConfigStoreSave, NewTextIsSafeOnDiskBeforeItTakesTheFilesPlace) {
    FakeFileSystem fs;
    fs.AddFile("C:\\Tessel.ini", "old");
    ASSERT_TRUE(SaveSettingsFile(fs, "C:\\Tessel.ini", Changed()).saved);
    const std::vector<std::string> replaced = {"create C:\\Tessel.ini.tmp", "flush C:\\Tessel.ini.tmp",
                                               "close C:\\Tessel.ini.tmp",
                                               "replace C:\\Tessel.ini with C:\\Tessel.ini.tmp"};
    EXPECT_EQ(fs.Log(), replaced);
    EXPECT_EQ(fs.FilePaths(), std::vector<std::string>{"C:\\Tessel.ini"});
    EXPECT_EQ(fs.FileBytes("C:\\Tessel.ini"), FormatSettingsFile(Changed()));

    // A first save has nothing to replace: the temporary file is renamed.
    FakeFileSystem first;
    ASSERT_TRUE(SaveSettingsFile(first, "C:\\Tessel.ini", Changed()).saved);
    EXPECT_EQ(first.Log().back(), "move C:\\Tessel.ini.tmp to C:\\Tessel.ini");
    EXPECT_EQ(first.FilePaths(), std::vector<std::string>{"C:\\Tessel.ini"});
}

TEST(ConfigStoreSave, AFailureAtAnyStepLeavesTheOldFileWhole) {
    const auto fail = [](std::uint32_t code) { return FakeFileSystem::Error(FsErrorKind::Other, code, "failed"); };
    const struct {
        const char* name;
        void (*script)(FakeFileSystem&, FsError);
        std::uint32_t code;
    } cases[] = {
        {"disk full half-way",
         [](FakeFileSystem& fs, FsError e) {
             fs.SetMaxBytesPerWrite(100);
             fs.ScriptWrites({WriteStep::Normal, WriteStep::Fail});
             fs.FailWritesWith(std::move(e));
         },
         112},
        {"flush", [](FakeFileSystem& fs, FsError e) { fs.FailFlush(std::move(e)); }, 1117},
        {"close", [](FakeFileSystem& fs, FsError e) { fs.FailClose(std::move(e)); }, 1784},
        {"replace", [](FakeFileSystem& fs, FsError e) { fs.FailReplace(std::move(e)); }, 1175},
        {"create", [](FakeFileSystem& fs, FsError e) { fs.FailOpen(std::move(e)); }, 5},
    };
    for (const auto& c : cases) {
        FakeFileSystem fs;
        fs.AddDirectory("C:\\T");
        fs.AddFile("C:\\T\\Tessel.ini", "old settings");
        c.script(fs, fail(c.code));
        const SaveOutcome out = SaveSettingsFile(fs, "C:\\T\\Tessel.ini", Changed());
        EXPECT_FALSE(out.saved) << c.name;
        EXPECT_EQ(out.error.osCode, c.code) << c.name;
        EXPECT_EQ(fs.FileBytes("C:\\T\\Tessel.ini"), "old settings") << c.name;
        EXPECT_EQ(fs.FilePaths(), std::vector<std::string>{"C:\\T\\Tessel.ini"}) << c.name;
        EXPECT_EQ(fs.OpenFilesNow(), 0) << c.name;
    }
}

TEST(ConfigStoreSave, LeftoverTemporaryFiles) {
    // A cut-short save's file is removed and reused; one held open is passed over.
    for (const bool held : {false, true}) {
        SCOPED_TRACE(held ? "held" : "reused");
        FakeFileSystem fs;
        fs.AddFile("C:\\Tessel.ini", "old");
        fs.AddFile("C:\\Tessel.ini.tmp", "stale");
        if (held) fs.FailRemove("C:\\Tessel.ini.tmp", FakeFileSystem::Error(FsErrorKind::Other, 32, "In use."));
        EXPECT_TRUE(SaveSettingsFile(fs, "C:\\Tessel.ini", Changed()).saved);
        EXPECT_EQ(fs.FileBytes("C:\\Tessel.ini"), FormatSettingsFile(Changed()));
        EXPECT_EQ(fs.FilePaths().size(), held ? 2u : 1u) << "a temporary file was left behind";
        EXPECT_EQ(fs.FileBytes("C:\\Tessel.ini.tmp"), held ? "stale" : "");
    }
}

TEST(ConfigStoreSave, ReplacementThatRemovedTheOldFileIsCompletedByARename) {
    const FsError cannotRename = FakeFileSystem::Error(FsErrorKind::Other, 1176, "Unable to move the replacement.");
    FakeFileSystem fs;
    fs.AddFile("C:\\Tessel.ini", "old");
    fs.FailReplace(cannotRename, /*removesTarget=*/true);
    EXPECT_TRUE(SaveSettingsFile(fs, "C:\\Tessel.ini", Changed()).saved);
    EXPECT_EQ(fs.FileBytes("C:\\Tessel.ini"), FormatSettingsFile(Changed()));
    EXPECT_EQ(fs.FilePaths(), std::vector<std::string>{"C:\\Tessel.ini"});

    // When the rename fails too, the temporary file is the only copy: kept.
    FakeFileSystem stuck;
    stuck.AddFile("C:\\Tessel.ini", "old");
    stuck.FailReplace(cannotRename, /*removesTarget=*/true);
    stuck.FailMove(FakeFileSystem::Error(FsErrorKind::Other, 5, "Access is denied."));
    const SaveOutcome out = SaveSettingsFile(stuck, "C:\\Tessel.ini", Changed());
    EXPECT_FALSE(out.saved);
    EXPECT_EQ(out.error.osCode, 1176u);
    EXPECT_EQ(stuck.FileBytes("C:\\Tessel.ini.tmp"), FormatSettingsFile(Changed()));
}

TEST(ConfigStoreErrorText, PathThenSystemTextWithCode) {
    EXPECT_EQ(FormatSaveErrorText("C:\\T\\Tessel.ini", "Access is denied.\r\n", 5u),
              "설정 파일을 저장하지 못했습니다.\n\nC:\\T\\Tessel.ini\n\nAccess is denied. (os error 5)");
    EXPECT_EQ(FormatSaveErrorText("x", "액세스가 거부되었습니다. \r\n", 5u),
              "설정 파일을 저장하지 못했습니다.\n\nx\n\n액세스가 거부되었습니다. (os error 5)");
    EXPECT_EQ(FormatSaveErrorText("x", "Incomplete.", std::nullopt), "설정 파일을 저장하지 못했습니다.\n\nx\n\nIncomplete.");
    EXPECT_EQ(kSaveErrorCaption, "Tessel 설정 오류");
}

}  // namespace
}  // namespace tessel
