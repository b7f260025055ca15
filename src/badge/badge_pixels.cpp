#include "badge/badge_pixels.h"

#include <array>

namespace tessel {

namespace {

struct Premultiplied {
    std::uint32_t r, g, b, a;
};

Premultiplied PremultiplyColour(Rgba c) {
    return Premultiplied{Premultiply(c.r, c.a), Premultiply(c.g, c.a), Premultiply(c.b, c.a), c.a};
}

std::uint32_t Blend(std::uint32_t background, std::uint32_t text, std::uint32_t coverage) {
    return (background * (255 - coverage) + text * coverage + 127) / 255;
}

std::uint32_t Compose(std::uint32_t coverage, const Premultiplied& t, const Premultiplied& b) {
    return Blend(b.b, t.b, coverage) | (Blend(b.g, t.g, coverage) << 8) | (Blend(b.r, t.r, coverage) << 16) |
           (Blend(b.a, t.a, coverage) << 24);
}

}  // namespace

std::uint32_t ComposeBadgePixel(std::uint32_t coverage, Rgba text, Rgba background) {
    if (coverage > 255) coverage = 255;
    return Compose(coverage, PremultiplyColour(text), PremultiplyColour(background));
}

void ComposeBadgePixels(std::uint32_t* pixels, std::size_t count, Rgba text, Rgba background) {
    if (!pixels || count == 0) return;
    const Premultiplied t = PremultiplyColour(text);
    const Premultiplied b = PremultiplyColour(background);
    // Only 256 coverages exist; one table serves the whole bitmap.
    std::array<std::uint32_t, 256> table;
    for (std::uint32_t cov = 0; cov < 256; ++cov) table[cov] = Compose(cov, t, b);
    for (std::size_t i = 0; i < count; ++i) pixels[i] = table[GlyphCoverage(pixels[i])];
}

}  // namespace tessel
