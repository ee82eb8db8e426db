// lumikor-cli info: extents, bed fit and --strict, in text and JSON.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "cli/info_command.h"
#include "tests/cli/cli_harness.h"
#include "tests/support/job_writer.h"

namespace {

using Json = nlohmann::json;
using Bytes = std::vector<std::uint8_t>;

void RegisterInfo(CLI::App& app, CliContext& context) { RegisterInfoCommand(app, context); }

class InfoExtentsTest : public ::testing::Test {
protected:
    CliHarness cli{RegisterInfo};
};

// 20 mm at 1000 dpi is 787.4 dots: a cut from the middle of the default
// 1000 x 600 mm bed (39370 x 23622 dots) to 787 dots past its right edge.
JobWriter OverhangingRight() {
    JobWriter w;
    w.Magic().MoveAbsolute(20000, 10000).LineRelative(39370 + 787 - 20000, 0).Trailer();
    return w;
}

TEST_F(InfoExtentsTest, OverhangOnTheRightInJsonAndText) {
    const std::string job = cli.Write("right.prn", OverhangingRight().Bytes());
    const CliRun json = cli.Run({"info", "--json", job});
    ASSERT_EQ(json.status, 0) << json.err;
    const Json extents = Json::parse(json.out)["extents"];
    EXPECT_EQ(extents["fits"], false);
    EXPECT_NEAR(extents["overhangMm"]["cuts"]["right"].get<double>(), 20.0, 0.1);
    EXPECT_EQ(extents["overhangMm"]["cuts"].size(), 1u);
    EXPECT_EQ(extents["cuts"]["dots"]["right"], 40157);
    EXPECT_NEAR(extents["cuts"]["mm"]["right"].get<double>(), 1020.0, 0.1);
    EXPECT_EQ(extents["dots"], nullptr);
    EXPECT_NEAR(extents["layers"][0]["cutLengthMm"].get<double>(), (40157 - 20000) * 0.0254, 1e-3);

    const CliRun text = cli.Run({"info", job});
    EXPECT_EQ(text.status, 0);
    EXPECT_NE(text.out.find("Fits the bed:   no\n  warning: cuts reach 20.0 mm past the right edge "
                            "of the 1000 \u00D7 600 mm bed\n"),
              std::string::npos)
        << text.out;
    EXPECT_EQ(cli.Run({"info", "--strict", job}).status, 4);
    EXPECT_EQ(cli.Run({"info", "--strict", "--json", job}).status, 4);
}

TEST_F(InfoExtentsTest, OneWarningLinePerSideWithTheFurthestKindFirst) {
    JobWriter w;
    const Bytes bits = {0xFF};
    // Past the left edge: dots by 100 dots, cuts by 200, travel by 300.
    // Past the top: cuts by 378 dots.
    w.Magic().DotStep(1).Raster('0', -100, 50, bits).MoveAbsolute(-300, 23000);
    w.MoveAbsolute(-200, 23000);
    w.LineRelative(0, 1000).Trailer();
    const CliRun run = cli.Run({"info", cli.Write("sides.prn", w.Bytes())});
    EXPECT_NE(run.out.find("  warning: travel moves reach 7.6 mm past the left edge of the 1000 "
                           "\u00D7 600 mm bed (engraved dots 2.5 mm, cuts 5.1 mm)\n"),
              std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("  warning: cuts reach 9.6 mm past the top edge"), std::string::npos)
        << run.out;
    EXPECT_EQ(run.out.find("right edge"), std::string::npos);
}

TEST_F(InfoExtentsTest, AJobThatFitsAndTheModelOption) {
    const std::string job = cli.Write("right.prn", OverhangingRight().Bytes());
    // On a 1100 mm bed the same cut fits.
    const CliRun wide = cli.Run({"info", "--json", "--strict", "--model", "1100,600,1000", job});
    EXPECT_EQ(wide.status, 0) << wide.err;
    const Json extents = Json::parse(wide.out)["extents"];
    EXPECT_EQ(extents["fits"], true);
    EXPECT_EQ(extents["overhangMm"], Json::object());
    EXPECT_EQ(extents["bedDots"]["width"], 43307);
    EXPECT_EQ(extents["model"]["width"], 1100);
    const CliRun text = cli.Run({"info", "--model", "1100,600,1000", job});
    EXPECT_NE(text.out.find("Bed:            1100 \u00D7 600 mm bed at 1000 dpi (43307 \u00D7 "
                            "23622 dots)\nEngraved dots:  none\nCuts:           x 508.0 to "
                            "1020.0 mm, y 254.0 to 254.0 mm (dots 20000..40157, 10000..10000)\n"),
              std::string::npos)
        << text.out;
    EXPECT_NE(text.out.find("Fits the bed:   yes\n"), std::string::npos);
}

TEST_F(InfoExtentsTest, DisplacementShiftsTheExtents) {
    const std::string job = cli.Write("right.prn", OverhangingRight().Bytes());
    const CliRun run = cli.Run({"info", "--json", "--strict", "--offset", "-1000,0", job});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(Json::parse(run.out)["extents"]["travel"]["dots"]["left"], 19000);
}

TEST_F(InfoExtentsTest, BadModelAndOffsetAreUsageErrors) {
    const std::string job = cli.Write("right.prn", OverhangingRight().Bytes());
    const CliRun zero = cli.Run({"info", "--model", "0,600,1000", job});
    EXPECT_EQ(zero.status, 2);
    EXPECT_NE(zero.err.find("has no usable bed"), std::string::npos) << zero.err;
    const CliRun huge = cli.Run({"info", "--offset", "0,99999999999", job});
    EXPECT_EQ(huge.status, 2);
    EXPECT_NE(huge.err.find("out of range"), std::string::npos) << huge.err;
    EXPECT_EQ(cli.Run({"info", "--model", "1000,600", job}).status, 2);
    // Usage is checked before the job is read.
    EXPECT_EQ(cli.Run({"info", "--model", "x", cli.PathOf("missing.prn")}).status, 2);
}

}  // namespace
