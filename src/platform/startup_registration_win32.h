#pragma once
// The Run value in HKEY_CURRENT_USER through the registry functions of
// advapi32, and the executable's path from GetModuleFileNameW.
#include "platform/startup_registration.h"

namespace tessel {

class Win32StartupRegistration final : public StartupRegistration {
public:
    std::optional<std::string> ExecutablePath() override;
    RunValueRead ReadRunValue() override;
    std::optional<RegistryError> WriteRunValue(std::string_view command) override;
    std::optional<RegistryError> DeleteRunValue() override;
};

}  // namespace tessel
