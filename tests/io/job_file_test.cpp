// JobFile: what it loads, what it refuses and why, and a file that shrinks
// or is rewritten while it is loaded.
#include "io/job_file.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <thread>

#include "tests/support/standard_input.h"
#include "tests/support/temp_dir.h"

namespace {

std::string AsText(const JobFile& job) {
    return {reinterpret_cast<const char*>(job.Data()), job.Size()};
}

// What Open says about path, or "" when it loads.
std::string RefusalOf(const std::string& path, JobSource source) {
    JobFile job;
    std::string error;
    if (job.Open(path, source, &error)) return "";
    EXPECT_EQ(job.Data(), nullptr);
    return error;
}

long PeakResidentKiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

TEST(JobFileTest, LoadsRegularFilesWholeForBothPrograms) {
    const TempDir dir;
    const std::string bytes("\x1B%-\0\xFF tail", 10);
    for (const JobSource source : {JobSource::kRegularFile, JobSource::kFileOrStream}) {
        JobFile job;
        std::string error;
        ASSERT_TRUE(job.Open(dir.Write("job.prn", bytes), source, &error)) << error;
        EXPECT_EQ(AsText(job), bytes);
        EXPECT_FALSE(job.Changed());

        ASSERT_TRUE(job.Open(dir.Write("empty.prn", ""), source, &error)) << error;
        EXPECT_NE(job.Data(), nullptr);  // the parser refuses a null job
        EXPECT_EQ(job.Size(), 0u);
        EXPECT_FALSE(job.Changed());
    }
}

TEST(JobFileTest, RefusesWhatIsNoJobWithItsReason) {
    const TempDir dir;
    const std::string fifo = (dir.Path() / "fifo").string();
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const std::string socketPath = (dir.Path() / "socket").string();
    const int listener = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    socketPath.copy(address.sun_path, sizeof address.sun_path - 1);
    ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);

    for (const JobSource source : {JobSource::kRegularFile, JobSource::kFileOrStream}) {
        SCOPED_TRACE(static_cast<int>(source));
        EXPECT_EQ(RefusalOf((dir.Path() / "missing.prn").string(), source),
                  "No such file or directory");
        EXPECT_EQ(RefusalOf(dir.Path().string(), source), "is a directory");
        // Devices are refused before a byte is read: /dev/zero never ends.
        EXPECT_EQ(RefusalOf("/dev/zero", source), "is a character device");
        EXPECT_EQ(RefusalOf("/dev/null", source), "is a character device");
        EXPECT_EQ(RefusalOf(socketPath, source), "is a socket");
    }
    // The desktop program refuses a pipe at once, without waiting for a
    // writer; "-" is only a file name to it.
    EXPECT_EQ(RefusalOf(fifo, JobSource::kRegularFile), "is a pipe");
    EXPECT_EQ(RefusalOf("-", JobSource::kRegularFile), "No such file or directory");
    close(listener);
}

TEST(JobFileTest, FileOfFourGibibytesOrMoreIsRefusedBeforeReading) {
    const TempDir dir;
    const std::string path = dir.Write("huge.prn", "");
    ASSERT_EQ(truncate(path.c_str(), std::int64_t{1} << 32), 0);  // sparse
    const long before = PeakResidentKiB();
    EXPECT_EQ(RefusalOf(path, JobSource::kFileOrStream), kJobTooLarge);
    EXPECT_EQ(RefusalOf(path, JobSource::kRegularFile), kJobTooLarge);
    EXPECT_LT(PeakResidentKiB() - before, 16 * 1024);
}

TEST(JobFileTest, UnreadableFileGivesTheSystemsReason) {
    if (geteuid() == 0) GTEST_SKIP() << "root reads files whatever their mode";
    const TempDir dir;
    const std::string path = dir.Write("locked.prn", "abc");
    ASSERT_EQ(chmod(path.c_str(), 0), 0);
    EXPECT_EQ(RefusalOf(path, JobSource::kFileOrStream), "Permission denied");
}

TEST(JobFileTest, CommandLineReadsPipesAndStandardInput) {
    const TempDir dir;
    const std::string fifo = (dir.Path() / "fifo").string();
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    // The writer may come after the reader opened the pipe: the load waits.
    std::thread writer([&] {
        const int fd = open(fifo.c_str(), O_WRONLY);
        for (int i = 0; i < 100; ++i) ASSERT_EQ(write(fd, "0123456789", 10), 10);
        close(fd);
    });
    {
        JobFile job;
        std::string error;
        ASSERT_TRUE(job.Open(fifo, JobSource::kFileOrStream, &error)) << error;
        EXPECT_EQ(job.Size(), 1000u);
        EXPECT_EQ(AsText(job).substr(990), "0123456789");
        EXPECT_FALSE(job.Changed());
    }
    writer.join();

    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    ASSERT_EQ(write(fds[1], "piped", 5), 5);
    close(fds[1]);
    WithStandardInput(fds[0], [] {
        JobFile job;
        std::string error;
        ASSERT_TRUE(job.Open("-", JobSource::kFileOrStream, &error)) << error;
        EXPECT_EQ(AsText(job), "piped");
    });
    close(fds[0]);

    // A file as standard input is the whole file, or what is left of it
    // after an earlier reader.
    const int file = open(dir.Write("stdin.prn", "whole file").c_str(), O_RDONLY);
    WithStandardInput(file, [] {
        JobFile job;
        std::string error;
        ASSERT_TRUE(job.Open("-", JobSource::kFileOrStream, &error)) << error;
        EXPECT_EQ(AsText(job), "whole file");
        ASSERT_EQ(lseek(STDIN_FILENO, 6, SEEK_SET), 6);
        ASSERT_TRUE(job.Open("-", JobSource::kFileOrStream, &error)) << error;
        EXPECT_EQ(AsText(job), "file");
    });
    close(file);
}

TEST(JobFileTest, ReadErrorOfStandardInputIsAReason) {
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    // The write end of a pipe cannot be read.
    WithStandardInput(
        fds[1], [] { EXPECT_EQ(RefusalOf("-", JobSource::kFileOrStream), "Bad file descriptor"); });
    close(fds[0]);
    close(fds[1]);
}

TEST(JobFileTest, FileThatShrinksUnderTheLoadReadsAsZerosAndIsReported) {
    const TempDir dir;
    const long page = sysconf(_SC_PAGESIZE);
    const std::string bytes(static_cast<std::size_t>(page) * 8, 'x');
    const std::string path = dir.Write("shrinks.prn", bytes);
    const std::string otherPath = dir.Write("other.prn", bytes);
    JobFile job;
    JobFile other;
    ASSERT_TRUE(job.Open(path, JobSource::kRegularFile, nullptr));
    ASSERT_TRUE(other.Open(otherPath, JobSource::kRegularFile, nullptr));
    // Another program cuts the file to a page and a half while it is read.
    ASSERT_EQ(truncate(path.c_str(), page + page / 2), 0);
    const std::span<const std::uint8_t> seen = job.Bytes();
    const auto xs = std::count(seen.begin(), seen.end(), 'x');
    EXPECT_EQ(xs, page + page / 2);
    EXPECT_EQ(std::count(seen.begin() + page * 2, seen.end(), 0), page * 6);
    EXPECT_TRUE(job.Changed());
    // The other load is untouched by it.
    EXPECT_EQ(std::count(other.Bytes().begin(), other.Bytes().end(), 'x'), page * 8);
    EXPECT_FALSE(other.Changed());

    // The same path loads whole again once the file is settled.
    ASSERT_TRUE(job.Open(path, JobSource::kRegularFile, nullptr));
    EXPECT_EQ(job.Size(), page + page / 2);
    EXPECT_FALSE(job.Changed());
}

TEST(JobFileTest, FileRewrittenInPlaceIsReported) {
    const TempDir dir;
    const std::string path = dir.Write("rewritten.prn", "first version");
    JobFile job;
    ASSERT_TRUE(job.Open(path, JobSource::kFileOrStream, nullptr));
    EXPECT_FALSE(job.Changed());
    // Same size, new bytes: what was read may mix both versions. The time is
    // set apart because the clock may not have moved since the open.
    const int fd = open(path.c_str(), O_WRONLY);
    ASSERT_EQ(pwrite(fd, "FIRST", 5, 0), 5);
    close(fd);
    const timespec earlier[2] = {{1, 0}, {1, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), earlier, 0), 0);
    EXPECT_EQ(AsText(job), "FIRST version");
    EXPECT_TRUE(job.Changed());
}

}  // namespace
