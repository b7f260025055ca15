#include "editability/window_classification.h"

#include <algorithm>
#include <array>

#include "common/saturate.h"
#include "common/text.h"
#include "editability/uia_caret_search.h"
#include "editability/uia_element_reading.h"

namespace tessel {
namespace {

constexpr std::intptr_t kEsReadOnly = 0x0800;
constexpr int kGwlStyle = -16;
constexpr std::uint32_t kSciGetReadOnly = 2140;
constexpr std::uint32_t kSmtoBlockAbortIfHung = 0x0001 | 0x0002;
constexpr std::uint32_t kScintillaTimeoutMs = 25;

bool StartsWith(std::string_view s, std::string_view prefix) { return s.substr(0, prefix.size()) == prefix; }

bool IsExcelDialogClass(std::string_view c) { return StartsWith(c, "bosa_sdm_xl"); }

// Up the GetParent chain from `start` (included), at most `count` windows,
// stopping at a missing parent or a window that is its own parent.
template <typename Visit>
bool WalkParents(Desktop& desktop, WindowId start, int count, Visit visit) {
    WindowId w = start;
    for (int i = 0; i < count && w != kNoWindow; ++i) {
        if (visit(w)) return true;
        WindowId parent = desktop.Parent(w);
        if (parent == w) break;
        w = parent;
    }
    return false;
}

// The window itself, then its root, then its root owner (each when not null).
template <typename Test>
WindowId FirstOfSelfRootOwner(Desktop& desktop, WindowId window, Test test) {
    if (window == kNoWindow) return kNoWindow;
    const std::array<WindowId, 3> candidates{window, desktop.Ancestor(window, AncestorKind::Root),
                                             desktop.Ancestor(window, AncestorKind::RootOwner)};
    for (WindowId w : candidates) {
        if (w != kNoWindow && test(LowerClassName(desktop, w))) return w;
    }
    return kNoWindow;
}

bool IsAsciiSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\f' || c == '\r'; }

}  // namespace

std::string LowerClassName(Desktop& desktop, WindowId window) {
    if (window == kNoWindow) return {};
    return AsciiLowerCopy(Utf16ToUtf8(desktop.ClassName(window)));
}

ForegroundClass ClassifyClassName(std::string_view c) {
    ForegroundClass f;
    if (c.empty()) return f;
    const bool chromium = StartsWith(c, "chrome_widgetwin_");
    const bool taskManager = c == "taskmanagerwindow";
    f.ClassicConsole = c == "consolewindowclass";
    f.ConsoleHost = f.ClassicConsole || c == "cascadia_hosting_window_class" || c == "virtualconsoleclass";
    f.Chromium = chromium;
    f.UiaFirst = chromium || taskManager || c == "mozillawindowclass";
    f.PowerPoint = c == "pptframeclass";
    f.Word = c == "opusapp";
    f.ScopeToWindow = chromium || taskManager;
    return f;
}

ForegroundClass ClassifyForeground(Desktop& desktop, ClassificationCache& cache, WindowId foreground) {
    if (cache.valid && cache.window == foreground) return cache.flags;
    cache.flags = ClassifyClassName(LowerClassName(desktop, foreground));
    cache.window = foreground;
    cache.valid = true;
    return cache.flags;
}

bool IsWindowScopeClass(std::string_view c) { return StartsWith(c, "chrome_widgetwin_") || c == "taskmanagerwindow"; }

ControlVerdict StandardControlRule(Desktop& desktop, WindowId window) {
    if (!desktop.IsWindowEnabled(window)) return ControlVerdict::ReadOnly;
    const std::string c = LowerClassName(desktop, window);
    if (c.empty()) return ControlVerdict::Unknown;
    if (c == "edit" || StartsWith(c, "richedit")) {
        return (desktop.WindowLongPtr(window, kGwlStyle) & kEsReadOnly) ? ControlVerdict::ReadOnly
                                                                         : ControlVerdict::Editable;
    }
    if (c == "scintilla") {
        // A hung editor must not stall us: bounded send, and no answer means unknown.
        auto reply = desktop.SendMessageWithTimeout(window, kSciGetReadOnly, 0, 0, kSmtoBlockAbortIfHung, kScintillaTimeoutMs);
        if (!reply) return ControlVerdict::Unknown;
        return *reply != 0 ? ControlVerdict::ReadOnly : ControlVerdict::Editable;
    }
    if (c == "static") return ControlVerdict::ReadOnly;
    return ControlVerdict::Unknown;
}

bool IsWordPane(Desktop& desktop, WindowId window) { return LowerClassName(desktop, window) == "_wwg"; }

bool IsOutlookPane(Desktop& desktop, WindowId window) {
    if (!IsWordPane(desktop, window)) return false;
    const WindowId parent = desktop.Parent(window);
    if (parent == kNoWindow || LowerClassName(desktop, parent) != "_wwb") return false;
    WindowId previous = parent;
    WindowId w = desktop.Parent(parent);
    for (int i = 0; i < 8; ++i) {
        if (w == kNoWindow || w == previous) return false;
        if (LowerClassName(desktop, w) == "rctrl_renwnd32") return true;
        previous = w;
        w = desktop.Parent(w);
    }
    return false;
}

bool IsExcelWindow(Desktop& desktop, WindowId window) {
    return FirstOfSelfRootOwner(desktop, window, [](const std::string& c) {
               return c == "xlmain" || IsExcelDialogClass(c);
           }) != kNoWindow;
}

RuleWindow ExcelDialogRule(Desktop& desktop, TargetMemo& memo, const FocusSnapshot& snapshot) {
    if (!EnsureTargetMemo(memo, snapshot) && memo.excelDialogValid) return memo.excelDialog;

    RuleWindow answer;
    for (WindowId w : {snapshot.focus, snapshot.caret, snapshot.foreground}) {
        WindowId v = FirstOfSelfRootOwner(desktop, w, [](const std::string& c) { return IsExcelDialogClass(c); });
        if (v != kNoWindow) {
            answer = {true, v};
            break;
        }
    }
    if (!answer.applies && snapshot.processId != 0 &&
        (IsExcelWindow(desktop, snapshot.foreground) || IsExcelWindow(desktop, snapshot.focus) ||
         IsExcelWindow(desktop, snapshot.caret))) {
        desktop.EnumTopLevelWindows([&](WindowId w) {
            std::uint32_t pid = 0;
            desktop.WindowThreadProcessId(w, &pid);
            if (pid != snapshot.processId || !desktop.IsWindowEnabled(w) || !desktop.IsWindowVisible(w)) return true;
            if (!IsExcelDialogClass(LowerClassName(desktop, w))) return true;
            answer = {true, w};
            return false;
        });
    }
    memo.excelDialog = answer;
    memo.excelDialogValid = true;
    return answer;
}

RuleWindow ExcelCaretOwnerRule(Desktop& desktop, TargetMemo& memo, const FocusSnapshot& snapshot) {
    if (!EnsureTargetMemo(memo, snapshot) && memo.excelOwnerValid) return memo.excelOwner;

    RuleWindow answer;
    if (IsExcelWindow(desktop, snapshot.foreground)) {
        auto owner = [&](WindowId w) {
            if (!desktop.IsWindowEnabled(w)) return false;
            const std::string c = LowerClassName(desktop, w);
            if (c != "excel6" && c != "excel<" && c != "edtbx") return false;
            answer = {true, w};
            return true;
        };
        if (!WalkParents(desktop, snapshot.caret, 5, owner)) WalkParents(desktop, snapshot.focus, 5, owner);
    }
    memo.excelOwner = answer;
    memo.excelOwnerValid = true;
    return answer;
}

CaretInfo ExcelFieldEstimate(UiaEnv& env, TargetMemo& memo, const FocusSnapshot& snapshot) {
    Desktop& desktop = env.desktop;
    Automation& automation = env.automation;
    const RuleWindow dialog = ExcelDialogRule(desktop, memo, snapshot);
    if (!dialog.applies) return {};
    UiaElementRef element = CachedFocusedElement(env, snapshot);
    const bool walker = automation.HasWalker();
    for (int i = 0; i < 13 && element; ++i) {
        bool qualifies = false;
        if (automation.BoolProperty(element, uia_property::kIsEnabled) != std::optional<bool>(false)) {
            const auto controlType = automation.I32Property(element, uia_property::kControlType);
            if (controlType == uia_control_type::kEdit) {
                qualifies = true;
            } else {
                const auto className = ReadStringProperty(automation, element, uia_property::kClassName);
                if (className && (EqualsIgnoreAsciiCase(*className, "edit") || EqualsIgnoreAsciiCase(*className, "edtbx")))
                    qualifies = true;
                else
                    qualifies = ElementEditability(automation, element) == Editability::TextInput;
            }
        }
        if (qualifies) {
            const auto r = ElementRectangle(env, element);
            if (!r || !IsUsableRect(*r)) return {};
            const CaretInfo c = GuessInside(*r);
            const auto v = desktop.WindowRect(dialog.window);
            if (!v) return {};
            if (c.X < SatSub(v->left, 16) || c.X > SatAdd(v->right, 16) || c.Bottom < SatSub(v->top, 16) ||
                c.Top > SatAdd(v->bottom, 16))
                return {};
            return c;
        }
        if (!walker || i == 12) break;  // no parent request beyond the thirteenth element
        element = automation.Parent(element);
    }
    return {};
}

CaretInfo EditWindowGuess(Desktop& desktop, WindowId window) {
    const std::string c = LowerClassName(desktop, window);
    if (c != "edit" && c != "edtbx") return {};
    const auto r = desktop.WindowRect(window);
    if (!r || r->left >= r->right || r->top >= r->bottom) return {};
    const std::int64_t height = static_cast<std::int64_t>(r->bottom) - r->top;
    const std::int32_t inset = height < 12 ? 2 : static_cast<std::int32_t>(std::min<std::int64_t>(height / 6, 6));
    CaretInfo guess;
    guess.Found = true;
    guess.X = SatAdd(r->left, 4);
    guess.Top = SatAdd(r->top, inset);
    // Boxes under five pixels would otherwise give a caret that ends above its top.
    guess.Bottom = std::max(SatSub(r->bottom, inset), SatAdd(guess.Top, 1));
    return guess;
}

bool QuickInputRule(UiaEnv& env, const UiaElementRef& element, WindowId scope) {
    if (const auto className = ReadStringProperty(env.automation, element, uia_property::kClassName)) {
        std::string_view rest = *className;
        while (!rest.empty()) {
            std::size_t start = 0;
            while (start < rest.size() && IsAsciiSpace(rest[start])) ++start;
            std::size_t end = start;
            while (end < rest.size() && !IsAsciiSpace(rest[end])) ++end;
            if (end > start && EqualsIgnoreAsciiCase(rest.substr(start, end - start), "quick-input-widget")) return true;
            rest = rest.substr(end);
        }
    }
    return IsTaskManagerSearchBox(env, element, scope);
}

UiaVerdict UiaVerdictOnFocus(UiaEnv& env, const FocusSnapshot& snapshot) {
    Automation& automation = env.automation;
    if (!automation.Present()) return UiaVerdict::Undetermined;
    UiaElementRef focused = CachedFocusedElement(env, snapshot);
    if (!focused) return UiaVerdict::Undetermined;
    const WindowId scope =
        IsWindowScopeClass(LowerClassName(env.desktop, snapshot.foreground)) ? snapshot.foreground : kNoWindow;

    if (!automation.HasWalker()) {
        const Editability e = ElementEditability(automation, focused);
        if (EmptyFieldGuess(env, focused, scope, e).Found) return UiaVerdict::Editable;
        switch (e) {
            case Editability::TextInput:
            case Editability::EditableDocument: return UiaVerdict::Editable;
            case Editability::NotEditable:
            case Editability::StaticText:
            case Editability::CodeOrPresentation: return UiaVerdict::NotEditable;
            case Editability::UnknownEditability: return UiaVerdict::Undetermined;
        }
        return UiaVerdict::Undetermined;
    }

    if (int budget = 64; HasEditableDescendant(env, focused, 4, budget, scope)) return UiaVerdict::Editable;
    bool notEditable = false, text = false, codeRole = false;
    UiaElementRef element = std::move(focused);
    for (int i = 0; i < 12 && element; ++i) {
        if (QuickInputRule(env, element, scope)) {
            // A quick-input box is a text field whatever the deeper search finds;
            // walking its subtree also wakes providers that build it lazily.
            int budget = 512;
            HasEditableDescendant(env, element, 8, budget, scope);
            return UiaVerdict::Editable;
        }
        const Editability e = ElementEditability(automation, element);
        if (EmptyFieldGuess(env, element, scope, e).Found) return UiaVerdict::Editable;
        switch (e) {
            case Editability::TextInput:
            case Editability::EditableDocument:
                if (!codeRole) return UiaVerdict::Editable;
                break;
            case Editability::NotEditable: notEditable = true; break;
            case Editability::StaticText: text = true; break;
            case Editability::CodeOrPresentation:
                text = true;
                codeRole = true;
                break;
            case Editability::UnknownEditability: break;
        }
        if (i == 11) break;  // the twelfth element ends the walk without asking for its parent
        element = automation.Parent(element);
    }
    return (notEditable || text) ? UiaVerdict::NotEditable : UiaVerdict::Undetermined;
}

UiaFocusOwner UiaFocusLookup(UiaEnv& env, const FocusSnapshot& snapshot) {
    Automation& automation = env.automation;
    UiaFocusOwner owner;
    if (!automation.Present()) return owner;
    UiaElementRef element = CachedFocusedElement(env, snapshot);
    const bool walker = automation.HasWalker();
    for (int i = 0; i < 13 && element; ++i) {
        if (owner.UiaFocusProcessId == 0) {
            const auto pid = automation.I32Property(element, uia_property::kProcessId);
            if (pid && *pid > 0) owner.UiaFocusProcessId = static_cast<std::uint32_t>(*pid);
        }
        if (owner.UiaFocusWindow == kNoWindow) {
            const auto hwnd = automation.I32Property(element, uia_property::kNativeWindowHandle);
            // Window handles travel as 32-bit values and widen with sign extension.
            if (hwnd && *hwnd != 0) owner.UiaFocusWindow = static_cast<WindowId>(static_cast<std::intptr_t>(*hwnd));
        }
        if (owner.UiaFocusProcessId != 0 && owner.UiaFocusWindow != kNoWindow) break;
        if (!walker || i == 12) break;
        element = automation.Parent(element);
    }
    if (owner.UiaFocusWindow != kNoWindow && owner.UiaFocusProcessId == 0) {
        std::uint32_t pid = 0;
        env.desktop.WindowThreadProcessId(owner.UiaFocusWindow, &pid);
        owner.UiaFocusProcessId = pid;
    }
    return owner;
}

}  // namespace tessel
