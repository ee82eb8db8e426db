// The two stepping arc routines against the square-root one they replace,
// pixel for pixel.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "display/canvas_arc.h"
#include "tests/display/reference_arc.h"

namespace {

using canvas_detail::DrawArcClipped;
using canvas_detail::DrawArcWalk;
using canvas_detail::EllipseOutline;
using canvas_detail::Sweep;
using canvas_detail::Vec;

struct ArcCase {
    std::int64_t left, top, right, bottom;  // ordered, right > left, bottom > top
    std::int64_t xStart, yStart, xEnd, yEnd;
    bool clockwise;
};

struct Drawn {
    bool walked = false;
    bool same = false;
};

Canvas BlankCanvas(std::int32_t width, std::int32_t height) {
    Canvas canvas;
    EXPECT_TRUE(canvas.Create(width, height));
    canvas.SelectPen(0x123456, 1);
    return canvas;
}

// Two blank surfaces of one size: the arc is drawn on each, one way each,
// the bytes compared, and the box cleared again.
class ArcPair {
public:
    ArcPair(std::int32_t width, std::int32_t height)
        : m_exact(BlankCanvas(width, height)), m_walk(BlankCanvas(width, height)) {}

    Drawn Draw(const ArcCase& arc) {
        const EllipseOutline outline(arc.left, arc.top, arc.right, arc.bottom);
        const Vec c2 = outline.Center2();
        const Sweep sweep(Vec{2 * arc.xStart - c2.x, 2 * arc.yStart - c2.y},
                          Vec{2 * arc.xEnd - c2.x, 2 * arc.yEnd - c2.y}, arc.clockwise);
        reference_arc::DrawArc(m_exact, outline, sweep);
        Drawn drawn;
        drawn.walked = DrawArcWalk(m_walk, outline, sweep);
        if (!drawn.walked) DrawArcClipped(m_walk, outline, sweep);
        const std::size_t bytes = static_cast<std::size_t>(m_exact.Stride()) * m_exact.Height();
        drawn.same = std::memcmp(m_exact.Row(0), m_walk.Row(0), bytes) == 0;
        // Clears the box where it meets the surface.
        const auto clamp = [](std::int64_t v, std::int32_t high) {
            return static_cast<std::int32_t>(std::clamp<std::int64_t>(v, 0, high));
        };
        const std::int32_t x0 = clamp(arc.left, m_exact.Width());
        const std::int32_t y0 = clamp(arc.top, m_exact.Height());
        for (Canvas* canvas : {&m_exact, &m_walk}) {
            canvas->FillSolidRect(x0, y0, clamp(arc.right, m_exact.Width()) - x0,
                                  clamp(arc.bottom, m_exact.Height()) - y0, 0);
        }
        return drawn;
    }

private:
    Canvas m_exact;
    Canvas m_walk;
};

std::string Describe(const ArcCase& a) {
    std::ostringstream out;
    out << "box " << a.left << "," << a.top << " " << a.right << "," << a.bottom << " rays "
        << a.xStart << "," << a.yStart << " " << a.xEnd << "," << a.yEnd
        << (a.clockwise ? " cw" : " ccw");
    return out.str();
}

// Random boxes of every shape inside a surface, with rays through random
// points, through outline pixels (so rays fall exactly on pixels), through
// the centre and along the axes.
ArcCase RandomArc(std::mt19937_64& random, std::int64_t side, std::int64_t maxSize) {
    const auto pick = [&](std::int64_t low, std::int64_t high) {
        return std::uniform_int_distribution<std::int64_t>(low, high)(random);
    };
    ArcCase a{};
    const std::int64_t w = pick(1, maxSize);
    // A quarter of them nearly circles.
    const std::int64_t h =
        std::max<std::int64_t>(1, pick(0, 3) == 0 ? w + pick(-2, 2) : pick(1, maxSize));
    a.left = pick(0, side - 1);
    a.top = pick(0, side - 1);
    a.right = a.left + w;
    a.bottom = a.top + h;
    const std::int64_t cx = (a.left + a.right - 1) / 2;
    const std::int64_t cy = (a.top + a.bottom - 1) / 2;
    const auto ray = [&](std::int64_t& x, std::int64_t& y) {
        switch (pick(0, 4)) {
            case 0:  // a point on the box edge, where outline pixels are
                x = pick(0, 1) != 0 ? pick(a.left, a.right - 1)
                                    : (pick(0, 1) ? a.left : a.right - 1);
                y = pick(0, 1) != 0 ? (pick(0, 1) ? a.top : a.bottom - 1)
                                    : pick(a.top, a.bottom - 1);
                break;
            case 1:  // the centre, or along an axis
                x = cx + (pick(0, 1) ? 0 : pick(-w, w));
                y = cy + (x == cx ? pick(-h, h) : 0);
                break;
            case 2:  // far away
                x = pick(-2000000000, 2000000000);
                y = pick(-2000000000, 2000000000);
                break;
            default:
                x = pick(a.left - 3, a.right + 3);
                y = pick(a.top - 3, a.bottom + 3);
                break;
        }
    };
    ray(a.xStart, a.yStart);
    ray(a.xEnd, a.yEnd);
    a.clockwise = pick(0, 1) != 0;
    return a;
}

// Draws `count` random arcs both ways, failing at the first difference;
// returns how many the walk drew itself.
int CompareRandomArcs(std::uint64_t seed, ArcPair& pair, std::int64_t side, std::int64_t maxSize,
                      int count) {
    std::mt19937_64 random(seed);
    int walked = 0;
    for (int i = 0; i < count; ++i) {
        const ArcCase arc = RandomArc(random, side, maxSize);
        const Drawn drawn = pair.Draw(arc);
        EXPECT_TRUE(drawn.same) << Describe(arc);
        if (!drawn.same) break;
        walked += drawn.walked ? 1 : 0;
    }
    return walked;
}

TEST(CanvasArcWalkTest, SmallArcsMatchTheExactRoutine) {
    // Boxes up to 80 on a 90 surface: most lie inside and are walked.
    ArcPair pair(90, 90);
    EXPECT_GT(CompareRandomArcs(20240611, pair, 40, 40, 30000), 15000);
}

TEST(CanvasArcWalkTest, LargeAndFlatArcsMatchTheExactRoutine) {
    ArcPair pair(1500, 1500);
    EXPECT_GT(CompareRandomArcs(77, pair, 10, 1490, 300), 150);
    // Very flat boxes, whose tips step past the axis.
    for (const std::int64_t w : {2, 3, 50, 51, 999, 1480}) {
        for (const std::int64_t h : {1, 2, 3, 4, 7}) {
            for (const bool clockwise : {true, false}) {
                const ArcCase wide{5, 9, 5 + w, 9 + h, 5 + w, 9, 5, 9 + h, clockwise};
                const ArcCase tall{9, 5, 9 + h, 5 + w, 9, 5, 9 + h, 5 + w / 3, clockwise};
                EXPECT_TRUE(pair.Draw(wide).same) << Describe(wide);
                EXPECT_TRUE(pair.Draw(tall).same) << Describe(tall);
            }
        }
    }
}

TEST(CanvasArcWalkTest, RaysThroughOutlinePixels) {
    // Rays that pass exactly through outline pixels decide those pixels on
    // the boundary of the sweep; flat boxes have tips that step past the axis.
    const std::int64_t boxes[][4] = {{2, 2, 9, 9},   {2, 2, 10, 9}, {3, 4, 40, 6}, {3, 4, 41, 7},
                                     {4, 3, 6, 40},  {4, 3, 7, 33}, {1, 1, 60, 4}, {1, 1, 61, 5},
                                     {5, 5, 30, 22}, {1, 1, 2, 3},  {1, 1, 3, 2}};
    ArcPair pair(70, 70);
    Canvas full = BlankCanvas(70, 70);
    for (const auto& box : boxes) {
        full = BlankCanvas(70, 70);
        full.Arc(static_cast<std::int32_t>(box[0]), static_cast<std::int32_t>(box[1]),
                 static_cast<std::int32_t>(box[2]), static_cast<std::int32_t>(box[3]), 0, 0, 0, 0);
        std::vector<std::pair<std::int64_t, std::int64_t>> outline;
        for (std::int32_t y = 0; y < 70; ++y) {
            for (std::int32_t x = 0; x < 70; ++x) {
                if (full.GetPixel(x, y) != 0) outline.emplace_back(x, y);
            }
        }
        ASSERT_FALSE(outline.empty());
        for (std::size_t i = 0; i < outline.size(); ++i) {
            for (std::size_t j = i % 3; j < outline.size(); j += 3) {
                for (const bool clockwise : {true, false}) {
                    const ArcCase arc{box[0],           box[1],
                                      box[2],           box[3],
                                      outline[i].first, outline[i].second,
                                      outline[j].first, outline[j].second,
                                      clockwise};
                    ASSERT_TRUE(pair.Draw(arc).same) << Describe(arc);
                }
            }
        }
    }
}

TEST(CanvasArcWalkTest, RefusesWhatItCannotWalkExactly) {
    Canvas canvas = BlankCanvas(100, 100);
    const auto refuses = [&](std::int64_t l, std::int64_t t, std::int64_t r, std::int64_t b) {
        const EllipseOutline outline(l, t, r, b);
        const Sweep sweep(Vec{1, 0}, Vec{1, 0}, true);
        return !DrawArcWalk(canvas, outline, sweep);
    };
    EXPECT_TRUE(refuses(-1, 10, 20, 30));   // crosses the left edge
    EXPECT_TRUE(refuses(10, 10, 101, 30));  // one column past the right edge
    EXPECT_TRUE(refuses(10, 10, 11, 30));   // one pixel wide: zero radius
    EXPECT_FALSE(refuses(0, 0, 100, 100));
    Canvas blank = BlankCanvas(100, 100);
    // Refusing leaves the canvas alone; the whole-surface circle was drawn.
    EXPECT_NE(std::memcmp(canvas.Row(0), blank.Row(0), canvas.Stride() * 100), 0);
    canvas = BlankCanvas(100, 100);
    refuses(-5, -5, 300, 300);
    EXPECT_EQ(std::memcmp(canvas.Row(0), blank.Row(0), canvas.Stride() * 100), 0);

    // A circle filling the largest surface is still walked; its rounding margin holds.
    Canvas big = BlankCanvas(16384, 4);
    const EllipseOutline wide(0, 0, 16384, 4);
    EXPECT_TRUE(DrawArcWalk(big, wide, Sweep(Vec{1, 0}, Vec{1, 0}, true)));
}

// Outlines anywhere: partly or wholly off the surface, just larger than it,
// with radii up to the 32-bit limits, on surfaces of many sizes.
TEST(CanvasArcWalkTest, ClippedAndHugeArcsMatchTheSquareRootRoutine) {
    std::mt19937_64 random(2112);
    const auto pick = [&](std::int64_t low, std::int64_t high) {
        return std::uniform_int_distribution<std::int64_t>(low, high)(random);
    };
    constexpr std::int64_t kLimit = 2147483647;
    for (int round = 0; round < 60; ++round) {
        const std::int32_t width = static_cast<std::int32_t>(round == 0 ? 910 : pick(1, 300));
        const std::int32_t height = static_cast<std::int32_t>(round == 0 ? 620 : pick(1, 300));
        ArcPair pair(width, height);
        for (int i = 0; i < 400; ++i) {
            ArcCase arc{};
            std::int64_t cx = 0;
            std::int64_t cy = 0;
            std::int64_t a = 0;
            std::int64_t b = 0;
            switch (pick(0, 4)) {
                case 0:  // the whole surface and a pixel or two more
                    cx = (width - 1) / 2 + pick(-1, 1);
                    cy = (height - 1) / 2 + pick(-1, 1);
                    a = (width + pick(0, 3)) / 2;
                    b = pick(0, 1) != 0 ? a : (height + pick(0, 3)) / 2;
                    break;
                case 1:  // around the surface, any size
                    cx = pick(-2 * width, 3 * width);
                    cy = pick(-2 * height, 3 * height);
                    a = pick(0, 4 * (width + height));
                    b = pick(0, 1) != 0 ? a : pick(0, 4 * (width + height));
                    break;
                case 2: {
                    // Huge circles through a pixel column where the ideal
                    // outline passes exactly between two pixels (from the
                    // triple (2mn, m^2 - n^2, m^2 + n^2), doubled units), so
                    // that rounding decides the pixel.
                    // An odd radius needs an even n and an odd m; then the
                    // even leg is the major offset and the odd one the minor.
                    const std::int64_t n = 2 * pick(1 << 11, 1 << 13);
                    const std::int64_t m = 2 * n + 2 * pick(0, n / 2) + 1;
                    const std::int64_t r2 = m * m + n * n;
                    const std::int64_t major = 2 * m * n;
                    const std::int64_t minor = m * m - n * n;
                    const std::int64_t px = pick(0, width - 1);
                    const std::int64_t py = pick(0, height - 1);
                    const std::int64_t sMajor = pick(0, 1) != 0 ? 1 : -1;
                    const std::int64_t sMinor = pick(0, 1) != 0 ? 1 : -1;
                    const bool xMajor = pick(0, 1) != 0;
                    const std::int64_t c2x =
                        xMajor ? 2 * px - sMajor * major : 2 * px + 1 - sMinor * minor;
                    const std::int64_t c2y =
                        xMajor ? 2 * py + 1 - sMinor * minor : 2 * py - sMajor * major;
                    cx = 0;
                    cy = 0;
                    arc.left = (c2x - r2 + 1) / 2;
                    arc.top = (c2y - r2 + 1) / 2;
                    arc.right = arc.left + r2 + 1;
                    arc.bottom = arc.top + r2 + 1;
                    a = -1;
                    break;
                }
                default: {  // huge, through a point near the surface
                    a = pick(1, kLimit / 2);
                    b = pick(0, 2) == 0 ? a : pick(1, kLimit / 2);
                    const double angle = std::uniform_real_distribution<double>(0, 6.3)(random);
                    cx = pick(-2, width + 2) - static_cast<std::int64_t>(a * std::cos(angle));
                    cy = pick(-2, height + 2) - static_cast<std::int64_t>(b * std::sin(angle));
                    break;
                }
            }
            const auto inRange = [&](std::int64_t v) {
                return std::clamp<std::int64_t>(v, -kLimit - 1, kLimit);
            };
            if (a >= 0) {
                arc.left = inRange(cx - a);
                arc.right = inRange(cx + a + pick(0, 1));
                arc.top = inRange(cy - b);
                arc.bottom = inRange(cy + b + pick(0, 1));
            }
            if (arc.right <= arc.left || arc.bottom <= arc.top) continue;
            const auto ray = [&](std::int64_t& x, std::int64_t& y) {
                const bool far = pick(0, 3) == 0;
                x = far ? pick(-kLimit, kLimit) : pick(-3, width + 3);
                y = far ? pick(-kLimit, kLimit) : pick(-3, height + 3);
            };
            ray(arc.xStart, arc.yStart);
            if (pick(0, 2) == 0) {
                arc.xEnd = arc.xStart;
                arc.yEnd = arc.yStart;
            } else {
                ray(arc.xEnd, arc.yEnd);
            }
            arc.clockwise = pick(0, 1) != 0;
            ASSERT_TRUE(pair.Draw(arc).same) << width << "x" << height << " " << Describe(arc);
        }
    }
}

}  // namespace
