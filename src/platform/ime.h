#pragma once
// The Input Method Manager operations the input-mode query needs.
// One Win32 implementation (ime_win32.cpp); tests use a scripted IME.
// Each operation mirrors a single imm32/user32 call with plain values.
#include <cstdint>
#include <optional>

#include "platform/types.h"

namespace tessel {

// An input context handle (HIMC) as an opaque number; 0 is "none".
using ImeContextId = std::uintptr_t;
constexpr ImeContextId kNoContext = 0;

// dwIndex values of ImmGetCompositionStringW.
constexpr std::uint32_t kGcsCompStr = 0x8;
constexpr std::uint32_t kGcsCursorPos = 0x80;

// wParam values of WM_IME_CONTROL.
constexpr std::uintptr_t kImcGetConversionMode = 1;
constexpr std::uintptr_t kImcGetOpenStatus = 5;

class Ime {
public:
    virtual ~Ime() = default;

    // ImmGetDefaultIMEWnd: the default IME window of the window's thread, or
    // none. Where that call answers null for another thread's window, the
    // thread's one window of class "IME" stands in for it.
    virtual WindowId DefaultImeWindow(WindowId window) = 0;
    // SendMessageTimeoutW(imeWindow, WM_IME_CONTROL, wParam, 0,
    // SMTO_BLOCK | SMTO_ABORTIFHUNG, 50 ms): the result when answered, else empty.
    virtual std::optional<std::uintptr_t> SendImeControl(WindowId imeWindow, std::uintptr_t wParam) = 0;
    // ImmGetContext: the window's input context, or kNoContext.
    virtual ImeContextId GetContext(WindowId window) = 0;
    // ImmReleaseContext; true when the release succeeded.
    virtual bool ReleaseContext(WindowId window, ImeContextId context) = 0;
    // ImmGetOpenStatus: true when open.
    virtual bool OpenStatus(ImeContextId context) = 0;
    // ImmGetConversionStatus: the conversion mode when the call succeeds.
    virtual std::optional<std::uint32_t> ConversionStatus(ImeContextId context) = 0;
    // ImmGetCompositionStringW(context, index, buffer, bytes): bytes copied or
    // needed (a null buffer with 0 bytes asks for the size), the cursor
    // position for kGcsCursorPos, or a negative error.
    virtual std::int32_t CompositionString(ImeContextId context, std::uint32_t index, void* buffer,
                                           std::uint32_t bytes) = 0;
    // One update of the badge begins.
    virtual void BeginUpdate() noexcept {}
    // Since BeginUpdate an IME window did not answer in time (its thread is
    // busy or hung): the mode is unknown for now, which is not "no IME".
    virtual bool Late() const noexcept { return false; }
};

// Owns an input context obtained with Ime::GetContext and releases it once.
class InputContextOwner {
public:
    InputContextOwner() = default;
    InputContextOwner(Ime& ime, WindowId window)
        : ime_(&ime), window_(window), context_(window ? ime.GetContext(window) : kNoContext) {}
    InputContextOwner(const InputContextOwner&) = delete;
    InputContextOwner& operator=(const InputContextOwner&) = delete;
    InputContextOwner(InputContextOwner&& other) noexcept { *this = static_cast<InputContextOwner&&>(other); }
    InputContextOwner& operator=(InputContextOwner&& other) noexcept {
        if (this != &other) {
            Reset();
            ime_ = other.ime_;
            window_ = other.window_;
            context_ = other.context_;
            other.context_ = kNoContext;
        }
        return *this;
    }
    ~InputContextOwner() { Reset(); }

    ImeContextId Get() const { return context_; }
    explicit operator bool() const { return context_ != kNoContext; }

    void Reset() {
        if (context_ != kNoContext && ime_) ime_->ReleaseContext(window_, context_);
        context_ = kNoContext;
    }

private:
    Ime* ime_ = nullptr;
    WindowId window_ = kNoWindow;
    ImeContextId context_ = kNoContext;
};

}  // namespace tessel
