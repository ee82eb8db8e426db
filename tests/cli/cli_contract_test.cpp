// What every subcommand shares: --version, --help with the exit statuses,
// unknown subcommands named, numbers out of range, usage found before the
// job is read.
#include <gtest/gtest.h>

#include "cli/all_commands.h"
#include "tests/cli/cli_harness.h"

namespace {

class CliContractTest : public ::testing::Test {
protected:
    CliHarness cli{RegisterAllCommands};
};

TEST_F(CliContractTest, VersionAndHelp) {
    const CliRun version = cli.Run({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "lumikor-cli " LUMIKOR_TEST_VERSION "\n");
    for (const char* sub : {"info", "dump", "diff", "models", "render"}) {
        const CliRun help = cli.Run({sub, "--help"});
        EXPECT_EQ(help.status, 0) << sub;
        EXPECT_NE(help.out.find("Exit status: 0 "), std::string::npos) << sub << help.out;
        EXPECT_NE(help.out.find(" 2 "), std::string::npos) << sub;
    }
}

TEST_F(CliContractTest, UnknownSubcommandIsNamed) {
    const CliRun run = cli.Run({"frobnicate", "x.prn"});
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("unknown subcommand 'frobnicate'"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("info"), std::string::npos);
    EXPECT_EQ(cli.Run({}).status, 2);
}

TEST_F(CliContractTest, NumbersTooLargeAreOutOfRange) {
    const std::string missing = cli.PathOf("missing.prn");
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"render", missing, "-o", cli.PathOf("o.png"), "--canvas", "4294967296,10"},
             {"render", missing, "-o", cli.PathOf("o.png"), "--offset", "1,-2147483649"},
             {"info", missing, "--model", "1000,600,99999999999"},
         }) {
        const CliRun run = cli.Run(args);
        EXPECT_EQ(run.status, 2) << args[0];
        EXPECT_NE(run.err.find("out of range"), std::string::npos) << run.err;
    }
    const CliRun malformed = cli.Run({"info", missing, "--model", "10x,600,1000"});
    EXPECT_NE(malformed.err.find("takes WIDTH,HEIGHT,DPI as integers"), std::string::npos);
}

TEST_F(CliContractTest, CanvasWithoutBedImageIsAUsageErrorFoundBeforeReading) {
    // 1 x 1 pixels with the default 1000 x 600 mm bed: a 1 x 0 image.
    const CliRun run = cli.Run(
        {"render", cli.PathOf("missing.prn"), "-o", cli.PathOf("o.png"), "--canvas", "1,1"});
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("leaves no room for the bed"), std::string::npos) << run.err;
    EXPECT_EQ(run.err.find("cannot read"), std::string::npos) << run.err;
}

}  // namespace
