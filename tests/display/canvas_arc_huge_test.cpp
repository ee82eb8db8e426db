// Huge ellipses whose outline crosses the surface, where only a stretch of
// each piece's columns or rows lands on it: a small surface must show
// exactly its window of what a large one shows, wherever the window lies.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>

#include "tests/display/canvas_test_pixels.h"

namespace {

constexpr std::int32_t kWide = 640;
constexpr std::int32_t kHigh = 480;

struct HugeArc {
    std::int64_t left, top, right, bottom;
    std::int64_t xStart, yStart, xEnd, yEnd;
    int direction;
};

PixelSet Draw(std::int32_t width, std::int32_t height, const HugeArc& arc, std::int64_t dx,
              std::int64_t dy) {
    Canvas canvas;
    EXPECT_TRUE(canvas.Create(width, height));
    canvas.SelectPen(0xFFFFFF, 1);
    canvas.SetArcDirection(arc.direction);
    const auto x = [&](std::int64_t v) { return static_cast<std::int32_t>(v - dx); };
    const auto y = [&](std::int64_t v) { return static_cast<std::int32_t>(v - dy); };
    canvas.Arc(x(arc.left), y(arc.top), x(arc.right), y(arc.bottom), x(arc.xStart), y(arc.yStart),
               x(arc.xEnd), y(arc.yEnd));
    return Painted(canvas);
}

// An ellipse with radii of 2^28 to 2^29 and its centre placed so that the
// outline runs through the large surface at a random place and slope.
HugeArc RandomHugeArc(std::mt19937_64& random) {
    std::uniform_int_distribution<std::int64_t> radius(1 << 28, 1 << 29);
    std::uniform_real_distribution<double> turn(0, 6.283185307179586);
    std::uniform_int_distribution<std::int64_t> onSurface(0, kWide - 1);
    const std::int64_t a = radius(random);
    const std::int64_t b = radius(random);
    const double angle = turn(random);
    const std::int64_t px = onSurface(random);
    const std::int64_t py = onSurface(random) * kHigh / kWide;
    const auto cx = px - static_cast<std::int64_t>(a * std::cos(angle));
    const auto cy = py - static_cast<std::int64_t>(b * std::sin(angle));
    // The sweep's rays through points near the surface or far off it.
    std::uniform_int_distribution<std::int64_t> near(-kWide, 2 * kWide);
    const bool wideSweep = random() % 2 == 0;
    return HugeArc{cx - a,
                   cy - b,
                   cx + a + 1,
                   cy + b + 1,
                   wideSweep ? cx + a : near(random),
                   wideSweep ? cy : near(random),
                   near(random),
                   near(random),
                   random() % 2 == 0 ? kArcClockwise : kArcCounterClockwise};
}

TEST(CanvasArcHugeTest, SmallSurfacesShowTheirWindowOfALargeOne) {
    std::mt19937_64 random(2026);
    int crossing = 0;
    for (int round = 0; round < 60; ++round) {
        const HugeArc arc = RandomHugeArc(random);
        const PixelSet whole = Draw(kWide, kHigh, arc, 0, 0);
        crossing += whole.empty() ? 0 : 1;
        for (const std::int64_t dx : {0, 200, 577}) {
            for (const std::int64_t dy : {0, 150, 431}) {
                PixelSet expected;
                for (const auto& [x, y] : whole) {
                    if (x >= dx && x < dx + 63 && y >= dy && y < dy + 49)
                        expected.emplace(x - dx, y - dy);
                }
                ASSERT_EQ(Draw(63, 49, arc, dx, dy), expected)
                    << "round " << round << " window at " << dx << "," << dy;
            }
        }
    }
    // The outlines cross the surface; the sweeps leave a part of them out.
    EXPECT_GT(crossing, 30);
}

}  // namespace
