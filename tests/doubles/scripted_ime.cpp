#include "scripted_ime.h"

#include "scripted_desktop.h"

#include <algorithm>
#include <cstring>

namespace tessel::testing {

int ScriptedIme::TotalCalls() const {
    int total = 0;
    for (int n : calls_) total += n;
    return total;
}

int ScriptedIme::MessagesTo(WindowId imeWindow) const {
    auto it = messages_.find(imeWindow);
    return it == messages_.end() ? 0 : it->second;
}

void ScriptedIme::ResetCalls() {
    calls_.fill(0);
    messages_.clear();
}

bool ScriptedIme::WindowExists(WindowId window) const {
    if (window == kNoWindow) return false;
    return desktop_ == nullptr || desktop_->Exists(window);
}

const ScriptedContext* ScriptedIme::ContextOf(ImeContextId context) const {
    auto taken = outstanding_.find(context);
    if (taken == outstanding_.end()) return nullptr;
    auto it = contexts_.find(taken->second);
    return it == contexts_.end() ? nullptr : &it->second;
}

WindowId ScriptedIme::DefaultImeWindow(WindowId window) {
    Count(ImeCall::DefaultImeWindow);
    if (!WindowExists(window)) return kNoWindow;
    auto it = defaultIme_.find(window);
    return it == defaultIme_.end() ? kNoWindow : it->second;
}

std::optional<std::uintptr_t> ScriptedIme::SendImeControl(WindowId imeWindow, std::uintptr_t wParam) {
    Count(ImeCall::SendImeControl);
    ++messages_[imeWindow];
    if (!WindowExists(imeWindow)) return std::nullopt;
    auto it = imeWindows_.find(imeWindow);
    if (it == imeWindows_.end()) return std::nullopt;
    const ScriptedImeWindow& w = it->second;
    if (wParam == kImcGetOpenStatus) {
        if (w.answersOpen) return w.open;
        late = true;
        return std::nullopt;
    }
    if (wParam == kImcGetConversionMode) {
        if (w.answersConversion) return w.conversion;
        late = true;
        return std::nullopt;
    }
    return std::nullopt;
}

ImeContextId ScriptedIme::GetContext(WindowId window) {
    Count(ImeCall::GetContext);
    if (!WindowExists(window) || contexts_.count(window) == 0) return kNoContext;
    const ImeContextId id = nextContext_++;
    outstanding_[id] = window;
    return id;
}

bool ScriptedIme::ReleaseContext(WindowId window, ImeContextId context) {
    Count(ImeCall::ReleaseContext);
    auto it = outstanding_.find(context);
    if (it == outstanding_.end() || it->second != window) {
        ++badReleases_;
        return false;
    }
    outstanding_.erase(it);
    return true;
}

bool ScriptedIme::OpenStatus(ImeContextId context) {
    Count(ImeCall::OpenStatus);
    const ScriptedContext* c = ContextOf(context);
    return c && c->open;
}

std::optional<std::uint32_t> ScriptedIme::ConversionStatus(ImeContextId context) {
    Count(ImeCall::ConversionStatus);
    const ScriptedContext* c = ContextOf(context);
    if (!c || c->conversionFails) return std::nullopt;
    return c->conversion;
}

std::int32_t ScriptedIme::CompositionString(ImeContextId context, std::uint32_t index, void* buffer,
                                           std::uint32_t bytes) {
    Count(ImeCall::CompositionString);
    auto owner = outstanding_.find(context);
    if (owner == outstanding_.end()) return -1;  // IMM_ERROR_GENERAL
    auto it = compositions_.find(owner->second);
    if (it == compositions_.end()) return 0;
    const auto& [text, cursor] = it->second;
    if (index == kGcsCursorPos) return cursor;
    const auto size = static_cast<std::uint32_t>(text.size() * 2);
    if (!buffer) return static_cast<std::int32_t>(size);
    const std::uint32_t copied = std::min(size, bytes);
    std::memcpy(buffer, text.data(), copied);
    return static_cast<std::int32_t>(copied);
}

}  // namespace tessel::testing
