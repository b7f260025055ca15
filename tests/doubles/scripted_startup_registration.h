#pragma once
// A Run-value double: one scripted value in memory, scripted failures, and
// counts of the writes and deletes it was asked for.
#include <optional>
#include <string>

#include "platform/startup_registration.h"

namespace tessel::testing {

class ScriptedStartupRegistration : public StartupRegistration {
public:
    std::optional<std::string> exePath = std::string("C:\\Tools\\Tessel\\Tessel.exe");
    RunValueRead value;  // what a read returns; writes and deletes change it
    std::optional<RegistryError> writeError;
    std::optional<RegistryError> deleteError;
    int writes = 0;
    int deletes = 0;

    std::optional<std::string> ExecutablePath() override { return exePath; }
    RunValueRead ReadRunValue() override { return value; }
    std::optional<RegistryError> WriteRunValue(std::string_view command) override;
    std::optional<RegistryError> DeleteRunValue() override;

    void SetCommand(std::string command) {
        value.state = RunValueRead::State::Present;
        value.command = std::move(command);
    }
};

}  // namespace tessel::testing
