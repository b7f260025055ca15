#include <gtest/gtest.h>

#include <vector>

#include "badge/badge_pixels.h"

namespace tessel {
namespace {

constexpr std::uint32_t kWhite = 0x00FFFFFF;
constexpr std::uint32_t kBlack = 0x00000000;

std::vector<std::uint32_t> Compose(std::vector<std::uint32_t> pixels, Rgba text, Rgba background) {
    ComposeBadgePixels(pixels.data(), pixels.size(), text, background);
    return pixels;
}

TEST(BadgePixelsTest, CoverageFromBlueGreenRedIgnoringAlpha) {
    EXPECT_EQ(GlyphCoverage(kWhite), 255u);
    EXPECT_EQ(GlyphCoverage(kBlack), 0u);
    EXPECT_EQ(GlyphCoverage(0xFF000000), 0u);  // alpha byte is not coverage
    EXPECT_EQ(GlyphCoverage(0x00000001), 0u);  // (1 + 0 + 0 + 1) / 3
    EXPECT_EQ(GlyphCoverage(0x00000002), 1u);
    EXPECT_EQ(GlyphCoverage(0x000000FF), 85u);  // a ClearType-like fringe in one channel
    EXPECT_EQ(GlyphCoverage(0x00808080), 128u);
}

TEST(BadgePixelsTest, PremultiplyRounds) {
    EXPECT_EQ(Premultiply(255, 165), 165);
    EXPECT_EQ(Premultiply(98, 165), 63);
    EXPECT_EQ(Premultiply(255, 0), 0);
    EXPECT_EQ(Premultiply(200, 255), 200);
    EXPECT_EQ(Premultiply(1, 128), 1);  // 0.502 rounds up
    EXPECT_EQ(Premultiply(1, 127), 0);
}

TEST(BadgePixelsTest, FullAndNoCoverageGiveTheTwoPremultipliedColours) {
    const Rgba text{0xFF, 0xFF, 0xFF, 0xA5};
    const Rgba background{0xFF, 0x62, 0x62, 0xA5};
    const auto out = Compose({kWhite, kBlack}, text, background);
    EXPECT_EQ(out[0], 0xA5A5A5A5u);
    // Red 165 in byte 2, green and blue 63, alpha 165 on top.
    EXPECT_EQ(out[1], 0xA5A53F3Fu);
}

TEST(BadgePixelsTest, ChannelOrderIsBlueLowAlphaHigh) {
    const auto out = Compose({kWhite, kBlack}, Rgba{0x10, 0x20, 0x30, 0xFF}, Rgba{0x40, 0x50, 0x60, 0x80});
    EXPECT_EQ(out[0], 0xFF102030u);
    // (0x40 * 128 + 127) / 255 = 32, (0x50 * 128 + 127) / 255 = 40, (0x60 * 128 + 127) / 255 = 48.
    EXPECT_EQ(out[1], 0x80202830u);
}

TEST(BadgePixelsTest, PartialCoverageBlends) {
    // Half-covered white text on opaque black: 128 in every channel, opaque.
    EXPECT_EQ(Compose({0x00808080}, Rgba{255, 255, 255, 255}, Rgba{0, 0, 0, 255})[0], 0xFF808080u);
    // Opaque red text over transparent background at coverage 85: alpha 85, red 85.
    EXPECT_EQ(Compose({0x000000FF}, Rgba{255, 0, 0, 255}, Rgba{0, 0, 0, 0})[0], 0x55550000u);
}

TEST(BadgePixelsTest, TransparentBackgroundLeavesOnlyTheGlyph) {
    const auto out = Compose({kWhite, kBlack}, Rgba{0xFF, 0xFF, 0xFF, 0xFF}, Rgba{0x12, 0x34, 0x56, 0x00});
    EXPECT_EQ(out[0], 0xFFFFFFFFu);
    EXPECT_EQ(out[1], 0u);
}

TEST(BadgePixelsTest, TransparentTextPunchesTheGlyphOut) {
    const auto out = Compose({kWhite, kBlack}, Rgba{0xFF, 0xFF, 0xFF, 0x00}, Rgba{0x00, 0x00, 0xFF, 0xFF});
    EXPECT_EQ(out[0], 0u);
    EXPECT_EQ(out[1], 0xFF0000FFu);
}

TEST(BadgePixelsTest, SinglePixelFormMatchesTheBitmapForm) {
    const Rgba text{0xFF, 0xFF, 0xFF, 0xA5};
    const Rgba background{0x62, 0x62, 0xFF, 0xA5};
    std::vector<std::uint32_t> grey(256);
    for (std::uint32_t i = 0; i < 256; ++i) grey[i] = i | (i << 8) | (i << 16);
    const auto out = Compose(grey, text, background);
    for (std::uint32_t i = 0; i < 256; ++i) ASSERT_EQ(out[i], ComposeBadgePixel(GlyphCoverage(grey[i]), text, background)) << i;
}

}  // namespace
}  // namespace tessel
