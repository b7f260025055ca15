#pragma once
// Active Accessibility as the caret searches need it: the caret object of a
// window. One Win32 implementation (accessibility_win32.cpp).
#include <cstdint>
#include <optional>

#include "platform/types.h"

namespace tessel {

// The box a caret object reports, as it reports it (screen pixels).
struct AccessibleBox {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
    friend constexpr bool operator==(const AccessibleBox&, const AccessibleBox&) = default;
};

class Accessibility {
public:
    virtual ~Accessibility() = default;
    // The window's caret object (WM_GETOBJECT/OBJID_CARET, answered within a
    // bound, else the system's own), then accLocation of CHILDID_SELF; the
    // object is released before returning. Empty when there is no object,
    // the window does not answer in time, or a call fails.
    virtual std::optional<AccessibleBox> CaretLocation(WindowId window) noexcept = 0;
    // One update of the badge begins.
    virtual void BeginUpdate() noexcept = 0;
    // Since BeginUpdate an application did not answer in time, or was not
    // asked because it has not answered an earlier request: its caret is
    // unknown (late), which is not the same as having none.
    virtual bool Late() const noexcept = 0;
};

}  // namespace tessel
