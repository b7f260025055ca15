#include <gtest/gtest.h>

#include <iterator>

#include "doubles/scripted_startup_registration.h"
#include "settings_window/run_at_logon.h"

namespace tessel {
namespace {

using testing::ScriptedStartupRegistration;
using State = RunValueRead::State;

constexpr std::string_view kExe = "C:\\Tools\\Tessel\\Tessel.exe";

TEST(RunAtLogonCommand, WhichCommandLinesStartThisCopy) {
    const struct {
        std::string_view command;
        bool ours;
    } cases[] = {
        {"\"C:\\Tools\\Tessel\\Tessel.exe\"", true},
        {"\"c:\\tools\\TESSEL\\tessel.EXE\"", true},
        {"\"C:/Tools/Tessel/Tessel.exe\"", true},
        {"  \"C:\\Tools\\Tessel\\Tessel.exe\"\t", true},
        {"\"C:\\Tools\\Tessel\\Tessel.exe\" /background", true},
        {"C:\\Tools\\Tessel\\Tessel.exe", true},
        {"C:\\Tools\\Tessel\\Tessel.exe -x", true},
        {"\"D:\\Old\\Tessel\\Tessel.exe\"", false},
        {"\"C:\\Tools\\Tessel\\Tessel.exe.bak\"", false},
        {"C:\\Tools\\Tessel\\Tessel.exe2", false},
        {"\"C:\\Tools\\Tessel\\Tessel.exe", false},  // unclosed quote
        {"\"C:\\Tools\\Tessel\\Tessel\"", false},
        {"", false},
    };
    for (const auto& c : cases) EXPECT_EQ(RunCommandNamesExecutable(c.command, kExe), c.ours) << c.command;
    EXPECT_FALSE(RunCommandNamesExecutable("\"\"", "")) << "an unknown path matches nothing";
}

RunValueRead Value(State state, std::string command = {}) {
    RunValueRead v;
    v.state = state;
    v.command = std::move(command);
    return v;
}

TEST(RunAtLogonDecision, OkWritesOnlyWhatIsMissingAndDeletesOnlyOurs) {
    const std::optional<std::string> exe{std::string(kExe)};
    const std::string quoted = RunCommandFor(kExe);
    const struct {
        bool checked;
        RunValueRead current;
        std::optional<std::string> exePath;
        RunValueAction action;
    } cases[] = {
        {true, Value(State::Absent), exe, RunValueAction::Write},
        {true, Value(State::Present, quoted), exe, RunValueAction::None},
        {true, Value(State::Present, std::string(kExe)), exe, RunValueAction::Write},  // ours, rewritten quoted
        {true, Value(State::Unreadable, quoted), exe, RunValueAction::Write},
        {false, Value(State::Present, quoted), exe, RunValueAction::Delete},
        {false, Value(State::Present, "c:\\tools\\tessel\\tessel.exe -x"), exe, RunValueAction::Delete},
        {false, Value(State::Unreadable, quoted), exe, RunValueAction::None},
        {false, Value(State::Present, quoted), std::nullopt, RunValueAction::None},
    };
    for (std::size_t row = 0; row < std::size(cases); ++row) {
        const auto& c = cases[row];
        EXPECT_EQ(DecideRunValueAction(c.checked, c.current, c.exePath), c.action) << "row " << row;
    }
}

TEST(RunAtLogonApply, WritesTheQuotedPathAndReportsFailures) {
    ScriptedStartupRegistration reg;
    reg.SetCommand("\"D:\\Old\\Tessel.exe\"");
    EXPECT_EQ(ApplyRunAtLogon(reg, false), std::nullopt);
    EXPECT_EQ(reg.deletes, 0) << "another copy's value is left alone";
    EXPECT_EQ(reg.value.command, "\"D:\\Old\\Tessel.exe\"");

    EXPECT_EQ(ApplyRunAtLogon(reg, true), std::nullopt);
    EXPECT_EQ(reg.value.command, "\"C:\\Tools\\Tessel\\Tessel.exe\"");
    EXPECT_EQ(ApplyRunAtLogon(reg, true), std::nullopt);
    EXPECT_EQ(reg.writes, 1) << "an exact value is not written again";

    reg.deleteError = RegistryError{5, "Access is denied."};
    const auto failed = ApplyRunAtLogon(reg, false);
    ASSERT_TRUE(failed.has_value());
    EXPECT_EQ(failed->osCode, 5u);
    reg.deleteError.reset();
    EXPECT_EQ(ApplyRunAtLogon(reg, false), std::nullopt);
    EXPECT_EQ(reg.value.state, State::Absent);

    // Without its own path Tessel cannot write a value, and says so.
    reg.exePath.reset();
    const auto noPath = ApplyRunAtLogon(reg, true);
    ASSERT_TRUE(noPath.has_value());
    EXPECT_EQ(reg.writes, 1);
}

}  // namespace
}  // namespace tessel
