// Region views against their plain definition (region_view_oracle.h) on
// random raster jobs, against the main canvas for vector paths where both
// map dots alike, and against themselves: an aligned sub-view is a crop.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "display/region_view.h"
#include "tests/display/canvas_test_pixels.h"
#include "tests/display/display_harness.h"
#include "tests/display/region_view_oracle.h"
#include "tests/support/job_writer.h"

namespace {

struct Job {
    std::vector<std::uint8_t> bytes;
    JobIndex index;
    explicit Job(std::vector<std::uint8_t> b) : bytes(std::move(b)) {
        index.Build(bytes.data(), static_cast<std::uint32_t>(bytes.size()));
    }
};

ViewMapping MakeView(std::int64_t x0, std::int64_t y0, std::int64_t x1, std::int64_t y1,
                     std::int64_t k, std::int64_t m = 1) {
    ViewMapping view;
    view.x0 = x0;
    view.y0 = y0;
    view.x1 = x1;
    view.y1 = y1;
    view.dotsPerPixel = k;
    view.pixelsPerDot = m;
    return view;
}

// The first pixel where two canvases differ, or none.
testing::AssertionResult SamePixels(const Canvas& got, const Canvas& want) {
    if (got.Width() != want.Width() || got.Height() != want.Height()) {
        return testing::AssertionFailure()
               << "size " << got.Width() << " x " << got.Height() << ", expected " << want.Width()
               << " x " << want.Height();
    }
    for (std::int32_t y = 0; y < got.Height(); ++y) {
        for (std::int32_t x = 0; x < got.Width(); ++x) {
            if (got.GetPixel(x, y) != want.GetPixel(x, y)) {
                return testing::AssertionFailure()
                       << "at (" << x << ", " << y << "): " << std::hex << got.GetPixel(x, y)
                       << ", expected " << want.GetPixel(x, y);
            }
        }
    }
    return testing::AssertionSuccess();
}

Canvas Draw(const Job& job, const RegionViewSettings& settings) {
    Canvas image;
    EXPECT_EQ(DrawRegionView(job.index, settings, &image), ViewOutcome::kDrawn);
    return image;
}

class RandomJobs {
public:
    explicit RandomJobs(std::uint32_t seed) : m_random(seed) {}

    std::int64_t Pick(std::int64_t low, std::int64_t high) {
        return std::uniform_int_distribution<std::int64_t>(low, high)(m_random);
    }
    std::int32_t Pick32(std::int64_t low, std::int64_t high) {
        return static_cast<std::int32_t>(Pick(low, high));
    }

    // Raster lines in every bit mode, dot step, threshold and direction,
    // across both edges of the bed, on layers; now and then two lines on one
    // row, so that dots are set twice.
    std::vector<std::uint8_t> RasterJob(std::int64_t width, std::int64_t height) {
        JobWriter job;
        job.Magic();
        const int lines = Pick32(1, 30);
        std::int32_t y = Pick32(-5, height + 5);
        for (int i = 0; i < lines; ++i) {
            switch (Pick(0, 7)) {
                case 0:
                    job.BitMode(static_cast<std::uint8_t>(Pick(0, 255)));
                    break;
                case 1:
                    job.DotStep(
                        static_cast<std::uint8_t>(Pick(0, 5) == 0 ? Pick(0, 255) : Pick(0, 3)));
                    break;
                case 2:
                    job.RleBase(static_cast<std::uint8_t>(Pick(0, 3) == 0 ? Pick(0, 255) : 0));
                    break;
                case 3:
                    job.Pen(static_cast<std::uint8_t>(Pick(0, 9)));
                    break;
                default:
                    break;
            }
            if (Pick(0, 3) != 0) y = Pick(0, 4) == 0 ? Pick32(-10, height + 10) : y - Pick32(0, 2);
            const std::int32_t x =
                Pick(0, 2) == 0 ? Pick32(-60, width + 60) : Pick32(width - 40, width + 10);
            std::vector<std::uint8_t> row(static_cast<std::size_t>(Pick(0, 20)));
            for (std::uint8_t& byte : row) {
                const auto kind = Pick(0, 4);
                byte = kind == 0   ? 0
                       : kind == 1 ? 0xFF
                       : kind == 2 ? static_cast<std::uint8_t>(1 << Pick(0, 7))
                                   : static_cast<std::uint8_t>(Pick(0, 255));
            }
            job.Raster(Pick(0, 1) == 0 ? '0' : '1', x, y, row);
        }
        if (Pick(0, 1) == 0) job.Trailer();
        return job.Bytes();
    }

    // Moves, lines, arcs, pens, speed markers and ESC 'V' around the bed.
    void AddVectors(JobWriter& job, std::int64_t width, std::int64_t height) {
        const int commands = Pick32(1, 25);
        for (int i = 0; i < commands; ++i) {
            switch (Pick(0, 8)) {
                case 0:
                case 1:
                    job.MoveAbsolute(Pick32(-20, width + 20), Pick32(-20, height + 20));
                    break;
                case 2:
                case 3:
                    job.LineRelative(Pick32(-width, width), Pick32(-height, height));
                    break;
                case 4:
                    job.ArcB(Pick32(-50, 50), Pick32(-50, 50), Pick32(-40, 40), Pick32(-40, 40));
                    break;
                case 5:
                    job.ArcC(Pick32(-50, 50), Pick32(-50, 50), Pick32(-40, 40), Pick32(-40, 40));
                    break;
                case 6:
                    job.Pen(static_cast<std::uint8_t>(Pick(0, 9)));
                    break;
                case 7:
                    if (Pick(0, 1) == 0) {
                        job.VectorF();
                    } else {
                        job.VectorJ();
                    }
                    break;
                default:
                    job.EscV();
                    break;
            }
        }
    }

    RegionViewSettings Options(const ModelInfo& model) {
        RegionViewSettings settings;
        settings.model = model;
        settings.colorMode = Pick32(0, 2);
        settings.showCutPath = Pick32(0, 1);
        settings.showStartPoint = Pick32(0, 1);
        settings.offsetX = Pick(0, 2) == 0 ? Pick32(-30, 30) : 0;
        settings.offsetY = Pick(0, 2) == 0 ? Pick32(-30, 30) : 0;
        return settings;
    }

private:
    std::mt19937 m_random;
};

// Beds of 40 to 400 dots a side: 254 dpi is 10 dots per millimetre.
ModelInfo SmallBed(RandomJobs& random) {
    return MakeModel(random.Pick32(4, 40), random.Pick32(4, 40), 254);
}

TEST(RegionViewTest, RasterMatchesTheDotOracleAtEveryZoom) {
    RandomJobs random(20261209);
    const std::vector<std::pair<std::int64_t, std::int64_t>> zooms = {{1, 1}, {2, 1},  {3, 1},
                                                                      {7, 1}, {43, 1}, {1, 4}};
    for (int i = 0; i < 120; ++i) {
        const ModelInfo model = SmallBed(random);
        const std::int64_t width = model.width * 10;
        const std::int64_t height = model.height * 10;
        RegionViewSettings settings = random.Options(model);
        settings.displayMode = 1;
        const Job job(random.RasterJob(width, height));
        for (const auto& [k, m] : zooms) {
            // Views inside, across and beyond the bed's edges.
            const std::int64_t x0 = random.Pick(-50, width - 10);
            const std::int64_t y0 = random.Pick(-50, height - 10);
            const std::int64_t span = m == 1 ? 400 : 80;
            settings.view =
                MakeView(x0, y0, x0 + random.Pick(1, span), y0 + random.Pick(1, span), k, m);
            for (const ViewShade shade : {ViewShade::kAny, ViewShade::kCoverage}) {
                settings.shade = shade;
                DotOracle oracle(settings, width, height);
                oracle.Attach(job.bytes.data(), static_cast<std::uint32_t>(job.bytes.size()));
                oracle.Parse();
                ASSERT_TRUE(SamePixels(Draw(job, settings), oracle.Picture()))
                    << "job " << i << " K " << k << " M " << m << " shade "
                    << static_cast<int>(shade);
            }
        }
    }
}

TEST(RegionViewTest, AlignedSubViewIsTheCropOfTheWholeBedView) {
    RandomJobs random(99);
    for (int i = 0; i < 80; ++i) {
        const ModelInfo model = SmallBed(random);
        const std::int64_t width = model.width * 10;
        const std::int64_t height = model.height * 10;
        JobWriter writer;
        writer.Raw(random.RasterJob(width, height));
        random.AddVectors(writer, width, height);
        const Job job(writer.Bytes());
        RegionViewSettings whole = random.Options(model);
        whole.shade = random.Pick(0, 1) == 0 ? ViewShade::kAny : ViewShade::kCoverage;
        const std::int64_t k = random.Pick(1, 9);
        const std::int64_t m = k == 1 ? random.Pick(1, 4) : 1;
        whole.view = MakeView(0, 0, width, height, k, m);
        const Canvas big = Draw(job, whole);

        // Whole blocks from the top-left, and up to the right or bottom edge.
        const std::int64_t left = random.Pick(0, (width - 1) / k);
        const std::int64_t top = random.Pick(0, (height - 1) / k);
        RegionViewSettings part = whole;
        const std::int64_t x0 = left * k;
        const std::int64_t y1 = height - top * k;
        const std::int64_t x1 =
            random.Pick(0, 1) == 0 ? width : std::min(width, x0 + k * random.Pick(1, 20));
        const std::int64_t y0 =
            random.Pick(0, 1) == 0 ? 0 : std::max<std::int64_t>(0, y1 - k * random.Pick(1, 20));
        part.view = MakeView(x0, y0, x1, y1, k, m);
        const Canvas crop = Draw(job, part);
        Canvas expected;
        ASSERT_TRUE(expected.Create(crop.Width(), crop.Height()));
        const auto shiftX = static_cast<std::int32_t>(left * m);
        const auto shiftY = static_cast<std::int32_t>(top * m);
        for (std::int32_t y = 0; y < crop.Height(); ++y) {
            for (std::int32_t x = 0; x < crop.Width(); ++x) {
                expected.SetPixel(x, y, big.GetPixel(x + shiftX, y + shiftY));
            }
        }
        ASSERT_TRUE(SamePixels(crop, expected)) << "job " << i << " K " << k << " M " << m;
    }
}

// On a bed of one canvas pixel per dot the main canvas maps vector paths as
// a view of the whole bed at 1 dot per pixel does.
TEST(RegionViewTest, VectorsMatchTheMainCanvasWhereBothMapDotsAlike) {
    RandomJobs random(5);
    for (int i = 0; i < 60; ++i) {
        const ModelInfo model = UnitScaleModel(300, 200);
        RegionViewSettings settings = random.Options(model);
        settings.displayMode = 2;
        JobWriter writer;
        writer.Magic();
        random.AddVectors(writer, 300, 200);
        const Job job(writer.Bytes());
        settings.view = MakeView(0, 0, 300, 200, 1);

        DisplayHarness main(300, 200, model);
        ASSERT_EQ(main.setModel, 1);
        main.display.SetDisplayMode(2);
        main.display.SetColorMode(settings.colorMode);
        main.display.SetOffset(settings.offsetX, settings.offsetY);
        main.display.SetShowCutPath(settings.showCutPath);
        main.display.SetShowStartPoint(settings.showStartPoint);
        main.Run(job.bytes);
        ASSERT_TRUE(SamePixels(Draw(job, settings), main.display.GetCanvas())) << "job " << i;
    }
}

TEST(RegionViewTest, CoverageMixesTheLastLayerWithWhiteByTheShareOfSetDots) {
    // Bed 100 x 100 dots; a 4 x 4 block at the top-left corner.
    JobWriter writer;
    writer.Magic()
        .DotStep(1)
        .Pen(1)                                                // red 0x0000FF
        .Raster('0', 0, 100, std::vector<std::uint8_t>{0xE0})  // dots 0, 1, 2
        .Pen(2)                                                // green 0x00FF00
        .Raster('1', 1, 100, std::vector<std::uint8_t>{0xC0})  // dots 1, 0: both set already
        .Raster('0', 3, 99, std::vector<std::uint8_t>{0x80});  // dot 3 of the second row
    const Job job(writer.Bytes());
    RegionViewSettings settings;
    settings.model = MakeModel(10, 10, 254);
    settings.shade = ViewShade::kCoverage;
    settings.view = MakeView(0, 0, 100, 100, 4);
    // 4 of 16 dots, green last: red and blue 255 - floor(4 * 255 / 16) = 192.
    EXPECT_EQ(Draw(job, settings).GetPixel(0, 0), 0xC0FFC0u);

    // A view ending inside the block still divides by 16: its dots outside
    // count as unset. Two rows left, of which dots 0..2 of the first are set,
    // dot 3 of the second is outside.
    settings.view = MakeView(0, 0, 3, 100, 4);
    const Color partial = Draw(job, settings).GetPixel(0, 0);
    EXPECT_EQ(partial, 0xD0FFD0u);  // 3 of 16: 255 - floor(3 * 255 / 16) = 208

    settings.shade = ViewShade::kAny;
    EXPECT_EQ(Draw(job, settings).GetPixel(0, 0), 0x00FF00u);
}

TEST(RegionViewTest, ViewsOutsideTheLimitsAreRefusedAndDrawingCanBeCancelled) {
    JobWriter writer;
    writer.Magic().Raster('0', 0, 10, std::vector<std::uint8_t>{0xFF});
    const Job job(writer.Bytes());
    RegionViewSettings settings;
    settings.model = MakeModel(1000, 600, 1000);
    Canvas image;
    for (const ViewMapping& view : {
             MakeView(0, 0, 39370, 23622, 1),  // 39370 pixels wide
             MakeView(0, 0, 16384, 16384, 1),  // 768 MiB
             MakeView(0, 0, 100, 100, 1, 17),  // M above 16
             MakeView(0, 0, 100, 100, 2, 2),   // both zooms
             MakeView(10, 0, 10, 100, 1),      // empty
             MakeView(0, 0, std::int64_t{1} << 40, 100, std::int64_t{1} << 24),  // corner too far
         }) {
        settings.view = view;
        EXPECT_EQ(DrawRegionView(job.index, settings, &image), ViewOutcome::kNotDrawable);
    }
    settings.view = MakeView(0, 0, 16384, 60, 1);
    EXPECT_EQ(DrawRegionView(job.index, settings, &image), ViewOutcome::kDrawn);
    settings.model = MakeModel(0, 600, 1000);
    EXPECT_EQ(DrawRegionView(job.index, settings, &image), ViewOutcome::kNotDrawable);

    settings.model = MakeModel(1000, 600, 1000);
    const std::atomic<bool> cancel{true};
    EXPECT_EQ(DrawRegionView(job.index, settings, &image, &cancel), ViewOutcome::kCancelled);
}

// Lines of one dot row that straddle the edge of the bitmap a dot row is
// counted in, on a bed wider than that bitmap.
TEST(RegionViewTest, OverlappingLinesAcrossTheMarkingWindowMatchTheOracle) {
    RandomJobs random(7);
    const std::int64_t edge = std::int64_t{1} << 22;
    const ModelInfo model = MakeModel(440000, 1, 254);  // 4.4 million dots wide
    for (int i = 0; i < 3; ++i) {
        JobWriter writer;
        writer.Magic();
        for (int line = 0; line < 12; ++line) {
            writer.DotStep(static_cast<std::uint8_t>(random.Pick(0, 255)));
            writer.BitMode(static_cast<std::uint8_t>(random.Pick(0, 2)));
            std::vector<std::uint8_t> row(static_cast<std::size_t>(random.Pick(1, 20)));
            for (std::uint8_t& byte : row) byte = static_cast<std::uint8_t>(random.Pick(0, 255));
            writer.Raster(random.Pick(0, 1) == 0 ? '0' : '1',
                          static_cast<std::int32_t>(edge + random.Pick(-3000, 3000)), 1, row);
        }
        const Job job(writer.Bytes());
        RegionViewSettings settings;
        settings.model = model;
        settings.displayMode = 1;
        settings.view = MakeView(0, 0, edge + 4096, 1, 1024);
        for (const ViewShade shade : {ViewShade::kAny, ViewShade::kCoverage}) {
            settings.shade = shade;
            DotOracle oracle(settings, edge + 4096 + 1000, 10);
            oracle.Attach(job.bytes.data(), static_cast<std::uint32_t>(job.bytes.size()));
            oracle.Parse();
            ASSERT_TRUE(SamePixels(Draw(job, settings), oracle.Picture()))
                << "job " << i << " shade " << static_cast<int>(shade);
        }
    }
}

// Settings made again right after themselves leave no record and no trace
// in the picture.
TEST(RegionViewTest, RepeatedSettingsAreIndexedOnce) {
    RandomJobs random(11);
    for (int i = 0; i < 40; ++i) {
        JobWriter once;
        JobWriter repeated;
        for (JobWriter* writer : {&once, &repeated}) writer->Magic();
        for (int command = 0; command < 20; ++command) {
            const auto kind = random.Pick(0, 4);
            const auto pen = static_cast<std::uint8_t>(random.Pick(0, 7));
            const std::int32_t x = random.Pick32(0, 300);
            const std::int32_t y = random.Pick32(0, 200);
            // Only settings repeat: a line drawn twice is a different job.
            const std::int64_t times = kind < 4 ? random.Pick(1, 3) : 1;
            for (JobWriter* writer : {&once, &repeated}) {
                for (std::int64_t n = 0; n < (writer == &once ? 1 : times); ++n) {
                    switch (kind) {
                        case 0:
                            writer->Pen(pen);
                            break;
                        case 1:
                            writer->EscV();
                            break;
                        case 2:
                            writer->VectorF();
                            break;
                        case 3:
                            writer->VectorJ();
                            break;
                        default:
                            writer->MoveAbsolute(x, y).LineRelative(y - x, x - y);
                            break;
                    }
                }
            }
        }
        const Job a(once.Bytes());
        const Job b(repeated.Bytes());
        RegionViewSettings settings = random.Options(UnitScaleModel(300, 200));
        settings.view = MakeView(0, 0, 300, 200, 1);
        EXPECT_EQ(b.index.Commands().size(), a.index.Commands().size()) << "job " << i;
        ASSERT_TRUE(SamePixels(Draw(b, settings), Draw(a, settings))) << "job " << i;
    }
    // Between two drawing commands, one record for each of pen, speed and ESC 'V'.
    JobWriter settings;
    settings.Magic();
    for (int i = 0; i < 1000; ++i) settings.VectorF().Pen(1).EscV().VectorJ().Pen(2);
    EXPECT_EQ(Job(settings.Bytes()).index.Commands().size(), 3u);
}

// Ten thousand full lines on one dot row, drawn in a child process whose
// address space is limited: a dot counted in a list per line needs
// gigabytes, a bitmap of the view's dots a few megabytes.
TEST(RegionViewTest, OverlappingLinesDrawWithinAMemoryLimit) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the sanitizer reserves far more address space than any limit";
#else
    const ModelInfo model = DefaultModel();
    const std::vector<std::uint8_t> full(4922, 0xFF);  // the bed's 39370 dots
    JobWriter writer;
    writer.Magic().DotStep(1);
    for (int i = 0; i < 10000; ++i)
        writer.Raster(i % 2 == 0 ? '0' : '1', i % 2 == 0 ? 0 : 39369, 1000, full);
    const Job job(writer.Bytes());
    RegionViewSettings settings;
    settings.model = model;
    settings.displayMode = 1;
    settings.shade = ViewShade::kCoverage;
    settings.view = MakeView(0, 0, 39370, 2000, 4);

    const pid_t child = fork();
    ASSERT_NE(child, -1);
    if (child == 0) {
        // What is mapped already, and 256 MB more.
        std::ifstream status("/proc/self/statm");
        std::uint64_t pages = 0;
        status >> pages;
        const auto limit = static_cast<rlim_t>(pages * 4096 + (std::uint64_t{256} << 20));
        const rlimit memory{limit, limit};
        Canvas image;
        const bool ok = setrlimit(RLIMIT_AS, &memory) == 0 &&
                        DrawRegionView(job.index, settings, &image) == ViewOutcome::kDrawn &&
                        // Each block holds 4 of its 16 dots, each set 5000 times.
                        image.GetPixel(0, 250) == 0xC0C0C0u &&
                        image.GetPixel(9841, 250) == 0xC0C0C0u;
        _exit(ok ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
#endif
}

}  // namespace
