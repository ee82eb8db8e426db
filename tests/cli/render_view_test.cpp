// lumikor-cli render with a view: the picture is the library's view, the
// options combine with the main canvas's, and unusable views are usage
// errors found before the job is read.
#include <gtest/gtest.h>

#include <png.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "cli/cli_app.h"
#include "cli/render_command.h"
#include "display/region_view.h"
#include "tests/support/job_writer.h"
#include "tests/support/temp_dir.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

void RegisterForTest(CLI::App& app, CliContext& context) { RegisterRenderCommand(app, context); }

struct CliRun {
    int status;
    std::string err;
};

CliRun Render(std::vector<std::string> args) {
    args.insert(args.begin(), {"lumikor-cli", "render"});
    std::vector<const char*> argv;
    for (const std::string& a : args) argv.push_back(a.c_str());
    std::ostringstream out;
    std::ostringstream err;
    CliContext context{out, err};
    const int status = RunCli(static_cast<int>(argv.size()), argv.data(), context, RegisterForTest);
    return {status, err.str()};
}

Bytes ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The PNG's pixels as blue-green-red rows, top-down, without padding.
Bytes DecodePng(const std::string& path, std::uint32_t* width, std::uint32_t* height) {
    const Bytes file = ReadFile(path);
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (png_image_begin_read_from_memory(&image, file.data(), file.size()) == 0) return {};
    image.format = PNG_FORMAT_BGR;
    Bytes pixels(PNG_IMAGE_SIZE(image));
    if (png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr) == 0) return {};
    *width = image.width;
    *height = image.height;
    return pixels;
}

Bytes RowsOf(const Canvas& canvas) {
    Bytes rows;
    for (std::int32_t y = 0; y < canvas.Height(); ++y) {
        rows.insert(rows.end(), canvas.Row(y), canvas.Row(y) + 3 * canvas.Width());
    }
    return rows;
}

class RenderViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        JobWriter job;
        job.Magic().Pen(1).DotStep(1);
        for (std::int32_t y = 20000; y < 20100; ++y) {
            job.Raster(y % 2 == 0 ? '0' : '1', 1000 + y % 7, y, Bytes(40, 0xA5));
        }
        job.Pen(2).MoveAbsolute(900, 19950).LineRelative(400, 200).ArcC(-200, 0, -100, 0);
        job.Trailer();
        m_bytes = job.Bytes();
        m_job = TempPath("job.prn");
        std::ofstream(m_job, std::ios::binary)
            .write(reinterpret_cast<const char*>(m_bytes.data()), std::streamsize(m_bytes.size()));
    }

    Canvas Expected(const RegionViewSettings& settings) const {
        JobIndex index;
        index.Build(m_bytes.data(), static_cast<std::uint32_t>(m_bytes.size()));
        Canvas image;
        EXPECT_EQ(DrawRegionView(index, settings, &image), ViewOutcome::kDrawn);
        return image;
    }

    // Each test its own folder: tests run in parallel, and a job rewritten
    // while another test reads it is a job that changed under the read.
    std::string TempPath(const std::string& name) const { return (m_dir.Path() / name).string(); }

    TempDir m_dir;
    Bytes m_bytes;
    std::string m_job;
};

TEST_F(RenderViewTest, WritesTheLibrarysViewWithTheMainCanvasOptions) {
    const std::string png = TempPath("a.png");
    const CliRun run = Render({m_job, "-o", png, "--view", "800,19900,1400,20200",
                               "--pixels-per-dot", "3", "--shade", "coverage", "--start-points",
                               "--cut-path", "--color", "type", "--offset", "5,-7"});
    ASSERT_EQ(run.status, kExitOk) << run.err;
    RegionViewSettings settings;
    settings.view.x0 = 800;
    settings.view.y0 = 19900;
    settings.view.x1 = 1400;
    settings.view.y1 = 20200;
    settings.view.pixelsPerDot = 3;
    settings.shade = ViewShade::kCoverage;
    settings.showStartPoint = 1;
    settings.showCutPath = 1;
    settings.colorMode = 1;
    settings.offsetX = 5;
    settings.offsetY = -7;
    const Canvas want = Expected(settings);
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    const Bytes got = DecodePng(png, &width, &height);
    EXPECT_EQ(width, 1800u);
    EXPECT_EQ(height, 900u);
    EXPECT_EQ(got, RowsOf(want));

    // The bitmap holds the same pixels, in its own layout.
    const std::string bmp = TempPath("a.bmp");
    ASSERT_EQ(Render({m_job, "-o", bmp, "--view", "800,19900,1400,20200", "--pixels-per-dot", "3",
                      "--shade", "coverage", "--start-points", "--cut-path", "--color", "type",
                      "--offset", "5,-7"})
                  .status,
              kExitOk);
    const Bytes file = ReadFile(bmp);
    ASSERT_EQ(file.size(), 54u + 1800u * 3 * 900);
    EXPECT_TRUE(std::equal(want.Row(899), want.Row(899) + 1800 * 3, file.begin() + 54));
}

TEST_F(RenderViewTest, DefaultsAreTheWholeBedAtOneDotPerPixelShadedByAnyDot) {
    const std::string png = TempPath("b.png");
    ASSERT_EQ(Render({m_job, "-o", png, "--dots-per-pixel", "43", "--display", "raster"}).status,
              kExitOk);
    RegionViewSettings settings;
    settings.view.x1 = 39370;
    settings.view.y1 = 23622;
    settings.view.dotsPerPixel = 43;
    settings.displayMode = 1;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    EXPECT_EQ(DecodePng(png, &width, &height), RowsOf(Expected(settings)));
    EXPECT_EQ(width, 916u);  // ceil(39370 / 43)
    EXPECT_EQ(height, 550u);

    // --shade alone asks for a view of the whole bed at 1 dot per pixel,
    // which is too large a picture.
    EXPECT_EQ(Render({m_job, "-o", png, "--shade", "any"}).status, kExitUsage);
}

TEST_F(RenderViewTest, UnusableViewsAreUsageErrorsBeforeTheJobIsRead) {
    const std::string missing = TempPath("missing.prn");
    const std::string png = TempPath("c.png");
    for (const std::vector<std::string>& options : {
             std::vector<std::string>{"--view", "0,0,16385,10"},
             {"--view", "0,0,16384,16384"},  // 768 MiB
             {"--view", "10,0,10,10"},
             {"--view", "0,0,10"},
             {"--dots-per-pixel", "0"},
             {"--pixels-per-dot", "1"},
             {"--pixels-per-dot", "17"},
             {"--dots-per-pixel", "2", "--pixels-per-dot", "2"},
             {"--shade", "some"},
             {"--view", "0,0,10,10", "--whole-canvas"},
             // Corners whose differences overflow 64 bits.
             {"--view", "-9223372036854775808,0,9223372036854775807,1"},
             {"--view", "0,-9223372036854775808,1,9223372036854775807"},
             {"--view", "9223372036854775806,0,9223372036854775807,1"},
             {"--view", "-9223372036854775808,-9223372036854775808,-9223372036854775807,-1"},
             {"--view", "0,0,68719476737,1"},
             {"--view", "-68719476737,0,1,1", "--dots-per-pixel", "16777216"},
         }) {
        std::vector<std::string> args = {missing, "-o", png};
        args.insert(args.end(), options.begin(), options.end());
        const CliRun run = Render(args);
        EXPECT_EQ(run.status, kExitUsage) << options[0] << " " << options[1] << ": " << run.err;
        EXPECT_EQ(run.err.find("cannot read"), std::string::npos) << run.err;
        EXPECT_EQ(run.err.find("-1 x"), std::string::npos) << run.err;
    }
    // A usable view of a missing job is a job that cannot be read.
    EXPECT_EQ(Render({missing, "-o", png, "--view", "0,0,10,10"}).status, kExitCannotRead);
}

}  // namespace
