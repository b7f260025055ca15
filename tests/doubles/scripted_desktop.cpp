#include "scripted_desktop.h"

#include <functional>

#include "common/text.h"

namespace tessel::testing {

ScriptedWindow& ScriptedDesktop::AddWindow(WindowId id, ScriptedWindow w) {
    if (!windows_.count(id)) order_.push_back(id);
    windows_[id] = std::move(w);
    return windows_[id];
}

void ScriptedDesktop::SetKeyDown(int vk, bool down) {
    if (down) keysDown_.insert(vk);
    else keysDown_.erase(vk);
}

int ScriptedDesktop::Calls(const std::string& operation) const {
    auto it = calls_.find(operation);
    return it == calls_.end() ? 0 : it->second;
}

int ScriptedDesktop::TotalCalls() const {
    int total = 0;
    for (const auto& [name, n] : calls_) total += n;
    return total;
}

const ScriptedWindow* ScriptedDesktop::Find(WindowId id) const {
    auto it = windows_.find(id);
    if (it == windows_.end() || !it->second.exists) return nullptr;
    return &it->second;
}

WindowId ScriptedDesktop::ForegroundWindow() {
    Count("ForegroundWindow");
    return foreground_;
}

std::uint32_t ScriptedDesktop::WindowThreadProcessId(WindowId window, std::uint32_t* processId) {
    Count("WindowThreadProcessId");
    const ScriptedWindow* w = Find(window);
    if (processId) *processId = w ? w->processId : 0;
    return w ? w->threadId : 0;
}

std::optional<GuiThreadInfo> ScriptedDesktop::GuiThreadInfoOf(std::uint32_t threadId) {
    Count("GuiThreadInfoOf");
    auto it = guiInfo_.find(threadId);
    if (it == guiInfo_.end()) return std::nullopt;
    return it->second;
}

std::u16string ScriptedDesktop::ClassName(WindowId window) {
    Count("ClassName");
    const ScriptedWindow* w = Find(window);
    if (!w) return {};
    return w->className.substr(0, 127);
}

WindowId ScriptedDesktop::Ancestor(WindowId window, AncestorKind kind) {
    Count("Ancestor");
    const ScriptedWindow* w = Find(window);
    if (!w) return kNoWindow;
    switch (kind) {
        case AncestorKind::Parent: return w->parent;
        case AncestorKind::Root: return w->root ? w->root : window;
        case AncestorKind::RootOwner: return w->rootOwner ? w->rootOwner : (w->root ? w->root : window);
    }
    return kNoWindow;
}

WindowId ScriptedDesktop::Parent(WindowId window) {
    Count("Parent");
    const ScriptedWindow* w = Find(window);
    return w ? w->parent : kNoWindow;
}

bool ScriptedDesktop::IsWindow(WindowId window) {
    Count("IsWindow");
    return Find(window) != nullptr;
}

bool ScriptedDesktop::IsWindowEnabled(WindowId window) {
    Count("IsWindowEnabled");
    const ScriptedWindow* w = Find(window);
    return w && w->enabled;
}

std::optional<Rect> ScriptedDesktop::WindowRect(WindowId window) {
    Count("WindowRect");
    const ScriptedWindow* w = Find(window);
    if (!w) return std::nullopt;
    return w->rect;
}

std::optional<Rect> ScriptedDesktop::ExtendedFrameBounds(WindowId window) {
    Count("ExtendedFrameBounds");
    const ScriptedWindow* w = Find(window);
    if (!w || !w->frameBounds) return std::nullopt;
    return *w->frameBounds;
}

void ScriptedDesktop::EnumTopLevelWindows(const std::function<bool(WindowId)>& visit) {
    Count("EnumTopLevelWindows");
    for (WindowId id : order_) {
        const ScriptedWindow* w = Find(id);
        if (w && w->topLevel && !visit(id)) return;
    }
}

void ScriptedDesktop::EnumChildWindows(WindowId parent, const std::function<bool(WindowId)>& visit) {
    Count("EnumChildWindows");
    // Depth-first, parents before their children, as EnumChildWindows does.
    std::function<bool(WindowId)> walk = [&](WindowId p) {
        for (WindowId id : order_) {
            const ScriptedWindow* w = Find(id);
            if (!w || w->parent != p || id == p) continue;
            if (!visit(id)) return false;
            if (!walk(id)) return false;
        }
        return true;
    };
    if (Find(parent)) walk(parent);
}

WindowId ScriptedDesktop::FindTopLevelWindow(std::u16string_view className) {
    Count("FindTopLevelWindow");
    for (WindowId id : order_) {
        const ScriptedWindow* w = Find(id);
        if (w && w->topLevel && EqualsIgnoreAsciiCase(w->className, className)) return id;
    }
    return kNoWindow;
}

bool ScriptedDesktop::IsWindowVisible(WindowId window) {
    Count("IsWindowVisible");
    const ScriptedWindow* w = Find(window);
    return w && w->visible;
}

std::intptr_t ScriptedDesktop::WindowLongPtr(WindowId window, int index) {
    Count("WindowLongPtr");
    const ScriptedWindow* w = Find(window);
    constexpr int kGwlStyle = -16;
    return (w && index == kGwlStyle) ? w->style : 0;
}

std::optional<Point> ScriptedDesktop::ClientToScreen(WindowId window, Point client) {
    Count("ClientToScreen");
    const ScriptedWindow* w = Find(window);
    if (!w || w->clientToScreenFails) return std::nullopt;
    return Point{client.x + w->clientOrigin.x, client.y + w->clientOrigin.y};
}

std::uint32_t ScriptedDesktop::DpiForWindow(WindowId window) {
    Count("DpiForWindow");
    const ScriptedWindow* w = Find(window);
    return w ? w->dpi : 0;
}

std::uintptr_t ScriptedDesktop::MonitorFromWindow(WindowId window, std::uint32_t /*flags*/) {
    Count("MonitorFromWindow");
    const ScriptedWindow* w = Find(window);
    return w ? w->monitor : 0;
}

std::optional<std::uint32_t> ScriptedDesktop::DpiForMonitor(std::uintptr_t monitor, int /*dpiType*/) {
    Count("DpiForMonitor");
    auto it = monitorDpi_.find(monitor);
    if (it == monitorDpi_.end()) return std::nullopt;
    return it->second;
}

std::optional<std::uintptr_t> ScriptedDesktop::SendMessageWithTimeout(WindowId window, std::uint32_t message,
                                                                  std::uintptr_t wParam, std::intptr_t lParam,
                                                                  std::uint32_t flags, std::uint32_t timeoutMs) {
    Count("SendMessageWithTimeout");
    sent_.push_back({window, message, wParam, lParam, flags, timeoutMs});
    const ScriptedWindow* w = Find(window);
    if (!w) return std::nullopt;
    auto it = w->messageReplies.find(message);
    if (it == w->messageReplies.end()) return std::nullopt;
    return it->second;
}

std::optional<Point> ScriptedDesktop::CursorPos() {
    Count("CursorPos");
    return cursor_;
}

bool ScriptedDesktop::AsyncKeyDown(int virtualKey) {
    Count("AsyncKeyDown");
    return keysDown_.count(virtualKey) != 0;
}

std::uintptr_t ScriptedDesktop::KeyboardLayout(std::uint32_t threadId) {
    Count("KeyboardLayout");
    auto it = layouts_.find(threadId);
    return it == layouts_.end() ? 0 : it->second;
}

bool ScriptedDesktop::PostToWindow(WindowId window, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) {
    Count("PostToWindow");
    if (failPosts_) return false;
    posted_.push_back({window, message, wParam, lParam});
    return true;
}

bool ScriptedDesktop::SetTimer(WindowId window, std::uintptr_t id, std::uint32_t periodMs) {
    Count("SetTimer");
    if (failTimers_) return false;
    timers_[{window, id}] = periodMs;
    return true;
}

void ScriptedDesktop::KillTimer(WindowId window, std::uintptr_t id) {
    Count("KillTimer");
    timers_.erase({window, id});
}

}  // namespace tessel::testing
