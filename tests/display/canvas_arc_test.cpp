#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "tests/display/canvas_test_pixels.h"

namespace {

constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();

struct Box {
    std::int32_t left, top, right, bottom;
};

PixelSet DrawArc(std::int32_t width, std::int32_t height, Box box, std::int32_t xs, std::int32_t ys,
                 std::int32_t xe, std::int32_t ye, int direction) {
    Canvas canvas;
    EXPECT_TRUE(canvas.Create(width, height));
    canvas.SelectPen(0xFFFFFF, 1);
    canvas.SetArcDirection(direction);
    canvas.MoveTo(3, 2);
    canvas.Arc(box.left, box.top, box.right, box.bottom, xs, ys, xe, ye);
    EXPECT_EQ(canvas.CurrentPosition().x, 3);
    EXPECT_EQ(canvas.CurrentPosition().y, 2);
    return Painted(canvas);
}

PixelSet FullEllipse(std::int32_t width, std::int32_t height, Box box) {
    return DrawArc(width, height, box, 0, 0, 0, 0, kArcClockwise);
}

// Points on the ideal outline: centred in the pixels the box spans.
std::vector<std::pair<double, double>> IdealOutline(Box box) {
    const double cx = (box.left + box.right - 1) / 2.0, cy = (box.top + box.bottom - 1) / 2.0;
    const double a = (box.right - box.left - 1) / 2.0, b = (box.bottom - box.top - 1) / 2.0;
    std::vector<std::pair<double, double>> points;
    const int count = static_cast<int>(40 * (a + b)) + 8;
    for (int i = 0; i < count; ++i) {
        const double angle = 2 * M_PI * i / count;
        points.emplace_back(cx + a * std::cos(angle), cy + b * std::sin(angle));
    }
    return points;
}

double Nearest(double x, double y, const PixelSet& pixels) {
    double best = 1e300;
    for (const auto& [px, py] : pixels) best = std::min(best, std::hypot(px - x, py - y));
    return best;
}

TEST(CanvasArcTest, FullEllipsesFollowTheIdealOutline) {
    const Box boxes[] = {{5, 5, 6, 6},    {5, 5, 7, 7},   {5, 5, 8, 9},   {5, 5, 7, 25},
                         {5, 5, 45, 8},   {5, 5, 45, 7},  {4, 6, 34, 36}, {3, 40, 64, 2},
                         {60, 3, 10, 60}, {2, 2, 63, 27}, {9, 1, 17, 62}};
    for (const Box& box : boxes) {
        SCOPED_TRACE(testing::Message()
                     << box.left << "," << box.top << " " << box.right << "," << box.bottom);
        const Box ordered{std::min(box.left, box.right), std::min(box.top, box.bottom),
                          std::max(box.left, box.right), std::max(box.top, box.bottom)};
        const PixelSet pixels = FullEllipse(70, 70, box);
        const auto ideal = IdealOutline(ordered);
        for (const auto& [x, y] : pixels) {
            EXPECT_GE(x, ordered.left);
            EXPECT_LT(x, ordered.right);
            EXPECT_GE(y, ordered.top);
            EXPECT_LT(y, ordered.bottom);
            double best = 1e300;
            for (const auto& [ix, iy] : ideal) best = std::min(best, std::hypot(ix - x, iy - y));
            EXPECT_LE(best, 1.0) << x << "," << y;
        }
        for (const auto& [ix, iy] : ideal)
            EXPECT_LE(Nearest(ix, iy, pixels), 1.0) << ix << "," << iy;
        EXPECT_TRUE(EightConnected(pixels));
        EXPECT_EQ(pixels, DrawArc(70, 70, box, 1, 2, 1, 2, kArcCounterClockwise));
    }
}

TEST(CanvasArcTest, DirectionChoosesTheSide) {
    // Rays through the left and right ends of a circle of radius ~500 around (1000, 1500).
    const Box box{500, 1000, 1500, 2000};
    const PixelSet upper = DrawArc(1600, 2100, box, 500, 1500, 1500, 1500, kArcClockwise);
    const PixelSet lower = DrawArc(1600, 2100, box, 500, 1500, 1500, 1500, kArcCounterClockwise);
    EXPECT_EQ(upper.count({1000, 1000}), 1u);
    EXPECT_EQ(lower.count({1000, 1999}), 1u);
    for (const auto& [x, y] : upper) EXPECT_LE(y, 1500) << x;
    for (const auto& [x, y] : lower) EXPECT_GE(y, 1499) << x;

    // A quarter from the +x ray to the +y ray: clockwise is the lower right
    // quadrant, counter-clockwise the other three; together the whole circle.
    const Box circle{10, 10, 51, 51};  // centre (30, 30)
    const PixelSet quarter = DrawArc(60, 60, circle, 45, 30, 30, 45, kArcClockwise);
    const PixelSet rest = DrawArc(60, 60, circle, 45, 30, 30, 45, kArcCounterClockwise);
    for (const auto& [x, y] : quarter) EXPECT_TRUE(x >= 30 && y >= 30) << x << "," << y;
    EXPECT_GT(quarter.size(), 25u);
    EXPECT_TRUE(EightConnected(quarter));
    EXPECT_TRUE(EightConnected(rest));
    PixelSet both = quarter;
    both.insert(rest.begin(), rest.end());
    EXPECT_EQ(both, FullEllipse(60, 60, circle));
    EXPECT_LE(quarter.size() + rest.size() - both.size(), 2u);  // only the pixels on the rays

    // Rays that coincide without equal points still mean the whole ellipse;
    // opposite rays do not.
    EXPECT_EQ(DrawArc(60, 60, circle, 50, 40, 34, 32, kArcClockwise), FullEllipse(60, 60, circle));
    EXPECT_LT(DrawArc(60, 60, circle, 50, 40, 10, 20, kArcClockwise).size(), both.size() * 2 / 3);
}

TEST(CanvasArcTest, ClippedArcsAreTheVisiblePartOfTheWholeArc) {
    const Box box{20, 35, 260, 190};
    for (const int direction : {kArcClockwise, kArcCounterClockwise}) {
        const PixelSet whole = DrawArc(300, 300, box, 300, 10, 25, 300, direction);
        for (const std::int32_t dx : {0, 17, 90, 150, 230}) {
            for (const std::int32_t dy : {0, 30, 77, 160}) {
                const PixelSet window =
                    DrawArc(64, 48, {box.left - dx, box.top - dy, box.right - dx, box.bottom - dy},
                            300 - dx, 10 - dy, 25 - dx, 300 - dy, direction);
                PixelSet expected;
                for (const auto& [x, y] : whole) {
                    if (x >= dx && x < dx + 64 && y >= dy && y < dy + 48)
                        expected.emplace(x - dx, y - dy);
                }
                EXPECT_EQ(window, expected) << dx << "," << dy << " direction " << direction;
            }
        }
    }
}

TEST(CanvasArcTest, HugeEllipsesOnlyTouchTheSurface) {
    constexpr std::int32_t k2To30 = 1 << 30;
    // A circle of radius 2^30 around the surface passes far outside it.
    EXPECT_TRUE(
        FullEllipse(200, 200, {100 - k2To30, 100 - k2To30, 101 + k2To30, 101 + k2To30}).empty());
    EXPECT_TRUE(FullEllipse(200, 200, {kMin, kMin, kMax, kMax}).empty());

    // Centre 2^30 to the left: its right edge runs down column 100.
    const PixelSet edge = DrawArc(200, 200, {kMin + 100, 100 - k2To30, 101, 101 + k2To30}, 200, -5,
                                  200, 205, kArcClockwise);
    const long double cx = 100.0L - k2To30;
    for (std::int64_t y = 0; y < 200; ++y) {
        const long double ideal = cx + std::sqrt(std::pow(static_cast<long double>(k2To30), 2) -
                                                 (y - 100.0L) * (y - 100.0L));
        EXPECT_TRUE(edge.count({static_cast<std::int64_t>(std::lround(ideal)), y}) == 1) << y;
    }
    for (const auto& [x, y] : edge) EXPECT_TRUE(x == 99 || x == 100) << x << "," << y;

    // Wide and flat: only the top and bottom rows reach the surface.
    PixelSet rows;
    for (std::int64_t x = 0; x < 50; ++x) rows.insert({{x, 0}, {x, 9}});
    EXPECT_EQ(FullEllipse(50, 20, {kMin, 0, kMax, 10}), rows);
}

TEST(CanvasArcTest, EmptyAndSinglePixelBoxes) {
    EXPECT_TRUE(FullEllipse(10, 10, {2, 2, 2, 8}).empty());
    EXPECT_TRUE(FullEllipse(10, 10, {2, 5, 8, 5}).empty());
    EXPECT_EQ(FullEllipse(10, 10, {4, 6, 3, 5}), (PixelSet{{3, 5}}));
    EXPECT_EQ(FullEllipse(10, 10, {2, 2, 4, 4}), (PixelSet{{2, 2}, {3, 2}, {2, 3}, {3, 3}}));
}

}  // namespace
