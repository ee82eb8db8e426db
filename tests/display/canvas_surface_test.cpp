#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <limits>
#include <tuple>

#include "tests/display/canvas_test_pixels.h"

namespace {

constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
constexpr Color kInk = 0x123456;
constexpr Color kWhite = 0xFFFFFF;

// Pixels in [left, right) x [top, bottom).
PixelSet Box(std::int64_t left, std::int64_t top, std::int64_t right, std::int64_t bottom) {
    PixelSet pixels;
    for (std::int64_t y = top; y < bottom; ++y) {
        for (std::int64_t x = left; x < right; ++x) pixels.emplace(x, y);
    }
    return pixels;
}

TEST(CanvasSurfaceTest, CreateChecksSizeAndStartsBlack) {
    Canvas canvas;
    canvas.SelectPen(kInk, 1);
    canvas.SetArcDirection(kArcClockwise);
    canvas.MoveTo(7, 8);
    ASSERT_TRUE(canvas.Create(910, 620));
    EXPECT_EQ(canvas.Stride(), 2732);
    EXPECT_EQ(canvas.Row(1) - canvas.Row(0), 2732);
    EXPECT_TRUE(Painted(canvas).empty());
    EXPECT_EQ(canvas.CurrentPosition().x, 0);
    EXPECT_EQ(canvas.CurrentPosition().y, 0);
    EXPECT_EQ(canvas.PenColor(), kInk);
    EXPECT_EQ(canvas.ArcDirection(), kArcClockwise);

    EXPECT_TRUE(canvas.Create(Canvas::kMaxSide, 1));
    for (const auto& [w, h] : {std::pair{0, 5},
                               {5, 0},
                               {-1, 5},
                               {kMin, kMin},
                               {Canvas::kMaxSide + 1, 1},
                               {Canvas::kMaxSide, Canvas::kMaxSide}}) {
        ASSERT_TRUE(canvas.Create(3, 3));
        EXPECT_FALSE(canvas.Create(w, h)) << w << " x " << h;
        EXPECT_FALSE(canvas.HasSurface());
        EXPECT_EQ(canvas.Width(), 0);
        EXPECT_EQ(canvas.Height(), 0);
    }
    // Without a surface nothing is drawn, but the current point still moves.
    canvas.FillSolidRect(0, 0, 5, 5, kInk);
    canvas.SetPixel(0, 0, kInk);
    canvas.Rectangle(0, 0, 5, 5);
    canvas.Arc(0, 0, 5, 5, 0, 0, 0, 0);
    canvas.LineTo(4, 4);
    EXPECT_EQ(canvas.CurrentPosition().x, 4);
    EXPECT_EQ(canvas.GetPixel(0, 0), 0u);
}

TEST(CanvasSurfaceTest, PixelsAreStoredBlueGreenRed) {
    Canvas canvas;
    ASSERT_TRUE(canvas.Create(5, 3));
    canvas.SetPixel(1, 2, 0x112233);
    const std::uint8_t* pixel = canvas.Row(2) + 3;
    EXPECT_EQ(pixel[0], 0x11);
    EXPECT_EQ(pixel[1], 0x22);
    EXPECT_EQ(pixel[2], 0x33);
    EXPECT_EQ(canvas.GetPixel(1, 2), 0x112233u);
    for (const auto& [x, y] : {std::pair{-1, 0}, {5, 0}, {0, -1}, {0, 3}, {kMin, kMax}}) {
        canvas.SetPixel(x, y, kInk);
        EXPECT_EQ(canvas.GetPixel(x, y), 0u);
    }
    EXPECT_EQ(Painted(canvas), (PixelSet{{1, 2}}));
}

TEST(CanvasSurfaceTest, FillSolidRectIsClippedHalfOpen) {
    struct Case {
        std::int32_t x, y, w, h;
        PixelSet expected;
    };
    const Case cases[] = {
        {1, 1, 3, 2, Box(1, 1, 4, 3)},
        {-5, -4, 7, 6, Box(0, 0, 2, 2)},
        {8, 6, 10, 10, Box(8, 6, 10, 8)},
        {-10, 3, kMax, 1, Box(0, 3, 10, 4)},
        {kMax, kMax, kMax, kMax, {}},  // the far corner overflows 32 bits
        {kMin, kMin, kMax, kMax, {}},  // ends at -1
        {kMin, 0, kMax, 1, {}},
        {2, 2, 0, 5, {}},
        {2, 2, 5, -1, {}},
        {10, 0, 1, 1, {}},
    };
    for (const Case& c : cases) {
        Canvas canvas;
        ASSERT_TRUE(canvas.Create(10, 8));
        canvas.FillSolidRect(c.x, c.y, c.w, c.h, kInk);
        EXPECT_EQ(Painted(canvas), c.expected) << c.x << "," << c.y << " " << c.w << "x" << c.h;
        for (const auto& [x, y] : c.expected) EXPECT_EQ(canvas.GetPixel(x, y), kInk);
    }
}

TEST(CanvasSurfaceTest, RectangleOrdersCornersAndExcludesRightAndBottom) {
    // The start-point marker: corners (48, 62) and (52, 58) outline x 48..51, y 58..61.
    const PixelSet outline = [] {
        PixelSet box = Box(48, 58, 52, 62);
        for (const auto& inside : Box(49, 59, 51, 61)) box.erase(inside);
        return box;
    }();
    for (const auto& [l, t, r, b] :
         {std::tuple{48, 62, 52, 58}, {52, 58, 48, 62}, {52, 62, 48, 58}, {48, 58, 52, 62}}) {
        Canvas canvas;
        ASSERT_TRUE(canvas.Create(60, 70));
        canvas.SelectPen(kInk, 1);
        canvas.MoveTo(3, 4);
        canvas.Rectangle(l, t, r, b);
        EXPECT_EQ(canvas.CurrentPosition().x, 3);
        EXPECT_EQ(canvas.CurrentPosition().y, 4);
        PixelSet ink;
        PixelSet white;
        for (const auto& [x, y] : Painted(canvas)) {
            const Color color =
                canvas.GetPixel(static_cast<std::int32_t>(x), static_cast<std::int32_t>(y));
            (color == kInk ? ink : white).emplace(x, y);
            EXPECT_TRUE(color == kInk || color == kWhite);
        }
        EXPECT_EQ(ink, outline);
        EXPECT_EQ(white, Box(49, 59, 51, 61));
    }
}

TEST(CanvasSurfaceTest, RectangleSmallHugeAndEmpty) {
    Canvas canvas;
    ASSERT_TRUE(canvas.Create(8, 8));
    canvas.SelectPen(kInk, 1);
    canvas.Rectangle(2, 1, 3, 4);  // one pixel wide: outline only
    EXPECT_EQ(Painted(canvas), Box(2, 1, 3, 4));
    canvas.Rectangle(5, 5, 5, 7);  // empty
    canvas.Rectangle(6, 6, 7, 6);
    EXPECT_EQ(Painted(canvas), Box(2, 1, 3, 4));

    // Corners far outside: only the white inside reaches the surface.
    canvas.Rectangle(kMin, kMin, kMax, kMax);
    EXPECT_EQ(Painted(canvas), Box(0, 0, 8, 8));
    EXPECT_EQ(canvas.GetPixel(2, 2), kWhite);
    // Corners straddling the surface: left and top edges visible, the rest clipped.
    ASSERT_TRUE(canvas.Create(8, 8));
    canvas.Rectangle(3, 4, 100, kMax);
    EXPECT_EQ(canvas.GetPixel(3, 7), kInk);
    EXPECT_EQ(canvas.GetPixel(7, 4), kInk);
    EXPECT_EQ(canvas.GetPixel(7, 7), kWhite);
    EXPECT_EQ(Painted(canvas), Box(3, 4, 8, 8));
}

}  // namespace

// The raster preview trusts Revision to tell whether anything was drawn since
// it plotted a row: every drawing operation that lands on the surface must
// advance it, and looking at the surface must not.
TEST(CanvasSurfaceTest, EveryDrawingOperationAdvancesTheRevision) {
    Canvas canvas;
    ASSERT_TRUE(canvas.Create(50, 40));
    const std::vector<std::function<void()>> draws = {
        [&] { canvas.SetPixel(3, 4, kInk); },
        [&] { canvas.FillSolidRect(1, 1, 5, 5, kInk); },
        [&] { canvas.LineTo(30, 20); },
        [&] { canvas.Rectangle(2, 2, 9, 9); },
        [&] { canvas.Arc(5, 5, 25, 25, 0, 0, 0, 0); },      // walked
        [&] { canvas.Arc(-5, -5, 60, 50, 0, 30, 30, 0); },  // partly off the surface
    };
    for (std::size_t i = 0; i < draws.size(); ++i) {
        const std::uint64_t before = canvas.Revision();
        draws[i]();
        EXPECT_GT(canvas.Revision(), before) << "operation " << i;
    }
    const std::uint64_t seen = canvas.Revision();
    canvas.MoveTo(1, 1);
    canvas.SelectPen(kWhite, 1);
    canvas.SetArcDirection(kArcClockwise);
    static_cast<void>(canvas.GetPixel(3, 4));
    EXPECT_EQ(canvas.Revision(), seen);
}
