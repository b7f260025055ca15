// IME host discovery over the real process snapshot, and the IME adapter
// reaching another process's IME window, with copies of the ime_editor test
// program started under host names.
#include <gtest/gtest.h>
#include <windows.h>
#include <imm.h>

#include <algorithm>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "input_mode/ime_host_discovery.h"
#include "platform/clock.h"
#include "platform/desktop_win32.h"
#include "platform/ime_win32.h"
#include "platform/processes_win32.h"
#include "platform/win32_types_win32.h"

namespace tessel {
namespace {

constexpr UINT kSetImeMessage = WM_APP + 20;  // ime_editor's request: 0 close, 1 open in Hangul
constexpr UINT kBusyMessage = WM_APP + 22;    // and: be busy for wParam ms

std::wstring BuildDirectory() {
    wchar_t path[MAX_PATH];
    const DWORD n = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring p(path, n);
    return p.substr(0, p.find_last_of(L"\\/"));
}

std::wstring ClassOf(HWND w) {
    wchar_t name[128] = {};
    ::GetClassNameW(w, name, 128);
    return name;
}

std::wstring TitleOf(HWND w) {
    wchar_t title[128] = {};
    ::GetWindowTextW(w, title, 128);
    return title;
}

// ime_editor.exe copied under `name` into a directory of its own and started;
// ended and removed when the test is done.
class Editor {
public:
    explicit Editor(const std::wstring& name, const std::wstring& args = L"") {
        static int counter = 0;
        wchar_t temp[MAX_PATH];
        ::GetTempPathW(MAX_PATH, temp);
        dir_ = std::wstring(temp) + L"tessel-hosts-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
               std::to_wstring(++counter);
        ::CreateDirectoryW(dir_.c_str(), nullptr);
        exe_ = dir_ + L"\\" + name;
        if (!::CopyFileW((BuildDirectory() + L"\\ime_editor.exe").c_str(), exe_.c_str(), FALSE)) return;
        std::wstring command = L"\"" + exe_ + L"\" " + args;
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        if (!::CreateProcessW(exe_.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, dir_.c_str(),
                              &startup, &info_))
            return;
        // Ready once the editor window is shown, its edit control made.
        for (int i = 0; i < 500 && !window_; ++i) {
            ::EnumWindows(
                [](HWND w, LPARAM self) noexcept -> BOOL {
                    auto* e = reinterpret_cast<Editor*>(self);
                    DWORD pid = 0;
                    ::GetWindowThreadProcessId(w, &pid);
                    if (pid == e->Id() && ClassOf(w) == L"Tessel.ImeEditor" && ::IsWindowVisible(w)) e->window_ = w;
                    return e->window_ == nullptr;
                },
                reinterpret_cast<LPARAM>(this));
            if (!window_) ::Sleep(20);
        }
        DWORD_PTR ignored = 0;
        if (window_) ::SendMessageTimeoutW(window_, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &ignored);
    }
    ~Editor() {
        if (info_.hProcess) {
            ::TerminateProcess(info_.hProcess, 0);
            ::WaitForSingleObject(info_.hProcess, 5000);
            ::CloseHandle(info_.hProcess);
            ::CloseHandle(info_.hThread);
        }
        ::DeleteFileW(exe_.c_str());
        ::RemoveDirectoryW(dir_.c_str());
    }
    Editor(const Editor&) = delete;
    Editor& operator=(const Editor&) = delete;

    DWORD Id() const { return info_.dwProcessId; }
    HWND Window() const { return window_; }
    HWND Edit() const { return window_ ? ::FindWindowExW(window_, nullptr, L"EDIT", nullptr) : nullptr; }

private:
    std::wstring dir_;
    std::wstring exe_;
    PROCESS_INFORMATION info_{};
    HWND window_ = nullptr;
};

// The process's windows as the query lists them: each top-level window in
// enumeration order, followed by its descendants of the same process.
std::vector<WindowId> WindowsOfProcess(Desktop& desktop, std::uint32_t pid) {
    std::vector<WindowId> windows;
    auto ofProcess = [&](WindowId w) {
        std::uint32_t owner = 0;
        desktop.WindowThreadProcessId(w, &owner);
        return owner == pid;
    };
    desktop.EnumTopLevelWindows([&](WindowId top) {
        if (!ofProcess(top)) return true;
        windows.push_back(top);
        desktop.EnumChildWindows(top, [&](WindowId child) {
            if (ofProcess(child)) windows.push_back(child);
            return true;
        });
        return true;
    });
    return windows;
}

TEST(ImeHostsLive, HostProcessesAreFoundByTheirWholeNameInAnyCase) {
    Editor host(L"TextInputHost.exe");
    Editor upper(L"TEXTINPUTHOST.EXE");
    Editor longer(L"xtextinputhost.exe");
    Editor other(L"ime_editor.exe");
    for (Editor* e : {&host, &upper, &longer, &other}) ASSERT_NE(e->Window(), nullptr);

    Win32Processes processes;
    const DWORD self = ::GetCurrentProcessId();
    // No host in focus: only text input hosts are offered.
    std::vector<HostProcess> expected{{2, 0, host.Id()}, {2, 0, upper.Id()}};
    if (upper.Id() < host.Id()) std::swap(expected[0], expected[1]);
    EXPECT_EQ(FindImeHostProcesses(processes, self, self, true), expected);
    EXPECT_EQ(FindImeHostProcesses(processes, self, upper.Id(), true).front(), (HostProcess{0, 0, upper.Id()}));
}

TEST(ImeHostsLive, HostWindowsAreListedInEnumerationOrderWithTheirChildren) {
    Editor host(L"TextInputHost.exe", L"--frames 3");
    ASSERT_NE(host.Window(), nullptr);

    Win32Desktop desktop;
    Win32Processes processes;
    SteadyClock clock;
    ImeQueryState state;
    CandidateList list;
    DiscoverImeHosts(state, list, desktop, processes, ::GetCurrentProcessId(), host.Id(), true, clock.Now());
    // The focused host's windows come first; the other hosts' (Wine's own
    // explorer.exe) follow.
    const std::vector<WindowId> own = WindowsOfProcess(desktop, host.Id());
    ASSERT_GE(list.Windows.size(), own.size());
    EXPECT_EQ(std::vector<WindowId>(list.Windows.begin(), list.Windows.begin() + own.size()), own);
    for (std::size_t i = own.size(); i < list.Windows.size(); ++i) {
        DWORD pid = 0;
        ::GetWindowThreadProcessId(ToHwnd(list.Windows[i]), &pid);
        EXPECT_TRUE(ImeHostKind(processes.ExecutableName(pid).value_or(u"")).has_value()) << "window of process " << pid;
    }

    // Among them the three frames, each directly followed by its child, and the editor's edit control.
    int frames = 0;
    for (std::size_t i = 0; i + 1 < list.Windows.size(); ++i) {
        const std::wstring title = TitleOf(ToHwnd(list.Windows[i]));
        if (title.rfind(L"frame ", 0) != 0 || title.size() != 7) continue;
        ++frames;
        EXPECT_EQ(TitleOf(ToHwnd(list.Windows[i + 1])), title + L" child");
    }
    EXPECT_EQ(frames, 3);
    EXPECT_NE(std::find(list.Windows.begin(), list.Windows.end(), ToWindowId(host.Edit())), list.Windows.end());
}

TEST(ImeAdapterLive, AnotherProcesssImeWindowIsFoundThroughItsThreadAndAnswers) {
    Editor editor(L"ime_editor.exe");
    ASSERT_NE(editor.Edit(), nullptr);
    const HWND edit = editor.Edit();
    std::printf("ImmGetDefaultIMEWnd across processes: %s\n", ::ImmGetDefaultIMEWnd(edit) ? "answers" : "null");

    Win32Ime ime;
    const HWND imeWindow = ToHwnd(ime.DefaultImeWindow(ToWindowId(edit)));
    ASSERT_NE(imeWindow, nullptr);
    EXPECT_EQ(ClassOf(imeWindow), L"IME");
    DWORD pid = 0;
    EXPECT_EQ(::GetWindowThreadProcessId(imeWindow, &pid), ::GetWindowThreadProcessId(edit, nullptr));
    EXPECT_EQ(pid, editor.Id());

    // It tells the editor's open status across the process boundary. A busy
    // machine can let one 50 ms wait expire; a wrong answer is never retried.
    const WindowId id = ToWindowId(imeWindow);
    auto openStatus = [&] {
        std::optional<std::uintptr_t> answer;
        for (int i = 0; i < 5 && !answer; ++i) answer = ime.SendImeControl(id, kImcGetOpenStatus);
        return answer;
    };
    EXPECT_EQ(openStatus(), std::optional<std::uintptr_t>(0));
    ASSERT_EQ(::SendMessageW(editor.Window(), kSetImeMessage, 1, 0), 1);
    EXPECT_EQ(openStatus(), std::optional<std::uintptr_t>(1));
    ASSERT_EQ(::SendMessageW(editor.Window(), kSetImeMessage, 0, 0), 1);
    EXPECT_EQ(openStatus(), std::optional<std::uintptr_t>(0));
}

// A busy program's IME window has not answered yet: late. A gone one never will.
TEST(ImeAdapterLive, ABusyImeWindowIsLateAndAGoneOneIsNot) {
    std::optional<Editor> editor(std::in_place, L"ime_editor.exe");
    ASSERT_NE(editor->Edit(), nullptr);
    Win32Ime ime;
    const WindowId imeWindow = ime.DefaultImeWindow(ToWindowId(editor->Edit()));
    ASSERT_NE(imeWindow, kNoWindow);

    ::PostMessageW(editor->Window(), kBusyMessage, 1000, 0);
    ::Sleep(100);
    ime.BeginUpdate();
    EXPECT_EQ(ime.SendImeControl(imeWindow, kImcGetOpenStatus), std::nullopt);
    EXPECT_TRUE(ime.Late());

    editor.reset();
    ime.BeginUpdate();
    EXPECT_EQ(ime.SendImeControl(imeWindow, kImcGetOpenStatus), std::nullopt);
    EXPECT_FALSE(ime.Late());
}

TEST(ImeAdapterLive, ThreadWithoutAnImeWindowHasNone) {
    Editor editor(L"ime_editor.exe", L"--no-ime");
    ASSERT_NE(editor.Edit(), nullptr);
    Win32Ime ime;
    EXPECT_EQ(ime.DefaultImeWindow(ToWindowId(editor.Edit())), kNoWindow);
}

}  // namespace
}  // namespace tessel
