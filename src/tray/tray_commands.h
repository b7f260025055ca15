#pragma once
// What the tray icon shows and offers, as plain values: command ids, the
// menu items, the notification-event table and the fixed texts.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/types.h"

namespace tessel {

// Menu command ids; WM_COMMAND carries them in the low word of wParam.
constexpr unsigned kCmdToggleSounds = 1001;
constexpr unsigned kCmdSettings = 1002;
constexpr unsigned kCmdAbout = 1003;
constexpr unsigned kCmdExit = 1004;

// The program name and version shown in the tooltip and the information box.
constexpr std::string_view kTrayTip = "Tessel 2.4";
constexpr std::string_view kAboutCaption = "Tessel 정보";
constexpr std::string_view kHintText = "설정을 변경하려면 우클릭하세요.";

struct TrayMenuItem {
    unsigned id = 0;          // 0 for a separator
    std::string_view text;    // empty for a separator
    bool separator = false;
    bool checked = false;
};

// The context menu, top to bottom; built anew each time it opens so that the
// check mark follows the current switch.
std::array<TrayMenuItem, 6> TrayMenuItems(bool playSounds);

// "Tessel 2.4", an empty line, then the settings-file path.
std::string AboutText(std::string_view settingsFilePath);

enum class TrayAction : std::uint8_t {
    None,
    ShowMenu,
    ShowHint,
    ToggleSounds,
};

struct TrayNotifyDecision {
    TrayAction action = TrayAction::None;
    std::optional<Point> anchor;  // screen point to open at, when the event has one
    friend bool operator==(const TrayNotifyDecision&, const TrayNotifyDecision&) = default;
};

// Notification events of icon version 4: the event is the low word of
// lParam, the anchor the signed low and high words of wParam.
TrayNotifyDecision DecideTrayNotify(std::uint64_t wParam, std::uint64_t lParam);

}  // namespace tessel
