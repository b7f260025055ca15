#pragma once
// A simulated main-window message loop around the scheduler: WinEvents and
// key-downs arrive at given times on the fake clock, posted messages are
// handled in order, and timers fire as WM_TIMER once the queue is empty, as
// a real loop would. Host operations may take simulated time, during which
// further events pile up and are coalesced.
#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <vector>

#include "fake_clock.h"
#include "main/scheduling_state.h"
#include "main/win_event_coalescer.h"
#include "recording_scheduler_host.h"
#include "scripted_desktop.h"

namespace tessel::testing {

// A scripted desktop whose timers have due times and whose posted messages
// form a queue.
class TimedDesktop : public ScriptedDesktop {
public:
    explicit TimedDesktop(const Clock& clock) : clock_(clock) {}

    bool PostToWindow(WindowId window, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) override;
    bool SetTimer(WindowId window, std::uintptr_t id, std::uint32_t periodMs) override;
    void KillTimer(WindowId window, std::uintptr_t id) override;

    std::deque<PostedMessage>& Queue() { return queue_; }
    // The timer due first (ties: lower id); none when no timer runs.
    struct DueTimer {
        MonoTime due;
        WindowId window;
        std::uintptr_t id;
    };
    std::optional<DueTimer> NextTimer() const;
    // A timer that fired counts its next period from now.
    void Restart(WindowId window, std::uintptr_t id);

private:
    const Clock& clock_;
    std::deque<PostedMessage> queue_;
    std::map<std::pair<WindowId, std::uintptr_t>, MonoTime> due_;
};

// Message standing for WM_INPUT in the simulated queue.
constexpr std::uint32_t kSimulatedRawInput = 0x00FF;

class SchedulerRig {
public:
    SchedulerRig();

    FakeClock clock;
    TimedDesktop desktop{clock};
    SchedulingState state;
    RecordingSchedulerHost host{state, clock};
    WinEventCoalescer coalescer;

    // Scripted input.
    void AddWinEvent(MonoTime at, std::uint32_t event, WindowId window, std::int32_t objectId);
    // A key-down (or an unreadable packet when `key` is empty), with the
    // given keys held while it is handled.
    void AddKey(MonoTime at, std::optional<RawKeyEvent> key, std::vector<int> held = {});

    // Runs the loop until the clock reaches `end` and nothing is due.
    void RunUntil(MonoTime end);

    // What the loop dispatched.
    int pendingMessagesHandled = 0;
    int rawInputHandled = 0;
    std::map<std::uintptr_t, int> timerTicks;

private:
    struct Stimulus {
        MonoTime at;
        bool isKey;
        std::uint32_t event;
        WindowId window;
        std::int32_t objectId;
        std::optional<RawKeyEvent> key;
        std::vector<int> held;
    };
    void DeliverDue();
    void Dispatch(const PostedMessage& message);

    std::deque<Stimulus> stimuli_;  // kept in time order
    std::vector<std::pair<std::optional<RawKeyEvent>, std::vector<int>>> inputs_;
};

}  // namespace tessel::testing
