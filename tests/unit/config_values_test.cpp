#include <gtest/gtest.h>

#include "config/settings_values.h"

namespace tessel {
namespace {

TEST(ConfigValues, ParsesRgbaRedFirstAlphaLast) {
    EXPECT_EQ(ParseRgba("626262A5"), (Rgba{0x62, 0x62, 0x62, 0xA5}));
    EXPECT_EQ(ParseRgba("0A1B2C3D"), (Rgba{0x0A, 0x1B, 0x2C, 0x3D}));
    EXPECT_EQ(ParseRgba("ff6262a5"), (Rgba{0xFF, 0x62, 0x62, 0xA5}));
    EXPECT_EQ(ParseRgba(" \t00000000\xE3\x80\x80"), (Rgba{0, 0, 0, 0}));  // trims U+3000 too
}

TEST(ConfigValues, RejectsRgbaThatIsNotEightHexDigits) {
    for (const char* bad : {"", "#FF6262A5", "0xFF6262", "FF6262", "FF6262A5FF", "FF 6262A5", "+F6262A5",
                            "-F6262A5", "GG6262A5", "FF6262A\xEF\xBC\xA1", "FF6262A"}) {
        EXPECT_EQ(ParseRgba(bad), std::nullopt) << bad;
    }
}

TEST(ConfigValues, FormatsRgbaUpperCaseWithLeadingZeros) {
    EXPECT_EQ(FormatRgba(Rgba{0x0A, 0x00, 0xFF, 0x5c}), "0A00FF5C");
    for (unsigned v = 0; v < 256; v += 17) {
        const Rgba c{static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(255 - v), 1, 0xF0};
        EXPECT_EQ(ParseRgba(FormatRgba(c)), c);
    }
}

TEST(ConfigValues, PositionIgnoresAsciiCaseAndWhiteSpace) {
    EXPECT_EQ(ParseIndicatorPosition("ABOVE"), IndicatorPosition::Above);
    EXPECT_EQ(ParseIndicatorPosition(" right "), IndicatorPosition::Right);
    EXPECT_EQ(ParseIndicatorPosition("BeLoW"), IndicatorPosition::Below);
    EXPECT_EQ(ParseIndicatorPosition("left"), std::nullopt);
    EXPECT_EQ(ParseIndicatorPosition("2"), std::nullopt);
    EXPECT_EQ(ParseIndicatorPosition(""), std::nullopt);
    EXPECT_EQ(FormatIndicatorPosition(IndicatorPosition::Above), "Above");
    EXPECT_EQ(FormatIndicatorPosition(static_cast<IndicatorPosition>(9)), "Below");
}

TEST(ConfigValues, SwitchIsASigned32BitOneOrZero) {
    for (const char* on : {"1", "+1", "01", "0000000001", "00000000000000000000001"})
        EXPECT_EQ(ParseSwitch(on), true) << on;
    for (const char* off : {"0", "-0", "+0", "000"}) EXPECT_EQ(ParseSwitch(off), false) << off;
    for (const char* bad : {"", "2", "-1", "true", "yes", "on", "+", "-", "+-1", "1 ;x", " 1", "1.0", "0x1",
                            "\xEF\xBC\x91" /* fullwidth 1 */}) {
        EXPECT_EQ(ParseSwitch(bad), std::nullopt) << bad;
    }
}

TEST(ConfigValues, Int32LimitsAreExact) {
    EXPECT_EQ(ParseInt32("2147483647"), 2147483647);
    EXPECT_EQ(ParseInt32("-2147483648"), INT32_MIN);
    EXPECT_EQ(ParseInt32("2147483648"), std::nullopt);
    EXPECT_EQ(ParseInt32("-2147483649"), std::nullopt);
    EXPECT_EQ(ParseInt32("99999999999999999999999"), std::nullopt);
}

}  // namespace
}  // namespace tessel
