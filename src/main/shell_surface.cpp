#include "main/shell_surface.h"

#include <array>

#include "common/text.h"

namespace tessel {

bool IsShellHostProcessName(std::u16string_view exeName) {
    static constexpr std::array<std::u16string_view, 4> kHosts = {
        u"searchapp.exe", u"searchhost.exe", u"shellexperiencehost.exe", u"startmenuexperiencehost.exe"};
    for (auto host : kHosts)
        if (exeName.size() == host.size() && EqualsIgnoreAsciiCase(exeName, host)) return true;
    return false;
}

namespace {
bool ClassIs(Desktop& desktop, WindowId window, std::string_view name) {
    if (!window) return false;
    ClassNameBuffer cls;
    desktop.ReadClassName(window, cls);
    return !cls.Empty() && cls.Is(name);
}
}  // namespace

bool IsTaskManagerSearchBox(Desktop& desktop, WindowId foreground, WindowId focus) {
    return ClassIs(desktop, foreground, "TaskManagerWindow") &&
           ClassIs(desktop, focus, "Windows.UI.Input.InputSite.WindowClass");
}

FocusSnapshot TakeFocusSnapshot(Desktop& desktop) {
    FocusSnapshot s;
    WindowId foreground = desktop.ForegroundWindow();
    if (!foreground) return s;
    s.foreground = foreground;
    s.active = foreground;
    std::uint32_t pid = 0;
    std::uint32_t thread = desktop.WindowThreadProcessId(foreground, &pid);
    s.processId = pid;
    if (thread == 0) return s;
    auto info = desktop.GuiThreadInfoOf(thread);
    if (!info) return s;
    s.caretRect = info->caretRect;
    s.active = info->active ? info->active : foreground;
    s.focus = info->focus;
    s.caret = info->caret;
    return s;
}

bool SameTarget(const FocusSnapshot& then, const GuiThreadInfo& now) {
    return then.foreground != kNoWindow && now.active != kNoWindow && now.active == then.active &&
           now.focus == then.focus && now.caret == then.caret && now.caretRect == then.caretRect;
}

bool IsNonEmpty(const Rect& r) { return r.right > r.left && r.bottom > r.top; }

}  // namespace tessel
