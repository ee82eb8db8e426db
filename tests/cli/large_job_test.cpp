// Jobs past 2 GiB, up to the largest a job can be (4 GiB - 1 bytes): counts
// and command extents keep their real values instead of going negative, and
// drawing such a job stays inside it. The files are sparse, so they cost disk
// blocks only for their first bytes.
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>

#include "cli/info_command.h"
#include "cli/render_command.h"
#include "io/job_file.h"
#include "parser/base_job_parser.h"
#include "tests/support/temp_dir.h"

namespace {

constexpr std::uint64_t kTwoGiB = std::uint64_t{1} << 31;
constexpr std::uint64_t kLargestJob = (std::uint64_t{1} << 32) - 1;

// Writes head and extends the file with zeros (a hole) to size bytes.
std::string SparseJob(const TempDir& dir, const std::string& name, const std::string& head,
                      std::uint64_t size) {
    const std::string path = dir.Write(name, head);
    EXPECT_EQ(truncate(path.c_str(), static_cast<off_t>(size)), 0);
    return path;
}

// The magic, then one forward raster line that runs to the end of a job of
// size bytes: its N covers x, y and every byte after them.
std::string RasterLineToTheEnd(std::uint64_t size) {
    const auto n = static_cast<std::uint32_t>(size - 3 - 6);
    std::string head =
        "LTT\x1b"
        "0";
    for (int shift = 24; shift >= 0; shift -= 8) head += static_cast<char>(n >> shift & 0xFF);
    // x = 1000, y = 1000 dots, so the line lies on the default bed.
    head += std::string("\0\0\x03\xe8\0\0\x03\xe8", 8);
    head += std::string(64, '\x55');
    return head;
}

// info --json --trace of the job.
nlohmann::json TracedInfo(const std::string& path) {
    InfoOptions options;
    options.jobPath = path;
    options.json = true;
    options.trace = true;
    std::ostringstream out;
    std::ostringstream err;
    RunInfo(options, out, err);
    EXPECT_EQ(err.str(), "");
    return nlohmann::json::parse(out.str());
}

// Parsed directly: every unknown byte is a turn of the parse loop, and one
// pass over 2 GiB is all this needs.
TEST(LargeJobTest, UnknownBytesPastTwoGiBAreCountedNotWrapped) {
    const TempDir dir;
    const std::uint64_t size = kTwoGiB + 20;
    const std::string path = SparseJob(dir, "zeros.prn", "LTT", size);
    JobFile job;
    std::string error;
    ASSERT_TRUE(job.Open(path, JobSource::kRegularFile, &error)) << error;
    CBaseJobParser parser;
    ASSERT_EQ(parser.Attach(job.Data(), job.Size()), 1);
    parser.Parse();
    EXPECT_EQ(parser.GetUnknownCount(), size - 3);
}

TEST(LargeJobTest, RasterLinesPastTwoGiBAndUpToTheLargestJobKeepTheirExtent) {
    const TempDir dir;
    for (const std::uint64_t size : {kTwoGiB + 8 + 9, kLargestJob}) {
        SCOPED_TRACE(size);
        const std::string path = SparseJob(dir, "line.prn", RasterLineToTheEnd(size), size);

        const nlohmann::json report = TracedInfo(path);
        const nlohmann::json& trace = report["trace"];
        const auto line = std::find_if(trace.begin(), trace.end(), [](const nlohmann::json& e) {
            return e.contains("cmdLength");
        });
        ASSERT_NE(line, trace.end());
        EXPECT_EQ((*line)["cmdStart"].get<std::uint64_t>(), 3u);
        EXPECT_EQ((*line)["cmdLength"].get<std::uint64_t>(), size - 3);
        EXPECT_EQ(report["unknownCount"].get<std::uint64_t>(), 0u);
        EXPECT_EQ(report["pos"].get<std::uint64_t>(), size);

        // Drawn, the line is decoded only as far as the bed reaches.
        RenderOptions render;
        render.jobPath = path;
        render.outPath = (dir.Path() / "line.bmp").string();
        std::ostringstream out;
        std::ostringstream err;
        EXPECT_EQ(RunRender(render, out, err), kExitOk) << err.str();
    }
}

}  // namespace
