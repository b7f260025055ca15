#pragma once
// Playing the mode-change sound files. One Win32 implementation
// (sound_win32.cpp); tests use a recording double.
#include <string>

namespace tessel {

class Sound {
public:
    virtual ~Sound() = default;
    // True when the UTF-8 path names an existing regular file (not a
    // directory); false on any error.
    virtual bool IsRegularFile(const std::string& path) = 0;
    // PlaySoundW(path, null, SND_FILENAME|SND_ASYNC|SND_NODEFAULT): returns at
    // once, replaces a sound still playing, reports nothing.
    virtual void PlayFileAsync(const std::string& path) = 0;
};

}  // namespace tessel
