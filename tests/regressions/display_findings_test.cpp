// Inputs the fuzzer found faults with in the load and render, replayed from
// inputs/display (options block, then the job), and the fault written out
// small.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "fuzz/display_fuzz_input.h"
#include "tests/display/display_harness.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

const std::filesystem::path kInputs = std::filesystem::path(LUMIKOR_FINDINGS_DIR) / "display";

// Every closed raster row used to walk and clear the whole bed row, so a job
// that changed pen after each short line cost its line count times the bed
// width (over a second for a 2 KB job on a 95,000-dot bed). Closing a row
// no longer depends on the bed width; what must not change is that each row
// starts empty, wherever on a wide bed the last one drew.
TEST(DisplayFindingsTest, WideBedRowsStartEmptyAfterEveryFlush) {
    DisplayHarness h(910, 620, MakeModel(3000, 100, 1000));  // 118,110 dots wide
    ASSERT_EQ(h.setModel, 1);
    const auto column = [&](std::int32_t dot) {
        return static_cast<std::int32_t>(static_cast<float>(dot) * h.display.GetScale());
    };
    JobWriter job;
    job.Magic().BitMode(2).DotStep(1);
    job.Raster('0', 0, 2000, Bytes(10, 9)).Raster('1', 118109, 2000, Bytes(10, 9));
    job.Pen(1).Raster('0', 60000, 2000, Bytes(10, 9));  // same canvas row, red
    job.Pen(2).Raster('0', 90000, 1000, Bytes(10, 9));  // another row, green
    h.Run(job.Trailer());

    const auto row = static_cast<std::int32_t>(1937 * h.display.GetScale());
    EXPECT_EQ(h.ColumnsOf(row, kBlack), (std::vector<std::int32_t>{0, column(118109)}));
    EXPECT_EQ(h.ColumnsOf(row, kRed), std::vector<std::int32_t>{column(60000)});
    const auto otherRow = static_cast<std::int32_t>(2937 * h.display.GetScale());
    ASSERT_NE(otherRow, row);
    EXPECT_EQ(h.ColumnsOf(otherRow, kGreen), std::vector<std::int32_t>{column(90000)});
    EXPECT_TRUE(h.ColumnsOf(otherRow, kBlack).empty());
}

// The checked-in inputs, drawn twice as the fuzz target draws them; under
// the sanitizers this is where a fault would show.
TEST(DisplayFindingsTest, CheckedInInputsDrawTwice) {
    int replayed = 0;
    for (const auto& entry : std::filesystem::directory_iterator(kInputs)) {
        SCOPED_TRACE(entry.path().filename().string());
        std::ifstream in(entry.path(), std::ios::binary);
        const Bytes input{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        const DisplayFuzzOptions options = DisplayFuzzOptions::Read(input.data(), input.size());
        DisplayHarness h;
        ASSERT_TRUE(options.Apply(&h.display, &h.screen));
        const std::size_t jobStart = std::min(input.size(), DisplayFuzzOptions::kSize);
        const Bytes job(input.begin() + static_cast<std::ptrdiff_t>(jobStart), input.end());
        h.Run(job);
        h.Run(job);
        ++replayed;
    }
    EXPECT_GT(replayed, 0);
}

}  // namespace
