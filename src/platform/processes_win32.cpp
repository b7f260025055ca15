#include "platform/processes_win32.h"

#include <windows.h>
#include <tlhelp32.h>

#include "common/raii_win32.h"

namespace tessel {

std::optional<std::u16string> Win32Processes::ExecutableName(std::uint32_t processId) {
    if (processId == 0) return std::nullopt;
    UniqueResource<HANDLE, FileHandleTraits> snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) return std::nullopt;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);  // 568
    for (BOOL ok = ::Process32FirstW(snapshot.Get(), &entry); ok; ok = ::Process32NextW(snapshot.Get(), &entry)) {
        if (entry.th32ProcessID != processId) continue;
        std::size_t n = 0;
        while (n < MAX_PATH && entry.szExeFile[n] != L'\0') ++n;
        return std::u16string(reinterpret_cast<const char16_t*>(entry.szExeFile), n);
    }
    return std::nullopt;
}

void Win32Processes::FreeConsole() { ::FreeConsole(); }

}  // namespace tessel
