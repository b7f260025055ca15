#pragma once
// The running Outlook through COM automation: CLSIDFromProgID, GetActiveObject
// and IDispatch on the calling thread's single-threaded apartment.
#include <windows.h>

#include <optional>

#include "outlook/outlook_automation.h"
#include "platform/clock.h"
#include "platform/com_call_bound_win32.h"

namespace tessel {

class Win32Outlook final : public OutlookAutomation {
public:
    // The registered message filter that bounds each question (null, the
    // default: unbounded), and the clock of the patience with an Outlook that
    // has not answered (null: the steady clock).
    void Bind(ComCallBound* bound, const Clock* clock) noexcept {
        bound_ = bound;
        clock_ = clock ? clock : &steady_;
    }

    std::u16string WindowTitle(WindowId window) noexcept override;
    OutlookRef Connect() noexcept override;
    OutlookValue Read(const OutlookRef& object, std::u16string_view member, std::uint16_t flags) noexcept override;
    void Release(std::uintptr_t handle) noexcept override;
    void BeginQuestion(WindowId window) noexcept override;
    void EndQuestion() noexcept override;
    void BeginUpdate() noexcept override { late_ = false; }
    bool Late() const noexcept override { return late_; }
    // What the first call given up for time in the last late update
    // returned: RPC_E_CALL_CANCELED, RPC_E_CALL_REJECTED for a busy Outlook,
    // or the call's own result when COM could not cancel it and waited for
    // the answer (Wine does). Empty until a call was given up.
    std::optional<HRESULT> LastLateResult() const noexcept { return lastLateResult_; }

private:
    // The update is late; Outlook is not asked again until it answers the
    // ping sent when the question ends.
    void BecomeLate() noexcept;
    // Whether a call may be made now; a question past its deadline is late.
    bool MayCall() noexcept;
    // The call succeeded in time; one given up for time makes the update late.
    bool Succeeded(HRESULT hr) noexcept;

    SteadyClock steady_;
    const Clock* clock_ = &steady_;
    ComCallBound* bound_ = nullptr;
    std::optional<ComQuestion> question_;
    HWND questionWindow_ = nullptr;
    bool pingDue_ = false;
    bool late_ = false;
    std::optional<HRESULT> lastLateResult_;
};

}  // namespace tessel
