#include "e2e/e2e_support_win32.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <thread>

namespace tessel::e2e {

std::wstring BuildDirectory() {
    wchar_t path[MAX_PATH];
    DWORD n = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring p(path, n);
    return p.substr(0, p.find_last_of(L"\\/"));
}

Sandbox::Sandbox() {
    wchar_t temp[MAX_PATH];
    ::GetTempPathW(MAX_PATH, temp);
    static int counter = 0;
    dir_ = std::wstring(temp) + L"tessel-e2e-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
           std::to_wstring(++counter) + L"-" + std::to_wstring(::GetTickCount());
    ::CreateDirectoryW(dir_.c_str(), nullptr);
    ::CopyFileW((BuildDirectory() + L"\\Tessel.exe").c_str(), Exe().c_str(), FALSE);
}

Sandbox::~Sandbox() {
    WIN32_FIND_DATAW data;
    HANDLE find = ::FindFirstFileW((dir_ + L"\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = data.cFileName;
            if (name == L"." || name == L"..") continue;
            std::wstring full = dir_ + L"\\" + name;
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ::RemoveDirectoryW(full.c_str());
            else {
                ::SetFileAttributesW(full.c_str(), FILE_ATTRIBUTE_NORMAL);
                ::DeleteFileW(full.c_str());
            }
        } while (::FindNextFileW(find, &data));
        ::FindClose(find);
    }
    ::RemoveDirectoryW(dir_.c_str());
}

bool Sandbox::Exists(const std::wstring& name) const {
    return ::GetFileAttributesW(Path(name).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string ReadWholeFile(const std::wstring& path) {
    HANDLE f = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                             nullptr);
    if (f == INVALID_HANDLE_VALUE) return {};
    std::string out;
    char buf[4096];
    DWORD got = 0;
    while (::ReadFile(f, buf, sizeof(buf), &got, nullptr) && got) out.append(buf, got);
    ::CloseHandle(f);
    return out;
}

std::string Sandbox::ReadFile(const std::wstring& name) const { return ReadWholeFile(Path(name)); }

void Sandbox::WriteFile(const std::wstring& name, const std::string& bytes) const {
    HANDLE f = ::CreateFileW(Path(name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    ::WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    ::CloseHandle(f);
}

Process::Process(const std::wstring& exe, const std::wstring& workingDir, const std::wstring& arguments) {
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    std::wstring cmd = L"\"" + exe + L"\"";
    if (!arguments.empty()) cmd += L" " + arguments;
    if (!::CreateProcessW(exe.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          workingDir.empty() ? nullptr : workingDir.c_str(), &si, &info_))
        info_ = {};
}

Process::~Process() {
    if (info_.hProcess) {
        if (Running()) Kill();
        ::CloseHandle(info_.hProcess);
    }
    if (info_.hThread) ::CloseHandle(info_.hThread);
}

bool Process::Running() const { return info_.hProcess && ::WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT; }

bool Process::WaitExit(std::chrono::milliseconds timeout, DWORD* exitCode) {
    if (!info_.hProcess) return false;
    if (::WaitForSingleObject(info_.hProcess, static_cast<DWORD>(timeout.count())) != WAIT_OBJECT_0) return false;
    if (exitCode) ::GetExitCodeProcess(info_.hProcess, exitCode);
    return true;
}

void Process::Kill() {
    if (!info_.hProcess) return;
    ::TerminateProcess(info_.hProcess, 99);
    ::WaitForSingleObject(info_.hProcess, 5000);
}

bool WaitFor(const std::function<bool()>& done, std::chrono::milliseconds timeout, std::chrono::milliseconds step) {
    auto end = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        if (done()) return true;
        if (std::chrono::steady_clock::now() >= end) return false;
        // Keep our own queue serviced while waiting (we may own windows).
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        std::this_thread::sleep_for(step);
    }
}

namespace {
struct EnumData {
    DWORD pid;
    std::wstring cls;
    std::vector<HWND>* out;
};
BOOL CALLBACK Collect(HWND w, LPARAM p) {
    auto* d = reinterpret_cast<EnumData*>(p);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(w, &pid);
    if (pid == d->pid && (d->cls.empty() || ClassOf(w) == d->cls)) d->out->push_back(w);
    return TRUE;
}
}  // namespace

std::vector<HWND> WindowsOf(DWORD processId, const std::wstring& className) {
    std::vector<HWND> out;
    EnumData data{processId, className, &out};
    ::EnumWindows(Collect, reinterpret_cast<LPARAM>(&data));
    return out;
}

HWND MainWindowOf(DWORD processId) {
    auto w = WindowsOf(processId, L"Tessel.MainWindow");
    return w.empty() ? nullptr : w.front();
}

std::wstring ClassOf(HWND window) {
    wchar_t buf[256];
    int n = ::GetClassNameW(window, buf, 256);
    return std::wstring(buf, n > 0 ? n : 0);
}

std::wstring TitleOf(HWND window) {
    wchar_t buf[256];
    int n = ::GetWindowTextW(window, buf, 256);
    return std::wstring(buf, n > 0 ? n : 0);
}

RECT RectOf(HWND window) {
    RECT r{};
    ::GetWindowRect(window, &r);
    return r;
}

void SendKey(WORD vk, bool up) {
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = vk;
    in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    ::SendInput(1, &in, sizeof(INPUT));
}

void PressKey(WORD vk) {
    SendKey(vk, false);
    SendKey(vk, true);
}

void TypeChar(wchar_t ch) {
    INPUT in[2]{};
    in[0].type = in[1].type = INPUT_KEYBOARD;
    in[0].ki.wScan = in[1].ki.wScan = ch;
    in[0].ki.dwFlags = KEYEVENTF_UNICODE;
    in[1].ki.dwFlags = KEYEVENTF_UNICODE | KEYEVENTF_KEYUP;
    ::SendInput(2, in, sizeof(INPUT));
}

RunningTessel::RunningTessel(const Sandbox& sandbox) : process_(sandbox.Exe(), sandbox.Dir()) {
    if (!process_.Started()) return;
    // The main window is enumerable while its WM_CREATE still runs; the badge
    // window, made there, shows that start-up is through.
    HWND main = nullptr;
    bool ready = WaitFor([&] {
        main = MainWindowOf(process_.Id());
        return (main && !WindowsOf(process_.Id(), L"Tessel.BadgeWindow").empty()) || !process_.Running();
    }, std::chrono::seconds(20));
    if (ready && process_.Running()) main_ = main;
}

RunningTessel::~RunningTessel() {
    if (!closed_ && process_.Running()) Close();
}

long RunningTessel::Close(std::chrono::milliseconds timeout) {
    closed_ = true;
    if (main_) ::PostMessageW(main_, WM_CLOSE, 0, 0);
    DWORD code = 0;
    if (!process_.WaitExit(timeout, &code)) return -1;
    return static_cast<long>(code);
}

HWND BadgeOf(RunningTessel& tessel) {
    auto badges = WindowsOf(tessel.Proc().Id(), L"Tessel.BadgeWindow");
    return badges.empty() ? nullptr : badges.front();
}

POINT BadgeFor(HWND window, int x, int y, int width, int height) {
    POINT o{0, 0};
    ::ClientToScreen(window, &o);
    const int right = o.x + x + (width == 0 ? 1 : width);
    return POINT{right + 4, o.y + y + height + 2};
}

bool BadgeAt(HWND badge, POINT p) {
    RECT r = RectOf(badge);
    return ::IsWindowVisible(badge) && r.left == p.x && r.top == p.y && r.right - r.left == 15 && r.bottom - r.top == 15;
}

StockProgram::StockProgram(const wchar_t* exe, const wchar_t* className) : process_(exe) {
    WaitFor([&] {
        auto w = WindowsOf(process_.Id(), className);
        window_ = w.empty() ? nullptr : w.front();
        return window_ != nullptr;
    }, std::chrono::seconds(20));
    if (window_) Focus();
}

bool StockProgram::Focus() {
    if (!window_) return false;
    return WaitFor([&] {
        if (::GetForegroundWindow() == window_) return true;
        ::SetForegroundWindow(window_);
        return false;
    }, std::chrono::seconds(10), std::chrono::milliseconds(100));
}

void ParseIntOptions(int argc, wchar_t** argv, std::initializer_list<IntOption> options) {
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::wstring name = argv[i];
        const int value = std::max(1, static_cast<int>(std::wcstol(argv[i + 1], nullptr, 10)));
        bool known = false;
        for (const IntOption& o : options)
            if (name == o.name) *o.target = value, known = true;
        if (!known) std::fprintf(stderr, "unknown option %ls\n", argv[i]);
    }
}

}  // namespace tessel::e2e
