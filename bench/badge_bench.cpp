#include <benchmark/benchmark.h>

#include <vector>

#include "badge/badge.h"
#include "badge/badge_geometry.h"
#include "badge/badge_pixels.h"
#include "doubles/scripted_badge_platform.h"

namespace tessel {
namespace {

// One redraw's composition at 192 DPI: 30 x 30 pixels of an antialiased glyph.
void BM_BadgeComposePixels192Dpi(benchmark::State& state) {
    const std::int32_t side = BadgeMetricsForDpi(192).Side;
    std::vector<std::uint32_t> glyph(static_cast<std::size_t>(side) * side);
    for (std::size_t i = 0; i < glyph.size(); ++i) {
        const std::uint32_t g = static_cast<std::uint32_t>((i * 37) % 256);
        glyph[i] = g | (g << 8) | (g << 16);
    }
    const Settings s;
    std::vector<std::uint32_t> pixels(glyph.size());
    for (auto _ : state) {
        pixels = glyph;
        ComposeBadgePixels(pixels.data(), pixels.size(), s.IndicatorTextColor, s.KoreanBackgroundColor);
        benchmark::DoNotOptimize(pixels.data());
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(pixels.size()));
}
BENCHMARK(BM_BadgeComposePixels192Dpi);

void BM_BadgePlacementWithKeepOut(benchmark::State& state) {
    const BadgeMetrics m = BadgeMetricsForDpi(144);
    const Rect screen{-1920, 0, 2560, 1440};
    const std::optional<Rect> keepOut = Rect{0, 800, 700, 1440};
    std::int32_t x = 0;
    for (auto _ : state) {
        x = (x + 13) % 2500;
        Point p = PlaceBadge(IndicatorPosition::Below, BadgeAnchor{x, 900, 920}, m, screen, keepOut);
        benchmark::DoNotOptimize(p);
    }
}
BENCHMARK(BM_BadgePlacementWithKeepOut);

// The common case: the caret moved, the mode did not (one move, no drawing).
void BM_BadgeShowMoveOnly(benchmark::State& state) {
    testing::ScriptedBadgePlatform platform;
    BadgeState badge;
    badge.BadgeWindow = 0x100;
    const Settings s;
    ShowBadge(badge, platform, s, InputMode::Korean, false, BadgeAnchor{100, 200, 220}, std::nullopt);
    std::int32_t x = 100;
    for (auto _ : state) {
        x = x == 100 ? 120 : 100;
        ShowBadge(badge, platform, s, InputMode::Korean, false, BadgeAnchor{x, 200, 220}, std::nullopt);
    }
    if (platform.Redraws() != 1) state.SkipWithError("the move-only path redrew");
}
BENCHMARK(BM_BadgeShowMoveOnly);

}  // namespace
}  // namespace tessel
