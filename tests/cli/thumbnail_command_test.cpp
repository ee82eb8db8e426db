// lumikor-cli thumbnail: the picture is the bed drawn at the thumbnail's
// size, and a failure leaves the output as it was.
#include "cli/thumbnail_command.h"

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "cli/cli_app.h"
#include "cli/render_command.h"
#include "tests/cli/cli_run.h"
#include "tests/support/job_writer.h"
#include "tests/support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

std::string WriteBytes(const TempDir& dir, const std::string& name, const Bytes& bytes) {
    return dir.Write(name,
                     std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

void RegisterForTest(CLI::App& app, CliContext& context) { RegisterThumbnailCommand(app, context); }

CliRun RunTool(std::vector<std::string> args) {
    return RunCliForTest(RegisterForTest, std::move(args));
}

// Width and height from the PNG's header chunk.
std::pair<std::uint32_t, std::uint32_t> PngSize(const Bytes& png) {
    const auto u32 = [&png](std::size_t at) {
        return std::uint32_t{png[at]} << 24 | png[at + 1] << 16 | png[at + 2] << 8 | png[at + 3];
    };
    if (png.size() < 24) return {0, 0};
    return {u32(16), u32(20)};
}

class ThumbnailCommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        JobWriter job;
        job.Magic().Pen(1).DotStep(1).Raster('0', 1000, 20000, Bytes(40, 0xFF));
        job.Pen(2).MoveAbsolute(2000, 2000).LineRelative(700000, 0).LineRelative(0, 450000);
        job.ArcC(-100000, 0, -50000, 0).Trailer();
        m_job = WriteBytes(m_dir, "job.prn", job.Bytes());
    }

    // Files in the folder other than the jobs and the old picture, to see
    // that nothing is left behind.
    std::vector<std::string> Leftovers() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(m_dir.Path())) {
            const fs::path& path = entry.path();
            if (path.extension() != ".prn" && path.filename() != "old.png") {
                names.push_back(path.filename().string());
            }
        }
        return names;
    }

    TempDir m_dir;
    std::string m_job;
};

// The thumbnail is what render draws on a square canvas of that size, cut
// to the bed: the same pixels, the same PNG.
TEST_F(ThumbnailCommandTest, IsTheBedRenderedIntoTheSquare) {
    for (const std::int32_t size : {16, 128, 256, 1000}) {
        SCOPED_TRACE(size);
        const std::string thumb = (m_dir.Path() / "thumb.png").string();
        const std::string rendered = (m_dir.Path() / "render.png").string();
        std::ostringstream err;
        ASSERT_EQ(RunThumbnail({m_job, thumb, size}, err), kExitOk) << err.str();

        RenderOptions render;
        render.jobPath = m_job;
        render.outPath = rendered;
        render.canvas = std::to_string(size) + "," + std::to_string(size);
        std::ostringstream out;
        ASSERT_EQ(RunRender(render, out, err), kExitOk) << err.str();

        const Bytes png = ReadFile(thumb);
        EXPECT_EQ(png, ReadFile(rendered));
        // The 1000 x 600 mm bed fills the width; its height is cut down to
        // whole pixels.
        EXPECT_EQ(PngSize(png), (std::pair<std::uint32_t, std::uint32_t>(size, size * 600 / 1000)));
    }
}

TEST_F(ThumbnailCommandTest, CommandLineGivesJobOutAndSize) {
    const std::string out = (m_dir.Path() / "t.png").string();
    ASSERT_EQ(RunTool({"thumbnail", m_job, out, "--size", "128"}).status, kExitOk);
    EXPECT_EQ(PngSize(ReadFile(out)).first, 128u);
    ASSERT_EQ(RunTool({"thumbnail", m_job, out}).status, kExitOk);
    EXPECT_EQ(PngSize(ReadFile(out)).first, 256u);  // the default

    for (const char* size : {"15", "4097", "-1", "many", "99999999999"}) {
        SCOPED_TRACE(size);
        EXPECT_EQ(RunTool({"thumbnail", m_job, out, "--size", size}).status, kExitUsage);
    }
    EXPECT_EQ(RunTool({"thumbnail", m_job}).status, kExitUsage);
}

TEST_F(ThumbnailCommandTest, FailuresLeaveTheOutputAsItWas) {
    const std::string old = m_dir.Write("old.png", "earlier picture");
    // A pipe nobody writes to: waiting for it would hang the file manager.
    const std::string fifo = (m_dir.Path() / "fifo.prn").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const TempDir elsewhere;
    const std::string oldCopy = elsewhere.Write("old.png", "earlier picture");
    struct Case {
        std::string job;
        std::string out;
        int status;
    };
    const std::vector<Case> cases = {
        {(m_dir.Path() / "missing.prn").string(), old, kExitCannotRead},
        {m_dir.Path().string(), old, kExitCannotRead},  // a folder
        {m_dir.Write("printer.prn", "%!PS printer output\n"), old, kExitJobErrors},
        {m_dir.Write("empty.prn", ""), old, kExitJobErrors},
        {m_dir.Write("short.prn", "LT"), old, kExitJobErrors},
        {m_job, (m_dir.Path() / "no/such/folder/t.png").string(), kExitCannotRead},
        {m_job, m_dir.Path().string(), kExitCannotRead},  // OUT is a folder
        {fifo, old, kExitCannotRead},
        {"-", old, kExitCannotRead},  // a file of that name, not standard input
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.job + " -> " + c.out);
        std::ostringstream err;
        EXPECT_EQ(RunThumbnail({c.job, c.out, 256}, err), c.status);
        EXPECT_NE(err.str(), "");
        EXPECT_EQ(ReadFile(old), ReadFile(oldCopy));
        EXPECT_EQ(Leftovers(), std::vector<std::string>{});
    }
}

// A job with faults past its magic is still a job: it is drawn as far as it
// goes, as the preview does.
TEST_F(ThumbnailCommandTest, JobWithErrorBitsIsStillDrawn) {
    JobWriter job;
    job.Magic().Pen(3).MoveAbsolute(0, 0).LineRelative(900000, 500000).Trailer(0x1234, 7);
    const std::string path = WriteBytes(m_dir, "faulty.prn", job.Bytes());
    const std::string out = (m_dir.Path() / "t.png").string();
    std::ostringstream err;
    EXPECT_EQ(RunThumbnail({path, out, 64}, err), kExitOk);
    EXPECT_EQ(PngSize(ReadFile(out)), (std::pair<std::uint32_t, std::uint32_t>(64, 38)));
}

// A job that takes longer than the limit ends the run with no thumbnail.
void ThumbnailWithin(const ThumbnailOptions& options) {
    std::ostringstream err;
    std::exit(RunThumbnail(options, err) + 10);  // not reached if the limit ends it
}

TEST_F(ThumbnailCommandTest, GivesUpWhenTheJobTakesTooLong) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    // The largest job there can be, sparse: seconds of work on any machine,
    // so the limit ends it however late the timer's thread comes.
    JobWriter slow;
    const std::string job = WriteBytes(m_dir, "slow.prn", slow.Magic().Bytes());
    ASSERT_EQ(truncate(job.c_str(), (std::int64_t{1} << 32) - 1), 0);
    const std::string out = (m_dir.Path() / "t.png").string();
    EXPECT_EXIT(ThumbnailWithin({job, out, 256, 1}), testing::ExitedWithCode(kExitCannotRead),
                "took too long \\(over 1 ms\\); no thumbnail written");
    EXPECT_FALSE(fs::exists(out));
    EXPECT_EQ(Leftovers(), std::vector<std::string>{});
}

}  // namespace
