// What the display makes of input that is broken or out of range, where the
// other display tests do not already say it: jobs that are not decoded at
// all, raster lines that decode to more than the decode buffer, and bitmap
// names too long for the file system.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/display/display_harness.h"
#include "tests/support/temp_dir.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(DisplayBadInputTest, JobsThatAreNotDecodedLeaveTheBedWhite) {
    DisplayHarness h;
    const JobWriter line = JobWriter().BitMode(2).DotStep(1).Raster('0', 0, 2000, Bytes(50, 255));
    const std::vector<Bytes> jobs = {
        {}, {'L'}, {'L', 'T'}, JobWriter().Raw("LTX").Raw(line.Bytes()).Trailer().Bytes()};
    for (const Bytes& job : jobs) {
        SCOPED_TRACE(job.size());
        h.Run(job);
        EXPECT_NE(h.display.GetErrorFlags(), 0u);
        EXPECT_TRUE(h.screen.presents.empty());
        for (std::int32_t y = 0; y < h.display.GetImageHeight(); ++y) {
            ASSERT_EQ(h.ColumnsOf(y, kWhite).size(), 910u) << "row " << y;
        }
    }
}

// A line may decode to far more than 64 KiB; the first 65,536 bytes are
// drawn and the rest is cut off, whatever the bed's width.
TEST(DisplayBadInputTest, DecodedLinesAreCutAt64KiB) {
    DisplayHarness h(910, 620, MakeModel(2000, 100, 1000));  // 78,740 dots wide
    ASSERT_EQ(h.setModel, 1);
    const auto lastColumn = [&](std::int32_t dot) {
        return static_cast<std::int32_t>(static_cast<float>(dot) * h.display.GetScale());
    };
    for (const char direction : {'0', '1'}) {
        SCOPED_TRACE(direction);
        const std::int32_t start = direction == '0' ? 0 : 69999;
        JobWriter job;
        job.Magic().BitMode(2).DotStep(1).Raster(direction, start, 2000, Bytes(70000, 200));
        h.Run(job.Trailer());
        const std::int32_t row = static_cast<std::int32_t>(1937 * h.display.GetScale());
        const std::vector<std::int32_t> black = h.ColumnsOf(row, kBlack);
        ASSERT_FALSE(black.empty());
        // Dots 0 to 65,535 forwards; 69,999 down to 4,464 backwards.
        EXPECT_EQ(black.front(), direction == '0' ? 0 : lastColumn(4464));
        EXPECT_EQ(black.back(), direction == '0' ? lastColumn(65535) : lastColumn(69999));
        EXPECT_EQ(black.size(), static_cast<std::size_t>(black.back() - black.front() + 1));
    }
}

// The bitmap is named after the job, so the name can be as long as any path
// the user opened: a long path is written, a name the file system cannot
// hold is reported and leaves nothing behind.
TEST(DisplayBadInputTest, LongImagePaths) {
    const TempDir dir;
    DisplayHarness h;
    h.Run(JobWriter().Magic());

    std::filesystem::path deep = dir.Path();
    for (int i = 0; i < 6; ++i) deep /= std::string(60, static_cast<char>('a' + i));
    std::filesystem::create_directories(deep);
    const std::string longPath = (deep / (std::string(200, 'p') + ".bmp")).string();
    ASSERT_GT(longPath.size(), 500u);
    std::string error;
    EXPECT_EQ(h.display.SaveImage(longPath.c_str(), &error), 1) << error;
    EXPECT_TRUE(std::filesystem::is_regular_file(longPath));

    const std::string tooLong = (dir.Path() / (std::string(300, 'n') + ".bmp")).string();
    error.clear();
    EXPECT_EQ(h.display.SaveImage(tooLong.c_str(), &error), 0);
    EXPECT_NE(error.find(std::strerror(ENAMETOOLONG)), std::string::npos) << error;
    // Only the deep folder is left in the test folder: no temporary file.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()),
                            std::filesystem::directory_iterator()),
              1);
}

}  // namespace
