// Every subcommand's output handling: no picture replaces an input of the
// run or anything but a regular file, JSON survives paths that are not
// UTF-8, and a standard output that fails ends the run with its reason.
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "cli/all_commands.h"
#include "cli/stdout_sink.h"
#include "tests/cli/cli_harness.h"
#include "tests/support/job_writer.h"
#include "tests/support/standard_input.h"

namespace {

namespace fs = std::filesystem;

std::vector<std::uint8_t> SmallJob() {
    JobWriter w;
    w.Magic().Pen(2).MoveAbsolute(100, 100).LineRelative(500000, 300000).Trailer();
    return w.Bytes();
}

TEST(OutputSafetyTest, NoSubcommandWritesOverAnInputOrANonRegularFile) {
    const CliHarness cli(RegisterAllCommands);
    const std::vector<std::uint8_t> job = SmallJob();
    const std::string a = cli.Write("a.png", job);
    const std::string b = cli.Write("b.png", job);
    const std::string c = cli.Write("c.prn", job);
    const std::string named = cli.Write("job.bmp", job);
    fs::create_symlink(c, cli.PathOf("link-to-job.png"));
    fs::create_hard_link(c, cli.PathOf("hard.png"));
    const std::string pipe = cli.PathOf("pipe.png");
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    const int jobFd = ::open(c.c_str(), O_RDONLY);
    ASSERT_GE(jobFd, 0);
    const std::string jobByFd = "/proc/self/fd/" + std::to_string(jobFd);

    struct Case {
        std::vector<std::string> args;
        int status;
        std::string reason;
    };
    const std::string input = "is an input of this run";
    const std::vector<Case> cases = {
        {{"thumbnail", a, a}, 1, input},
        {{"thumbnail", c, jobByFd}, 1, input},
        {{"thumbnail", c, pipe}, 1, "is a pipe"},
        {{"diff", c, b, "--image", b}, 2, input},
        {{"diff", b, c, "--image", cli.PathOf("hard.png")}, 2, input},
        {{"render", named, "-o", named}, 1, input},
        {{"render", c, "-o", cli.PathOf("hard.png")}, 1, input},
        {{"render", c, "-o", cli.PathOf("link-to-job.png"), "--view", "0,0,99,99"}, 1, input},
        {{"render", "-", "-o", cli.PathOf("link-to-job.png")}, 1, input},
        {{"render", c, "-o", pipe}, 1, "is a pipe"},
    };
    for (const Case& test : cases) {
        const int stdinFd = ::open(c.c_str(), O_RDONLY);
        ASSERT_GE(stdinFd, 0);
        CliRun run{};
        WithStandardInput(stdinFd, [&] { run = cli.Run(test.args); });
        ::close(stdinFd);
        const std::string what = test.args[0] + " " + test.args.back();
        EXPECT_EQ(run.status, test.status) << what << ": " << run.err;
        EXPECT_NE(run.err.find(test.reason), std::string::npos) << what << ": " << run.err;
        for (const std::string& path : {a, b, c, named}) EXPECT_EQ(ReadFile(path), job) << what;
    }
    ::close(jobFd);
    EXPECT_EQ(fs::status(pipe).type(), fs::file_type::fifo);
}

TEST(OutputSafetyTest, JsonOfPathsThatAreNotUtf8) {
    const CliHarness cli(RegisterAllCommands);
    const std::string a = cli.Write("old\xff.prn", SmallJob());
    const std::string b = cli.Write("new\xc3.prn", SmallJob());
    const std::string image = cli.PathOf("diff\xfe.png");
    const CliRun run = cli.Run({"diff", a, b, "--json", "--image", image});
    ASSERT_EQ(run.status, 0) << run.err;
    const nlohmann::json report = nlohmann::json::parse(run.out);
    EXPECT_NE(report["a"].get<std::string>().find("old\xEF\xBF\xBD.prn"), std::string::npos);
    EXPECT_NE(report["pictures"]["image"].get<std::string>().find("\xEF\xBF\xBD"),
              std::string::npos);
}

// Standard output as the program has it, a pipe whose reader is gone, and
// SIGPIPE ignored as some shells and services leave it: the run must end at
// the first lost write with the reason, not parse on and say nothing useful.
void RunIntoClosedPipe(const std::vector<std::string>& args) {
    int fds[2];
    if (::pipe(fds) != 0 || ::dup2(fds[1], STDOUT_FILENO) < 0) _exit(9);
    ::close(fds[0]);
    ::signal(SIGPIPE, SIG_IGN);
    std::vector<const char*> argv = {"lumikor-cli"};
    for (const std::string& arg : args) argv.push_back(arg.c_str());
    StdoutSink sink;
    std::ostream out(&sink);
    CliContext context{out, std::cerr};
    // Any status but the lost output's: the run went on after it.
    _exit(RunCli(static_cast<int>(argv.size()), argv.data(), context, RegisterAllCommands) + 10);
}

TEST(OutputSafetyDeathTest, BrokenPipeEndsTheRunWithItsReason) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const CliHarness cli(RegisterAllCommands);
    JobWriter w;
    w.Magic();
    for (int i = 0; i < 20000; ++i) w.Pen(static_cast<std::uint8_t>(i % 8)).LineRelative(i, 1);
    const std::string job = cli.Write("big.prn", w.Trailer().Bytes());
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"info", "--trace", job}, {"dump", job}, {"diff", job, job, "--json"}}) {
        EXPECT_EXIT(RunIntoClosedPipe(args), testing::ExitedWithCode(1),
                    "cannot write the output: Broken pipe")
            << args[0];
    }
}

}  // namespace
