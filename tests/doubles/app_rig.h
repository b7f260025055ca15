#pragma once
// An application record wired to scripted doubles, as the update cycle sees
// the real program: for tests and benchmarks of whole updates.
#include <map>
#include <optional>
#include <string>

#include "doubles/fake_clock.h"
#include "doubles/recording_sound.h"
#include "doubles/scripted_automation.h"
#include "doubles/scripted_badge_platform.h"
#include "doubles/scripted_accessibility.h"
#include "doubles/scripted_console.h"
#include "doubles/scripted_desktop.h"
#include "doubles/scripted_ime.h"
#include "doubles/scripted_outlook.h"
#include "main/app_state.h"

namespace tessel::testing {

// Executable names by process id, counting the lookups.
class FakeProcesses final : public Processes {
public:
    std::optional<std::u16string> ExecutableName(std::uint32_t processId) override;
    std::optional<std::vector<ProcessEntry>> Snapshot() override;
    std::optional<std::uint32_t> SessionId(std::uint32_t processId) override;
    std::uint32_t CurrentProcessId() override { return currentProcessId; }
    std::optional<std::u16string> ImageFileName(std::uint32_t processId) override;

    // Snapshot order is process id order; `snapshotFails` refuses the snapshot.
    std::map<std::uint32_t, std::u16string> names;
    std::map<std::uint32_t, std::uint32_t> sessions;  // missing: unreadable
    bool snapshotFails = false;
    std::uint32_t currentProcessId = 1;
    int snapshots = 0;
    int lookups = 0;
    int sessionReads = 0;
    int imageNameReads = 0;
    bool imageNamesUnreadable = false;  // OpenProcess refused (another user's process)
};

// A window of one thread and process; top-level when it has no parent.
ScriptedWindow MakeWindow(std::u16string className, WindowId parent, std::uint32_t threadId,
                          std::uint32_t processId, Rect rect);

struct AppRig {
    static constexpr WindowId kMainWindow = 0x10;
    static constexpr WindowId kBadgeWindow = 0x20;

    // Main and badge windows exist, the virtual screen is 1920 x 1080, raw
    // input and all four hooks are in place.
    AppRig();
    AppRig(const AppRig&) = delete;
    AppRig& operator=(const AppRig&) = delete;

    FakeClock clock;
    ScriptedDesktop desktop;
    ScriptedBadgePlatform badge;
    ScriptedIme ime{&desktop};
    RecordingSound sound;
    FakeProcesses processes;
    ScriptedAutomation automation;  // absent until a test scripts it
    ScriptedOutlook outlook;
    ScriptedAccessibility accessibility;
    ScriptedConsole console;
    WinEventCoalescer coalescer;
    AppState state;
};

}  // namespace tessel::testing
