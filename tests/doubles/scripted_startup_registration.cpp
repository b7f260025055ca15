#include "scripted_startup_registration.h"

namespace tessel::testing {

std::optional<RegistryError> ScriptedStartupRegistration::WriteRunValue(std::string_view command) {
    ++writes;
    if (writeError) return writeError;
    SetCommand(std::string(command));
    return std::nullopt;
}

std::optional<RegistryError> ScriptedStartupRegistration::DeleteRunValue() {
    ++deletes;
    if (deleteError) return deleteError;
    value = RunValueRead{};
    return std::nullopt;
}

}  // namespace tessel::testing
