#include "platform/unanswered_thread_win32.h"

namespace tessel {
namespace {

struct Unanswered {
    DWORD thread = 0;
    MonoTime since{};
};
constexpr int kSlots = 2;
// Callbacks of SendMessageCallback run on the sending thread, so the asking
// (GUI) thread keeps its own; the callback's data names slot and thread, not
// an object that might be gone by the time the answer comes.
thread_local Unanswered t_unanswered[kSlots];

void CALLBACK AnswerArrived(HWND, UINT, ULONG_PTR data, LRESULT) noexcept {
    const auto slot = static_cast<std::size_t>(data >> 32);
    const auto thread = static_cast<DWORD>(data & 0xFFFFFFFFu);
    if (slot < kSlots && t_unanswered[slot].thread == thread) t_unanswered[slot] = Unanswered{};
}

}  // namespace

bool StillUnanswered(AnswerSlot slot, DWORD thread, MonoTime now) noexcept {
    const Unanswered& u = t_unanswered[static_cast<std::size_t>(slot)];
    return thread != 0 && u.thread == thread && AtMostAgo(now, u.since, kUnansweredPatience - Duration(1));
}

bool AwaitAnswer(AnswerSlot slot, HWND window, DWORD thread, MonoTime now) noexcept {
    const ULONG_PTR data = (static_cast<ULONG_PTR>(slot) << 32) | thread;
    if (thread == 0 || !::SendMessageCallbackW(window, WM_NULL, 0, 0, AnswerArrived, data)) return false;
    t_unanswered[static_cast<std::size_t>(slot)] = Unanswered{thread, now};
    return true;
}

}  // namespace tessel
