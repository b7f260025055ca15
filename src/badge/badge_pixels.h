#pragma once
// Turns the white-on-black glyph rendering into the badge's premultiplied
// BGRA pixels (blue in the low byte, alpha in the high byte).
#include <cstddef>
#include <cstdint>

#include "config/settings.h"

namespace tessel {

// Premultiplies one colour channel by its alpha, rounded.
constexpr std::uint8_t Premultiply(std::uint8_t channel, std::uint8_t alpha) {
    return static_cast<std::uint8_t>((channel * alpha + 127) / 255);
}

// Coverage of a grey-scale antialiased white-on-black pixel, 0..255.
constexpr std::uint32_t GlyphCoverage(std::uint32_t pixel) {
    return ((pixel & 0xFF) + ((pixel >> 8) & 0xFF) + ((pixel >> 16) & 0xFF) + 1) / 3;
}

// The premultiplied pixel for one coverage value.
std::uint32_t ComposeBadgePixel(std::uint32_t coverage, Rgba text, Rgba background);

// Rewrites every pixel in place: coverage from its B, G and R, then the blend
// of text over background colour.
void ComposeBadgePixels(std::uint32_t* pixels, std::size_t count, Rgba text, Rgba background);

}  // namespace tessel
