// Saving the bed image: the file's bytes read back, the atomic replacement,
// and the name formed from the job path.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tests/display/display_harness.h"

namespace {

namespace fs = std::filesystem;

std::vector<std::uint8_t> ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::uint32_t U32At(const std::vector<std::uint8_t>& b, std::size_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (std::uint32_t{b[at + 3]} << 24);
}

std::uint32_t U16At(const std::vector<std::uint8_t>& b, std::size_t at) {
    return b[at] | (b[at + 1] << 8);
}

class BitmapExportTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_folder = fs::temp_directory_path() /
                   ("lumikor-bitmap-" + std::to_string(::getpid()) + "-" +
                    ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(m_folder);
    }
    void TearDown() override {
        fs::permissions(m_folder, fs::perms::owner_all, fs::perm_options::add);
        fs::remove_all(m_folder);
    }
    std::vector<fs::path> FolderEntries() const {
        return {fs::directory_iterator(m_folder), fs::directory_iterator()};
    }

    fs::path m_folder;
};

TEST_F(BitmapExportTest, DefaultModelFileLayout) {
    DisplayHarness h;  // image 910 x 546
    JobWriter job;
    // One red dot on canvas row 0, column 1; one on the image's last row, column 2.
    job.Magic().Pen(1).Raster('0', 44, 23622, std::vector<std::uint8_t>{0x80});
    job.Raster('0', 88, 43, std::vector<std::uint8_t>{0x80}).Trailer();
    h.Run(job);
    ASSERT_EQ(h.Pixel(1, 0), kRed);
    ASSERT_EQ(h.Pixel(2, 545), kRed);

    const fs::path path = m_folder / "part.bmp";
    std::string error;
    ASSERT_EQ(h.display.SaveImage(path.c_str(), &error), 1) << error;
    const std::vector<std::uint8_t> b = ReadFile(path);
    ASSERT_EQ(b.size(), 1491726u);
    EXPECT_EQ(b[0], 'B');
    EXPECT_EQ(b[1], 'M');
    EXPECT_EQ(U32At(b, 2), 1491726u);
    EXPECT_EQ(U32At(b, 6), 0u);  // both reserved words
    EXPECT_EQ(U32At(b, 10), 54u);
    EXPECT_EQ(U32At(b, 14), 40u);
    EXPECT_EQ(U32At(b, 18), 910u);
    EXPECT_EQ(U32At(b, 22), 546u);
    EXPECT_EQ(U16At(b, 26), 1u);
    EXPECT_EQ(U16At(b, 28), 24u);
    EXPECT_EQ(U32At(b, 30), 0u);
    EXPECT_EQ(U32At(b, 34), 1491672u);
    for (std::size_t at = 38; at < 54; at += 4) EXPECT_EQ(U32At(b, at), 0u) << at;

    const std::size_t stride = 2732;
    // Bottom-up: the first stored row is canvas row 545, the last is row 0.
    const auto pixel = [&](std::size_t storedRow, std::size_t x) {
        const std::size_t at = 54 + storedRow * stride + x * 3;
        return std::vector<std::uint8_t>{b[at], b[at + 1], b[at + 2]};
    };
    EXPECT_EQ(pixel(0, 2), (std::vector<std::uint8_t>{0x00, 0x00, 0xFF}));  // blue, green, red
    EXPECT_EQ(pixel(545, 1), (std::vector<std::uint8_t>{0x00, 0x00, 0xFF}));
    EXPECT_EQ(pixel(545, 0), (std::vector<std::uint8_t>{0xFF, 0xFF, 0xFF}));
    for (std::size_t row = 0; row < 546; ++row) {
        EXPECT_EQ(b[54 + row * stride + 2730], 0) << row;  // padding
        EXPECT_EQ(b[54 + row * stride + 2731], 0) << row;
    }
}

TEST_F(BitmapExportTest, RowsWithoutPaddingAndOverwriting) {
    // 400 x 300 mm on a 400 x 300 canvas: image 400 x 300, stride 1200.
    DisplayHarness h(400, 300, MakeModel(400, 300, 254));
    h.Run(JobWriter().Magic());
    const fs::path path = m_folder / "wide.bmp";
    std::ofstream(path) << std::string(5000000, 'x');  // longer than the image
    ASSERT_EQ(h.display.SaveImage(path.c_str()), 1);
    const std::vector<std::uint8_t> b = ReadFile(path);
    ASSERT_EQ(b.size(), 54u + 1200u * 300u);
    EXPECT_EQ(U32At(b, 34), 360000u);
    EXPECT_EQ(FolderEntries().size(), 1u);
}

TEST_F(BitmapExportTest, FailuresLeaveTheTargetAndNoTemporaryFile) {
    DisplayHarness h;
    h.Run(JobWriter().Magic());
    std::string error;
    EXPECT_EQ(h.display.SaveImage(nullptr, &error), 0);

    // The target is a folder: the complete temporary file cannot replace it.
    const fs::path folderTarget = m_folder / "taken.bmp";
    fs::create_directory(folderTarget);
    std::ofstream(folderTarget / "keep") << "keep";
    error.clear();
    EXPECT_EQ(h.display.SaveImage(folderTarget.c_str(), &error), 0);
    EXPECT_NE(error.find(std::strerror(EISDIR)), std::string::npos) << error;
    EXPECT_TRUE(fs::is_directory(folderTarget));
    EXPECT_EQ(FolderEntries().size(), 1u);

    error.clear();
    EXPECT_EQ(h.display.SaveImage((m_folder / "missing" / "x.bmp").c_str(), &error), 0);
    EXPECT_NE(error.find(std::strerror(ENOENT)), std::string::npos) << error;

    // A folder the user may not write to (the permission check does not
    // apply to the superuser).
    if (::geteuid() != 0) {
        const fs::path previous = m_folder / "previous.bmp";
        std::ofstream(previous) << "previous";
        fs::permissions(m_folder, fs::perms::owner_read | fs::perms::owner_exec);
        error.clear();
        EXPECT_EQ(h.display.SaveImage(previous.c_str(), &error), 0);
        EXPECT_NE(error.find(std::strerror(EACCES)), std::string::npos) << error;
        fs::permissions(m_folder, fs::perms::owner_all);
        std::ifstream in(previous);
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "previous");
        EXPECT_EQ(FolderEntries().size(), 2u);
    }
}

TEST(ReplaceExtensionTest, OnlyTheFileNameCounts) {
    struct Case {
        const char* path;
        int result;
        const char* expected;
    };
    const std::vector<Case> cases = {
        {"jobs/part.prn", 1, "jobs/part.bmp"},
        {"jobs/part.prn.old", 1, "jobs/part.bmp"},
        {"rev.2/part.prn", 1, "rev.2/part.bmp"},
        {"./part.prn", 1, "./part.bmp"},
        {".job.prn", 1, ".job.bmp"},
        {"part.", 1, "part.bmp"},
        {"part", 0, "part"},
        {".profile", 0, ".profile"},
        {"dir.d/", 0, "dir.d/"},
        {"jobs/..", 0, "jobs/.."},
        {"", 0, ""},
    };
    for (const Case& c : cases) {
        std::string path = c.path;
        EXPECT_EQ(ReplaceExtension(&path, "bmp"), c.result) << c.path;
        EXPECT_EQ(path, c.expected);
    }
    const std::string longName = std::string(300, 'a') + ".prn";
    std::string path = longName;
    EXPECT_EQ(ReplaceExtension(&path, "bmp"), 1);
    EXPECT_EQ(path, std::string(300, 'a') + ".bmp");
    EXPECT_EQ(ReplaceExtension(&path, nullptr), 0);
    EXPECT_EQ(ReplaceExtension(nullptr, "bmp"), 0);
}

}  // namespace
