#pragma once
// Starting and watching the real Tessel.exe from a test.
#include <windows.h>

#include <chrono>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

namespace tessel::e2e {

// Directory of the running test executable (Tessel.exe is built beside it).
std::wstring BuildDirectory();

// A fresh directory with a copy of Tessel.exe, removed with its contents at the end.
class Sandbox {
public:
    Sandbox();
    ~Sandbox();
    Sandbox(const Sandbox&) = delete;
    Sandbox& operator=(const Sandbox&) = delete;
    const std::wstring& Dir() const { return dir_; }
    std::wstring Exe() const { return dir_ + L"\\Tessel.exe"; }
    std::wstring Path(const std::wstring& name) const { return dir_ + L"\\" + name; }
    bool Exists(const std::wstring& name) const;
    std::string ReadFile(const std::wstring& name) const;
    void WriteFile(const std::wstring& name, const std::string& bytes) const;

private:
    std::wstring dir_;
};

// One started process.
class Process {
public:
    explicit Process(const std::wstring& exe, const std::wstring& workingDir = L"", const std::wstring& arguments = L"");
    ~Process();
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;
    bool Started() const { return info_.hProcess != nullptr; }
    DWORD Id() const { return info_.dwProcessId; }
    HANDLE Handle() const { return info_.hProcess; }
    bool Running() const;
    // Waits for the end; false on time-out.
    bool WaitExit(std::chrono::milliseconds timeout, DWORD* exitCode = nullptr);
    void Kill();

private:
    PROCESS_INFORMATION info_{};
};

// Polls until `done` holds or the time is up.
bool WaitFor(const std::function<bool()>& done, std::chrono::milliseconds timeout,
             std::chrono::milliseconds step = std::chrono::milliseconds(20));

// Top-level windows of a process with the given class (empty: any class).
std::vector<HWND> WindowsOf(DWORD processId, const std::wstring& className = L"");

// Reads "--name value" pairs of whole numbers (at least 1) into the named
// targets; an unknown name is reported on stderr and skipped.
struct IntOption {
    const wchar_t* name;
    int* target;
};
void ParseIntOptions(int argc, wchar_t** argv, std::initializer_list<IntOption> options);

// The main window of a Tessel process, null until it exists.
HWND MainWindowOf(DWORD processId);

std::wstring ClassOf(HWND window);
std::wstring TitleOf(HWND window);
RECT RectOf(HWND window);

// The whole file, or empty when it cannot be read.
std::string ReadWholeFile(const std::wstring& path);

// Keys and text as the user types them (SendInput), to the foreground window.
void SendKey(WORD vk, bool up);
void PressKey(WORD vk);
void TypeChar(wchar_t ch);

// Starts Tessel in `sandbox` and waits for its main window; ends it (WM_CLOSE)
// when destroyed.
class RunningTessel {
public:
    explicit RunningTessel(const Sandbox& sandbox);
    ~RunningTessel();
    bool Ready() const { return main_ != nullptr; }
    HWND Main() const { return main_; }
    Process& Proc() { return process_; }
    // WM_CLOSE and wait; the exit code, or -1 on time-out.
    long Close(std::chrono::milliseconds timeout = std::chrono::seconds(10));

private:
    Process process_;
    HWND main_ = nullptr;
    bool closed_ = false;
};

// The badge window of a running Tessel, null when there is none.
HWND BadgeOf(RunningTessel& tessel);

// Where the badge (15 pixels at 96 DPI, below the caret by default) belongs
// for a caret box at (x, y), `width` by `height`, of `window`'s client area.
POINT BadgeFor(HWND window, int x, int y, int width, int height);

// Whether the badge is shown, 15 pixels square, at `p`.
bool BadgeAt(HWND badge, POINT p);

// One of Wine's own programs, started and brought to the foreground; its
// main window is the first of `className`.
class StockProgram {
public:
    StockProgram(const wchar_t* exe, const wchar_t* className);
    // Asks again while waiting: a busy Wine can drop the first request.
    bool Focus();
    HWND Window() const { return window_; }
    Process& Proc() { return process_; }

private:
    Process process_;
    HWND window_ = nullptr;
};

// Wine's notepad.
class Notepad : public StockProgram {
public:
    Notepad() : StockProgram(L"C:\\windows\\system32\\notepad.exe", L"Notepad") {}
};

// Wine's WordPad: a rich-edit control with a system caret.
class WordPad : public StockProgram {
public:
    WordPad() : StockProgram(L"C:\\Program Files\\Windows NT\\Accessories\\wordpad.exe", L"WORDPADTOP") {}
};

}  // namespace tessel::e2e
