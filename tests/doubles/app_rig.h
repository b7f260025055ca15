#pragma once
// An application record wired to scripted doubles, as the update cycle sees
// the real program: for tests and benchmarks of whole updates.
#include <map>
#include <optional>
#include <string>

#include "doubles/fake_clock.h"
#include "doubles/recording_sound.h"
#include "doubles/scripted_badge_platform.h"
#include "doubles/scripted_caret_sources.h"
#include "doubles/scripted_desktop.h"
#include "doubles/scripted_ime.h"
#include "main/app_state.h"

namespace tessel::testing {

// Executable names by process id, counting the lookups.
class FakeProcesses final : public Processes {
public:
    std::optional<std::u16string> ExecutableName(std::uint32_t processId) override;
    void FreeConsole() override { ++consoleFrees; }

    std::map<std::uint32_t, std::u16string> names;
    int lookups = 0;
    int consoleFrees = 0;
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
    ScriptedCaretSources sources;
    WinEventCoalescer coalescer;
    AppState state;
};

}  // namespace tessel::testing
