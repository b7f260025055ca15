// Soak of the real Tessel.exe (run by hand through scripts/soak, not a test):
// the focus moves between notepad, WordPad and a label of this program while
// text is typed and Caps Lock toggles, one stimulus per update cycle. Tessel's
// process handles, GDI and USER objects and private bytes are read after a
// warm-up round and again at the end.
// Options: --cycles N (10000), --gap-ms N (25).
//
// Wine answers 0 to GetProcessHandleCount, GetGuiResources and PrivateUsage of
// another process, so under Wine the same figures come from where Wine keeps
// them: the system handle list, the process's GDI handle table, its windows,
// and the private pages Linux reports for it.
#include <windows.h>
#include <psapi.h>
#include <winternl.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <cwctype>
#include <optional>
#include <string>
#include <vector>

#include "e2e/e2e_support_win32.h"

namespace tessel::soak {
namespace {

using namespace std::chrono_literals;
using e2e::Process;
using e2e::RunningTessel;
using e2e::Sandbox;
using e2e::WaitFor;
using e2e::WindowsOf;

struct Options {
    int cycles = 10000;
    int gapMs = 25;
};

Options ParseOptions(int argc, wchar_t** argv) {
    Options o;
    e2e::ParseIntOptions(argc, argv, {{L"--cycles", &o.cycles}, {L"--gap-ms", &o.gapMs}});
    return o;
}

// --- figures where Windows keeps them ---

struct Figures {
    long handles = -1, gdi = -1, user = -1;
    long long privateBytes = -1;
    const char* source = "Windows";
};

// --- figures where Wine keeps them ---

// Handles of one process in the system handle list.
long WineHandleCount(DWORD pid) {
    using QueryFn = NTSTATUS(NTAPI*)(ULONG, PVOID, ULONG, PULONG);
    auto query = reinterpret_cast<QueryFn>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation")));
    if (!query) return -1;
    struct Entry {
        ULONG ownerPid;
        BYTE objectType, flags;
        USHORT value;
        PVOID object;
        ULONG access;
    };
    std::vector<std::uint8_t> buffer(1 << 20);
    for (int attempt = 0; attempt < 8; ++attempt) {
        ULONG needed = 0;
        const NTSTATUS status = query(16 /* SystemHandleInformation */, buffer.data(),
                                      static_cast<ULONG>(buffer.size()), &needed);
        if (status == static_cast<NTSTATUS>(0xC0000004L)) {  // length mismatch
            buffer.resize(std::max<std::size_t>(buffer.size() * 2, needed + 4096));
            continue;
        }
        if (status < 0) return -1;
        const ULONG count = *reinterpret_cast<ULONG*>(buffer.data());
        const auto* entries = reinterpret_cast<const Entry*>(buffer.data() + sizeof(ULONG_PTR));
        long mine = 0;
        for (ULONG i = 0; i < count; ++i) mine += entries[i].ownerPid == pid;
        return mine;
    }
    return -1;
}

// Live entries of the process's GDI handle table, which Wine keeps in the
// process and points to from its PEB.
long WineGdiObjects(HANDLE process) {
    using QueryFn = NTSTATUS(NTAPI*)(HANDLE, ULONG, PVOID, ULONG, PULONG);
    auto query = reinterpret_cast<QueryFn>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "NtQueryInformationProcess")));
    PROCESS_BASIC_INFORMATION basic{};
    if (!query || query(process, 0, &basic, sizeof basic, nullptr) < 0 || !basic.PebBaseAddress) return -1;
    std::uint64_t table = 0;
    constexpr std::size_t kGdiSharedHandleTable = 0xF8;  // in the 64-bit PEB
    if (!::ReadProcessMemory(process, reinterpret_cast<const std::uint8_t*>(basic.PebBaseAddress) + kGdiSharedHandleTable,
                             &table, sizeof table, nullptr) ||
        !table)
        return -1;
    struct Entry {
        std::uint64_t object;
        std::uint32_t owner;
        std::uint16_t unique;
        std::uint8_t type, flags;
        std::uint64_t user;
    };
    static_assert(sizeof(Entry) == 24);
    std::vector<Entry> entries(0x10000);
    SIZE_T got = 0;
    if (!::ReadProcessMemory(process, reinterpret_cast<const void*>(table), entries.data(),
                             entries.size() * sizeof(Entry), &got))
        return -1;
    long live = 0;
    for (std::size_t i = 0; i < got / sizeof(Entry); ++i) live += entries[i].type != 0;
    return live;
}

// Windows of the process: top-level ones and all their descendants.
long WindowCount(DWORD pid) {
    long count = 0;
    for (HWND top : WindowsOf(pid)) {
        ++count;
        ::EnumChildWindows(top, [](HWND, LPARAM p) -> BOOL { ++*reinterpret_cast<long*>(p); return TRUE; },
                           reinterpret_cast<LPARAM>(&count));
    }
    return count;
}

std::string Utf8Lower(const std::wstring& s) {
    std::wstring lower = s;
    for (auto& c : lower) c = static_cast<wchar_t>(std::towlower(c));
    const int n = ::WideCharToMultiByte(CP_UTF8, 0, lower.data(), static_cast<int>(lower.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(std::max(n, 0)), '\0');
    if (n > 0) ::WideCharToMultiByte(CP_UTF8, 0, lower.data(), static_cast<int>(lower.size()), out.data(), n, nullptr, nullptr);
    return out;
}

// Private pages (clean and dirty) of the Linux process that runs `exePath`,
// found by its command line under Wine's Z: drive.
long long LinuxPrivateBytes(const std::wstring& exePath) {
    const std::string wanted = Utf8Lower(exePath);
    WIN32_FIND_DATAW data;
    HANDLE find = ::FindFirstFileW(L"Z:\\proc\\*", &data);
    if (find == INVALID_HANDLE_VALUE) return -1;
    std::wstring pid;
    do {
        const std::wstring name = data.cFileName;
        if (name.empty() || name.find_first_not_of(L"0123456789") != std::wstring::npos) continue;
        std::string cmd = e2e::ReadWholeFile(L"Z:\\proc\\" + name + L"\\cmdline");
        for (auto& c : cmd) c = c == '\0' ? ' ' : static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (cmd.find(wanted) != std::string::npos) {
            pid = name;
            break;
        }
    } while (::FindNextFileW(find, &data));
    ::FindClose(find);
    if (pid.empty()) return -1;
    const std::string rollup = e2e::ReadWholeFile(L"Z:\\proc\\" + pid + L"\\smaps_rollup");
    long long kb = 0;
    bool any = false;
    for (const char* key : {"Private_Clean:", "Private_Dirty:"}) {
        const std::size_t at = rollup.find(key);
        if (at == std::string::npos) continue;
        kb += std::strtoll(rollup.c_str() + at + std::strlen(key), nullptr, 10);
        any = true;
    }
    return any ? kb * 1024 : -1;
}

Figures Read(Process& tessel, const std::wstring& exePath) {
    Figures f;
    HANDLE h = tessel.Handle();
    DWORD handles = 0;
    if (::GetProcessHandleCount(h, &handles)) f.handles = static_cast<long>(handles);
    f.gdi = static_cast<long>(::GetGuiResources(h, GR_GDIOBJECTS));
    f.user = static_cast<long>(::GetGuiResources(h, GR_USEROBJECTS));
    PROCESS_MEMORY_COUNTERS_EX memory{};
    memory.cb = sizeof memory;
    if (::K32GetProcessMemoryInfo(h, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof memory))
        f.privateBytes = static_cast<long long>(memory.PrivateUsage);
    if (f.handles <= 0 && f.gdi <= 0 && f.user <= 0 && f.privateBytes <= 0) {
        f.source = "Wine (handle list, GDI table, windows, Linux private pages)";
        f.handles = WineHandleCount(tessel.Id());
        f.gdi = WineGdiObjects(h);
        f.user = WindowCount(tessel.Id());
        f.privateBytes = LinuxPrivateBytes(exePath);
    }
    return f;
}

// --- the stimuli ---

HWND StartAndFind(Process& process, const wchar_t* cls) {
    HWND found = nullptr;
    WaitFor([&] {
        auto w = WindowsOf(process.Id(), cls);
        found = w.empty() ? nullptr : w.front();
        return found != nullptr;
    }, 20s);
    return found;
}

bool Focus(HWND window) {
    return WaitFor([&] {
        if (::GetForegroundWindow() == window) return true;
        ::SetForegroundWindow(window);
        return false;
    }, 5s, 5ms);
}

void Pump(int ms) {
    WaitFor([] { return false; }, std::chrono::milliseconds(ms), std::chrono::milliseconds(std::min(ms, 5)));
}

int Run(const Options& options) {
    Sandbox sandbox;
    RunningTessel tessel(sandbox);
    if (!tessel.Ready()) {
        std::printf("Tessel did not start\n");
        return 1;
    }
    Process notepadProcess(L"C:\\windows\\system32\\notepad.exe");
    Process wordpadProcess(L"C:\\Program Files\\Windows NT\\Accessories\\wordpad.exe");
    HWND notepad = StartAndFind(notepadProcess, L"Notepad");
    HWND wordpad = StartAndFind(wordpadProcess, L"WORDPADTOP");
    HWND label = ::CreateWindowExW(0, L"STATIC", L"Tessel soak label", WS_OVERLAPPEDWINDOW | WS_VISIBLE | SS_CENTER,
                                   600, 100, 300, 120, nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr);
    if (!notepad || !wordpad || !label) {
        std::printf("notepad %p, WordPad %p or the label %p is missing\n", static_cast<void*>(notepad),
                    static_cast<void*>(wordpad), static_cast<void*>(label));
        return 1;
    }

    // One round: each window in turn takes the focus, then in the two editors
    // a character is typed and Caps Lock is pressed. Seven cycles.
    int cycles = 0, missedFocus = 0;
    const wchar_t text[] = L"soak text ";
    auto stimulus = [&](int step) {
        switch (step) {
            case 0: missedFocus += !Focus(notepad); break;
            case 1: e2e::TypeChar(text[cycles % 10]); break;
            case 2: e2e::PressKey(VK_CAPITAL); break;
            case 3: missedFocus += !Focus(wordpad); break;
            case 4: e2e::TypeChar(text[cycles % 10]); break;
            case 5: e2e::PressKey(VK_CAPITAL); break;
            default: missedFocus += !Focus(label); break;
        }
        ++cycles;
        Pump(options.gapMs);
    };
    auto round = [&] {
        for (int step = 0; step < 7; ++step) stimulus(step);
    };

    // Warm-up: first use of fonts, bitmaps and caches is no growth.
    for (int i = 0; i < 10; ++i) round();
    Pump(1000);
    const Figures start = Read(tessel.Proc(), sandbox.Exe());
    const DWORD began = ::GetTickCount();
    const int warmup = cycles;
    while (cycles - warmup < options.cycles) stimulus((cycles - warmup) % 7);
    if ((::GetKeyState(VK_CAPITAL) & 1) != 0) e2e::PressKey(VK_CAPITAL);
    Pump(1000);
    const Figures end = Read(tessel.Proc(), sandbox.Exe());
    const double seconds = (::GetTickCount() - began) / 1000.0;

    std::printf("soak                 %d update cycles in %.0f s after %d warm-up cycles (%d focus changes missed)\n",
                cycles - warmup, seconds, warmup, missedFocus);
    std::printf("figures from         %s\n", end.source);
    std::printf("%-20s %12s %12s %12s %12s\n", "", "start", "end", "change", "margin");
    bool within = true;
    // Growth allowed over the whole soak: a handle or object that a system
    // DLL caches late, and a few heap pages; a leak per cycle is far beyond.
    auto row = [&](const char* name, long long a, long long b, long long margin) {
        if (a < 0 || b < 0) {
            std::printf("%-20s %12s %12s\n", name, "n/a", "n/a");
            return;
        }
        const bool ok = b - a <= margin && a - b <= margin;
        within = within && ok;
        std::printf("%-20s %12lld %12lld %+12lld %12lld%s\n", name, a, b, b - a, margin, ok ? "" : "  BEYOND");
    };
    row("process handles", start.handles, end.handles, 4);
    row("GDI objects", start.gdi, end.gdi, 4);
    row("USER objects", start.user, end.user, 2);
    row("private bytes", start.privateBytes, end.privateBytes, 512 * 1024);
    const bool running = tessel.Proc().Running();
    std::printf("Tessel               %s\n", running ? "still running" : "ENDED");
    notepadProcess.Kill();
    wordpadProcess.Kill();
    ::DestroyWindow(label);
    const long code = tessel.Close();
    std::printf("exit code            %ld\n", code);
    return running && code == 0 && within ? 0 : 1;
}

}  // namespace
}  // namespace tessel::soak

int wmain(int argc, wchar_t** argv) { return tessel::soak::Run(tessel::soak::ParseOptions(argc, argv)); }
