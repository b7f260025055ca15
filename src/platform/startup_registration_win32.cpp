#include "platform/startup_registration_win32.h"

#include <windows.h>

#include <vector>

#include "common/raii_win32.h"
#include "platform/files_win32.h"
#include "platform/win32_types_win32.h"

namespace tessel {
namespace {

struct RegistryKeyTraits {
    static HKEY Invalid() { return nullptr; }
    static void Close(HKEY k) { ::RegCloseKey(k); }
};
using UniqueRegistryKey = UniqueResource<HKEY, RegistryKeyTraits>;

// A command line is at most 32767 characters; anything longer is not ours.
constexpr DWORD kMaxValueBytes = 64 * 1024;

RegistryError ErrorFrom(LSTATUS code) {
    return RegistryError{static_cast<std::uint32_t>(code), SystemErrorText(static_cast<std::uint32_t>(code))};
}

const std::wstring& RunKey() {
    static const std::wstring key = Wide(kRunKeyPath);
    return key;
}
const std::wstring& ValueName() {
    static const std::wstring name = Wide(kRunValueName);
    return name;
}

}  // namespace

std::optional<std::string> Win32StartupRegistration::ExecutablePath() { return ThisExecutablePath(); }

RunValueRead Win32StartupRegistration::ReadRunValue() {
    RunValueRead read;
    // RRF_RT_REG_SZ also takes REG_EXPAND_SZ and expands it, as the shell does
    // at logon (asking for RRF_RT_REG_EXPAND_SZ would forbid the expansion).
    const DWORD flags = RRF_RT_REG_SZ;
    std::vector<wchar_t> buffer(1024);
    for (;;) {
        DWORD bytes = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
        const LSTATUS rc = ::RegGetValueW(HKEY_CURRENT_USER, RunKey().c_str(), ValueName().c_str(), flags, nullptr,
                                          buffer.data(), &bytes);
        if (rc == ERROR_MORE_DATA && buffer.size() * sizeof(wchar_t) < kMaxValueBytes) {
            buffer.resize(buffer.size() * 2);
            continue;
        }
        if (rc == ERROR_SUCCESS) {
            std::size_t units = bytes / sizeof(wchar_t);
            while (units > 0 && buffer[units - 1] == L'\0') --units;
            read.state = RunValueRead::State::Present;
            read.command = Narrow(std::wstring_view(buffer.data(), units));
        } else if (rc == ERROR_FILE_NOT_FOUND) {
            read.state = RunValueRead::State::Absent;
        } else if (rc == ERROR_UNSUPPORTED_TYPE || rc == ERROR_MORE_DATA) {
            // There, but no command line this program could have written.
            read.state = RunValueRead::State::Present;
        } else {
            read.state = RunValueRead::State::Unreadable;
            read.error = ErrorFrom(rc);
        }
        return read;
    }
}

std::optional<RegistryError> Win32StartupRegistration::WriteRunValue(std::string_view command) {
    HKEY raw = nullptr;
    LSTATUS rc = ::RegCreateKeyExW(HKEY_CURRENT_USER, RunKey().c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                   KEY_SET_VALUE, nullptr, &raw, nullptr);
    if (rc != ERROR_SUCCESS) return ErrorFrom(rc);
    UniqueRegistryKey key(raw);
    const std::wstring data = Wide(command);
    const auto bytes = static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t));
    rc = ::RegSetValueExW(key.Get(), ValueName().c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                          bytes);
    if (rc != ERROR_SUCCESS) return ErrorFrom(rc);
    return std::nullopt;
}

std::optional<RegistryError> Win32StartupRegistration::DeleteRunValue() {
    HKEY raw = nullptr;
    LSTATUS rc = ::RegOpenKeyExW(HKEY_CURRENT_USER, RunKey().c_str(), 0, KEY_SET_VALUE, &raw);
    if (rc == ERROR_FILE_NOT_FOUND) return std::nullopt;
    if (rc != ERROR_SUCCESS) return ErrorFrom(rc);
    UniqueRegistryKey key(raw);
    rc = ::RegDeleteValueW(key.Get(), ValueName().c_str());
    if (rc != ERROR_SUCCESS && rc != ERROR_FILE_NOT_FOUND) return ErrorFrom(rc);
    return std::nullopt;
}

}  // namespace tessel
