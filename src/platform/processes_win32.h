#pragma once
#include "platform/processes.h"

namespace tessel {

class Win32Processes final : public Processes {
public:
    std::optional<std::u16string> ExecutableName(std::uint32_t processId) override;
    std::optional<std::vector<ProcessEntry>> Snapshot() override;
    std::optional<std::uint32_t> SessionId(std::uint32_t processId) override;
    std::optional<std::u16string> ImageFileName(std::uint32_t processId) override;
    std::uint32_t CurrentProcessId() override;
};

}  // namespace tessel
