#pragma once
// "Windows 시작 시 실행": whether the per-user Run value starts this copy of
// Tessel, and what OK does to it. The registry, not the settings file, holds
// the choice, so that it follows the program when the folder moves.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/startup_registration.h"

namespace tessel {

// The command line written for this executable: its full path in double quotes.
std::string RunCommandFor(std::string_view exePath);

// Whether a Run command line starts the executable at `exePath`. Paths are
// compared without regard to ASCII letter case, with '/' read as '\'. A
// quoted path is read up to its closing quote; an unquoted one must be the
// whole command or be followed by white space. Arguments after the path are
// ignored, as Tessel takes none. An unclosed quote names nothing.
bool RunCommandNamesExecutable(std::string_view command, std::string_view exePath);

// The check box's initial state: the value exists and starts this copy.
bool RunValueIsOurs(const RunValueRead& value, const std::optional<std::string>& exePath);

enum class RunValueAction : std::uint8_t { None, Write, Delete };

// What OK does: checked writes our command unless it is there word for word;
// unchecked deletes only a value that starts this copy, so that another copy's
// value, or one that could not be read, is left alone.
RunValueAction DecideRunValueAction(bool checked, const RunValueRead& current, const std::optional<std::string>& exePath);

// Reads the value again and carries out the decision. Returns the failure to
// show, if any.
std::optional<RegistryError> ApplyRunAtLogon(StartupRegistration& registration, bool checked);

// Caption and body of the failure box.
inline constexpr std::string_view kRunAtLogonErrorCaption = "Tessel 설정 오류";
std::string RunAtLogonErrorText(const RegistryError& error);

}  // namespace tessel
