// Vector cutting: positions on the canvas, displacement, colours and the pen
// each colour mode leaves behind, markers, travel lines, arcs and the
// process display.
#include <gtest/gtest.h>

#include <limits>
#include <vector>

#include "tests/display/display_harness.h"

namespace {

using Columns = std::vector<std::int32_t>;

constexpr Color kMarkerGrey = 0x323232;

CanvasPoint CurrentPoint(const DisplayHarness& h) {
    return h.display.GetCanvas().CurrentPosition();
}

std::vector<std::int32_t> Corners(const CanvasRect& r) {
    return {r.left, r.top, r.right, r.bottom};
}

bool AnyPixelNear(const DisplayHarness& h, std::int32_t x, std::int32_t y, Color color) {
    for (std::int32_t dy = -1; dy <= 1; ++dy) {
        for (std::int32_t dx = -1; dx <= 1; ++dx) {
            if (h.Pixel(x + dx, y + dy) == color) return true;
        }
    }
    return false;
}

TEST(VectorMappingTest, DefaultModelPositions) {
    DisplayHarness h;  // bed 39370 x 23622 dots, scale 910 / 39370
    struct Case {
        std::int32_t x, y, canvasX, canvasY;
    };
    const std::vector<Case> cases = {
        {0, 23622, 0, 0},     {0, 0, 0, 546},    {39369, 0, 909, 546},
        {39370, 0, 910, 546}, {43, 23622, 0, 0}, {44, 23622, 1, 0},
    };
    for (const Case& c : cases) {
        JobWriter job;
        job.Magic().MoveAbsolute(c.x, c.y);
        h.Run(job);
        EXPECT_EQ(CurrentPoint(h).x, c.canvasX) << c.x;
        EXPECT_EQ(CurrentPoint(h).y, c.canvasY) << c.y;
    }
}

TEST(VectorMappingTest, HalfScaleTruncatesTowardZero) {
    // 10 x 10 mm at 254 dpi is 100 x 100 dots on a 50 x 50 canvas: scale 0.5.
    DisplayHarness h(50, 50, MakeModel(10, 10, 254));
    ASSERT_EQ(h.display.GetScale(), 0.5f);
    JobWriter job;
    job.Magic().MoveAbsolute(3, 10);
    h.Run(job);
    EXPECT_EQ(CurrentPoint(h).x, 1);
    EXPECT_EQ(CurrentPoint(h).y, 45);
    JobWriter negative;
    negative.Magic().MoveAbsolute(-3, 10);
    h.Run(negative);
    EXPECT_EQ(CurrentPoint(h).x, -1);
    EXPECT_EQ(CurrentPoint(h).y, 45);
}

// A 400 x 400 dot bed at one pixel per dot: canvas (x, 400 - y).
class VectorTest : public ::testing::Test {
protected:
    DisplayHarness h{400, 400, UnitScaleModel(400, 400)};
};

TEST_F(VectorTest, DisplacementAppliesToAbsoluteMovesOnly) {
    h.display.SetOffset(10, -20);
    JobWriter job;
    job.Magic().MoveAbsolute(100, 200).LineRelative(5, 5);
    h.Run(job);
    EXPECT_EQ(CurrentPoint(h).x, 115);
    EXPECT_EQ(CurrentPoint(h).y, 400 - 185);
}

TEST_F(VectorTest, LinesAreExactAndLeaveTheirEndPixel) {
    JobWriter job;
    job.Magic().MoveAbsolute(10, 300).LineRelative(20, 0).LineRelative(0, -5);
    h.Run(job);
    Columns expected;
    for (std::int32_t x = 10; x <= 30; ++x) expected.push_back(x);
    EXPECT_EQ(h.ColumnsOf(100, kBlack), expected);  // 10..29, then (30, 100) starts the next
    for (std::int32_t y = 101; y <= 104; ++y) EXPECT_EQ(h.Pixel(30, y), kBlack) << y;
    EXPECT_EQ(h.Pixel(30, 105), kWhite);
}

TEST_F(VectorTest, VectorDisplayOffChangesNothingButEndSpeedStillSwitchesThePen) {
    h.display.SetDisplayMode(1);
    h.display.SetColorMode(2);
    JobWriter job;
    job.Magic().MoveAbsolute(10, 300).LineRelative(20, 0).ArcB(0, 0, 5, 0).VectorJ();
    h.Run(job);
    EXPECT_EQ(CurrentPoint(h).x, 0);
    EXPECT_EQ(CurrentPoint(h).y, 0);
    EXPECT_TRUE(h.ColumnsOf(100, kBlack).empty());
    EXPECT_EQ(h.display.GetCanvas().PenColor(), kRed);
}

// One horizontal segment per command kind, each on its own canvas row.
JobWriter SegmentsJob(std::uint8_t pen) {
    JobWriter job;
    job.Magic().Pen(pen);
    job.MoveAbsolute(10, 300).LineRelative(20, 0);            // row 100
    job.VectorJ().MoveAbsolute(10, 290).LineRelative(20, 0);  // row 110
    job.VectorF().MoveAbsolute(10, 280).LineRelative(20, 0);  // row 120
    return job;
}

TEST_F(VectorTest, ColoursPerModeAndThePenLeftBehind) {
    struct Case {
        int mode;
        Color line, afterJ, afterF;
    };
    const std::vector<Case> cases = {
        {0, kYellow, kYellow, kYellow},  // File: the layer pen of ESC 'N' 3
        {1, kBlack, kBlack, kBlack},     // Type: every 'R' black
        {2, kBlack, kRed, kBlack},       // End Speed: 'J' red, 'F' black
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        h.display.SetColorMode(c.mode);
        h.Run(SegmentsJob(3));
        EXPECT_EQ(h.Pixel(20, 100), c.line);
        EXPECT_EQ(h.Pixel(20, 110), c.afterJ);
        EXPECT_EQ(h.Pixel(20, 120), c.afterF);
    }
    // An out-of-range mode is ignored: End Speed stays in force.
    h.display.SetColorMode(3);
    h.display.SetColorMode(-1);
    h.Run(SegmentsJob(3));
    EXPECT_EQ(h.Pixel(20, 110), kRed);
}

TEST_F(VectorTest, ArcColoursInTypeMode) {
    h.display.SetColorMode(1);
    JobWriter job;
    job.Magic().Pen(2);
    job.MoveAbsolute(100, 300).ArcB(0, 0, 20, 0);  // full circle around (120, 300)
    job.MoveAbsolute(200, 300).ArcC(0, 0, 20, 0);  // full circle around (220, 300)
    h.Run(job);
    EXPECT_TRUE(AnyPixelNear(h, 140, 100, kRed));
    EXPECT_TRUE(AnyPixelNear(h, 240, 100, kGreen));
    EXPECT_EQ(h.display.GetCanvas().PenColor(), kGreen);
}

TEST_F(VectorTest, PenAfterTravelLinesAndMarkers) {
    struct Case {
        int mode;
        int cutPath;
        int startPoint;
        std::uint8_t pen;
        Color expected;
    };
    const std::vector<Case> cases = {
        {0, 1, 0, 0, kBlack},                            // File: the layer pen comes back
        {0, 0, 1, 2, kGreen},      {0, 1, 0, 8, kGrey},  // pen 8 restores nothing
        {1, 1, 0, 2, kGrey},                             // Type and End Speed leave the grey pens
        {2, 0, 1, 2, kMarkerGrey},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.mode << c.cutPath << c.startPoint << int{c.pen});
        h.display.SetColorMode(c.mode);
        h.display.SetShowCutPath(c.cutPath);
        h.display.SetShowStartPoint(c.startPoint);
        JobWriter job;
        job.Magic().Pen(c.pen).MoveAbsolute(50, 50);
        h.Run(job);
        EXPECT_EQ(h.display.GetCanvas().PenColor(), c.expected);
    }
}

TEST_F(VectorTest, MarkerAndTravelLinePixels) {
    h.display.SetShowStartPoint(1);
    h.display.SetShowCutPath(1);
    JobWriter job;
    job.Magic().EscV();         // the travel line starts at the canvas corner
    job.MoveAbsolute(50, 340);  // canvas (50, 60): marker (48, 58) to (51, 61)
    job.MoveAbsolute(80, 340);  // grey line along row 60
    h.Run(job);
    for (std::int32_t x = 48; x <= 51; ++x) {
        EXPECT_EQ(h.Pixel(x, 58), kMarkerGrey) << x;
        EXPECT_EQ(h.Pixel(x, 62), kWhite) << x;  // bottom edge excluded
    }
    EXPECT_EQ(h.Pixel(52, 58), kWhite);  // right edge excluded
    EXPECT_EQ(h.Pixel(48, 61), kMarkerGrey);
    EXPECT_EQ(h.Pixel(65, 60), kGrey);
    EXPECT_EQ(h.Pixel(78, 60), kMarkerGrey);  // second marker's left edge
    EXPECT_EQ(h.Pixel(80, 60), kWhite);       // its inside, filled white
    EXPECT_EQ(h.Pixel(25, 30), kGrey);        // first travel line from (0, 0)
}

TEST(VectorArcTest, HalvesByDirectionAtHalfScale) {
    // 400 x 400 mm at 254 dpi: 4000 x 4000 dots on 2000 x 2000 pixels.
    DisplayHarness h(2000, 2000, MakeModel(400, 400, 254));
    ASSERT_EQ(h.display.GetScale(), 0.5f);
    h.display.SetColorMode(1);
    JobWriter b;
    b.Magic().MoveAbsolute(1000, 1000).ArcB(2000, 0, 1000, 0);
    h.Run(b);
    EXPECT_TRUE(AnyPixelNear(h, 1000, 1000, kRed));
    EXPECT_FALSE(AnyPixelNear(h, 1000, 2000, kRed));
    EXPECT_EQ(CurrentPoint(h).x, 1500);
    EXPECT_EQ(CurrentPoint(h).y, 1500);

    // Machine position moved to the end: a following 'R' starts there.
    JobWriter c;
    c.Magic().MoveAbsolute(1000, 1000).ArcC(2000, 0, 1000, 0).LineRelative(200, 0);
    h.Run(c);
    EXPECT_TRUE(AnyPixelNear(h, 1000, 2000, kGreen));
    EXPECT_FALSE(AnyPixelNear(h, 1000, 1000, kGreen));
    EXPECT_EQ(CurrentPoint(h).x, 1600);
    EXPECT_EQ(CurrentPoint(h).y, 1500);
}

TEST_F(VectorTest, ArcSquareSideIsTwiceTheTruncatedRadius) {
    // Centre offset (4, 4): radius 5.66, truncated to 5, where rounding
    // would give 6. The full circle around canvas (104, 296) fills its
    // square of side 10 with the right and bottom edges left out, as every
    // canvas shape does: columns 99 to 108, rows 291 to 300.
    h.display.SetColorMode(1);
    JobWriter job;
    job.Magic().MoveAbsolute(100, 100).ArcC(0, 0, 4, 4);
    h.Run(job);
    std::int32_t left = 400, right = -1, top = 400, bottom = -1;
    for (std::int32_t y = 280; y < 320; ++y) {
        for (std::int32_t x = 90; x < 120; ++x) {
            if (h.Pixel(x, y) != kGreen) continue;
            left = std::min(left, x);
            right = std::max(right, x);
            top = std::min(top, y);
            bottom = std::max(bottom, y);
        }
    }
    EXPECT_EQ(left, 99);
    EXPECT_EQ(right, 108);
    EXPECT_EQ(top, 291);
    EXPECT_EQ(bottom, 300);
}

TEST_F(VectorTest, ProcessDisplayPresents) {
    h.display.SetShowCutProcess(1);
    h.display.SetCutDelay(7);
    JobWriter job;
    job.Magic().MoveAbsolute(10, 380).LineRelative(-6, 0).ArcB(0, 0, 5, 0);
    h.Run(job);
    // Without "Show PR" the 'R' presents nothing; 'A' and the arc the whole canvas.
    ASSERT_EQ(h.screen.presents.size(), 2u);
    EXPECT_EQ(Corners(h.screen.presents[0]), (std::vector<std::int32_t>{0, 0, 399, 399}));
    EXPECT_EQ(Corners(h.screen.presents[1]), (std::vector<std::int32_t>{0, 0, 399, 399}));
    EXPECT_EQ(h.screen.pauses, (std::vector<std::uint32_t>{7, 7}));

    h.display.SetShowPR(1);
    h.display.SetCutDelay(-1);
    h.Run(job);
    ASSERT_EQ(h.screen.presents.size(), 3u);
    EXPECT_EQ(Corners(h.screen.presents[1]), (std::vector<std::int32_t>{4, 20, 10, 20}));
    EXPECT_EQ(h.screen.pauses, (std::vector<std::uint32_t>{0, 0, 0}));
}

TEST_F(VectorTest, ExtremeCoordinatesAreSafe) {
    constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
    constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
    h.display.SetShowCutPath(1);
    h.display.SetShowStartPoint(1);
    h.display.SetShowCutProcess(1);
    h.display.SetShowPR(1);
    h.display.SetOffset(kMax, kMin);
    JobWriter job;
    job.Magic().MoveAbsolute(kMax, kMin);
    for (int i = 0; i < 4; ++i) job.LineRelative(kMax, kMax).ArcB(kMin, kMin, kMin, kMin);
    job.ArcC(kMax, kMin, kMax, kMax).MoveAbsolute(kMin, kMax).LineRelative(kMin, kMin);
    job.Trailer();
    h.Run(job);
    EXPECT_EQ(h.display.GetErrorFlags(), 0u);  // every command passed over at its length
    // A job cut short anywhere must not be read past its end.
    const auto& bytes = job.Bytes();
    for (std::size_t size = 3; size < bytes.size(); ++size) {
        h.Run(std::vector<std::uint8_t>(bytes.begin(),
                                        bytes.begin() + static_cast<std::ptrdiff_t>(size)));
    }

    // Lines from one end of the coordinate range to the other cross the
    // whole canvas: clipping loses no pixel however far away they start.
    h.display.SetShowCutPath(0);
    h.display.SetShowStartPoint(0);
    h.display.SetOffset(0, 0);
    JobWriter across;
    across.Magic().MoveAbsolute(kMin, 200).LineRelative(kMax, 0).LineRelative(kMax, 0);
    across.MoveAbsolute(150, kMin).LineRelative(0, kMax).LineRelative(0, kMax);
    h.Run(across);
    EXPECT_EQ(h.ColumnsOf(200, kBlack).size(), 400u);
    for (std::int32_t y = 0; y < 400; ++y) ASSERT_EQ(h.Pixel(150, y), kBlack) << y;
    EXPECT_EQ(h.ColumnsOf(199, kBlack), (Columns{150}));
}

}  // namespace
