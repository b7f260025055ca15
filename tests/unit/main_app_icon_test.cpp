#include <gtest/gtest.h>

#include <cstring>

#include "main/app_icon.h"

namespace tessel {
namespace {

std::uint32_t U32(const std::vector<std::uint8_t>& b, std::size_t at) {
    std::uint32_t v;
    std::memcpy(&v, b.data() + at, 4);
    return v;
}

TEST(AppIcon, DecodesToA16x16FourBitIconResource) {
    auto bits = DecodeHex(kAppIconHex);
    ASSERT_TRUE(bits.has_value());
    ASSERT_EQ(bits->size(), 296u);
    EXPECT_EQ(U32(*bits, 0), 40u);                       // biSize
    EXPECT_EQ(static_cast<std::int32_t>(U32(*bits, 4)), 16);   // width
    EXPECT_EQ(static_cast<std::int32_t>(U32(*bits, 8)), 32);   // colour rows + mask rows
    EXPECT_EQ((*bits)[12] | ((*bits)[13] << 8), 1);      // planes
    EXPECT_EQ((*bits)[14] | ((*bits)[15] << 8), 4);      // bits per pixel
    for (std::size_t at = 16; at < 40; ++at) EXPECT_EQ((*bits)[at], 0) << "header byte " << at;
    // Standard palette: entry 12 is pure blue, entry 15 white (B, G, R, 0).
    EXPECT_EQ(U32(*bits, 40 + 12 * 4), 0x000000FFu);
    EXPECT_EQ(U32(*bits, 40 + 15 * 4), 0x00FFFFFFu);
    // Every transparent mask bit sits on a black (index 0) pixel so the icon
    // draws cleanly on any background.
    for (int row = 0; row < 16; ++row)
        for (int col = 0; col < 16; ++col) {
            bool transparent = ((*bits)[232 + row * 4 + col / 8] >> (7 - col % 8)) & 1;
            int pixel = ((*bits)[104 + row * 8 + col / 2] >> (col % 2 ? 0 : 4)) & 0xF;
            if (transparent) {
                EXPECT_EQ(pixel, 0) << row << "," << col;
            }
        }
}

TEST(AppIcon, HexDecodingAcceptsBothCasesAndRejectsOtherCharacters) {
    EXPECT_EQ(DecodeHex("0aFf"), (std::vector<std::uint8_t>{0x0A, 0xFF}));
    EXPECT_FALSE(DecodeHex("0g").has_value());
    EXPECT_FALSE(DecodeHex("abc").has_value());
    EXPECT_FALSE(DecodeHex(" 0").has_value());
    EXPECT_EQ(DecodeHex("")->size(), 0u);
}

}  // namespace
}  // namespace tessel
