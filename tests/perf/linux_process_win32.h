#pragma once
// A Wine process seen from Linux, for the figures Wine does not report for
// another process: CPU time, context switches and private memory.
#include <windows.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cwctype>
#include <optional>
#include <string>
#include <vector>

#include "e2e/e2e_support_win32.h"

namespace tessel::perf {

inline std::wstring Lower(std::wstring s) {
    for (auto& c : s) c = static_cast<wchar_t>(std::towlower(c));
    return s;
}

inline std::string Utf8(const std::wstring& s) {
    const int n = ::WideCharToMultiByte(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(std::max(n, 0)), '\0');
    if (n > 0) ::WideCharToMultiByte(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), out.data(), n, nullptr, nullptr);
    return out;
}


// Wine's GetProcessTimes reports the calling process's own times for any
// handle, so CPU time is read where Linux keeps it: /proc/<pid>/stat, reached
// through Wine's Z: drive. A Wine process shows its Windows command line as
// its Linux one, which finds it by the unique sandbox path.
class LinuxProcess {
public:
    LinuxProcess(const std::wstring& exePath) {
        const std::string wanted = Utf8(Lower(exePath));
        WIN32_FIND_DATAW data;
        HANDLE find = ::FindFirstFileW(L"Z:\\proc\\*", &data);
        if (find == INVALID_HANDLE_VALUE) return;
        do {
            const std::wstring name = data.cFileName;
            if (name.empty() || name.find_first_not_of(L"0123456789") != std::wstring::npos) continue;
            std::string cmd = e2e::ReadWholeFile(L"Z:\\proc\\" + name + L"\\cmdline");
            for (auto& c : cmd) c = c == '\0' ? ' ' : static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            if (cmd.find(wanted) != std::string::npos) {
                pid_ = name;
                break;
            }
        } while (::FindNextFileW(find, &data));
        ::FindClose(find);
    }
    bool Found() const { return !pid_.empty(); }
    const std::wstring& Pid() const { return pid_; }

    // utime + stime in milliseconds (clock ticks of 10 ms, USER_HZ 100).
    std::optional<double> CpuMs() const {
        if (pid_.empty()) return std::nullopt;
        const std::string stat = e2e::ReadWholeFile(L"Z:\\proc\\" + pid_ + L"\\stat");
        const std::size_t close = stat.rfind(')');
        if (close == std::string::npos) return std::nullopt;
        std::vector<std::string> fields;  // fields[0] is the state (field 3)
        std::size_t i = close + 1;
        while (i < stat.size() && fields.size() < 13) {
            while (i < stat.size() && stat[i] == ' ') ++i;
            std::size_t j = stat.find(' ', i);
            if (j == std::string::npos) j = stat.size();
            if (j > i) fields.push_back(stat.substr(i, j - i));
            i = j;
        }
        if (fields.size() < 13) return std::nullopt;
        return (std::strtod(fields[11].c_str(), nullptr) + std::strtod(fields[12].c_str(), nullptr)) * 10.0;
    }

    // Context switches, voluntary and involuntary, summed over all threads:
    // each is a time the process slept and was woken (under Wine also every
    // round trip to the wineserver).
    std::optional<long long> Switches() const {
        if (pid_.empty()) return std::nullopt;
        const std::wstring taskDir = L"Z:\\proc\\" + pid_ + L"\\task\\";
        WIN32_FIND_DATAW data;
        HANDLE find = ::FindFirstFileW((taskDir + L"*").c_str(), &data);
        if (find == INVALID_HANDLE_VALUE) return std::nullopt;
        long long total = 0;
        do {
            const std::wstring tid = data.cFileName;
            if (tid.empty() || tid.find_first_not_of(L"0123456789") != std::wstring::npos) continue;
            const std::string status = e2e::ReadWholeFile(taskDir + tid + L"\\status");
            total += StatusField(status, "voluntary_ctxt_switches:") + StatusField(status, "nonvoluntary_ctxt_switches:");
        } while (::FindNextFileW(find, &data));
        ::FindClose(find);
        return total;
    }

    // Private resident memory as Linux counts it (smaps_rollup), in bytes.
    std::optional<long long> PrivateResident() const {
        if (pid_.empty()) return std::nullopt;
        const std::string rollup = e2e::ReadWholeFile(L"Z:\\proc\\" + pid_ + L"\\smaps_rollup");
        if (rollup.empty()) return std::nullopt;
        return (StatusField(rollup, "Private_Clean:") + StatusField(rollup, "Private_Dirty:")) * 1024;
    }

private:
    // The number after `name` at the start of a line, 0 when absent.
    static long long StatusField(const std::string& text, const std::string& name) {
        std::size_t at = text.rfind(name, 0) == 0 ? 0 : text.find("\n" + name);
        if (at == std::string::npos) return 0;
        at += (at == 0 && text.rfind(name, 0) == 0) ? name.size() : name.size() + 1;
        return std::strtoll(text.c_str() + at, nullptr, 10);
    }

    std::wstring pid_;
};

}  // namespace tessel::perf
