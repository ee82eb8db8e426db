// Job extents: where dots, cuts and travel lie, per-layer totals, and how far
// a job reaches past each edge of a bed.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <numbers>
#include <vector>

#include "display/job_extents.h"
#include "tests/support/job_writer.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// Parses from an exactly sized heap copy, so a read past the job shows up
// under ASan.
JobExtents Measure(const JobWriter& job, std::int32_t offsetX = 0, std::int32_t offsetY = 0) {
    const Bytes& bytes = job.Bytes();
    auto copy = std::make_unique<std::uint8_t[]>(bytes.size() + 1);
    std::memcpy(copy.get(), bytes.data(), bytes.size());
    CJobExtents probe;
    probe.SetOffset(offsetX, offsetY);
    probe.Attach(copy.get(), static_cast<std::uint32_t>(bytes.size()));
    probe.Parse();
    return probe.GetExtents();
}

DotBox Box(std::int64_t left, std::int64_t bottom, std::int64_t right, std::int64_t top) {
    return DotBox{false, left, bottom, right, top};
}

TEST(JobExtentsTest, RasterDotsAreTheSetPixelsOfEachLine) {
    JobWriter job;
    // Mode 0, step 1: 0x00 0x18 0x01 sets pixels 11, 12 and 23 of a '0' line.
    const Bytes bits = {0x00, 0x18, 0x01};
    job.Magic().DotStep(1).BitMode(0).Raster('0', 100, 50, bits);
    // A '1' line runs to smaller x: with step 2, pixel 0 at 300 and pixel 7 at 286.
    const Bytes low = {0x81};
    job.DotStep(2).Raster('1', 300, 60, low);
    job.Trailer();
    const JobExtents e = Measure(job);
    EXPECT_EQ(e.dots, Box(111, 50, 300, 60));
    EXPECT_EQ(e.layers[0].dots, 5u);
    EXPECT_TRUE(e.cuts.empty);
    EXPECT_TRUE(e.travel.empty);
}

TEST(JobExtentsTest, PixelFormatsAndRunsCountLikeThePreview) {
    // Mode 1: nibbles, a non-zero one is a dot. Mode 2: non-zero bytes.
    // Mode 3 carries no pixels. A long run decodes through the repeat codes.
    JobWriter job;
    const Bytes nibbles = {0x0F, 0x00, 0xF0};  // pixels 1 and 4
    const Bytes grey(300, 0x40);               // 300 dots of one run
    const Bytes ignored = {0xFF};
    job.Magic().DotStep(1).BitMode(1).Raster('0', 0, 10, nibbles);
    job.BitMode(2).Raster('0', 1000, 11, grey);
    job.BitMode(3).Raster('0', 5000, 12, ignored);
    const JobExtents e = Measure(job);
    EXPECT_EQ(e.dots, Box(1, 10, 1299, 11));
    EXPECT_EQ(e.layers[0].dots, 2u + 300u);
}

TEST(JobExtentsTest, DotStepZeroPutsEveryPixelOnTheFirstDot) {
    JobWriter job;
    const Bytes bits = {0xFF, 0xFF};
    job.Magic().Raster('0', 40, 7, bits);  // no ESC 'D': step 0
    const JobExtents e = Measure(job);
    EXPECT_EQ(e.dots, Box(40, 7, 40, 7));
    EXPECT_EQ(e.layers[0].dots, 16u);
}

TEST(JobExtentsTest, LinesOffTheBedAreMeasuredWhereTheyAre) {
    // The preview would clip the first at the bed's right edge and drop the
    // pixels of the second left of dot 0; the extents keep both.
    JobWriter job;
    const Bytes bits = {0xFF, 0xFF, 0xFF};
    job.Magic().DotStep(1).Raster('0', 39360, 100, bits).Raster('1', 10, 23700, bits);
    const JobExtents e = Measure(job);
    EXPECT_EQ(e.dots, Box(10 - 23, 100, 39360 + 23, 23700));
    const BedFit fit = FitOnBed(e, 39370, 23622);
    EXPECT_FALSE(fit.Fits());
    EXPECT_EQ(fit.dots.right, 39383 - 39369);
    EXPECT_EQ(fit.dots.left, 13);
    EXPECT_EQ(fit.dots.top, 23700 - 23622);
    EXPECT_EQ(fit.dots.bottom, 0);
}

TEST(JobExtentsTest, DisplacementMovesRasterAndAbsoluteMovesOnly) {
    JobWriter job;
    const Bytes bits = {0x80};
    job.Magic().DotStep(1).Raster('0', 10, 20, bits);
    job.MoveAbsolute(100, 200).LineRelative(50, -30);
    const JobExtents e = Measure(job, 1000, -5);
    EXPECT_EQ(e.dots, Box(1010, 15, 1010, 15));
    EXPECT_EQ(e.travel, Box(1100, 195, 1100, 195));
    EXPECT_EQ(e.cuts, Box(1100, 165, 1150, 195));
}

TEST(JobExtentsTest, TravelRunsFromWhereTheHeadWas) {
    // The first move starts from nowhere the job chose; later ones start at
    // the end of the cut before them.
    JobWriter job;
    job.Magic().MoveAbsolute(500, 500).LineRelative(-600, 0).MoveAbsolute(700, 800);
    const JobExtents e = Measure(job);
    EXPECT_EQ(e.travel, Box(-100, 500, 700, 800));
    EXPECT_EQ(e.cuts, Box(-100, 500, 500, 500));
    EXPECT_DOUBLE_EQ(e.layers[0].cutDots, 600.0);
}

TEST(JobExtentsTest, ArcsAreMeasuredByTheirSweepNotTheirSquare) {
    // From (1000, 0) about the origin (centre offset (-1000, 0)) to (0, 1000):
    // counter-clockwise a quarter inside x, y >= 0; clockwise the other three
    // quarters.
    JobWriter ccw;
    ccw.Magic().MoveAbsolute(1000, 0).ArcC(-1000, 1000, -1000, 0);
    const JobExtents quarter = Measure(ccw);
    EXPECT_EQ(quarter.cuts, Box(0, 0, 1000, 1000));
    EXPECT_NEAR(quarter.layers[0].cutDots, 1000 * std::numbers::pi / 2, 1e-6);

    JobWriter cw;
    cw.Magic().MoveAbsolute(1000, 0).ArcB(-1000, 1000, -1000, 0);
    const JobExtents threeQuarters = Measure(cw);
    EXPECT_EQ(threeQuarters.cuts, Box(-1000, -1000, 1000, 1000));
    EXPECT_NEAR(threeQuarters.layers[0].cutDots, 1500 * std::numbers::pi, 1e-6);
}

TEST(JobExtentsTest, ShortArcNearTheTopStaysNearTheTop) {
    // Radius 5000 about (0, 0), from 80 to 100 degrees counter-clockwise: the
    // top of the circle is inside the sweep, the sides are not.
    const double r = 5000;
    const auto at = [&](double degrees) {
        const double a = degrees * std::numbers::pi / 180;
        return std::array<std::int32_t, 2>{static_cast<std::int32_t>(std::lround(r * std::cos(a))),
                                           static_cast<std::int32_t>(std::lround(r * std::sin(a)))};
    };
    const auto start = at(80);
    const auto end = at(100);
    JobWriter job;
    job.Magic().MoveAbsolute(start[0], start[1]);
    job.ArcC(end[0] - start[0], end[1] - start[1], -start[0], -start[1]);
    const JobExtents e = Measure(job);
    EXPECT_NEAR(e.cuts.left, end[0], 1);  // the end ray's point, rounded outwards
    EXPECT_EQ(e.cuts.right, start[0]);
    EXPECT_EQ(e.cuts.top, 5000);
    EXPECT_GE(e.cuts.bottom, start[1] - 1);
}

TEST(JobExtentsTest, ArcWithCoincidingRaysIsAWholeCircle) {
    JobWriter job;
    job.Magic().MoveAbsolute(300, 400).ArcB(0, 0, 0, -100).ArcC(0, 0, 0, 0);
    const JobExtents e = Measure(job);
    EXPECT_EQ(e.cuts, Box(200, 200, 400, 400));
    EXPECT_NEAR(e.layers[0].cutDots, 200 * std::numbers::pi, 1e-6);
}

TEST(JobExtentsTest, LayersFollowThePenNumber) {
    JobWriter job;
    const Bytes bits = {0xF0};
    job.Magic().DotStep(1).Raster('0', 0, 1, bits);
    job.Pen(3).Raster('0', 0, 2, bits).MoveAbsolute(0, 0).LineRelative(30, 40);
    job.Pen(8).LineRelative(0, 10);  // pens from 8 up keep the layer
    job.Pen(7).LineRelative(-30, 0);
    const JobExtents e = Measure(job);
    EXPECT_EQ(e.layers[0].dots, 4u);
    EXPECT_EQ(e.layers[3].dots, 4u);
    EXPECT_DOUBLE_EQ(e.layers[3].cutDots, 60.0);
    EXPECT_DOUBLE_EQ(e.layers[7].cutDots, 30.0);
    EXPECT_DOUBLE_EQ(e.layers[0].cutDots, 0.0);
}

TEST(JobExtentsTest, SecondParseStartsAfresh) {
    JobWriter job;
    job.Magic().MoveAbsolute(5, 5).LineRelative(10, 0).Pen(2);
    const Bytes& bytes = job.Bytes();
    CJobExtents probe;
    probe.Attach(bytes.data(), static_cast<std::uint32_t>(bytes.size()));
    probe.Parse();
    probe.Parse();
    EXPECT_EQ(probe.GetExtents().cuts, Box(5, 5, 15, 5));
    EXPECT_EQ(probe.GetExtents().travel, Box(5, 5, 5, 5));
    EXPECT_DOUBLE_EQ(probe.GetExtents().layers[0].cutDots, 10.0);
}

TEST(BedFitTest, OverhangOnEachSide) {
    // Bed 1000 x 600 dots: cuts may touch every edge, dots lie at x 0..999
    // and on rows 1..600.
    struct Case {
        const char* name;
        std::int32_t x, y, dx, dy;
        double left, right, top, bottom;
    };
    const std::vector<Case> cases = {
        {"inside", 0, 0, 1000, 600, 0, 0, 0, 0}, {"right", 500, 300, 520, 0, 0, 20, 0, 0},
        {"left", 10, 300, -40, 0, 30, 0, 0, 0},  {"top", 10, 590, 0, 25, 0, 0, 15, 0},
        {"bottom", 10, 5, 0, -12, 0, 0, 0, 7},
    };
    for (const Case& c : cases) {
        JobWriter job;
        job.Magic().MoveAbsolute(c.x, c.y).LineRelative(c.dx, c.dy);
        const BedFit fit = FitOnBed(Measure(job), 1000, 600);
        EXPECT_EQ(fit.cuts.left, c.left) << c.name;
        EXPECT_EQ(fit.cuts.right, c.right) << c.name;
        EXPECT_EQ(fit.cuts.top, c.top) << c.name;
        EXPECT_EQ(fit.cuts.bottom, c.bottom) << c.name;
        EXPECT_EQ(fit.Fits(), c.left + c.right + c.top + c.bottom == 0) << c.name;
    }
}

TEST(BedFitTest, DotsFitOnTheRowsThePreviewPlots) {
    const Bytes bits = {0x80};
    JobWriter top;
    top.Magic().DotStep(1).Raster('0', 999, 600, bits);
    EXPECT_TRUE(FitOnBed(Measure(top), 1000, 600).Fits());
    JobWriter edge;
    edge.Magic().DotStep(1).Raster('0', 1000, 0, bits);
    const BedFit fit = FitOnBed(Measure(edge), 1000, 600);
    EXPECT_EQ(fit.dots.right, 1);
    EXPECT_EQ(fit.dots.bottom, 1);
}

TEST(BedFitTest, TravelCountsToo) {
    JobWriter job;
    job.Magic().MoveAbsolute(-50, 10);
    const BedFit fit = FitOnBed(Measure(job), 1000, 600);
    EXPECT_FALSE(fit.Fits());
    EXPECT_EQ(fit.travel.left, 50);
    EXPECT_FALSE(fit.cuts.Any());
}

TEST(JobExtentsTest, HostileValuesAreSafe) {
    // Extreme coordinates and displacements, and a repeat code as the very
    // last byte of the job (it has no value to repeat), stay defined.
    JobWriter job;
    const Bytes block = {0, 0, 0, 0, 0, 0, 0, 0, 0xC5};
    job.Magic().MoveAbsolute(INT32_MAX, INT32_MIN).LineRelative(INT32_MAX, INT32_MIN);
    job.ArcB(INT32_MIN, INT32_MAX, INT32_MIN, INT32_MIN);
    job.RasterBlock('0', 9, block);
    const JobExtents e = Measure(job, INT32_MAX, INT32_MAX);
    EXPECT_FALSE(e.cuts.empty);
    EXPECT_TRUE(e.dots.empty);
}

}  // namespace
