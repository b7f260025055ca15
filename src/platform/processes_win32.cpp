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

std::optional<std::u16string> Win32Processes::ImageFileName(std::uint32_t processId) {
    if (processId == 0) return std::nullopt;
    UniqueHandle process(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
    if (!process) return std::nullopt;
    // Long-path images exceed MAX_PATH; the extended limit is 32767 units.
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        DWORD size = static_cast<DWORD>(path.size());
        if (::QueryFullProcessImageNameW(process.Get(), 0, path.data(), &size)) {
            path.resize(size);
            break;
        }
        if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER || path.size() >= 32768) return std::nullopt;
        path.resize(path.size() * 4);
    }
    const std::size_t slash = path.find_last_of(L"\\/");
    const std::wstring name = slash == std::wstring::npos ? path : path.substr(slash + 1);
    if (name.empty()) return std::nullopt;
    return std::u16string(reinterpret_cast<const char16_t*>(name.data()), name.size());
}

std::uint32_t Win32Processes::CurrentProcessId() { return ::GetCurrentProcessId(); }

}  // namespace tessel
