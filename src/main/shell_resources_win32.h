#pragma once
// Win32 resources of the running program, each in an owner that releases it
// exactly once. Reached from AppState::shell.
#include <windows.h>

#include <array>

#include "common/raii_win32.h"
#include "main/app_state.h"

#include "platform/uia_com_win32.h"

namespace tessel {

struct ShellResources {
    HINSTANCE instance = nullptr;
    UniqueHandle mutex;           // single-instance lock; closed by Shutdown
    HICON icon = nullptr;         // application icon (possibly the stock one)
    UniqueIcon ownedIcon;         // the same icon when we created it
    std::array<HWINEVENTHOOK, 4> hooks{};
    // UI Automation objects; null under Wine, where no client exists.
    ComPtr<uia::IUIAutomation> automation;
    ComPtr<uia::IUIAutomationTreeWalker> rawWalker;
};

inline HWND MainHwnd(const AppState& s) { return reinterpret_cast<HWND>(s.mainWindow); }

}  // namespace tessel
