#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <limits>
#include <random>

#include "tests/display/canvas_test_pixels.h"

namespace {

constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();

// Textbook Bresenham walked from the start, end pixel excluded; a point
// exactly halfway between two pixels goes to the one nearer the end.
PixelSet ReferenceLine(std::int64_t x0, std::int64_t y0, std::int64_t x1, std::int64_t y1,
                       std::int64_t width, std::int64_t height) {
    const std::int64_t dx = std::llabs(x1 - x0), dy = std::llabs(y1 - y0);
    const std::int64_t sx = x1 < x0 ? -1 : 1, sy = y1 < y0 ? -1 : 1;
    const bool steep = dy > dx;
    const std::int64_t major = steep ? dy : dx, minor = steep ? dx : dy;
    std::int64_t x = x0, y = y0, decision = 2 * minor - major;
    PixelSet pixels;
    for (std::int64_t i = 0; i < major; ++i) {
        if (x >= 0 && y >= 0 && x < width && y < height) pixels.emplace(x, y);
        if (decision >= 0) {
            (steep ? x += sx : y += sy);
            decision -= 2 * major;
        }
        (steep ? y += sy : x += sx);
        decision += 2 * minor;
    }
    return pixels;
}

PixelSet DrawLine(std::int32_t width, std::int32_t height, std::int32_t x0, std::int32_t y0,
                  std::int32_t x1, std::int32_t y1) {
    Canvas canvas;
    EXPECT_TRUE(canvas.Create(width, height));
    canvas.SelectPen(0xFFFFFF, 1);
    canvas.MoveTo(x0, y0);
    canvas.LineTo(x1, y1);
    EXPECT_EQ(canvas.CurrentPosition().x, x1);
    EXPECT_EQ(canvas.CurrentPosition().y, y1);
    return Painted(canvas);
}

TEST(CanvasLineTest, EveryDirectionMatchesTheReference) {
    for (const std::int32_t radius : {1, 2, 3, 7, 15}) {
        for (std::int32_t t = -radius; t <= radius; ++t) {
            for (const auto& [ex, ey] :
                 {std::pair{radius, t}, {-radius, t}, {t, radius}, {t, -radius}}) {
                const PixelSet line = DrawLine(41, 41, 20, 20, 20 + ex, 20 + ey);
                EXPECT_EQ(line, ReferenceLine(20, 20, 20 + ex, 20 + ey, 41, 41)) << ex << "," << ey;
                EXPECT_EQ(line.count({20 + ex, 20 + ey}), 0u);
                EXPECT_EQ(line.size(),
                          static_cast<std::size_t>(std::max(std::abs(ex), std::abs(ey))));
            }
        }
    }
}

TEST(CanvasLineTest, AxisLinesAndPointsAreExact) {
    EXPECT_EQ(DrawLine(12, 12, 2, 5, 9, 5),
              (PixelSet{{2, 5}, {3, 5}, {4, 5}, {5, 5}, {6, 5}, {7, 5}, {8, 5}}));
    EXPECT_EQ(DrawLine(12, 12, 7, 9, 7, 4), (PixelSet{{7, 9}, {7, 8}, {7, 7}, {7, 6}, {7, 5}}));
    EXPECT_EQ(DrawLine(12, 12, 4, 4, 4, 4), PixelSet{});
    EXPECT_EQ(DrawLine(12, 12, -3, 11, 30, 11).size(), 12u);
    EXPECT_EQ(DrawLine(12, 12, kMax, 0, kMin, 0).size(), 12u);
    EXPECT_EQ(DrawLine(12, 12, 0, 12, 11, 12), PixelSet{});
}

TEST(CanvasLineTest, ClippedLinesAreTheVisiblePartOfTheWholeLine) {
    std::mt19937 random(12345);
    std::uniform_int_distribution<std::int32_t> coordinate(-3000, 3000);
    for (int i = 0; i < 400; ++i) {
        const std::int32_t x0 = coordinate(random), y0 = coordinate(random) / (i % 4 + 1);
        const std::int32_t x1 = coordinate(random) / (i % 3 + 1), y1 = coordinate(random);
        EXPECT_EQ(DrawLine(50, 40, x0, y0, x1, y1), ReferenceLine(x0, y0, x1, y1, 50, 40))
            << x0 << "," << y0 << " -> " << x1 << "," << y1;
    }
}

TEST(CanvasLineTest, ExtremeCoordinatesStayExact) {
    // Translating a line translates its pixels, wherever it enters the surface.
    const std::int32_t x0 = -2147483000, y0 = -2147482900, x1 = 2147483000, y1 = 2147483000;
    const PixelSet line = DrawLine(120, 120, x0, y0, x1, y1);
    const PixelSet shifted = DrawLine(120, 120, x0 + 40, y0 + 25, x1 + 40, y1 + 25);
    ASSERT_FALSE(line.empty());
    for (std::int64_t y = 25; y < 120; ++y) {
        for (std::int64_t x = 40; x < 120; ++x) {
            EXPECT_EQ(line.count({x - 40, y - 25}), shifted.count({x, y})) << x << "," << y;
        }
    }

    const PixelSet corners = DrawLine(64, 64, kMin, kMin, kMax, kMax);
    EXPECT_EQ(corners.size(), 64u);
    for (const auto& [x, y] : corners) EXPECT_EQ(x, y);
    EXPECT_EQ(DrawLine(64, 64, kMax, kMin, kMin, kMax).size(), 0u);  // passes 1 px outside

    // Each visible pixel lies within half a pixel of the ideal line, one per column.
    __extension__ typedef __int128 Wide;
    const std::int64_t dx = std::int64_t{kMax} - kMin, dy = 2147483000LL * 2;
    const PixelSet far = DrawLine(200, 200, kMin, -2147483000, kMax, 2147483000);
    ASSERT_GT(far.size(), 150u);
    std::int64_t previousX = -1;
    for (const auto& [x, y] : far) {
        const Wide error = Wide{2} * (y + 2147483000) * dx - Wide{2} * (x - kMin) * dy;
        EXPECT_LE(error < 0 ? -error : error, Wide{dx}) << x << "," << y;
        EXPECT_NE(x, previousX);
        previousX = x;
    }
    EXPECT_TRUE(EightConnected(far));
}

}  // namespace
