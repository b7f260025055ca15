#pragma once
#include "platform/processes.h"

namespace tessel {

class Win32Processes final : public Processes {
public:
    std::optional<std::u16string> ExecutableName(std::uint32_t processId) override;
    void FreeConsole() override;
};

}  // namespace tessel
