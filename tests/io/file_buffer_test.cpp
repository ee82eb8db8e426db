#include "io/file_buffer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>

#include "tests/support/temp_dir.h"

namespace {

constexpr std::uint32_t kUntouched = 0xDEADBEEF;

TEST(FileBufferTest, ReadsTheWholeFile) {
    const TempDir dir;
    const std::string bytes("\x1B%-\0\xFF tail", 10);
    std::uint32_t length = kUntouched;
    std::uint8_t* buffer = LoadFileToBuffer(dir.Write("job.prn", bytes).c_str(), &length);
    ASSERT_NE(buffer, nullptr);
    EXPECT_EQ(length, bytes.size());
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), length), bytes);
    EXPECT_EQ(FreeFileBuffer(buffer), 1);
    EXPECT_EQ(FreeFileBuffer(nullptr), 0);
}

TEST(FileBufferTest, EmptyFileGivesAValidEmptyBuffer) {
    const TempDir dir;
    std::uint32_t length = kUntouched;
    std::uint8_t* buffer = LoadFileToBuffer(dir.Write("empty.prn", "").c_str(), &length);
    ASSERT_NE(buffer, nullptr);
    EXPECT_EQ(length, 0u);
    FreeFileBuffer(buffer);
}

TEST(FileBufferTest, LengthPointerMayBeNull) {
    const TempDir dir;
    std::uint8_t* buffer = LoadFileToBuffer(dir.Write("a.prn", "abc").c_str(), nullptr);
    ASSERT_NE(buffer, nullptr);
    EXPECT_EQ(buffer[2], 'c');
    FreeFileBuffer(buffer);
}

TEST(FileBufferTest, FailedOpensGiveNullAndLeaveTheLength) {
    const TempDir dir;
    const std::string fifo = (dir.Path() / "fifo").string();
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    for (const std::string& path :
         {std::string(), (dir.Path() / "missing.prn").string(), dir.Path().string(), fifo}) {
        SCOPED_TRACE(path);
        std::uint32_t length = kUntouched;
        EXPECT_EQ(LoadFileToBuffer(path.c_str(), &length), nullptr);
        EXPECT_EQ(length, kUntouched);
    }
    std::uint32_t length = kUntouched;
    EXPECT_EQ(LoadFileToBuffer(nullptr, &length), nullptr);
    EXPECT_EQ(length, kUntouched);
}

TEST(FileBufferTest, FileOfFourGibibytesOrMoreIsRefused) {
    const TempDir dir;
    const std::string path = dir.Write("huge.prn", "");
    // Sparse: no disk space is used.
    ASSERT_EQ(truncate(path.c_str(), std::int64_t{1} << 32), 0);
    std::uint32_t length = kUntouched;
    EXPECT_EQ(LoadFileToBuffer(path.c_str(), &length), nullptr);
    EXPECT_EQ(length, kUntouched);
}

TEST(FileBufferTest, PathsLongerThan255CharactersWork) {
    const TempDir dir;
    std::filesystem::path deep = dir.Path();
    for (int i = 0; i < 6; ++i) deep /= std::string(60, static_cast<char>('a' + i));
    std::filesystem::create_directories(deep);
    const std::string path = (deep / "job.prn").string();
    ASSERT_GT(path.size(), 255u);
    { std::ofstream(path) << "xyz"; }
    std::uint32_t length = 0;
    std::uint8_t* buffer = LoadFileToBuffer(path.c_str(), &length);
    ASSERT_NE(buffer, nullptr);
    EXPECT_EQ(length, 3u);
    FreeFileBuffer(buffer);
}

TEST(FileBufferTest, EveryFreedBufferCanBeLoadedAgain) {
    // More loads than the program can hold at once: each free must end its
    // mapping for the next load to get one.
    const TempDir dir;
    const std::string path = dir.Write("again.prn", "job bytes");
    for (int i = 0; i < 200; ++i) {
        std::uint32_t length = 0;
        std::uint8_t* buffer = LoadFileToBuffer(path.c_str(), &length);
        ASSERT_NE(buffer, nullptr) << "load " << i;
        ASSERT_EQ(length, 9u);
        EXPECT_EQ(FreeFileBuffer(buffer), 1);
    }
}

}  // namespace
