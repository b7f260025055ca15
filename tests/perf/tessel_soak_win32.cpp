// Soak of the real Tessel.exe (run by hand through scripts/soak, not a test):
// the focus moves between notepad, WordPad and a label of this program while
// text is typed and Caps Lock toggles, one stimulus at a time. After each
// focus switch and each caret move the soak raises the WinEvents Windows would
// raise there (Wine raises none of its own for them), so Tessel runs the
// update it would run on Windows. The soak counts the badge changes it sees,
// and reads Tessel's process handles, GDI and USER objects and private bytes
// after a warm-up and again at the end.
// Options: --stimuli N (10000), --gap-ms N (25).
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
#include "perf/linux_process_win32.h"

namespace tessel::soak {
namespace {

using namespace std::chrono_literals;
using e2e::Process;
using e2e::RunningTessel;
using e2e::Sandbox;
using e2e::WaitFor;
using e2e::WindowsOf;

struct Options {
    int stimuli = 10000;
    int gapMs = 25;
};

Options ParseOptions(int argc, wchar_t** argv) {
    Options o;
    e2e::ParseIntOptions(argc, argv, {{L"--stimuli", &o.stimuli}, {L"--gap-ms", &o.gapMs}});
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
        f.privateBytes = perf::LinuxProcess(exePath).PrivateResident().value_or(-1);
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

GUITHREADINFO ThreadInfoOf(HWND window) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!::GetGUIThreadInfo(::GetWindowThreadProcessId(window, nullptr), &info)) info = GUITHREADINFO{};
    return info;
}

bool SameCaret(const GUITHREADINFO& a, const GUITHREADINFO& b) {
    return a.hwndCaret == b.hwndCaret && ::EqualRect(&a.rcCaret, &b.rcCaret);
}

// Brings `window` to the foreground and raises what Windows raises then: the
// foreground change for it and the focus change for the control that took
// the focus.
bool Focus(HWND window) {
    const bool done = WaitFor([&] {
        if (::GetForegroundWindow() == window) return true;
        ::SetForegroundWindow(window);
        return false;
    }, 5s, 5ms);
    if (!done) return false;
    GUITHREADINFO info{};
    WaitFor([&] { return (info = ThreadInfoOf(window)).hwndFocus != nullptr; }, 500ms, 2ms);
    ::NotifyWinEvent(EVENT_SYSTEM_FOREGROUND, window, OBJID_WINDOW, CHILDID_SELF);
    ::NotifyWinEvent(EVENT_OBJECT_FOCUS, info.hwndFocus ? info.hwndFocus : window, OBJID_CLIENT, CHILDID_SELF);
    return true;
}

// Types one character into the foreground editor; when its caret moves, raises
// the caret's location change as Windows does. False when the caret did not move.
bool Type(HWND window, wchar_t ch) {
    const GUITHREADINFO before = ThreadInfoOf(window);
    e2e::TypeChar(ch);
    GUITHREADINFO after{};
    if (!WaitFor([&] { return !SameCaret(after = ThreadInfoOf(window), before) && after.hwndCaret; }, 500ms, 2ms))
        return false;
    ::NotifyWinEvent(EVENT_OBJECT_LOCATIONCHANGE, after.hwndCaret, OBJID_CARET, CHILDID_SELF);
    return true;
}

// The badge as the soak sees it: shown or not, and where.
class BadgeWatch {
public:
    explicit BadgeWatch(HWND badge) : badge_(badge), last_(Look()) {}
    // Looks once; counts a change from the last look.
    void Sample() {
        const State now = Look();
        if (now != last_) ++changes_;
        last_ = now;
    }
    long Changes() const { return changes_; }

private:
    struct State {
        bool visible = false;
        long left = 0, top = 0;
        bool operator!=(const State& o) const { return visible != o.visible || left != o.left || top != o.top; }
    };
    State Look() const {
        const RECT r = e2e::RectOf(badge_);
        return State{::IsWindowVisible(badge_) != FALSE, r.left, r.top};
    }
    HWND badge_;
    State last_;
    long changes_ = 0;
};

// Waits `ms`, handling this program's messages and watching the badge.
void Pump(int ms, BadgeWatch& watch) {
    WaitFor([&] {
        watch.Sample();
        return false;
    }, std::chrono::milliseconds(ms), std::chrono::milliseconds(std::min(ms, 5)));
}

// What one kind of stimulus did.
struct Tally {
    long driven = 0;  // stimuli of this kind
    long missed = 0;  // the focus did not arrive or the caret did not move
    long seen = 0;    // badge changes seen before the next stimulus
};

int Run(const Options& options) {
    Sandbox sandbox;
    RunningTessel tessel(sandbox);
    if (!tessel.Ready()) {
        std::printf("Tessel did not start\n");
        return 1;
    }
    HWND badge = e2e::BadgeOf(tessel);
    Process notepadProcess(L"C:\\windows\\system32\\notepad.exe");
    Process wordpadProcess(L"C:\\Program Files\\Windows NT\\Accessories\\wordpad.exe");
    HWND notepad = StartAndFind(notepadProcess, L"Notepad");
    HWND wordpad = StartAndFind(wordpadProcess, L"WORDPADTOP");
    HWND label = ::CreateWindowExW(0, L"STATIC", L"Tessel soak label", WS_OVERLAPPEDWINDOW | WS_VISIBLE | SS_CENTER,
                                   600, 100, 300, 120, nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr);
    if (!badge || !notepad || !wordpad || !label) {
        std::printf("the badge %p, notepad %p, WordPad %p or the label %p is missing\n", static_cast<void*>(badge),
                    static_cast<void*>(notepad), static_cast<void*>(wordpad), static_cast<void*>(label));
        return 1;
    }
    BadgeWatch watch(badge);

    // One round of seven stimuli: each window in turn takes the focus, and in
    // the two editors a character is typed and Caps Lock is pressed.
    enum Kind { kFocus, kChar, kCaps };
    Tally tally[3];
    long stimuli = 0;
    const wchar_t text[] = L"soak text ";
    auto stimulus = [&](int step) {
        static constexpr Kind kinds[7] = {kFocus, kChar, kCaps, kFocus, kChar, kCaps, kFocus};
        HWND editor = step < 3 ? notepad : wordpad;
        Tally& t = tally[kinds[step]];
        const long changesBefore = watch.Changes();
        bool done = true;
        switch (kinds[step]) {
            case kFocus: done = Focus(step == 0 ? notepad : step == 3 ? wordpad : label); break;
            case kChar: done = Type(editor, text[stimuli % 10]); break;
            case kCaps: e2e::PressKey(VK_CAPITAL); break;
        }
        ++stimuli;
        Pump(options.gapMs, watch);
        ++t.driven;
        t.missed += !done;
        t.seen += watch.Changes() - changesBefore;
    };
    auto round = [&] {
        for (int step = 0; step < 7; ++step) stimulus(step);
    };

    // Warm-up: first use of fonts, bitmaps and caches is no growth.
    for (int i = 0; i < 10; ++i) round();
    Pump(1000, watch);
    const Figures start = Read(tessel.Proc(), sandbox.Exe());
    for (Tally& t : tally) t = Tally{};
    const long changesAtStart = watch.Changes();
    const DWORD began = ::GetTickCount();
    const long warmup = stimuli;
    while (stimuli - warmup < options.stimuli) stimulus(static_cast<int>((stimuli - warmup) % 7));
    if ((::GetKeyState(VK_CAPITAL) & 1) != 0) e2e::PressKey(VK_CAPITAL);
    Pump(1000, watch);
    const Figures end = Read(tessel.Proc(), sandbox.Exe());
    const double seconds = (::GetTickCount() - began) / 1000.0;
    const long changes = watch.Changes() - changesAtStart;

    std::printf("soak                 %ld stimuli in %.0f s after %ld warm-up stimuli\n", stimuli - warmup, seconds,
                warmup);
    const char* names[3] = {"focus switches", "characters typed", "Caps Lock presses"};
    const char* misses[3] = {"focus not taken", "caret not moved", ""};
    for (int k = 0; k < 3; ++k) {
        std::printf("  %-18s %6ld, badge changes seen after them %6ld", names[k], tally[k].driven, tally[k].seen);
        if (*misses[k]) std::printf(", %s %ld", misses[k], tally[k].missed);
        std::printf("\n");
    }
    // Each focus switch shows, moves or hides the badge and each character
    // moves it; Caps Lock changes only its face, which the soak cannot see.
    const long expected = tally[kFocus].driven + tally[kChar].driven;
    const long floor = expected / 2;
    const bool updating = changes >= floor;
    std::printf("badge changes        %ld seen (position or visibility), %ld expected, at least %ld wanted%s\n",
                changes, expected, floor, updating ? "" : "  TOO FEW");
    std::printf("figures from         %s\n", end.source);
    std::printf("%-20s %12s %12s %12s %12s\n", "", "start", "end", "change", "margin");
    bool within = true;
    // Growth allowed over the whole soak: a handle or object that a system
    // DLL caches late, and a few heap pages; a leak per stimulus is far beyond.
    auto row = [&](const char* name, long long a, long long b, long long margin) {
        if (a < 0 || b < 0) {
            std::printf("%-20s %12s %12s\n", name, "n/a", "n/a");
            within = false;
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
    const bool passed = running && code == 0 && within && updating;
    std::printf("result               %s\n", passed ? "PASSED" : "FAILED");
    return passed ? 0 : 1;
}

}  // namespace
}  // namespace tessel::soak

int wmain(int argc, wchar_t** argv) { return tessel::soak::Run(tessel::soak::ParseOptions(argc, argv)); }
