// DLLs dropped beside Tessel.exe under the names of the system DLLs it uses
// are never loaded, even when the loader is told to prefer them.
#include "e2e/e2e_support_win32.h"

#include <gtest/gtest.h>
#include <tlhelp32.h>

#include <cwctype>

namespace tessel::e2e {
namespace {

using namespace std::chrono_literals;

// The system DLLs outside the KnownDLLs that Tessel uses, and uxtheme, which
// the window manager loads by name. (Not version.dll: Wine's own user32
// imports it at load time, which Windows' does not.)
const wchar_t* const kPlanted[] = {L"winmm", L"dwmapi", L"oleacc", L"uxtheme"};

std::wstring Lower(std::wstring s) {
    for (auto& c : s) c = static_cast<wchar_t>(std::towlower(c));
    return s;
}

// Modules of the process whose file lies in `dir`.
std::vector<std::wstring> ModulesIn(DWORD processId, const std::wstring& dir) {
    std::vector<std::wstring> found;
    HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, processId);
    if (snapshot == INVALID_HANDLE_VALUE) return found;
    MODULEENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    const std::wstring prefix = Lower(dir + L"\\");
    for (BOOL more = ::Module32FirstW(snapshot, &entry); more; more = ::Module32NextW(snapshot, &entry)) {
        const std::wstring path = Lower(entry.szExePath);
        if (path.rfind(prefix, 0) == 0 && path != Lower(dir + L"\\Tessel.exe")) found.push_back(path);
    }
    ::CloseHandle(snapshot);
    return found;
}

// A 10 ms silence, so that a mode change has a sound to play.
std::string TinyWav() {
    std::string d = "RIFF";
    auto u32 = [&](std::uint32_t v) {
        for (int i = 0; i < 4; ++i) d.push_back(static_cast<char>(v >> (8 * i)));
    };
    auto u16 = [&](std::uint16_t v) { d += {static_cast<char>(v), static_cast<char>(v >> 8)}; };
    u32(36 + 80);
    d += "WAVEfmt ";
    u32(16), u16(1), u16(1), u32(8000), u32(8000), u16(1), u16(8);
    d += "data";
    u32(80);
    return d.append(80, static_cast<char>(0x80));
}

// Sets an environment variable for the processes started meanwhile.
class ScopedEnvironment {
public:
    ScopedEnvironment(const wchar_t* name, const std::wstring& value) : name_(name) {
        wchar_t old[1024];
        const DWORD n = ::GetEnvironmentVariableW(name, old, 1024);
        if (n > 0 && n < 1024) old_ = old;
        ::SetEnvironmentVariableW(name, value.c_str());
    }
    ~ScopedEnvironment() { ::SetEnvironmentVariableW(name_, old_.empty() ? nullptr : old_.c_str()); }
    const std::wstring& Old() const { return old_; }

private:
    const wchar_t* name_;
    std::wstring old_;
};

TEST(PlantedDll, NoneIsLoadedAndTesselRunsNormally) {
    Sandbox sandbox;
    std::wstring names;
    for (const wchar_t* name : kPlanted) {
        ASSERT_TRUE(::CopyFileW((BuildDirectory() + L"\\planted.dll").c_str(),
                                sandbox.Path(std::wstring(name) + L".dll").c_str(), FALSE));
        names += (names.empty() ? L"" : L",") + std::wstring(name);
    }
    // Sounds on, so that the mode shown in notepad plays one.
    sandbox.WriteFile(L"Tessel.ini", "[Settings]\r\nPlaySounds=1\r\n");
    sandbox.WriteFile(L"IMEE.wav", TinyWav());

    wchar_t current[1024] = {};
    ::GetEnvironmentVariableW(L"WINEDLLOVERRIDES", current, 1024);
    // Windows' own search order: a DLL in the program's folder comes first.
    ScopedEnvironment overrides(L"WINEDLLOVERRIDES",
                                std::wstring(current) + (current[0] ? L";" : L"") + names + L"=n,b");
    RunningTessel tessel(sandbox);
    ASSERT_TRUE(tessel.Ready()) << "Tessel did not start with the DLLs beside it";
    {
        Notepad notepad;
        ASSERT_TRUE(notepad.Focus());
        EXPECT_TRUE(WaitFor([&] { return ::IsWindowVisible(BadgeOf(tessel)) != FALSE; }, 10s))
            << "the badge never showed";
        EXPECT_TRUE(tessel.Proc().Running());
        EXPECT_EQ(ModulesIn(tessel.Proc().Id(), sandbox.Dir()), std::vector<std::wstring>{});
        notepad.Proc().Kill();
    }
    EXPECT_EQ(tessel.Close(), 0);
    for (const wchar_t* name : kPlanted)
        EXPECT_FALSE(sandbox.Exists(std::wstring(name) + L".dll.loaded")) << "planted " << name << ".dll ran";
}

}  // namespace
}  // namespace tessel::e2e
