// Warnings through info, dump and render: named with offset and bytes, no
// effect on the exit status unless --strict, which makes it 4.
#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>

#include "cli/dump_command.h"
#include "cli/info_command.h"
#include "cli/render_command.h"
#include "tests/cli/cli_harness.h"
#include "tests/support/job_writer.h"

namespace {

using Json = nlohmann::json;
using Bytes = std::vector<std::uint8_t>;

void RegisterThree(CLI::App& app, CliContext& context) {
    RegisterInfoCommand(app, context);
    RegisterDumpCommand(app, context);
    RegisterRenderCommand(app, context);
}

class WarningsCliTest : public ::testing::Test {
protected:
    // A job cut short inside its 'R' at offset 16, 4 of its 10 bytes left.
    std::string CutJob() {
        JobWriter w;
        w.Magic().Pen(1).MoveAbsolute(10, 10).LineRelative(100, 0).Trailer();
        const Bytes& all = w.Bytes();
        return cli.Write("cut.prn", Bytes(all.begin(), all.begin() + 20));
    }

    CliHarness cli{RegisterThree};
};

TEST_F(WarningsCliTest, InfoNamesThemInTextAndJson) {
    const std::string job = CutJob();
    const CliRun text = cli.Run({"info", job});
    EXPECT_EQ(text.status, 0);
    EXPECT_NE(text.out.find("Errors:         none\n"
                            "Warnings:       the last command, G 'R' at offset 16, is cut short "
                            "by the end of the job: 4 bytes dropped\n"
                            "                the job has no trailer (ESC 'B' 'Y' 'E'); it ends "
                            "at offset 20\n"),
              std::string::npos)
        << text.out;
    const CliRun json = cli.Run({"info", "--json", job});
    const Json warnings = Json::parse(json.out)["warnings"];
    ASSERT_EQ(warnings.size(), 2u);
    EXPECT_EQ(warnings[0]["kind"], "cutShort");
    EXPECT_EQ(warnings[0]["offset"], 16);
    EXPECT_EQ(warnings[0]["bytes"], 4);
    EXPECT_EQ(warnings[1]["kind"], "noTrailer");
    EXPECT_EQ(cli.Run({"info", "--strict", job}).status, 4);
}

TEST_F(WarningsCliTest, DumpAndRenderWarnOnStderr) {
    const std::string job = CutJob();
    const CliRun dump = cli.Run({"dump", job});
    EXPECT_EQ(dump.status, 0);
    EXPECT_EQ(dump.err,
              "lumikor-cli: warning: '" + job +
                  "': the last command, G 'R' at offset 16, is cut short by the end of the job: 4 "
                  "bytes dropped\n"
                  "lumikor-cli: warning: '" +
                  job + "': the job has no trailer (ESC 'B' 'Y' 'E'); it ends at offset 20\n");
    EXPECT_EQ(dump.out.find("warning"), std::string::npos);  // the listing is unchanged
    EXPECT_EQ(cli.Run({"dump", "--strict", job}).status, 4);

    const std::string picture = cli.PathOf("cut.png");
    const CliRun render = cli.Run({"render", job, "-o", picture, "--strict"});
    EXPECT_EQ(render.status, 4);
    EXPECT_NE(render.err.find("no trailer"), std::string::npos) << render.err;
    EXPECT_TRUE(std::filesystem::exists(picture));
    EXPECT_EQ(cli.Run({"render", job, "-o", picture}).status, 0);
}

TEST_F(WarningsCliTest, ErrorBitsOutrankStrict) {
    JobWriter w;
    w.Magic().Trailer(0x1234, 0).Raw({0x1B});  // a bad checksum, then a cut-short ESC
    const std::string job = cli.Write("bad.prn", w.Bytes());
    EXPECT_EQ(cli.Run({"info", "--strict", job}).status, 3);
    EXPECT_EQ(cli.Run({"dump", "--strict", job}).status, 3);
}

}  // namespace
