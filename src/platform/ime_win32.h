#pragma once
#include "platform/ime.h"

namespace tessel {

// The Ime operations on the real Input Method Manager.
class Win32Ime final : public Ime {
public:
    WindowId DefaultImeWindow(WindowId window) override;
    std::optional<std::uintptr_t> SendImeControl(WindowId imeWindow, std::uintptr_t wParam) override;
    ImeContextId GetContext(WindowId window) override;
    bool ReleaseContext(WindowId window, ImeContextId context) override;
    bool OpenStatus(ImeContextId context) override;
    std::optional<std::uint32_t> ConversionStatus(ImeContextId context) override;
    std::int32_t CompositionString(ImeContextId context, std::uint32_t index, void* buffer,
                                   std::uint32_t bytes) override;
    void BeginUpdate() noexcept override { late_ = false; }
    bool Late() const noexcept override { return late_; }

private:
    bool late_ = false;
    // The last IME window found among another thread's windows. Walking them
    // costs a dozen wineserver round trips; checking that the window found
    // still lives on that thread costs two.
    struct FoundImeWindow {
        std::uint32_t thread = 0;
        WindowId window = kNoWindow;
    } lastFound_;
};

}  // namespace tessel
