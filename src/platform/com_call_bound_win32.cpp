#include "platform/com_call_bound_win32.h"

namespace tessel {
namespace {

// Defined here: MinGW's static import libraries may resolve these to thunks.
constexpr IID kIidIUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
constexpr IID kIidIMessageFilter = {0x00000016, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

// What waits in the queue, without removing it or handling sent messages.
PendingMessage PendingKind() noexcept {
    return HIWORD(::GetQueueStatus(QS_INPUT)) != 0 ? PendingMessage::Input : PendingMessage::Other;
}

}  // namespace

bool ComCallBound::Register() noexcept {
    if (registered_) return true;
    IMessageFilter* previous = nullptr;
    if (FAILED(::CoRegisterMessageFilter(this, &previous))) return false;
    if (previous) previous->Release();
    registered_ = true;
    return true;
}

void ComCallBound::Revoke() noexcept {
    if (!registered_) return;
    IMessageFilter* previous = nullptr;
    ::CoRegisterMessageFilter(nullptr, &previous);
    if (previous) previous->Release();
    registered_ = false;
}

HRESULT STDMETHODCALLTYPE ComCallBound::QueryInterface(REFIID iid, void** out) noexcept {
    if (!out) return E_POINTER;
    if (IsEqualIID(iid, kIidIUnknown) || IsEqualIID(iid, kIidIMessageFilter)) {
        *out = static_cast<IMessageFilter*>(this);
        return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
}

// Tessel serves no objects of its own; whatever arrives is handled as usual.
DWORD STDMETHODCALLTYPE ComCallBound::HandleInComingCall(DWORD, HTASK, DWORD, LPINTERFACEINFO) noexcept {
    return SERVERCALL_ISHANDLED;
}

DWORD STDMETHODCALLTYPE ComCallBound::RetryRejectedCall(HTASK, DWORD, DWORD rejectType) noexcept {
    const bool busy = rejectType == SERVERCALL_RETRYLATER;
    const auto retry = RetryRejected(deadline_, clock_.Now(), busy);
    if (retry) return *retry;
    if (busy && deadline_) overran_ = true;
    return static_cast<DWORD>(-1);
}

DWORD STDMETHODCALLTYPE ComCallBound::MessagePending(HTASK, DWORD, DWORD) noexcept {
    const MonoTime now = clock_.Now();
    const WhilePending answer = OnMessagePending(deadline_, now, PendingKind());
    if (answer == WhilePending::CancelCall) {
        if (!overran_) lastOverrun_ = now;
        overran_ = true;
        ++cancels_;
    } else if (wakeTimer_ && deadline_) {
        // A timer may fire a little early; the next wake is at the deadline.
        if (const UINT_PTR again = ::SetTimer(nullptr, wakeTimer_, WakeAfterMs(*deadline_, now), nullptr))
            wakeTimer_ = again;
    }
    return static_cast<DWORD>(answer);
}

void ComCallBound::ArmWake() noexcept {
    if (!deadline_ || wakeTimer_) return;
    // A thread timer: its WM_TIMER names no window, so one left in the queue
    // after the call is dropped by the message loop without effect.
    wakeTimer_ = ::SetTimer(nullptr, 0, WakeAfterMs(*deadline_, clock_.Now()), nullptr);
}

void ComCallBound::KillWake() noexcept {
    if (!wakeTimer_) return;
    ::KillTimer(nullptr, wakeTimer_);
    wakeTimer_ = 0;
}

ComQuestion::ComQuestion(ComCallBound* bound, Duration budget) noexcept : bound_(bound) {
    if (!bound_) return;
    outerDeadline_ = bound_->deadline_;
    outerOverran_ = bound_->overran_;
    MonoTime deadline = bound_->clock_.Now() + budget;
    // A question asked within another cannot outlast it.
    if (outerDeadline_ && *outerDeadline_ < deadline) deadline = *outerDeadline_;
    bound_->deadline_ = deadline;
    bound_->overran_ = false;
}

ComQuestion::~ComQuestion() {
    if (!bound_) return;
    bound_->KillWake();
    bound_->overran_ = outerOverran_ || bound_->overran_;
    bound_->deadline_ = outerDeadline_;
}

bool ComQuestion::Expired() const noexcept {
    return bound_ && bound_->deadline_ && bound_->clock_.Now() >= *bound_->deadline_;
}

}  // namespace tessel
