// Where the subcommands take their job from, and a job file that shrinks
// while a subcommand reads it.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <thread>

#include "cli/diff_command.h"
#include "cli/dump_command.h"
#include "cli/info_command.h"
#include "cli/render_command.h"
#include "cli/thumbnail_command.h"
#include "io/job_file.h"
#include "tests/support/job_writer.h"
#include "tests/support/standard_input.h"
#include "tests/support/temp_dir.h"

namespace {

std::string SmallJob() {
    JobWriter w;
    w.Magic().Pen(2).MoveAbsolute(100, 100).LineRelative(500, 500).Trailer();
    return {reinterpret_cast<const char*>(w.Bytes().data()), w.Size()};
}

// A job of several pages, read front to back.
std::string ManyPagesJob() {
    JobWriter w;
    w.Magic();
    for (int i = 0; i < 10000; ++i) w.Pen(static_cast<std::uint8_t>(i % 8));
    w.Trailer();
    return {reinterpret_cast<const char*>(w.Bytes().data()), w.Size()};
}

// Output that cuts the job file to nothing once a marker has been written:
// another program truncating the job while the subcommand still reads it.
class TruncatingOutput : public std::stringbuf {
public:
    TruncatingOutput(std::string job, std::string marker)
        : m_job(std::move(job)), m_marker(std::move(marker)) {}
    bool Truncated() const { return m_truncated; }

protected:
    std::streamsize xsputn(const char* text, std::streamsize count) override {
        const std::streamsize written = std::stringbuf::xsputn(text, count);
        Check();
        return written;
    }
    int_type overflow(int_type c) override {
        const int_type written = std::stringbuf::overflow(c);
        Check();
        return written;
    }

private:
    void Check() {
        if (m_truncated || str().find(m_marker) == std::string::npos) return;
        m_truncated = truncate(m_job.c_str(), 0) == 0;
    }

    std::string m_job;
    std::string m_marker;
    bool m_truncated = false;
};

TEST(JobInputTest, EverySubcommandReadsStandardInputAndPipes) {
    const TempDir dir;
    const std::string job = SmallJob();
    const std::string picture = (dir.Path() / "out.png").string();
    const auto expectInfo = [&](const std::string& path) {
        std::ostringstream out;
        std::ostringstream err;
        InfoOptions info;
        info.jobPath = path;
        info.json = true;
        ASSERT_EQ(RunInfo(info, out, err), 0) << err.str();
        EXPECT_EQ(nlohmann::json::parse(out.str())["size"], job.size());
    };
    const auto throughPipe = [&](auto run) {
        int fds[2];
        ASSERT_EQ(pipe(fds), 0);
        std::thread writer([&] {
            EXPECT_EQ(write(fds[1], job.data(), job.size()), static_cast<ssize_t>(job.size()));
            close(fds[1]);
        });
        WithStandardInput(fds[0], run);
        writer.join();
        close(fds[0]);
    };
    throughPipe([&] { expectInfo("-"); });
    throughPipe([&] {
        std::ostringstream out;
        std::ostringstream err;
        EXPECT_EQ(RunDump("-", false, out, err), 0) << err.str();
        EXPECT_NE(out.str().find("G 'R' dx=500 dy=500"), std::string::npos) << out.str();
    });
    throughPipe([&] {
        std::ostringstream out;
        std::ostringstream err;
        RenderOptions options;
        options.jobPath = "-";
        options.outPath = picture;
        EXPECT_EQ(RunRender(options, out, err), 0) << err.str();
        EXPECT_TRUE(std::filesystem::exists(picture));
    });
    // thumbnail reads regular files only: a file manager must never wait.
    throughPipe([&] {
        ThumbnailOptions options;
        options.jobPath = "-";
        options.outPath = (dir.Path() / "thumb.png").string();
        std::ostringstream err;
        EXPECT_EQ(RunThumbnail(options, err), 1) << err.str();
        EXPECT_FALSE(std::filesystem::exists(options.outPath));
    });
    const std::string same = dir.Write("same.prn", job);
    throughPipe([&] {
        DiffOptions options;
        options.pathA = "-";
        options.pathB = same;
        std::ostringstream out;
        std::ostringstream err;
        EXPECT_EQ(RunDiff(options, out, err), 0) << out.str() << err.str();
    });
    {
        DiffOptions options;
        options.pathA = options.pathB = "-";
        std::ostringstream out;
        std::ostringstream err;
        EXPECT_EQ(RunDiff(options, out, err), 2);
        EXPECT_NE(err.str().find("only one of the two jobs can be standard input"),
                  std::string::npos);
    }

    const std::string fifo = (dir.Path() / "job.fifo").string();
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    std::thread writer([&] {
        const int fd = open(fifo.c_str(), O_WRONLY);
        EXPECT_EQ(write(fd, job.data(), job.size()), static_cast<ssize_t>(job.size()));
        close(fd);
    });
    expectInfo(fifo);
    writer.join();
    // A writer already come and gone, its job still in the pipe (another
    // reader holds it open): the job is read, not waited for.
    const int holder = open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    const int fd = open(fifo.c_str(), O_WRONLY);
    ASSERT_EQ(write(fd, job.data(), job.size()), static_cast<ssize_t>(job.size()));
    close(fd);
    expectInfo(fifo);
    close(holder);
}

TEST(JobInputTest, DevicesAndHugeFilesAreRefusedAtOnceWithTheirReason) {
    const TempDir dir;
    const std::string huge = dir.Write("huge.prn", "");
    ASSERT_EQ(truncate(huge.c_str(), (std::int64_t{1} << 32) + 1), 0);  // sparse
    for (const auto& [path, reason] :
         {std::pair<std::string, std::string>{"/dev/zero", "is a character device"},
          {huge, kJobTooLarge},
          {dir.Path().string(), "is a directory"}}) {
        std::ostringstream out;
        std::ostringstream err;
        InfoOptions info;
        info.jobPath = path;
        EXPECT_EQ(RunInfo(info, out, err), 1);
        EXPECT_EQ(err.str(), "lumikor-cli: cannot read '" + path + "': " + reason + "\n");
        EXPECT_EQ(out.str(), "");
    }
}

TEST(JobInputTest, JobTruncatedWhileReadEndsWithReasonNotACrash) {
    const TempDir dir;
    const std::string expected = "the job file changed while it was read\n";
    {
        const std::string path = dir.Write("dump.prn", ManyPagesJob());
        TruncatingOutput sink(path, "ESC 'N' pen=1");
        std::ostream out(&sink);
        std::ostringstream err;
        EXPECT_EQ(RunDump(path, false, out, err), 1);
        EXPECT_TRUE(sink.Truncated());
        EXPECT_EQ(err.str(), "lumikor-cli: cannot read '" + path + "': " + expected);
    }
    {
        // The trace is a second read of the job, after the summary is out.
        const std::string path = dir.Write("trace.prn", ManyPagesJob());
        TruncatingOutput sink(path, "\"trace\"");
        std::ostream out(&sink);
        std::ostringstream err;
        InfoOptions info;
        info.jobPath = path;
        info.trace = true;
        EXPECT_EQ(RunInfo(info, out, err), 1);
        EXPECT_TRUE(sink.Truncated());
        EXPECT_EQ(err.str(), "lumikor-cli: cannot read '" + path + "': " + expected);
    }
}

}  // namespace
