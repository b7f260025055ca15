#include "settings_window/settings_window_win32.h"

#include <optional>
#include <string>

#include "config/program_list.h"
#include "config/settings_save.h"
#include "config/settings_values.h"
#include "main/app_state_ops.h"
#include "main/shell_resources_win32.h"
#include "platform/startup_registration_win32.h"
#include "platform/win32_types_win32.h"
#include "settings_window/run_at_logon.h"
#include "settings_window/settings_form.h"
#include "settings_window/settings_layout.h"

namespace tessel {

namespace {

AppState* StateOf(HWND window) { return reinterpret_cast<AppState*>(GetWindowLongPtrW(window, GWLP_USERDATA)); }

HINSTANCE InstanceOf(const AppState& state) {
    if (state.shell && state.shell->instance) return state.shell->instance;
    return reinterpret_cast<HINSTANCE>(state.instance);
}

StartupRegistration& RegistrationOf(AppState& state) {
    static Win32StartupRegistration registry;
    return state.startupRegistration ? *state.startupRegistration : registry;
}

ControlBox BoxFor(const SettingsLayout& l, std::size_t index) {
    // Follows the order of kSettingsControls.
    switch (index) {
        case 0: return l.groupBox;
        case 1: case 2: case 3: case 4: return l.checkBoxes[index - 1];
        case 5: return l.positionLabel;
        case 6: return l.positionCombo;
        case 7: case 9: case 11: case 13: return l.colourLabels[(index - 7) / 2];
        case 8: case 10: case 12: case 14: return l.colourEdits[(index - 8) / 2];
        case 15: return l.badgeTimeLabel;
        case 16: return l.badgeTimeCombo;
        case 17: return l.programsLabel;
        case 18: return l.programsEdit;
        case 19: return l.runAtLogon;
        case 20: return l.ok;
        default: return l.cancel;
    }
}

void AddItems(HWND combo, const auto& items, int selection) {
    for (std::string_view item : items) {
        const std::wstring w = Wide(item);
        SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(w.c_str()));
    }
    SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(selection), 0);
}

bool IsChecked(const AppState& s, int id) {
    switch (id) {
        case kIdPlaySounds: return s.settings.PlaySounds;
        case kIdPlayEnglish: return s.settings.PlayEnglishSound;
        case kIdPlayJapanese: return s.settings.PlayJapaneseSound;
        default: return s.settings.PlayKoreanSound;
    }
}

void CreateControls(HWND window, AppState& state) {
    RECT client{};
    SettingsLayout layout = GetClientRect(window, &client)
                                ? ComputeSettingsLayout(client.right - client.left, client.bottom - client.top)
                                : ComputeSettingsLayout(kSettingsClientWidth, kSettingsClientHeight);
    const auto font = reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT));
    const HINSTANCE instance = InstanceOf(state);
    const std::array<Rgba, 4> colours = ColoursInRowOrder(state.settings);
    int colourRow = 0;

    for (std::size_t i = 0; i < kSettingsControls.size(); ++i) {
        const ControlSpec& entry = kSettingsControls[i];
        const ControlBox box = BoxFor(layout, i);
        std::wstring text = Wide(entry.text);
        if (entry.kind == ControlKind::ColourEdit) text = Wide(FormatRgba(colours[static_cast<std::size_t>(colourRow++)]));
        if (entry.kind == ControlKind::ProgramsEdit) text = Wide(JoinProgramList(state.settings.ExcludedPrograms));
        const std::wstring cls = Wide(entry.className);
        // The window clips its children, and a group box paints only its
        // frame: marked transparent, the box is left out of the clipping so
        // the window's own background shows inside it instead of garbage.
        const DWORD exStyle = entry.kind == ControlKind::GroupBox ? WS_EX_TRANSPARENT : 0;
        HWND control = CreateWindowExW(exStyle, cls.c_str(), text.c_str(), entry.style, box.x, box.y, box.width,
                                       box.height, window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(entry.id)),
                                       instance, nullptr);
        if (!control) continue;
        SendMessageW(control, WM_SETFONT, font, TRUE);
        switch (entry.kind) {
            case ControlKind::CheckBox:
                SendMessageW(control, BM_SETCHECK, IsChecked(state, entry.id) ? BST_CHECKED : BST_UNCHECKED, 0);
                break;
            case ControlKind::Combo:
                AddItems(control, kPositionItems, static_cast<int>(state.settings.IndicatorPosition));
                break;
            case ControlKind::BadgeTimeCombo:
                AddItems(control, kBadgeTimeItems, BadgeTimeIndex(state.settings.BadgeSeconds));
                break;
            case ControlKind::ColourEdit:
                SendMessageW(control, EM_SETLIMITTEXT, kColourTextLimit, 0);
                break;
            case ControlKind::ProgramsEdit:
                SendMessageW(control, EM_SETLIMITTEXT, kProgramsTextLimit, 0);
                break;
            case ControlKind::RunAtLogonCheckBox: {
                StartupRegistration& registration = RegistrationOf(state);
                const std::optional<std::string> exePath = registration.ExecutablePath();
                const bool ours = RunValueIsOurs(registration.ReadRunValue(), exePath);
                SendMessageW(control, BM_SETCHECK, ours ? BST_CHECKED : BST_UNCHECKED, 0);
                break;
            }
            default: break;
        }
    }
}

// The edit's text, or nothing when the control is missing, unreadable or
// holds more than a colour can have (text set from outside can bypass the
// typing limit; it must not be cut down to a valid-looking prefix).
std::optional<std::string> ReadColourText(HWND window, int id) {
    HWND edit = GetDlgItem(window, id);
    if (!edit) return std::nullopt;
    if (GetWindowTextLengthW(edit) > kColourTextLimit) return std::nullopt;
    wchar_t buffer[kColourTextLimit + 1] = {};
    const int length = GetWindowTextW(edit, buffer, kColourTextLimit + 1);
    if (length <= 0) return std::nullopt;
    return Narrow(std::wstring_view(buffer, static_cast<std::size_t>(length)));
}

bool ReadCheck(HWND window, int id) {
    HWND box = GetDlgItem(window, id);
    return box && SendMessageW(box, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

int ReadSelection(HWND window, int id) {
    HWND combo = GetDlgItem(window, id);
    return combo ? static_cast<int>(SendMessageW(combo, CB_GETCURSEL, 0, 0)) : CB_ERR;
}

// The whole text of an edit, or nothing when the control is missing or a
// text it has could not be read (which must not read as an emptied list).
std::optional<std::string> ReadText(HWND window, int id) {
    HWND edit = GetDlgItem(window, id);
    if (!edit) return std::nullopt;
    const int expected = GetWindowTextLengthW(edit);
    if (expected <= 0) return std::string();
    std::wstring buffer(static_cast<std::size_t>(expected) + 1, L'\0');
    const int length = GetWindowTextW(edit, buffer.data(), static_cast<int>(buffer.size()));
    if (length <= 0) return std::nullopt;
    buffer.resize(static_cast<std::size_t>(length));
    return Narrow(buffer);
}

void ShowRunAtLogonError(HWND window, const RegistryError& error) {
    const std::wstring text = Wide(RunAtLogonErrorText(error));
    const std::wstring caption = Wide(kRunAtLogonErrorCaption);
    MessageBoxW(window, text.c_str(), caption.c_str(), MB_OK | MB_ICONERROR);
}

}  // namespace

void ShowColourError(HWND window, std::string_view label) {
    const std::wstring text = Wide(ColourErrorText(label));
    const std::wstring caption = Wide(kSettingsErrorCaption);
    MessageBoxW(window, text.c_str(), caption.c_str(), MB_ICONERROR);
}

bool ApplySettingsWindow(AppState& state, HWND window) {
    std::array<std::optional<std::string>, 4> texts;
    for (std::size_t row = 0; row < kColourRows.size(); ++row) texts[row] = ReadColourText(window, kColourRows[row].editId);
    const ColourValidation valid = ValidateColourRows(texts);
    if (!valid.colours) {
        ShowColourError(window, kColourRows[static_cast<std::size_t>(valid.firstBadRow)].label);
        return false;
    }

    SettingsFormValues form;
    form.checks = {ReadCheck(window, kIdPlaySounds), ReadCheck(window, kIdPlayEnglish),
                   ReadCheck(window, kIdPlayJapanese), ReadCheck(window, kIdPlayKorean)};
    form.positionIndex = ReadSelection(window, kIdPosition);
    form.colours = *valid.colours;
    form.badgeTimeIndex = ReadSelection(window, kIdBadgeTime);
    form.programsText = ReadText(window, kIdExcludedPrograms);
    ApplySettingsForm(state.settings, form);

    // The boxes belong to this window: while one shows, a second 확인 cannot
    // save again and close the window under it.
    SaveSettingsReportingFailure(state.SettingsFilePath, state.settings, ToWindowId(window));
    // Saved whatever happens here: the registry has its own failure box.
    if (GetDlgItem(window, kIdRunAtLogon)) {
        if (auto error = ApplyRunAtLogon(RegistrationOf(state), ReadCheck(window, kIdRunAtLogon)))
            ShowRunAtLogonError(window, *error);
    }
    ForgetLastMode(state);
    return true;
}

void OpenSettingsWindow(AppState& state) {
    HWND existing = ToHwnd(state.settingsWindow);
    if (existing && IsWindow(existing)) {
        ShowWindow(existing, SW_SHOWNORMAL);
        SetForegroundWindow(existing);
        return;
    }

    RECT frame{0, 0, kSettingsClientWidth, kSettingsClientHeight};
    int width = kSettingsFallbackOuterWidth;
    int height = kSettingsFallbackOuterHeight;
    if (AdjustWindowRectEx(&frame, kSettingsWindowStyle, FALSE, kSettingsWindowExStyle)) {
        width = frame.right - frame.left;
        height = frame.bottom - frame.top;
    }
    const auto [x, y] = CentreOnScreen(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), width, height);

    const std::wstring cls = Wide(kSettingsWindowClass);
    const std::wstring title = Wide(kSettingsWindowTitle);
    HWND window = CreateWindowExW(kSettingsWindowExStyle, cls.c_str(), title.c_str(), kSettingsWindowStyle, x, y,
                                  width, height, MainHwnd(state), nullptr, InstanceOf(state), &state);
    if (!window) return;
    state.settingsWindow = ToWindowId(window);
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);
    SetForegroundWindow(window);
}

static LRESULT HandleSettingsWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        // The default handling sets the title; without it the caption stays empty.
        return DefWindowProcW(window, message, wParam, lParam);
    }
    AppState* state = StateOf(window);
    switch (message) {
        case WM_CREATE:
            if (state) CreateControls(window, *state);
            return 0;
        case WM_COMMAND:
            if (state && HIWORD(wParam) == 0) {
                const int id = LOWORD(wParam);
                if (id == kIdCancel) {
                    DestroyWindow(window);
                } else if (id == kIdOk && ApplySettingsWindow(*state, window)) {
                    DestroyWindow(window);
                }
                return 0;
            }
            break;
        case WM_CLOSE:
            DestroyWindow(window);
            return 0;
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN: {
            // Labels, check boxes and the group box sit on the window's own
            // background rather than on grey patches of the button face.
            HDC dc = reinterpret_cast<HDC>(wParam);
            SetBkColor(dc, GetSysColor(COLOR_WINDOW));
            SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
            return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
        }
        case WM_NCDESTROY:
            if (state && state->settingsWindow == ToWindowId(window)) state->settingsWindow = kNoWindow;
            SetWindowLongPtrW(window, GWLP_USERDATA, 0);
            break;
        default: break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

LRESULT CALLBACK SettingsWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    try {
        return HandleSettingsWindowMessage(window, message, wParam, lParam);
    } catch (...) {
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

}  // namespace tessel
