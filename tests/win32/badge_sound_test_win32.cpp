#include <windows.h>
#include <mmsystem.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include "badge/mode_sound.h"
#include "config/settings_path.h"
#include "platform/sound_win32.h"
#include "platform/system_library_win32.h"
#include "platform/win32_types_win32.h"

namespace tessel {
namespace {

namespace fs = std::filesystem;

// A 10 ms mono 8 kHz 8-bit PCM silence.
void WriteTinyWav(const fs::path& path) {
    const std::uint32_t samples = 80;
    std::string data;
    auto u32 = [&](std::uint32_t v) {
        for (int i = 0; i < 4; ++i) data.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
    };
    auto u16 = [&](std::uint16_t v) {
        data.push_back(static_cast<char>(v & 0xFF));
        data.push_back(static_cast<char>(v >> 8));
    };
    data += "RIFF";
    u32(36 + samples);
    data += "WAVEfmt ";
    u32(16);
    u16(1);      // PCM
    u16(1);      // mono
    u32(8000);   // sample rate
    u32(8000);   // byte rate
    u16(1);      // block align
    u16(8);      // bits per sample
    data += "data";
    u32(samples);
    data.append(samples, static_cast<char>(0x80));
    std::ofstream(path, std::ios::binary) << data;
}

class BadgeSoundTest : public ::testing::Test {
protected:
    void SetUp() override {
        wchar_t temp[MAX_PATH];
        ::GetTempPathW(MAX_PATH, temp);
        dir = fs::path(temp) / (L"tessel-sound-" + std::to_wstring(::GetCurrentProcessId())) / L"소리";
        fs::create_directories(dir);
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(dir.parent_path(), ec);
    }
    std::string Utf8(const fs::path& p) { return Narrow(p.wstring()); }

    fs::path dir;
    Win32Sound sound;
};

TEST_F(BadgeSoundTest, OnlyExistingRegularFilesCount) {
    WriteTinyWav(dir / L"IMEK.wav");
    fs::create_directory(dir / L"IMEE.wav");
    EXPECT_TRUE(sound.IsRegularFile(Utf8(dir / L"IMEK.wav")));
    EXPECT_FALSE(sound.IsRegularFile(Utf8(dir / L"IMEE.wav")));
    EXPECT_FALSE(sound.IsRegularFile(Utf8(dir / L"IMEJ.wav")));
    EXPECT_FALSE(sound.IsRegularFile(""));
    // The path as ApplyMode joins it from the executable's directory.
    EXPECT_TRUE(sound.IsRegularFile(JoinWindowsPath(Utf8(dir), "IMEK.wav")));
}

TEST_F(BadgeSoundTest, PlayingReturnsPromptly) {
    WriteTinyWav(dir / L"IMEK.wav");
    const auto start = std::chrono::steady_clock::now();
    sound.PlayFileAsync(Utf8(dir / L"IMEK.wav"));
    sound.PlayFileAsync(Utf8(dir / L"missing.wav"));  // nothing, not even the default sound
    const auto spent = std::chrono::steady_clock::now() - start;
    EXPECT_LT(spent, std::chrono::milliseconds(1000));
    // Found in the system folder, as the player itself finds it.
    const auto stop = SystemFunction<decltype(&::PlaySoundW)>(L"winmm.dll", "PlaySoundW");
    ASSERT_NE(stop, nullptr);
    stop(nullptr, nullptr, 0);  // stop before the file goes away
}

}  // namespace
}  // namespace tessel
