#pragma once
#include <windows.h>

#include <optional>

#include "platform/accessibility.h"
#include "platform/com_call_bound_win32.h"

namespace tessel {

// The caret object read through oleacc on the calling (GUI, STA) thread.
class Win32Accessibility final : public Accessibility {
public:
    // The registered message filter that bounds the calls into the caret
    // object; null (the default) leaves them unbounded.
    void Bind(ComCallBound* bound) noexcept { bound_ = bound; }

    std::optional<AccessibleBox> CaretLocation(WindowId window) noexcept override;
    void BeginUpdate() noexcept override { late_ = false; }
    bool Late() const noexcept override { return late_; }
    // What the last call into a caret object given up for time returned:
    // RPC_E_CALL_CANCELED, or its own result when COM could not cancel it and
    // waited for the answer (Wine does). Empty until a call was given up.
    std::optional<HRESULT> LastLateResult() const noexcept { return lastLateResult_; }

private:
    ComCallBound* bound_ = nullptr;
    bool late_ = false;
    std::optional<HRESULT> lastLateResult_;
};

}  // namespace tessel
