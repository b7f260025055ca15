#pragma once
// Positions of the settings window's controls, computed from its client
// size. Fixed pixel values; nothing is scaled by DPI.
#include <array>
#include <cstdint>

namespace tessel {

struct ControlBox {
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
    friend constexpr bool operator==(const ControlBox&, const ControlBox&) = default;
};

struct SettingsLayout {
    ControlBox groupBox;
    std::array<ControlBox, 4> checkBoxes;
    ControlBox positionLabel;
    ControlBox positionCombo;  // height is that of the dropped list
    std::array<ControlBox, 4> colourLabels;
    std::array<ControlBox, 4> colourEdits;
    ControlBox badgeTimeLabel;
    ControlBox badgeTimeCombo;  // height is that of the dropped list
    ControlBox programsLabel;
    ControlBox programsEdit;
    ControlBox runAtLogon;
    ControlBox ok;
    ControlBox cancel;
};

// The client size the window is created with.
constexpr std::int32_t kSettingsClientWidth = 414;
constexpr std::int32_t kSettingsClientHeight = 489;
// Outer size used when the frame cannot be measured.
constexpr std::int32_t kSettingsFallbackOuterWidth = 430;
constexpr std::int32_t kSettingsFallbackOuterHeight = 538;

SettingsLayout ComputeSettingsLayout(std::int32_t clientWidth, std::int32_t clientHeight);

// Top-left corner that centres a window of the given outer size on a screen
// of the given size (truncating toward zero).
std::array<std::int32_t, 2> CentreOnScreen(std::int32_t screenWidth, std::int32_t screenHeight,
                                           std::int32_t width, std::int32_t height);

}  // namespace tessel
