// Every subcommand's options through the command line as a user types them,
// each with the exit status it must give: a clean job, a job with error
// bits, an unreadable job, bad option values and missing arguments.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "cli/all_commands.h"
#include "tests/cli/cli_harness.h"
#include "tests/support/job_writer.h"

namespace {

struct Case {
    std::vector<std::string> args;
    int status;
    std::string errorText;  // part of stderr, when not empty
};

class OptionStatusesTest : public ::testing::Test {
protected:
    void SetUp() override {
        const std::vector<std::uint8_t> dots = {0xFF};
        JobWriter clean;
        clean.Magic().Pen(1).DotStep(1).Raster('0', 100, 5000, dots);
        clean.MoveAbsolute(1000, 1000).LineRelative(2000, 0).Trailer();
        m_clean = cli.Write("clean.prn", clean.Bytes());
        JobWriter broken;  // the trailer's checksum is wrong: an error bit
        broken.Magic().MoveAbsolute(10, 10).Trailer(1, 0);
        m_broken = cli.Write("broken.prn", broken.Bytes());
        m_missing = cli.PathOf("missing.prn");
        m_out = cli.PathOf("out.png");
    }

    void ExpectStatuses(const std::vector<Case>& cases) {
        for (const Case& c : cases) {
            std::string line;
            for (const std::string& a : c.args) line += a + ' ';
            const CliRun run = cli.Run(c.args);
            EXPECT_EQ(run.status, c.status) << line << "\n" << run.err;
            if (!c.errorText.empty()) {
                EXPECT_NE(run.err.find(c.errorText), std::string::npos) << line << "\n" << run.err;
            }
        }
    }

    CliHarness cli{RegisterAllCommands};
    std::string m_clean;
    std::string m_broken;
    std::string m_missing;
    std::string m_out;
};

TEST_F(OptionStatusesTest, Info) {
    ExpectStatuses({
        {{"info", m_clean}, 0, ""},
        {{"info", m_clean, "--json"}, 0, ""},
        {{"info", m_clean, "--trace"}, 0, ""},
        {{"info", m_clean, "--model", "800,600,500", "--offset", "10,-10"}, 0, ""},
        {{"info", m_clean, "--strict"}, 0, ""},
        {{"info", m_broken}, 3, ""},
        {{"info", m_broken, "--json", "--strict"}, 3, ""},
        {{"info", m_missing}, 1, "cannot read"},
        {{"info", cli.PathOf("")}, 1, "cannot read"},
        {{"info"}, 2, ""},
        {{"info", m_clean, m_clean}, 2, ""},
        {{"info", m_clean, "--model", "800,600"}, 2, ""},
        {{"info", m_clean, "--model", "0,600,1000"}, 2, ""},
        {{"info", m_clean, "--offset", "1"}, 2, ""},
        // Off the bed by the offset: a warning only with --strict.
        {{"info", m_clean, "--offset", "2000000000,0"}, 0, ""},
        {{"info", m_clean, "--offset", "2000000000,0", "--strict"}, 4, ""},
    });
    // --trace implies --json.
    const CliRun trace = cli.Run({"info", m_clean, "--trace"});
    ASSERT_FALSE(trace.out.empty());
    EXPECT_EQ(trace.out.front(), '{');
}

TEST_F(OptionStatusesTest, Dump) {
    ExpectStatuses({
        {{"dump", m_clean}, 0, ""},
        {{"dump", m_clean, "--strict"}, 0, ""},
        {{"dump", m_broken}, 3, ""},
        {{"dump", m_missing}, 1, "cannot read"},
        {{"dump"}, 2, ""},
        {{"dump", m_clean, "--json"}, 2, ""},
    });
}

TEST_F(OptionStatusesTest, Render) {
    const std::string bmp = cli.PathOf("out.bmp");
    ExpectStatuses({
        {{"render", m_clean, "-o", m_out}, 0, ""},
        {{"render", m_clean, "--output", bmp}, 0, ""},
        {{"render", m_clean, "-o", m_out, "--display", "raster", "--color", "type"}, 0, ""},
        {{"render", m_clean, "-o", m_out, "--display", "vector", "--color", "end-speed"}, 0, ""},
        {{"render", m_clean, "-o", m_out, "--cut-path", "--start-points", "--whole-canvas"}, 0, ""},
        {{"render", m_clean, "-o", m_out, "--model", "500,500,254", "--canvas", "300,200"}, 0, ""},
        {{"render", m_clean, "-o", m_out, "--view", "0", "0", "4000", "4000", "--dots-per-pixel",
          "16", "--shade", "coverage"},
         0,
         ""},
        {{"render", m_clean, "-o", m_out, "--view", "0", "0", "40", "40", "--pixels-per-dot", "4"},
         0,
         ""},
        {{"render", m_broken, "-o", m_out}, 0, "parse errors"},
        {{"render", m_missing, "-o", m_out}, 1, "cannot read"},
        {{"render", m_clean, "-o", cli.PathOf("none/out.png")}, 1, ""},
        {{"render", m_clean, "-o", cli.PathOf("out.gif")}, 2, "must end in .bmp or .png"},
        {{"render", m_clean}, 2, ""},
        {{"render", m_clean, "-o", m_out, "--display", "arcs"}, 2, ""},
        {{"render", m_clean, "-o", m_out, "--color", "blue"}, 2, ""},
        {{"render", m_clean, "-o", m_out, "--shade", "half"}, 2, ""},
        {{"render", m_clean, "-o", m_out, "--canvas", "0,620"}, 2, ""},
        {{"render", m_clean, "-o", m_out, "--view", "0", "0", "10"}, 2, ""},
        {{"render", m_clean, "-o", m_out, "--dots-per-pixel", "0"}, 2, ""},
        {{"render", m_clean, "-o", m_out, "--pixels-per-dot", "17"}, 2, ""},
        {{"render", m_clean, "-o", m_out, "--dots-per-pixel", "2", "--pixels-per-dot", "2"}, 2, ""},
    });
    EXPECT_TRUE(std::filesystem::exists(bmp));
    EXPECT_FALSE(std::filesystem::exists(cli.PathOf("none")));
}

TEST_F(OptionStatusesTest, ModelsAndThumbnail) {
    const std::string ini =
        cli.Write("Lumikor.ini", JobWriter().Raw("[Model]\nCount=1\n[Model1]\nName=A\n").Bytes());
    ExpectStatuses({
        {{"models", "--ini", ini}, 0, ""},
        {{"models", "--ini", ini, "--json"}, 0, ""},
        {{"models", "--ini", cli.PathOf("none.ini")}, 1, ""},
        {{"models", "extra"}, 2, ""},
        {{"thumbnail", m_clean, m_out}, 0, ""},
        {{"thumbnail", m_clean, m_out, "--size", "64"}, 0, ""},
        {{"thumbnail", m_missing, m_out}, 1, "cannot read"},
        {{"thumbnail", cli.Write("text.prn", JobWriter().Raw("hello").Bytes()), m_out},
         3,
         "not a laser job"},
        {{"thumbnail", m_clean, cli.PathOf("none/t.png")}, 1, ""},
        {{"thumbnail", m_clean, m_out, "--size", "0"}, 2, ""},
        {{"thumbnail", m_clean}, 2, ""},
    });
}

}  // namespace
