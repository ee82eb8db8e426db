// lumikor-cli render: the written picture, its formats, and the exit statuses.
#include <gtest/gtest.h>

#include <png.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "cli/render_command.h"
#include "tests/cli/cli_run.h"
#include "tests/cli/png_reader.h"
#include "tests/support/job_writer.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

std::uint32_t U32At(const Bytes& b, std::size_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (std::uint32_t{b[at + 3]} << 24);
}

class RenderCommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_folder = fs::temp_directory_path() /
                   ("lumikor-render-" + std::to_string(::getpid()) + "-" +
                    ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(m_folder);
        JobWriter job;
        job.Magic().Pen(1).DotStep(1).Raster('0', 1000, 20000, Bytes{0xFF, 0xFF});
        job.Pen(2).MoveAbsolute(2000, 2000).LineRelative(20000, 0).LineRelative(0, 15000);
        job.ArcC(-10000, 0, -5000, 0).Trailer();
        m_job = m_folder / "job.prn";
        std::ofstream(m_job, std::ios::binary)
            .write(reinterpret_cast<const char*>(job.Bytes().data()),
                   static_cast<std::streamsize>(job.Size()));
    }
    void TearDown() override { fs::remove_all(m_folder); }

    int Render(RenderOptions options) {
        if (options.jobPath.empty()) options.jobPath = m_job;
        m_out.str("");
        m_err.str("");
        return RunRender(options, m_out, m_err);
    }

    fs::path m_folder;
    fs::path m_job;
    std::ostringstream m_out;
    std::ostringstream m_err;
};

TEST_F(RenderCommandTest, WritesTheBedAsBitmapAndPngWithTheSamePixels) {
    RenderOptions options;
    options.outPath = m_folder / "out.bmp";
    ASSERT_EQ(Render(options), 0) << m_err.str();
    EXPECT_TRUE(m_err.str().empty());
    const Bytes bmp = ReadFile(options.outPath);
    ASSERT_EQ(bmp.size(), 1491726u);
    EXPECT_EQ(bmp[0], 'B');
    EXPECT_EQ(bmp[1], 'M');
    EXPECT_EQ(U32At(bmp, 2), 1491726u);
    EXPECT_EQ(U32At(bmp, 10), 54u);
    EXPECT_EQ(U32At(bmp, 18), 910u);
    EXPECT_EQ(U32At(bmp, 22), 546u);
    EXPECT_EQ(U32At(bmp, 34), 1491672u);

    options.outPath = m_folder / "out.png";
    ASSERT_EQ(Render(options), 0) << m_err.str();
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    const Bytes png = DecodePng(ReadFile(options.outPath), &width, &height);
    ASSERT_EQ(width, 910u);
    ASSERT_EQ(height, 546u);
    std::size_t red = 0;
    std::size_t green = 0;
    for (std::uint32_t y = 0; y < height; ++y) {
        const std::uint8_t* fromBmp = bmp.data() + 54 + (height - 1 - y) * 2732;
        const std::uint8_t* fromPng = png.data() + y * width * 3;
        ASSERT_EQ(std::memcmp(fromBmp, fromPng, width * 3), 0) << "row " << y;
        for (std::uint32_t x = 0; x < width; ++x) {
            const std::uint8_t* p = fromPng + x * 3;
            red += p[0] == 0 && p[1] == 0 && p[2] == 0xFF;
            green += p[0] == 0 && p[1] == 0xFF && p[2] == 0;
        }
    }
    EXPECT_GT(red, 0u);      // the raster line in layer 1
    EXPECT_GT(green, 100u);  // lines and arc in layer 2
}

TEST_F(RenderCommandTest, WholeCanvasKeepsTheGreyFrame) {
    RenderOptions options;
    options.outPath = m_folder / "all.bmp";
    options.wholeCanvas = true;
    ASSERT_EQ(Render(options), 0) << m_err.str();
    const Bytes bmp = ReadFile(options.outPath);
    EXPECT_EQ(U32At(bmp, 18), 910u);
    EXPECT_EQ(U32At(bmp, 22), 620u);
    // The first stored row is canvas row 619, in the grey frame.
    EXPECT_EQ(bmp[54], 0xB4);
    EXPECT_EQ(bmp[55], 0xB4);
    EXPECT_EQ(bmp[56], 0xB4);
}

TEST_F(RenderCommandTest, ExitStatuses) {
    struct Case {
        const char* what;
        RenderOptions options;
        int status;
    };
    const std::string out = m_folder / "x.bmp";
    std::vector<Case> cases;
    const auto with = [&](const char* what, int status, auto change) {
        RenderOptions options;
        options.outPath = out;
        change(options);
        cases.push_back({what, options, status});
    };
    with("other extension", 2, [](RenderOptions& o) { o.outPath += ".jpg"; });
    with("model refused", 2, [](RenderOptions& o) { o.model = "0,600,1000"; });
    with("model too large", 2, [](RenderOptions& o) { o.model = "2147483647,600,2147483647"; });
    with("model image under a pixel", 2, [](RenderOptions& o) { o.model = "100000,1,1000"; });
    with("canvas leaves no image", 2, [](RenderOptions& o) { o.canvas = "1,1"; });
    with("model malformed", 2, [](RenderOptions& o) { o.model = "1000,600"; });
    with("model out of range", 2, [](RenderOptions& o) { o.model = "1000,600,99999999999"; });
    with("canvas refused", 2, [](RenderOptions& o) { o.canvas = "0,620"; });
    with("canvas trailing text", 2, [](RenderOptions& o) { o.canvas = "910,620x"; });
    with("offset malformed", 2, [](RenderOptions& o) { o.offset = "1"; });
    with("missing job", 1, [&](RenderOptions& o) { o.jobPath = m_folder / "none.prn"; });
    with("unwritable output", 1, [&](RenderOptions& o) { o.outPath = m_folder / "no" / "x.png"; });
    with("extreme offset", 0, [](RenderOptions& o) { o.offset = "2147483647,-2147483648"; });
    for (const Case& c : cases) {
        EXPECT_EQ(Render(c.options), c.status) << c.what << ": " << m_err.str();
        if (c.status != 0) {
            EXPECT_FALSE(m_err.str().empty()) << c.what;
        }
    }
}

TEST_F(RenderCommandTest, NeverWritesOverTheJob) {
    // The job under a picture's name, and a picture name hard-linked to it.
    const fs::path named = m_folder / "job.bmp";
    fs::copy_file(m_job, named);
    fs::create_hard_link(m_job, m_folder / "linked.png");
    const Bytes original = ReadFile(m_job);
    for (const fs::path& out : {named, m_folder / "linked.png"}) {
        RenderOptions options;
        options.jobPath = out == named ? named : m_job;
        options.outPath = out;
        EXPECT_EQ(Render(options), 1) << out;
        EXPECT_NE(m_err.str().find("is an input of this run"), std::string::npos) << m_err.str();
        EXPECT_EQ(ReadFile(out), original) << out;
    }
}

TEST_F(RenderCommandTest, JobWithParseErrorsIsDrawnWithOneWarning) {
    JobWriter job;
    job.Magic().MoveAbsolute(100, 100).LineRelative(30000, 0).Trailer(0x1234, 99);
    std::ofstream(m_job, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(job.Bytes().data()),
               static_cast<std::streamsize>(job.Size()));
    RenderOptions options;
    options.outPath = m_folder / "warn.png";
    EXPECT_EQ(Render(options), 0);
    const std::string err = m_err.str();
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
    EXPECT_NE(err.find("warning"), std::string::npos) << err;
    EXPECT_TRUE(fs::exists(options.outPath));
}

}  // namespace
