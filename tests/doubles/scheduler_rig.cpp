#include "scheduler_rig.h"

#include <algorithm>

#include "main/scheduler.h"

namespace tessel::testing {

bool TimedDesktop::PostToWindow(WindowId window, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) {
    if (!ScriptedDesktop::PostToWindow(window, message, wParam, lParam)) return false;
    queue_.push_back({window, message, wParam, lParam});
    return true;
}

bool TimedDesktop::SetTimer(WindowId window, std::uintptr_t id, std::uint32_t periodMs) {
    if (!ScriptedDesktop::SetTimer(window, id, periodMs)) return false;
    due_[{window, id}] = clock_.Now() + Ms(periodMs);
    return true;
}

void TimedDesktop::KillTimer(WindowId window, std::uintptr_t id) {
    ScriptedDesktop::KillTimer(window, id);
    due_.erase({window, id});
}

std::optional<TimedDesktop::DueTimer> TimedDesktop::NextTimer() const {
    std::optional<DueTimer> best;
    for (const auto& [key, due] : due_) {
        if (!best || due < best->due) best = DueTimer{due, key.first, key.second};
    }
    return best;
}

void TimedDesktop::Restart(WindowId window, std::uintptr_t id) {
    auto it = timers_.find({window, id});
    if (it != timers_.end()) due_[{window, id}] = clock_.Now() + Ms(it->second);
}

SchedulerRig::SchedulerRig() : state(MakeSchedulingState(clock.Now())) {
    coalescer.SetNotifyWindow(host.mainWindow);
}

void SchedulerRig::AddWinEvent(MonoTime at, std::uint32_t event, WindowId window, std::int32_t objectId) {
    Stimulus s{at, false, event, window, objectId, std::nullopt, {}};
    stimuli_.insert(std::upper_bound(stimuli_.begin(), stimuli_.end(), s,
                                     [](const Stimulus& a, const Stimulus& b) { return a.at < b.at; }),
                    std::move(s));
}

void SchedulerRig::AddKey(MonoTime at, std::optional<RawKeyEvent> key, std::vector<int> held) {
    Stimulus s{at, true, 0, kNoWindow, 0, key, std::move(held)};
    stimuli_.insert(std::upper_bound(stimuli_.begin(), stimuli_.end(), s,
                                     [](const Stimulus& a, const Stimulus& b) { return a.at < b.at; }),
                    std::move(s));
}

void SchedulerRig::DeliverDue() {
    // WinEvent callbacks run while the thread fetches messages; key-downs
    // join the queue behind whatever was posted before them.
    while (!stimuli_.empty() && stimuli_.front().at <= clock.Now()) {
        Stimulus s = std::move(stimuli_.front());
        stimuli_.pop_front();
        if (s.isKey) {
            inputs_.emplace_back(s.key, std::move(s.held));
            desktop.Queue().push_back({host.mainWindow, kSimulatedRawInput, 0,
                                       static_cast<std::intptr_t>(inputs_.size() - 1)});
        } else {
            coalescer.OnWinEvent(desktop, s.event, s.window, s.objectId);
        }
    }
}

void SchedulerRig::Dispatch(const PostedMessage& message) {
    if (message.message == kWmWinEventPending) {
        ++pendingMessagesHandled;
        OnWinEventPending(state, clock, desktop, host, coalescer);
    } else if (message.message == kSimulatedRawInput) {
        ++rawInputHandled;
        auto& [key, held] = inputs_.at(static_cast<std::size_t>(message.lParam));
        for (int vk : held) desktop.SetKeyDown(vk, true);
        OnRawKey(state, clock, desktop, host, key);
        for (int vk : held) desktop.SetKeyDown(vk, false);
    }
}

void SchedulerRig::RunUntil(MonoTime end) {
    for (;;) {
        DeliverDue();
        if (!desktop.Queue().empty()) {
            PostedMessage m = desktop.Queue().front();
            desktop.Queue().pop_front();
            Dispatch(m);
            continue;
        }
        std::optional<TimedDesktop::DueTimer> timer = desktop.NextTimer();
        if (timer && timer->due <= clock.Now()) {
            desktop.Restart(timer->window, timer->id);
            ++timerTicks[timer->id];
            switch (timer->id) {
                case kPollTimerId: OnPollTimer(state, clock, desktop, host); break;
                case kKeyCheckTimerId: OnKeyCheckTimer(state, clock, desktop, host); break;
                case kTaskManagerTimerId: OnTaskManagerTimer(state, clock, desktop, host); break;
                default: desktop.KillTimer(timer->window, timer->id); break;
            }
            continue;
        }
        MonoTime next = end;
        if (!stimuli_.empty()) next = std::min(next, stimuli_.front().at);
        if (timer) next = std::min(next, timer->due);
        if (next <= clock.Now()) break;
        clock.Set(next);
    }
}

}  // namespace tessel::testing
