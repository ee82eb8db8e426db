// The display's raster path against the straightforward rules of the
// reference: the same canvas, and the same presents and pauses, for
// randomised raster jobs on beds both larger and smaller than the canvas.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "tests/display/display_harness.h"
#include "tests/display/reference_raster.h"
#include "tests/support/job_writer.h"

namespace {

struct RasterSetup {
    std::int32_t canvasWidth = 910;
    std::int32_t canvasHeight = 620;
    ModelInfo model = MakeModel(1000, 600, 1000);
    ReferenceRasterOptions options;
};

// Runs the job through the display and the reference; reports the first
// difference.
void ExpectSameRaster(const RasterSetup& setup, const std::vector<std::uint8_t>& job) {
    DisplayHarness harness(setup.canvasWidth, setup.canvasHeight, setup.model);
    ASSERT_EQ(harness.setCanvas, 1);
    ASSERT_EQ(harness.setModel, 1);
    CJobDisplay& display = harness.display;
    display.SetOffset(setup.options.offsetX, setup.options.offsetY);
    display.SetDisplayMode(setup.options.displayMode);
    display.SetShowEngraveProcess(setup.options.showEngraveProcess);
    display.SetEngraveDelay(setup.options.engraveDelay);
    display.SetShowCutPath(setup.options.showCutPath);

    display.ClearCanvas();
    display.ClearBed();
    ReferenceRaster reference(display, setup.options);
    harness.Run(job);
    reference.Attach(job.data(), static_cast<std::uint32_t>(job.size()));
    reference.Parse();

    const Canvas& got = display.GetCanvas();
    const Canvas& want = reference.GetCanvas();
    for (std::int32_t y = 0; y < got.Height(); ++y) {
        if (std::memcmp(got.Row(y), want.Row(y), static_cast<std::size_t>(got.Stride())) == 0) {
            continue;
        }
        for (std::int32_t x = 0; x < got.Width(); ++x) {
            ASSERT_EQ(got.GetPixel(x, y), want.GetPixel(x, y)) << "at (" << x << ", " << y << ")";
        }
    }
    ASSERT_EQ(harness.screen.presents.size(), reference.presents.size());
    for (std::size_t i = 0; i < reference.presents.size(); ++i) {
        const CanvasRect& a = harness.screen.presents[i];
        const CanvasRect& b = reference.presents[i];
        ASSERT_TRUE(a.left == b.left && a.top == b.top && a.right == b.right &&
                    a.bottom == b.bottom)
            << "present " << i;
    }
    EXPECT_EQ(harness.screen.pauses, reference.pauses);
}

class RandomRasterJobs {
public:
    explicit RandomRasterJobs(std::uint32_t seed) : m_random(seed) {}

    int Pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(m_random); }

    RasterSetup RandomSetup() {
        RasterSetup setup;
        setup.canvasWidth = Pick(20, 300);
        setup.canvasHeight = Pick(20, 300);
        // From a few dots per pixel up to several pixels per dot.
        setup.model = MakeModel(Pick(2, 80), Pick(2, 80), Pick(10, 600));
        setup.options.offsetX = Pick(0, 3) == 0 ? Pick(-40, 40) : 0;
        setup.options.offsetY = Pick(0, 3) == 0 ? Pick(-40, 40) : 0;
        setup.options.displayMode = Pick(0, 7) == 0 ? 2 : 3;
        setup.options.showEngraveProcess = Pick(0, 1);
        setup.options.engraveDelay = Pick(-2, 3);
        setup.options.showCutPath = Pick(0, 1);
        return setup;
    }

    // Lines around and across the bed, in every bit mode and dot step, with
    // thresholds, pens, flushes and trailers between them.
    std::vector<std::uint8_t> RandomJob(std::int32_t bedWidth, std::int32_t bedHeight) {
        JobWriter job;
        job.Magic();
        const int lines = Pick(1, 40);
        std::int32_t y = Pick(-5, bedHeight + 5);
        for (int i = 0; i < lines; ++i) {
            switch (Pick(0, 9)) {
                case 0:
                    job.BitMode(static_cast<std::uint8_t>(Pick(0, 255)));
                    break;
                case 1:
                    job.DotStep(static_cast<std::uint8_t>(Pick(0, 3)));
                    break;
                case 2:
                    job.RleBase(static_cast<std::uint8_t>(Pick(0, 4) == 0 ? Pick(0, 255) : 0));
                    break;
                case 3:
                    if (Pick(0, 2) == 0) job.Pen(static_cast<std::uint8_t>(Pick(0, 9)));
                    if (Pick(0, 4) == 0) job.EscV();
                    if (Pick(0, 2) == 0) job.Trailer();
                    break;
                case 4:
                    // A move, whose travel line may cross rows already flushed.
                    job.MoveAbsolute(Pick(-10, bedWidth + 10), y + Pick(-2, 2));
                    break;
                default:
                    break;
            }
            // Mostly neighbouring rows, now and then a jump (also off the bed).
            y = Pick(0, 5) == 0 ? Pick(-20, bedHeight + 20) : y - Pick(0, 2);
            const std::int32_t x =
                Pick(0, 3) == 0 ? Pick(-60, bedWidth + 60) : Pick(bedWidth - 40, bedWidth + 10);
            job.Raster(Pick(0, 1) == 0 ? '0' : '1', x, y, RandomRow());
        }
        if (Pick(0, 1) == 0) job.Trailer();
        return job.Bytes();
    }

private:
    std::vector<std::uint8_t> RandomRow() {
        std::vector<std::uint8_t> row(static_cast<std::size_t>(Pick(0, 24)));
        for (std::uint8_t& byte : row) {
            const int kind = Pick(0, 5);
            byte = kind == 0   ? 0
                   : kind == 1 ? 0xFF
                   : kind == 2 ? static_cast<std::uint8_t>(1 << Pick(0, 7))
                               : static_cast<std::uint8_t>(Pick(0, 255));
        }
        return row;
    }

    std::mt19937 m_random;
};

TEST(RasterEquivalenceTest, RandomJobsOnRandomBedsMatchTheReference) {
    RandomRasterJobs random(20261208);
    for (int i = 0; i < 300; ++i) {
        const RasterSetup setup = random.RandomSetup();
        DisplayHarness probe(setup.canvasWidth, setup.canvasHeight, setup.model);
        // A bed far narrower than the canvas fits to an image under one
        // pixel wide, which the display refuses.
        const bool hasImage =
            std::int64_t{setup.canvasHeight} * setup.model.width >= setup.model.height &&
            std::int64_t{setup.canvasWidth} * setup.model.height >= setup.model.width;
        ASSERT_EQ(probe.setModel, hasImage ? 1 : 0);
        if (!hasImage) continue;
        const std::vector<std::uint8_t> job =
            random.RandomJob(probe.display.GetBedWidthDots(), probe.display.GetBedHeightDots());
        SCOPED_TRACE(testing::Message() << "job " << i);
        ExpectSameRaster(setup, job);
        if (HasFatalFailure()) return;
    }
}

// The default bed on the dialog's canvas: about 43 dots per column, so
// bytes fall on one column or straddle two; long lines cross the right edge.
TEST(RasterEquivalenceTest, FullWidthLinesOnTheDefaultBedMatchTheReference) {
    RandomRasterJobs random(7);
    for (int i = 0; i < 40; ++i) {
        RasterSetup setup;
        setup.options.showEngraveProcess = i % 2;
        JobWriter job;
        job.Magic()
            .BitMode(static_cast<std::uint8_t>(i % 3))
            .DotStep(static_cast<std::uint8_t>(i % 4));
        for (int line = 0; line < 12; ++line) {
            std::vector<std::uint8_t> row(static_cast<std::size_t>(random.Pick(3000, 9000)));
            for (std::uint8_t& byte : row) {
                byte = random.Pick(0, 3) == 0 ? static_cast<std::uint8_t>(random.Pick(0, 255)) : 0;
            }
            const bool forward = random.Pick(0, 1) == 0;
            const std::int32_t x = forward ? random.Pick(-100, 30000) : random.Pick(0, 45000);
            job.Raster(forward ? '0' : '1', x, 23622 - line * 20 - i, row);
        }
        job.Trailer();
        SCOPED_TRACE(testing::Message() << "job " << i);
        ExpectSameRaster(setup, job.Bytes());
        if (HasFatalFailure()) return;
    }
}

// Lines at the ends of the coordinate range, with extreme displacements,
// decoding far past 64 KiB, on a bed of one pixel per dot: drawn as the
// straightforward rules draw them, and, cut at any length, never read past
// the job (ASan).
TEST(RasterEquivalenceTest, HostileLinesMatchTheReference) {
    constexpr std::int32_t kMax = 2147483647;
    constexpr std::int32_t kMin = -2147483647 - 1;
    JobWriter job;
    job.Magic().BitMode(0).DotStep(255);
    std::vector<std::uint8_t> huge;  // 2100 repeat codes of 63 bytes
    for (int i = 0; i < 2100; ++i) {
        huge.push_back(0xFF);
        huge.push_back(0xAA);
    }
    job.RasterCompressed('0', kMin, 50, huge);
    job.RasterCompressed('1', kMax, kMin, huge);
    job.RasterCompressed('1', kMax, 50, huge);
    job.RasterCompressed('0', 199, kMax, huge);
    job.BitMode(2).RasterCompressed('1', 10, 50, huge).Trailer();
    job.DotStep(1).RasterCompressed('0', 0, 40, huge).Trailer();

    RasterSetup setup{200, 100, UnitScaleModel(200, 100), {}};
    for (const auto& [x, y] : {std::pair{0, 0}, {kMax, kMin}, {kMin, kMax}, {-150, 30}}) {
        setup.options.offsetX = x;
        setup.options.offsetY = y;
        SCOPED_TRACE(testing::Message() << "offset " << x << ", " << y);
        ExpectSameRaster(setup, job.Bytes());
    }
    setup.options = {};
    const std::vector<std::uint8_t>& bytes = job.Bytes();
    for (std::size_t size = 3; size < 200; ++size) {
        ExpectSameRaster(setup, {bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(size)});
    }
}

}  // namespace
