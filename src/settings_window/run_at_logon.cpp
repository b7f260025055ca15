#include "settings_window/run_at_logon.h"

#include "common/text.h"

namespace tessel {
namespace {

char PathFold(char c) { return c == '/' ? '\\' : AsciiLower(c); }

bool SamePath(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (PathFold(a[i]) != PathFold(b[i])) return false;
    return true;
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

std::string RunCommandFor(std::string_view exePath) {
    std::string command = "\"";
    command += exePath;
    command += '"';
    return command;
}

bool RunCommandNamesExecutable(std::string_view command, std::string_view exePath) {
    const std::string valid = SanitizeUtf8(command);
    const std::string_view text = TrimWhiteSpace(valid);
    if (exePath.empty() || text.empty()) return false;
    if (text.front() == '"') {
        const std::size_t close = text.find('"', 1);
        if (close == std::string_view::npos) return false;
        return SamePath(text.substr(1, close - 1), exePath);
    }
    if (text.size() < exePath.size()) return false;
    if (!SamePath(text.substr(0, exePath.size()), exePath)) return false;
    return text.size() == exePath.size() || IsBlank(text[exePath.size()]);
}

bool RunValueIsOurs(const RunValueRead& value, const std::optional<std::string>& exePath) {
    return value.state == RunValueRead::State::Present && exePath &&
           RunCommandNamesExecutable(value.command, *exePath);
}

RunValueAction DecideRunValueAction(bool checked, const RunValueRead& current,
                                    const std::optional<std::string>& exePath) {
    if (checked) {
        const bool exact = exePath && current.state == RunValueRead::State::Present &&
                           current.command == RunCommandFor(*exePath);
        return exact ? RunValueAction::None : RunValueAction::Write;
    }
    return RunValueIsOurs(current, exePath) ? RunValueAction::Delete : RunValueAction::None;
}

std::optional<RegistryError> ApplyRunAtLogon(StartupRegistration& registration, bool checked) {
    const std::optional<std::string> exePath = registration.ExecutablePath();
    const RunValueRead current = registration.ReadRunValue();
    switch (DecideRunValueAction(checked, current, exePath)) {
        case RunValueAction::Write:
            if (!exePath) return RegistryError{0, "실행 파일의 경로를 알 수 없습니다."};
            return registration.WriteRunValue(RunCommandFor(*exePath));
        case RunValueAction::Delete: return registration.DeleteRunValue();
        case RunValueAction::None: break;
    }
    return std::nullopt;
}

std::string RunAtLogonErrorText(const RegistryError& error) {
    std::string text = "Windows 시작 시 실행 설정을 바꾸지 못했습니다.\n\nHKEY_CURRENT_USER\\";
    text += kRunKeyPath;
    text += "\\";
    text += kRunValueName;
    text += "\n\n";
    text += error.message;
    if (error.osCode != 0) text += " (os error " + std::to_string(error.osCode) + ")";
    return text;
}

}  // namespace tessel
