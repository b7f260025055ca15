#pragma once
#include "platform/accessibility.h"

namespace tessel {

// The caret object read through oleacc on the calling (GUI, STA) thread.
class Win32Accessibility final : public Accessibility {
public:
    std::optional<AccessibleBox> CaretLocation(WindowId window) noexcept override;
    void BeginUpdate() noexcept override { late_ = false; }
    bool Late() const noexcept override { return late_; }

private:
    bool late_ = false;
};

}  // namespace tessel
