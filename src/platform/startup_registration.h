#pragma once
// The per-user "Run" registry value that starts Tessel at logon, and the path
// of the running executable that the value must name. One Win32
// implementation (startup_registration_win32.cpp); tests use a scripted
// double.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tessel {

// Where the value lives, for messages: HKCU\<kRunKeyPath>, value kRunValueName.
inline constexpr std::string_view kRunKeyPath = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr std::string_view kRunValueName = "Tessel";

struct RegistryError {
    std::uint32_t osCode = 0;
    std::string message;  // the system's text for osCode
};

struct RunValueRead {
    enum class State : std::uint8_t {
        Absent,      // no such value (or no Run key at all)
        Present,     // `command` holds it; empty when it is not a string
        Unreadable,  // the registry refused; see `error`
    };
    State state = State::Absent;
    std::string command;  // UTF-8, environment variables already expanded
    RegistryError error;
};

class StartupRegistration {
public:
    virtual ~StartupRegistration() = default;
    // Full path of the running executable; nothing when it cannot be read.
    virtual std::optional<std::string> ExecutablePath() = 0;
    virtual RunValueRead ReadRunValue() = 0;
    // Writes the value as REG_SZ, creating the Run key when it is missing.
    virtual std::optional<RegistryError> WriteRunValue(std::string_view command) = 0;
    // Removes the value; one that is already gone counts as removed.
    virtual std::optional<RegistryError> DeleteRunValue() = 0;
};

}  // namespace tessel
