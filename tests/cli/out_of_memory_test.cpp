// Running out of memory ends a subcommand with what it was for and exit 1
// (diff: 2, its trouble status), never an abort and never an output file.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <new>
#include <sstream>
#include <string>
#include <vector>

#include "cli/cli_app.h"
#include "cli/render_command.h"
#include "tests/cli/cli_run.h"
#include "tests/support/job_writer.h"
#include "tests/support/temp_dir.h"

namespace {

// Subcommands whose work runs out of memory wherever it happens to.
void RegisterExhausting(CLI::App& app, CliContext&) {
    for (const char* name : {"render", "diff"}) {
        app.add_subcommand(name)->callback([] { throw std::bad_alloc(); });
    }
}

void RegisterRender(CLI::App& app, CliContext& context) { RegisterRenderCommand(app, context); }

TEST(OutOfMemoryTest, EverySubcommandSaysSoAtItsEdge) {
    const CliRun render = RunCliForTest(RegisterExhausting, {"render"});
    EXPECT_EQ(render.status, 1);
    EXPECT_EQ(render.err, "lumikor-cli render: not enough memory for this job\n");
    EXPECT_EQ(RunCliForTest(RegisterExhausting, {"diff"}).status, 2);
}

// A view whose picture (243 MB) does not fit what the process may still map.
TEST(OutOfMemoryTest, AViewTooLargeForTheMemoryLeftIsRefusedAndNothingWritten) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the sanitizer reserves far more address space than any limit";
#else
    const TempDir dir;
    const std::string job = (dir.Path() / "job.prn").string();
    const std::string picture = (dir.Path() / "view.png").string();
    {
        JobWriter writer;
        writer.Magic().DotStep(1).Raster('0', 0, 100, std::vector<std::uint8_t>(100, 0xFF));
        std::ofstream(job, std::ios::binary)
            .write(reinterpret_cast<const char*>(writer.Bytes().data()),
                   static_cast<std::streamsize>(writer.Bytes().size()));
    }
    const pid_t child = fork();
    ASSERT_NE(child, -1);
    if (child == 0) {
        std::ifstream statm("/proc/self/statm");
        std::uint64_t pages = 0;
        statm >> pages;
        const auto limit = static_cast<rlim_t>(pages * 4096 + (std::uint64_t{128} << 20));
        const rlimit memory{limit, limit};
        if (setrlimit(RLIMIT_AS, &memory) != 0) _exit(10);
        const CliRun run = RunCliForTest(RegisterRender,
                                         {"render", job, "--view", "0,0,9000,9000", "-o", picture});
        _exit(run.err.find("not enough memory for the view of 9000 x 9000 pixels") ==
                      std::string::npos
                  ? 11
                  : run.status);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << "status " << status;
    EXPECT_FALSE(std::filesystem::exists(picture));
#endif
}

}  // namespace
