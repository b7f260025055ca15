#pragma once
// A minimal running Tessel for the tray and settings-window tests: an
// application record, a hidden owner window standing in for the main window,
// the settings-window class, and a temporary settings file path.
#include <gtest/gtest.h>
#include <windows.h>
#include <shellapi.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "doubles/scripted_startup_registration.h"
#include "main/app_state.h"
#include "main/shell_resources_win32.h"
#include "platform/win32_types_win32.h"
#include "settings_window/settings_window_win32.h"
#include "tray/tray_win32.h"

namespace tessel::testing {

// Finds a message box of this process by caption on a second thread, records
// its texts and owner, and closes it; the GUI thread is blocked inside it.
class MessageBoxCloser {
public:
    explicit MessageBoxCloser(std::wstring caption) : caption_(std::move(caption)) {
        thread_ = std::thread([this] { Run(); });
    }
    ~MessageBoxCloser() { Join(); }
    void Join() {
        if (thread_.joinable()) thread_.join();
    }
    bool Found() {
        Join();
        return found_;
    }
    // Every text in the box: its caption and each child window's text.
    std::vector<std::wstring> Texts() {
        Join();
        return texts_;
    }
    bool AnyTextIs(const std::wstring& text) {
        for (const auto& t : Texts())
            if (t == text) return true;
        return false;
    }
    HWND Owner() {
        Join();
        return owner_;
    }

private:
    void Run() {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (std::chrono::steady_clock::now() < deadline) {
            HWND box = FindWindowW(L"#32770", caption_.c_str());
            DWORD pid = 0;
            if (box) GetWindowThreadProcessId(box, &pid);
            if (box && pid == GetCurrentProcessId()) {
                owner_ = GetWindow(box, GW_OWNER);
                for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
                    wchar_t buffer[1024] = {};
                    GetWindowTextW(c, buffer, 1024);
                    texts_.emplace_back(buffer);
                }
                found_ = true;
                PostMessageW(box, WM_COMMAND, IDOK, 0);
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }

    std::wstring caption_;
    std::thread thread_;
    bool found_ = false;
    HWND owner_ = nullptr;
    std::vector<std::wstring> texts_;
};

class TraySettingsFixture : public ::testing::Test {
protected:
    static inline AppState* current_ = nullptr;
    static inline int hintTimerTicks_ = 0;

    // Stands in for the main window: forwards the hint timer like the real one.
    static LRESULT CALLBACK OwnerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_TIMER && wParam == 2 && current_) {
            ++hintTimerTicks_;
            CloseHint(*current_);
            return 0;
        }
        return DefWindowProcW(window, message, wParam, lParam);
    }

    static void RegisterClasses() {
        HINSTANCE instance = GetModuleHandleW(nullptr);
        WNDCLASSEXW existing{};
        existing.cbSize = sizeof(existing);
        if (!GetClassInfoExW(instance, L"Tessel.SettingsWindow", &existing)) {
            WNDCLASSEXW c{};
            c.cbSize = sizeof(c);
            c.lpfnWndProc = SettingsWindowProc;
            c.hInstance = instance;
            c.hCursor = LoadCursorW(nullptr, IDC_ARROW);
            c.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
            c.lpszClassName = L"Tessel.SettingsWindow";
            ASSERT_NE(RegisterClassExW(&c), 0);
        }
        if (!GetClassInfoExW(instance, L"Tessel.Test.Owner", &existing)) {
            WNDCLASSEXW c{};
            c.cbSize = sizeof(c);
            c.lpfnWndProc = OwnerProc;
            c.hInstance = instance;
            c.lpszClassName = L"Tessel.Test.Owner";
            ASSERT_NE(RegisterClassExW(&c), 0);
        }
    }

    void SetUp() override {
        RegisterClasses();
        shell_.instance = GetModuleHandleW(nullptr);
        shell_.icon = LoadIconW(nullptr, IDI_APPLICATION);
        state_ = std::make_unique<AppState>();
        state_->shell = &shell_;
        state_->instance = reinterpret_cast<std::uintptr_t>(shell_.instance);
        // The Run value of the test prefix stays untouched.
        state_->startupRegistration = &registration_;
        HWND owner = CreateWindowExW(0, L"Tessel.Test.Owner", L"Tessel Test Owner", 0, 0, 0, 0, 0, nullptr, nullptr,
                                     shell_.instance, nullptr);
        ASSERT_NE(owner, nullptr);
        state_->mainWindow = ToWindowId(owner);
        current_ = state_.get();
        hintTimerTicks_ = 0;

        wchar_t temp[MAX_PATH + 1];
        ASSERT_GT(GetTempPathW(MAX_PATH + 1, temp), 0u);
        dir_ = std::wstring(temp) + L"tessel-tray-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
               std::to_wstring(GetTickCount64());
        ASSERT_TRUE(CreateDirectoryW(dir_.c_str(), nullptr));
        state_->SettingsFilePath = Narrow(dir_ + L"\\Tessel.ini");
    }

    void TearDown() override {
        HWND settings = ToHwnd(state_->settingsWindow);
        if (settings && IsWindow(settings)) DestroyWindow(settings);
        CloseHint(*state_);
        if (state_->IconAdded) {
            NOTIFYICONDATAW data{};
            data.cbSize = sizeof(data);
            data.hWnd = MainHwnd(*state_);
            data.uID = 1;
            Shell_NotifyIconW(NIM_DELETE, &data);
        }
        HWND main = MainHwnd(*state_);
        if (main && IsWindow(main)) DestroyWindow(main);
        current_ = nullptr;
        DeleteFileW((dir_ + L"\\Tessel.ini").c_str());
        RemoveDirectoryW(dir_.c_str());
    }

    bool SettingsFileExists() const {
        return GetFileAttributesW((dir_ + L"\\Tessel.ini").c_str()) != INVALID_FILE_ATTRIBUTES;
    }
    std::string SettingsFileText() const {
        HANDLE h = CreateFileW((dir_ + L"\\Tessel.ini").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                               0, nullptr);
        if (h == INVALID_HANDLE_VALUE) return {};
        std::string out(1 << 14, '\0');
        DWORD got = 0;
        ReadFile(h, out.data(), static_cast<DWORD>(out.size()), &got, nullptr);
        CloseHandle(h);
        out.resize(got);
        return out;
    }

    // Lets queued messages (paint, timers) run for a while.
    static void Pump(std::chrono::milliseconds duration) {
        const auto end = std::chrono::steady_clock::now() + duration;
        do {
            MSG msg;
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        } while (std::chrono::steady_clock::now() < end);
    }

    static std::wstring TextOf(HWND window) {
        wchar_t buffer[512] = {};
        GetWindowTextW(window, buffer, 512);
        return buffer;
    }
    static std::wstring ClassOf(HWND window) {
        wchar_t buffer[128] = {};
        GetClassNameW(window, buffer, 128);
        return buffer;
    }

    ShellResources shell_;
    ScriptedStartupRegistration registration_;
    std::unique_ptr<AppState> state_;
    std::wstring dir_;
};

}  // namespace tessel::testing
