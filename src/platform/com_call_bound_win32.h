#pragma once
// The GUI thread's COM message filter: it cancels a call into another
// program once the question the call belongs to has run past its deadline.
// COM consults the filter only when a message arrives while a call waits, so
// a thread timer, armed only while a bounded call waits, wakes it then.
#include <windows.h>
#include <objidl.h>

#include <utility>

#include "platform/clock.h"
#include "platform/com_call_policy.h"

namespace tessel {

class ComCallBound final : public IMessageFilter {
public:
    explicit ComCallBound(const Clock& clock) noexcept : clock_(clock) {}
    ComCallBound(const ComCallBound&) = delete;
    ComCallBound& operator=(const ComCallBound&) = delete;
    ~ComCallBound() = default;

    // Becomes the calling thread's message filter; COM must be initialised on
    // it as a single-threaded apartment. False when COM refuses. Revoke before
    // the apartment ends.
    bool Register() noexcept;
    void Revoke() noexcept;
    bool Registered() const noexcept { return registered_; }
    // How often the filter cancelled a waiting call, and when it cancelled the
    // first one of the last question that ran past its deadline. COM may still
    // deliver a cancelled call's answer (Wine waits for it).
    int Cancels() const noexcept { return cancels_; }
    OptionalTime LastOverrun() const noexcept { return lastOverrun_; }

    // IMessageFilter. The object lives as long as its owner, not by its count.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) noexcept override;
    ULONG STDMETHODCALLTYPE AddRef() noexcept override { return 2; }
    ULONG STDMETHODCALLTYPE Release() noexcept override { return 1; }
    DWORD STDMETHODCALLTYPE HandleInComingCall(DWORD type, HTASK caller, DWORD tickCount,
                                               LPINTERFACEINFO info) noexcept override;
    DWORD STDMETHODCALLTYPE RetryRejectedCall(HTASK callee, DWORD tickCount, DWORD rejectType) noexcept override;
    DWORD STDMETHODCALLTYPE MessagePending(HTASK callee, DWORD tickCount, DWORD pendingType) noexcept override;

private:
    friend class ComQuestion;
    void ArmWake() noexcept;
    void KillWake() noexcept;

    const Clock& clock_;
    bool registered_ = false;
    OptionalTime deadline_;  // of the open question; empty: calls are not bounded
    bool overran_ = false;   // a call of the open question was given up for time
    UINT_PTR wakeTimer_ = 0;
    int cancels_ = 0;
    OptionalTime lastOverrun_;
};

// One question to another program: the calls made while it is open share one
// deadline. Without a bound (null) they wait as long as the callee takes.
class ComQuestion {
public:
    ComQuestion(ComCallBound* bound, Duration budget) noexcept;
    ~ComQuestion();
    ComQuestion(const ComQuestion&) = delete;
    ComQuestion& operator=(const ComQuestion&) = delete;

    // The deadline has passed: a call not yet made would only be cancelled.
    bool Expired() const noexcept;
    // The filter cancelled one of this question's calls for time, or gave up
    // retrying a busy callee before the deadline, or the deadline has passed:
    // a call that returns now answered too late, whatever it returned (Wine
    // neither wakes the filter with the timer nor cancels a waiting call).
    bool Overran() const noexcept { return bound_ && (bound_->overran_ || Expired()); }
    // A call that returned `hr` gave no answer in time: it was cancelled, or
    // the question overran.
    bool TooLate(HRESULT hr) const noexcept { return hr == RPC_E_CALL_CANCELED || Overran(); }

    // Makes one call of the question with the wake timer armed around it.
    template <typename F>
    auto Call(F&& call) noexcept -> decltype(call()) {
        if (bound_) bound_->ArmWake();
        auto result = std::forward<F>(call)();
        if (bound_) bound_->KillWake();
        return result;
    }

private:
    ComCallBound* bound_;
    OptionalTime outerDeadline_;
    bool outerOverran_ = false;
};

}  // namespace tessel
