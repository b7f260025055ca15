#include "platform/sound_win32.h"

#include <windows.h>
#include <mmsystem.h>

#include <filesystem>
#include <system_error>

#include "platform/system_library_win32.h"
#include "platform/win32_types_win32.h"

namespace tessel {

bool Win32Sound::IsRegularFile(const std::string& path) {
    if (path.empty()) return false;
    std::error_code ec;
    const bool regular = std::filesystem::is_regular_file(std::filesystem::path(Wide(path)), ec);
    return regular && !ec;
}

void Win32Sound::PlayFileAsync(const std::string& path) {
    static const auto playSound = SystemFunction<decltype(&::PlaySoundW)>(L"winmm.dll", "PlaySoundW");
    if (!playSound) return;
    const std::wstring wide = Wide(path);
    playSound(wide.c_str(), nullptr, SND_FILENAME | SND_ASYNC | SND_NODEFAULT);
}

}  // namespace tessel
