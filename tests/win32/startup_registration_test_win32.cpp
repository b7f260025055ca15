// What the Run value reads as in the real (Wine) registry when someone else
// wrote it: expanded, or not a string at all. (Writing and deleting are
// driven end to end.) Whatever the prefix held before is put back afterwards.
#include <gtest/gtest.h>
#include <windows.h>

#include <vector>

#include "platform/startup_registration_win32.h"
#include "platform/win32_types_win32.h"

namespace tessel::testing {
namespace {

constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

class StartupRegistrationWin32 : public ::testing::Test {
protected:
    void SetUp() override {
        DWORD bytes = 0;
        if (RegGetValueW(HKEY_CURRENT_USER, kRunKey, L"Tessel", RRF_RT_ANY | RRF_NOEXPAND, &savedType_, nullptr,
                         &bytes) == ERROR_SUCCESS) {
            saved_.resize(bytes);
            had_ = RegGetValueW(HKEY_CURRENT_USER, kRunKey, L"Tessel", RRF_RT_ANY | RRF_NOEXPAND, &savedType_,
                                saved_.data(), &bytes) == ERROR_SUCCESS;
            saved_.resize(bytes);
        }
    }
    void TearDown() override {
        if (had_)
            RegSetKeyValueW(HKEY_CURRENT_USER, kRunKey, L"Tessel", savedType_, saved_.data(),
                            static_cast<DWORD>(saved_.size()));
        else
            RegDeleteKeyValueW(HKEY_CURRENT_USER, kRunKey, L"Tessel");
    }

    Win32StartupRegistration registry_;
    bool had_ = false;
    DWORD savedType_ = 0;
    std::vector<BYTE> saved_;
};

TEST_F(StartupRegistrationWin32, ExpandsVariablesAndTellsOtherTypes) {
    const std::wstring expandable = L"\"%SystemRoot%\\Tessel.exe\"";
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, kRunKey, L"Tessel", REG_EXPAND_SZ, expandable.c_str(),
                              static_cast<DWORD>((expandable.size() + 1) * sizeof(wchar_t))),
              ERROR_SUCCESS);
    wchar_t root[MAX_PATH] = {};
    ASSERT_GT(GetEnvironmentVariableW(L"SystemRoot", root, MAX_PATH), 0u);
    RunValueRead read = registry_.ReadRunValue();
    EXPECT_EQ(read.state, RunValueRead::State::Present);
    std::string expected = Narrow(root);
    expected.insert(expected.begin(), '"');
    expected += "\\Tessel.exe\"";
    EXPECT_EQ(read.command, expected);

    const DWORD number = 1;
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, kRunKey, L"Tessel", REG_DWORD, &number, sizeof number),
              ERROR_SUCCESS);
    read = registry_.ReadRunValue();
    EXPECT_EQ(read.state, RunValueRead::State::Present);
    EXPECT_TRUE(read.command.empty());
}

}  // namespace
}  // namespace tessel::testing
