#include "settings_window/settings_layout.h"

#include <algorithm>

#include "common/saturate.h"

namespace tessel {

SettingsLayout ComputeSettingsLayout(std::int32_t W, std::int32_t H) {
    const std::int32_t w = SatSub(W, 18);
    const std::int32_t h = SatSub(H, 18);
    const std::int32_t m = std::max(w, 51);
    const std::int32_t f = SatSub(std::min(m, 235), 59);   // field width
    const std::int32_t fx = SatSub(SatSub(m, f), 16);      // field left
    const std::int32_t lw = SatSub(SatSub(m, f), 58);      // label width

    SettingsLayout l;
    l.groupBox = {18, 14, SatSub(std::max(w, 19), 18), SatSub(std::max(h, 57), 56)};
    for (int i = 0; i < 4; ++i) {
        l.checkBoxes[i] = {34, 53 + 29 * i, SatSub(m, 50), 22};
        l.colourLabels[i] = {34, 203 + 29 * i, lw, 22};
        l.colourEdits[i] = {fx, 200 + 29 * i, f, 25};
    }
    l.positionLabel = {34, 174, lw, 22};
    l.positionCombo = {fx, 171, f, 120};
    // Three more rows at the same pitch below the colours.
    l.badgeTimeLabel = {34, 319, lw, 22};
    l.badgeTimeCombo = {fx, 316, f, 120};
    l.programsLabel = {34, 348, lw, 22};
    l.programsEdit = {fx, 345, f, 25};
    l.runAtLogon = {34, 377, SatSub(m, 50), 22};
    const std::int32_t buttonY = SatSub(std::max(h, 28), 28);
    l.ok = {SatSub(std::max(w, 78), 166), buttonY, 78, 28};
    l.cancel = {SatSub(std::max(w, 78), 78), buttonY, 78, 28};
    return l;
}

std::array<std::int32_t, 2> CentreOnScreen(std::int32_t screenWidth, std::int32_t screenHeight,
                                           std::int32_t width, std::int32_t height) {
    return {SatSub(screenWidth, width) / 2, SatSub(screenHeight, height) / 2};
}

}  // namespace tessel
