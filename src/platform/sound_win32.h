#pragma once
#include "platform/sound.h"

namespace tessel {

class Win32Sound final : public Sound {
public:
    bool IsRegularFile(const std::string& path) override;
    void PlayFileAsync(const std::string& path) override;
};

}  // namespace tessel
