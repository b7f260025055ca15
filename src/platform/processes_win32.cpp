#include "platform/processes_win32.h"

#include <windows.h>
#include <tlhelp32.h>

#include "common/raii_win32.h"

namespace tessel {
namespace {

std::u16string ExeFileOf(const PROCESSENTRY32W& entry) {
    std::size_t n = 0;
    while (n < MAX_PATH && entry.szExeFile[n] != L'\0') ++n;
    return std::u16string(reinterpret_cast<const char16_t*>(entry.szExeFile), n);
}

}  // namespace

std::optional<std::u16string> Win32Processes::ExecutableName(std::uint32_t processId) {
    if (processId == 0) return std::nullopt;
    UniqueResource<HANDLE, FileHandleTraits> snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) return std::nullopt;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);  // 568
    for (BOOL ok = ::Process32FirstW(snapshot.Get(), &entry); ok; ok = ::Process32NextW(snapshot.Get(), &entry)) {
        if (entry.th32ProcessID == processId) return ExeFileOf(entry);
    }
    return std::nullopt;
}

std::optional<std::vector<ProcessEntry>> Win32Processes::Snapshot() {
    UniqueResource<HANDLE, FileHandleTraits> snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) return std::nullopt;
    std::vector<ProcessEntry> list;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);  // 568
    for (BOOL ok = ::Process32FirstW(snapshot.Get(), &entry); ok; ok = ::Process32NextW(snapshot.Get(), &entry))
        list.push_back(ProcessEntry{entry.th32ProcessID, ExeFileOf(entry)});
    return list;
}

std::optional<std::uint32_t> Win32Processes::SessionId(std::uint32_t processId) {
    DWORD session = 0;
    if (!::ProcessIdToSessionId(processId, &session)) return std::nullopt;
    return session;
}

std::uint32_t Win32Processes::CurrentProcessId() { return ::GetCurrentProcessId(); }

}  // namespace tessel
