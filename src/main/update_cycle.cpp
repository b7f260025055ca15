#include "main/update_cycle.h"

#include "badge/badge.h"
#include "badge/badge_presence.h"
#include "badge/mode_sound.h"
#include "editability/accessibility_caret_search.h"
#include "editability/caret_locator.h"
#include "editability/console_caret.h"
#include "editability/window_classification.h"
#include "input_mode/classify_input_mode.h"
#include "input_mode/query_ime_status.h"
#include "input_mode/taskbar_indicator.h"
#include "main/app_state_ops.h"
#include "main/editability_decision.h"
#include "main/program_exclusion.h"
#include "main/shell_surface.h"

#include <utility>

namespace tessel {
namespace {

constexpr Duration kShellHostReuse = Ms(250);
// Rounds of owed work run after an update before the rest waits for the poll:
// a program that delivers a message during every call cannot keep Tessel busy.
constexpr int kOwedRounds = 2;

// The badge disappears; the mode last shown is kept so that returning to the
// same mode later stays silent.
void Hide(AppState& state) {
    state.lastCaret = CaretInfo{};
    state.badge.NearTop = false;
    state.KeepOutRect.reset();
    state.imeHostWindow = kNoWindow;
    state.imeHostProcessId = 0;
    HideBadge(state.badge, *state.badgePlatform);
}

UiaEnv Uia(AppState& state) { return UiaEnv{*state.automation, *state.desktop, *state.clock, state.uia}; }

void SetEventTarget(AppState& state, std::uint32_t processId) {
    if (state.coalescer) state.coalescer->SetEventTargetProcessId(processId);
}

ImeStatus QueryStatus(AppState& state, const FocusSnapshot& snapshot, WindowId hostWindow, std::uint32_t hostPid,
                      bool windowsUnchanged = false) {
    ImeQueryServices services{*state.desktop, *state.ime, *state.clock, state.processes};
    return QueryImeStatus(state.imeQuery, snapshot, hostWindow, hostPid, services, windowsUnchanged);
}

// Shows the badge for `mode` at the caret unless it has stepped aside and
// nothing the user cares about changed since.
void Present(AppState& state, const FocusSnapshot& snapshot, InputMode mode, bool capsLock, const CaretInfo& caret,
             const std::optional<Rect>& keepOut) {
    const PresenceDecision d = DecidePresence(state.presence, state.settings.BadgeSeconds,
                                              PresenceKey{mode, capsLock, snapshot.foreground, snapshot.focus});
    if (d.armTimer) {
        if (!state.desktop->SetTimer(state.mainWindow, kBadgeTimerId, state.settings.BadgeSeconds * 1000u))
            state.presence.timerArmed = false;  // without its timer the badge simply stays
    }
    if (d.disarmTimer) state.desktop->KillTimer(state.mainWindow, kBadgeTimerId);
    if (!d.show) {
        HideBadge(state.badge, *state.badgePlatform);
        return;
    }
    ShowBadge(state.badge, *state.badgePlatform, state.settings, mode, capsLock,
              BadgeAnchor{caret.X, caret.Top, caret.Bottom}, keepOut);
}

void Apply(AppState& state, const FocusSnapshot& snapshot, const ImeStatus& status, const CaretInfo& caret,
           const std::optional<Rect>& keepOut) {
    ModeServices services{*state.clock, *state.badgePlatform, *state.sound};
    if (std::optional<InputMode> m =
            TrackMode(state.mode, state.badge, services, state.settings, state.exeDirectory, status))
        Present(state, snapshot, *m, state.mode.LastCapsLock, caret, keepOut);
}

// Every source of cross-process answers starts the update afresh.
void BeginSources(AppState& state) {
    state.automation->BeginUpdate();
    state.accessibility->BeginUpdate();
    state.outlook->BeginUpdate();
    state.ime->BeginUpdate();
}

// Some other program did not answer in time during this update: what it did
// not say is unknown, not "no".
bool AnswerLate(const AppState& state) {
    return state.automation->Late() || state.accessibility->Late() || state.outlook->Late();
}

// No IME answered, and one of them only because it was busy: the mode is
// unknown for now. (An IME window that timed out while another answered
// leaves a mode that counts.)
bool ModeLate(const AppState& state, const ImeStatus& status) {
    return status.Source == StatusSource::Unavailable && (state.ime->Late() || AnswerLate(state));
}

// A late update keeps the badge, its place and its mode as they are, caches
// nothing, and makes the next poll tick ask again with a full update.
void KeepForLate(AppState& state) {
    state.sched.lastFullUpdate.reset();
    state.lastFullUpdateTarget.reset();
}

std::uint32_t CompositionCells(InputMode mode) {
    return (mode == InputMode::Hiragana || mode == InputMode::Katakana || mode == InputMode::Korean) ? 2 : 1;
}

CaretLocation Locate(AppState& state, const FocusSnapshot& snapshot, std::uint32_t cells) {
    CaretContext context{*state.desktop,       *state.clock,   *state.automation, state.uia,
                         *state.outlook,       state.outlookAnswer, *state.accessibility,
                         *state.console,       *state.processes, *state.ime};
    return LocateCaret(context, state.caretLocator, snapshot, cells);
}

bool ReadIndicator(AppState& state) {
    return ReadTaskbarIndicator(
        *state.automation, *state.desktop, *state.clock,
        TaskbarIndicatorState{state.TaskbarReading, state.IndicatorElement, state.lastIndicatorMiss});
}

// Task Manager's search box: the taskbar indicator reading is in force
// while it has the focus, polled by its own timer.
void UpdateTaskManagerMode(AppState& state, const FocusSnapshot& snapshot) {
    Desktop& desktop = *state.desktop;
    if (IsTaskManagerSearchBox(desktop, snapshot.foreground, snapshot.focus)) {
        if (state.taskManagerMode && state.taskManagerProcessId == snapshot.processId) return;
        state.taskManagerProcessId = snapshot.processId;
        state.TaskbarReading = state.mode.LastMode == InputMode::Korean    ? 1
                               : state.mode.LastMode == InputMode::English ? 0
                                                                           : 2;
        if (!state.taskManagerMode) {
            state.taskManagerMode = true;
            ReadIndicator(state);
            // The taskbar is the shell's: a shell that timed out must not
            // empty the reads of the focused application that follow.
            state.automation->BeginUpdate();
            desktop.SetTimer(state.mainWindow, kTaskManagerTimerId, kTaskManagerPeriodMs);
        }
    } else if (state.taskManagerMode) {
        state.taskManagerMode = false;
        desktop.KillTimer(state.mainWindow, kTaskManagerTimerId);
    }
}

struct InputHost {
    WindowId window = kNoWindow;
    std::uint32_t processId = 0;
};

// Shell surfaces: the keep-out frame and the process that really serves input.
InputHost ExamineShellSurface(AppState& state, const FocusSnapshot& snapshot, std::optional<Rect>& keepOut) {
    Desktop& desktop = *state.desktop;
    ShellHostState& shell = state.shellHost;
    if (snapshot.foreground != shell.lastForeground) {
        shell.lastForeground = snapshot.foreground;
        std::uint32_t pid = 0;
        desktop.WindowThreadProcessId(snapshot.foreground, &pid);
        std::optional<std::u16string> exe = pid && state.processes ? state.processes->ExecutableName(pid) : std::nullopt;
        shell.isShellHost = exe && IsShellHostProcessName(*exe);
        shell.uiaFocusWindow = kNoWindow;
        shell.uiaFocusProcessId = 0;
        shell.lookupTime.reset();
        SetEventTarget(state, 0);
    }
    if (!shell.isShellHost) {
        SetEventTarget(state, 0);
        keepOut.reset();
        return {};
    }

    if (auto frame = desktop.ExtendedFrameBounds(snapshot.foreground); frame && IsNonEmpty(*frame)) keepOut = frame;
    else if (auto rect = desktop.WindowRect(snapshot.foreground); rect && IsNonEmpty(*rect)) keepOut = rect;
    else keepOut.reset();

    MonoTime now = state.clock->Now();
    if (!AtMostAgo(now, shell.lookupTime, kShellHostReuse)) {
        UiaEnv env = Uia(state);
        UiaFocusOwner owner = UiaFocusLookup(env, snapshot);
        shell.uiaFocusWindow = owner.UiaFocusWindow;
        shell.uiaFocusProcessId = owner.UiaFocusProcessId;
        // A lookup that timed out is asked again, not reused.
        if (!state.automation->Late()) shell.lookupTime = now;
    }
    SetEventTarget(state, shell.uiaFocusProcessId);
    return {shell.uiaFocusWindow, shell.uiaFocusProcessId};
}

bool Excluded(AppState& state, const FocusSnapshot& snapshot) {
    return state.processes && ProcessExcluded(state.imageNames, *state.processes, state.settings.ExcludedPrograms,
                                              snapshot.processId, snapshot.foreground);
}

// One update, begun by the caller.
void RunFullUpdate(AppState& state) {
    Desktop& desktop = *state.desktop;
    MarkFullUpdateStarted(state.sched, state.clock->Now());

    FocusSnapshot snapshot = TakeFocusSnapshot(desktop);
    state.lastFullUpdateTarget = snapshot;
    state.lastFullUpdateCaretOrigin.reset();
    UpdateTaskManagerMode(state, snapshot);
    RekeyTargetMemo(state.caretLocator.targetMemo, snapshot);

    if (!snapshot.foreground) {
        EmptyFocusedElementCache(state.uia.focusedElement);
        Hide(state);
        return;
    }

    // A program the user listed keeps its own screen: no badge, no sound.
    if (Excluded(state, snapshot)) {
        Hide(state);
        return;
    }

    MonoTime decisionTime = state.clock->Now();
    ForegroundClass foreground = ClassifyForeground(desktop, state.caretLocator.classification, snapshot.foreground);
    // Leaving the console forgets whose console it was, even when a later
    // rule hides the badge before the locator runs.
    if (!foreground.ClassicConsole) ReleaseConsole(state.caretLocator.ConsoleAttachment);

    EditabilityInputs inputs{desktop,           state.caretLocator.targetMemo, snapshot,
                             foreground,        decisionTime,                  *state.automation,
                             *state.clock,      state.uia,                     *state.outlook,
                             state.outlookAnswer, *state.accessibility};
    const bool editable = DecideEditability(inputs, state.editabilityVerdict).show;
    if (AnswerLate(state)) {
        // A rule that ran out of time decided nothing: no verdict to reuse.
        state.editabilityVerdict = EditabilityVerdict{};
        KeepForLate(state);
        return;
    }
    if (!editable) {
        Hide(state);
        return;
    }

    std::optional<Rect> keepOut;
    InputHost host = ExamineShellSurface(state, snapshot, keepOut);

    ImeStatus status = QueryStatus(state, snapshot, host.window, host.processId);
    if (status.Source == StatusSource::Unavailable && host.window == kNoWindow && host.processId == 0) {
        UiaEnv env = Uia(state);
        UiaFocusOwner owner = UiaFocusLookup(env, snapshot);
        if (owner.UiaFocusWindow != kNoWindow || owner.UiaFocusProcessId != 0) {
            SetEventTarget(state, owner.UiaFocusProcessId);
            host = {owner.UiaFocusWindow, owner.UiaFocusProcessId};
            status = QueryStatus(state, snapshot, host.window, host.processId);
        }
    }
    if (state.taskManagerMode) ApplyTaskbarOverride(status, state.TaskbarReading);

    if (ModeLate(state, status)) {
        KeepForLate(state);
        return;
    }
    if (status.Source == StatusSource::Unavailable) {
        // The rest probe would see nothing change: ask the IME again at the next tick.
        state.lastFullUpdateTarget.reset();
        state.lastCaret = CaretInfo{};
        state.badge.NearTop = false;
        state.KeepOutRect.reset();
        state.imeHostWindow = kNoWindow;
        state.imeHostProcessId = 0;
        Apply(state, snapshot, status, CaretInfo{false, 0, 0, 1}, keepOut);
        return;
    }

    std::optional<InputMode> mode = ClassifyInputMode(status);
    std::uint32_t cells = mode ? CompositionCells(*mode) : 1;
    CaretLocation location = Locate(state, snapshot, cells);
    // A source that did not answer in time leaves the badge where it was,
    // rather than at whatever a weaker source behind it guessed.
    if (AnswerLate(state)) {
        KeepForLate(state);
        return;
    }
    if (!location.caret.Found) {
        Hide(state);
        return;
    }

    // The rest probe sees only the system caret; a caret read elsewhere
    // (UI Automation, a caret object, a console) may move without it.
    if (!location.systemCaret) state.lastFullUpdateTarget.reset();
    else state.lastFullUpdateCaretOrigin = location.caretWindowOrigin;
    state.lastCaret = location.caret;
    state.badge.NearTop = location.caretNearTop;
    state.KeepOutRect = keepOut;
    state.imeHostWindow = host.window;
    state.imeHostProcessId = host.processId;
    Apply(state, snapshot, status, location.caret, keepOut);

    if (state.badge.Visible && !state.badge.NearTop) state.badge.TopmostCountdown = 0;
}

// The IME status at the badge's caret, for a refresh of the mode alone; empty
// when the answer was late (the badge stays) or missing (a full update ran).
std::optional<ImeStatus> ReadModeAtCaret(AppState& state, const FocusSnapshot& snapshot, bool windowsUnchanged) {
    ImeStatus status = QueryStatus(state, snapshot, state.imeHostWindow, state.imeHostProcessId, windowsUnchanged);
    if (state.taskManagerMode) ApplyTaskbarOverride(status, state.TaskbarReading);
    if (ModeLate(state, status)) {
        KeepForLate(state);
        return std::nullopt;
    }
    if (status.Source == StatusSource::Unavailable) {
        RunFullUpdate(state);
        return std::nullopt;
    }
    return status;
}

void RunRefreshMode(AppState& state) {
    if (!state.lastCaret.Found) {
        RunFullUpdate(state);
        return;
    }
    FocusSnapshot snapshot = TakeFocusSnapshot(*state.desktop);
    // A key can come before the event of a switch to a listed program.
    if (Excluded(state, snapshot)) {
        RunFullUpdate(state);
        return;
    }
    if (const std::optional<ImeStatus> status = ReadModeAtCaret(state, snapshot, false))
        Apply(state, snapshot, *status, state.lastCaret, state.KeepOutRect);
}

bool RunRefreshCaret(AppState& state) {
    MarkCaretRefreshStarted(state.sched);
    InputMode mode = state.badge.Content.Mode;
    if (mode == InputMode::None || !state.BadgeAtCaret()) {
        RunFullUpdate(state);
        return false;
    }
    InvalidateTargetMemo(state.caretLocator.targetMemo);
    FocusSnapshot snapshot = TakeFocusSnapshot(*state.desktop);
    if (Excluded(state, snapshot)) {
        RunFullUpdate(state);
        return false;
    }
    CaretLocation location = Locate(state, snapshot, CompositionCells(mode));
    if (AnswerLate(state)) {
        // The badge stays where the caret was last seen.
        KeepForLate(state);
        return true;
    }
    if (!location.caret.Found) {
        RunFullUpdate(state);
        return false;
    }
    MarkCaretRefreshed(state.sched, state.clock->Now());
    state.lastCaret = location.caret;
    state.badge.NearTop = location.caretNearTop;
    Present(state, snapshot, mode, state.mode.LastCapsLock, location.caret, state.KeepOutRect);
    return true;
}

// Runs one update operation unless another is running; then the work is
// owed and runs when the running one ends. Returns what `run` returned, or
// true for owed work (nothing fell back).
template <typename Run>
bool Guarded(AppState& state, std::uint8_t owe, Run run) {
    SchedulingState& s = state.sched;
    if (s.updateRunning) {
        s.owedDuringUpdate |= owe;
        return true;
    }
    s.updateRunning = true;
    struct EndUpdate {
        SchedulingState& s;
        ~EndUpdate() { s.updateRunning = false; }
    } end{s};
    BeginSources(state);
    const bool result = run();
    for (int round = 0; round < kOwedRounds && s.owedDuringUpdate != 0; ++round) {
        const std::uint8_t owed = std::exchange(s.owedDuringUpdate, std::uint8_t{0});
        if (owed & kOwedInvalidateCaches) InvalidateCaretCaches(state);
        if (owed & kOwedForgetShellHost) ForgetShellHost(state);
        BeginSources(state);
        if (owed & kOwedFullUpdate) RunFullUpdate(state);
        else if (owed & kOwedRefreshMode) RunRefreshMode(state);
        else if (owed & kOwedRefreshCaret) RunRefreshCaret(state);
    }
    if (s.owedDuringUpdate != 0) {
        s.owedDuringUpdate = 0;
        s.fullUpdatePending = true;
    }
    return result;
}

}  // namespace

bool UpdateRunning(const AppState& state) { return state.sched.updateRunning; }

void OweDuringUpdate(AppState& state, std::uint8_t owed) { state.sched.owedDuringUpdate |= owed; }

bool ReadTaskbarIndicator(AppState& state) {
    // The taskbar is asked again at the next 50 ms tick; not inside an update.
    if (state.sched.updateRunning) return false;
    state.automation->BeginUpdate();
    return ReadIndicator(state);
}

void FullUpdate(AppState& state) {
    Guarded(state, kOwedFullUpdate, [&] {
        RunFullUpdate(state);
        return true;
    });
}

void RefreshMode(AppState& state) {
    Guarded(state, kOwedRefreshMode, [&] {
        RunRefreshMode(state);
        return true;
    });
}

bool RefreshCaret(AppState& state) {
    return Guarded(state, kOwedRefreshCaret, [&] { return RunRefreshCaret(state); });
}

void CheckModeAtRest(AppState& state) {
    Guarded(state, kOwedRefreshMode, [&] {
        if (!state.lastCaret.Found || !state.lastFullUpdateTarget) {
            RunRefreshMode(state);
            return true;
        }
        // Copied: a full update run from here replaces the target.
        const FocusSnapshot target = *state.lastFullUpdateTarget;
        // The scheduler's probe has just found these windows and the caret as they were.
        const std::optional<ImeStatus> status = ReadModeAtCaret(state, target, true);
        if (!status) return true;
        const InputMode drawn = state.badge.Content.Mode;
        const bool capsLock = state.mode.LastCapsLock;
        ModeServices services{*state.clock, *state.badgePlatform, *state.sound};
        const std::optional<InputMode> m =
            TrackMode(state.mode, state.badge, services, state.settings, state.exeDirectory, *status);
        // The badge already shows this at the caret the probe found unmoved.
        if (m && !(*m == drawn && state.mode.LastCapsLock == capsLock))
            Present(state, target, *m, state.mode.LastCapsLock, state.lastCaret, state.KeepOutRect);
        return true;
    });
}

void OnBadgeTimer(AppState& state) {
    state.desktop->KillTimer(state.mainWindow, kBadgeTimerId);
    StepAside(state.presence);
    HideBadge(state.badge, *state.badgePlatform);
}

}  // namespace tessel
