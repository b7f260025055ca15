#pragma once
// A scripted Input Method Manager: default IME windows, their answers and
// input contexts as plain records, with call counters (also per IME window)
// and a ledger of contexts handed out and released.
#include <array>
#include <cstddef>
#include <map>
#include <string>

#include "platform/ime.h"

namespace tessel::testing {

class ScriptedDesktop;

// A default IME window and how it answers WM_IME_CONTROL.
struct ScriptedImeWindow {
    bool answersOpen = true;        // false: the open-status message times out (hung)
    bool answersConversion = true;  // false: the conversion-mode message times out
    std::uintptr_t open = 0;
    std::uint32_t conversion = 0;
};

// The input context of a window.
struct ScriptedContext {
    bool open = false;
    std::uint32_t conversion = 0;
    bool conversionFails = false;  // ImmGetConversionStatus fails
};

enum class ImeCall : std::size_t {
    DefaultImeWindow,
    SendImeControl,
    GetContext,
    ReleaseContext,
    OpenStatus,
    ConversionStatus,
    CompositionString,
    Count_,
};

class ScriptedIme : public Ime {
public:
    // With a desktop, windows that do not exist there have no IME window or
    // context, and messages to IME windows that do not exist go unanswered.
    explicit ScriptedIme(const ScriptedDesktop* desktop = nullptr) : desktop_(desktop) {}

    // --- script ---
    void SetDefaultImeWindow(WindowId window, WindowId imeWindow) { defaultIme_[window] = imeWindow; }
    ScriptedImeWindow& SetImeWindow(WindowId imeWindow, ScriptedImeWindow w) { return imeWindows_[imeWindow] = w; }
    ScriptedImeWindow& ImeWindow(WindowId imeWindow) { return imeWindows_.at(imeWindow); }
    ScriptedContext& SetContext(WindowId window, ScriptedContext c) { return contexts_[window] = c; }
    void RemoveContext(WindowId window) { contexts_.erase(window); }
    // The composition string being typed in a window's context, and its cursor.
    void SetComposition(WindowId window, std::u16string text, std::int32_t cursor = 0) {
        compositions_[window] = {std::move(text), cursor};
    }

    // --- observation ---
    int Calls(ImeCall call) const { return calls_[static_cast<std::size_t>(call)]; }
    int TotalCalls() const;
    // WM_IME_CONTROL messages sent to one IME window (answered or not).
    int MessagesTo(WindowId imeWindow) const;
    // Contexts handed out and not yet released.
    std::size_t OutstandingContexts() const { return outstanding_.size(); }
    // Releases of a context that was not outstanding, or with the wrong window.
    int BadReleases() const { return badReleases_; }
    void ResetCalls();
    // Set when an existing IME window left a message unanswered (it timed out).
    bool late = false;

    // --- Ime ---
    WindowId DefaultImeWindow(WindowId window) override;
    std::optional<std::uintptr_t> SendImeControl(WindowId imeWindow, std::uintptr_t wParam) override;
    ImeContextId GetContext(WindowId window) override;
    bool ReleaseContext(WindowId window, ImeContextId context) override;
    bool OpenStatus(ImeContextId context) override;
    std::optional<std::uint32_t> ConversionStatus(ImeContextId context) override;
    std::int32_t CompositionString(ImeContextId context, std::uint32_t index, void* buffer,
                                   std::uint32_t bytes) override;
    void BeginUpdate() noexcept override { late = false; }
    bool Late() const noexcept override { return late; }

private:
    bool WindowExists(WindowId window) const;
    void Count(ImeCall call) { ++calls_[static_cast<std::size_t>(call)]; }
    const ScriptedContext* ContextOf(ImeContextId context) const;

    const ScriptedDesktop* desktop_;
    std::map<WindowId, WindowId> defaultIme_;
    std::map<WindowId, ScriptedImeWindow> imeWindows_;
    std::map<WindowId, ScriptedContext> contexts_;
    std::map<WindowId, std::pair<std::u16string, std::int32_t>> compositions_;
    std::map<ImeContextId, WindowId> outstanding_;  // context -> window it was taken from
    std::map<WindowId, int> messages_;
    std::array<int, static_cast<std::size_t>(ImeCall::Count_)> calls_{};
    ImeContextId nextContext_ = 0x1000;
    int badReleases_ = 0;
};

}  // namespace tessel::testing
