#pragma once
// The running Outlook through COM automation: CLSIDFromProgID, GetActiveObject
// and IDispatch on the calling thread's single-threaded apartment.
#include "outlook/outlook_automation.h"

namespace tessel {

class Win32Outlook final : public OutlookAutomation {
public:
    std::u16string WindowTitle(WindowId window) noexcept override;
    OutlookRef Connect() noexcept override;
    OutlookValue Read(const OutlookRef& object, std::u16string_view member, std::uint16_t flags) noexcept override;
    void Release(std::uintptr_t handle) noexcept override;
    void BeginUpdate() noexcept override { late_ = false; }
    bool Late() const noexcept override { return late_; }

private:
    bool late_ = false;
};

}  // namespace tessel
