#include "tray/tray_commands.h"

namespace tessel {

namespace {
constexpr std::uint32_t kWmContextMenu = 0x007B;
constexpr std::uint32_t kWmLButtonUp = 0x0202;
constexpr std::uint32_t kWmLButtonDblClk = 0x0203;
constexpr std::uint32_t kWmRButtonUp = 0x0205;
constexpr std::uint32_t kNinSelect = 0x0400;
constexpr std::uint32_t kNinKeySelect = 0x0401;
}  // namespace

std::array<TrayMenuItem, 6> TrayMenuItems(bool playSounds) {
    return {{
        {kCmdToggleSounds, "소리 재생", false, playSounds},
        {0, {}, true, false},
        {kCmdSettings, "설정", false, false},
        {kCmdAbout, "정보", false, false},
        {0, {}, true, false},
        {kCmdExit, "종료", false, false},
    }};
}

std::string AboutText(std::string_view settingsFilePath) {
    std::string text(kTrayTip);
    text += "\n\n설정 파일: ";
    text += settingsFilePath;
    return text;
}

TrayNotifyDecision DecideTrayNotify(std::uint64_t wParam, std::uint64_t lParam) {
    const auto event = static_cast<std::uint16_t>(lParam & 0xFFFF);
    const Point anchor{static_cast<std::int16_t>(wParam & 0xFFFF),
                       static_cast<std::int16_t>((wParam >> 16) & 0xFFFF)};
    switch (event) {
        case kWmContextMenu: return {TrayAction::ShowMenu, std::nullopt};
        case kWmRButtonUp: return {TrayAction::ShowMenu, anchor};
        case kWmLButtonUp:
        case kNinSelect: return {TrayAction::ShowHint, anchor};
        case kNinKeySelect: return {TrayAction::ShowHint, std::nullopt};
        case kWmLButtonDblClk: return {TrayAction::ToggleSounds, std::nullopt};
        default: return {};
    }
}

}  // namespace tessel
