#pragma once
// The one record of the running program. Start-up creates it, the main window
// owns it while it exists, and it is freed after the message loop ends.
// Handles of the Win32 shell that need RAII owners live in ShellResources,
// which only the Win32 shell sees.
#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "badge/badge_platform.h"
#include "badge/badge_presence.h"
#include "badge/badge_state.h"
#include "badge/mode_sound.h"
#include "config/settings.h"
#include "editability/caret_info.h"
#include "editability/caret_locator_state.h"
#include "editability/uia_state.h"
#include "input_mode/ime_query_state.h"
#include "input_mode/query_ime_status.h"
#include "platform/accessibility.h"
#include "platform/automation.h"
#include "platform/clock.h"
#include "platform/console.h"
#include "platform/desktop.h"
#include "main/editability_decision.h"
#include "main/program_exclusion.h"
#include "platform/focus_snapshot.h"
#include "main/scheduling_state.h"
#include "main/shell_host_state.h"
#include "main/win_event_coalescer.h"
#include "outlook/compose_window_test.h"
#include "outlook/outlook_automation.h"
#include "platform/ime.h"
#include "platform/processes.h"
#include "platform/sound.h"
#include "platform/startup_registration.h"
#include "platform/types.h"

namespace tessel {

struct ShellResources;  // Win32-only owners (mutex, icon, hooks, COM objects)

// Window messages of the main window (WM_WINEVENT_PENDING is with the scheduling state).
constexpr std::uint32_t kWmTrayNotify = 0x8001;    // WM_APP + 1
constexpr std::uint32_t kWmShowSettings = 0x8002;  // WM_APP + 2

struct AppState {
    // Platform seams; the Win32 shell points them at the real implementations.
    Clock* clock = nullptr;
    Desktop* desktop = nullptr;
    BadgePlatform* badgePlatform = nullptr;
    Ime* ime = nullptr;
    Sound* sound = nullptr;
    Processes* processes = nullptr;
    Accessibility* accessibility = nullptr;
    Console* console = nullptr;
    Automation* automation = nullptr;  // never null once wired; NoAutomation where absent
    OutlookAutomation* outlook = nullptr;
    StartupRegistration* startupRegistration = nullptr;  // null: the real registry (settings window)
    WinEventCoalescer* coalescer = nullptr;  // the process-wide one in the program
    ShellResources* shell = nullptr;

    // Handles and owned resources (the owners themselves are in ShellResources).
    std::uintptr_t instance = 0;
    WindowId mainWindow = kNoWindow;
    WindowId HintWindow = kNoWindow;
    WindowId settingsWindow = kNoWindow;
    std::uint32_t taskbarCreatedMessage = 0;
    bool comInitialised = false;
    Settings settings;
    std::string exeDirectory;
    std::string SettingsFilePath;

    // Lifecycle flags.
    bool shutdownDone = false;
    bool rawInputRegistered = false;
    bool IconAdded = false;
    std::array<bool, 4> hookInstalled{};  // foreground, focus, location change, text selection

    // Scheduling of updates (owned by the event handlers).
    SchedulingState sched;

    // Indicator state.
    BadgeState badge;
    BadgePresence presence;  // the badge steps aside a while after a change
    ModeState mode;
    ImeQueryState imeQuery;
    ShellHostState shellHost;
    CaretLocatorState caretLocator;
    EditabilityVerdict editabilityVerdict;
    OutlookAnswerCache outlookAnswer;
    CaretInfo lastCaret;
    // What the last FullUpdate looked at, kept only while the rest probe can
    // see its changes (a system caret, or no badge).
    std::optional<FocusSnapshot> lastFullUpdateTarget;
    // Where the caret window's client area stood on screen then (system caret
    // only): a window scrolled or moved with its parent keeps its client caret.
    std::optional<Point> lastFullUpdateCaretOrigin;
    std::optional<Rect> KeepOutRect;
    WindowId imeHostWindow = kNoWindow;
    std::uint32_t imeHostProcessId = 0;
    bool taskManagerMode = false;
    std::uint32_t taskManagerProcessId = 0;
    std::uint8_t TaskbarReading = 2;
    UiaElementRef IndicatorElement;  // the taskbar element of the last reading
    OptionalTime lastIndicatorMiss;  // the last search of the taskbar that found no indicator
    UiaState uia;                    // focused-element and Task Manager caret caches
    ImageNameCache imageNames;       // for the programs left alone

    // The badge stands at a known caret, shown or stepped aside for now.
    bool BadgeAtCaret() const { return (badge.Visible || presence.steppedAside) && lastCaret.Found; }

    bool HooksComplete() const {
        return hookInstalled[0] && hookInstalled[1] && hookInstalled[2] && hookInstalled[3];
    }
};

}  // namespace tessel
