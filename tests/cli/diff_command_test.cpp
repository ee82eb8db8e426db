// lumikor-cli diff: parse reports, command streams and pictures compared,
// the exit statuses, and the picture of what differs.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <nlohmann/json.hpp>

#include "cli/diff_command.h"
#include "tests/cli/cli_harness.h"
#include "tests/cli/png_reader.h"
#include "tests/support/job_writer.h"

namespace {

using Json = nlohmann::json;
using Bytes = std::vector<std::uint8_t>;

void RegisterDiff(CLI::App& app, CliContext& context) { RegisterDiffCommand(app, context); }

// Eight items: magic, pen, a move, two cuts, dot step, a raster line and the
// trailer; dx of the second cut (item 4, at offset 26) as given.
Bytes Job(std::int32_t dx = 20000) {
    JobWriter w;
    w.Magic().Pen(1).MoveAbsolute(2000, 2000).LineRelative(10000, 0).LineRelative(dx, 5000);
    w.DotStep(1).Raster('0', 1000, 20000, Bytes{0xFF, 0xFF}).Trailer();
    return w.Bytes();
}

class DiffCommandTest : public ::testing::Test {
protected:
    CliRun Diff(const Bytes& a, const Bytes& b, std::vector<std::string> extra = {}) {
        std::vector<std::string> args = {"diff", cli.Write("a.prn", a), cli.Write("b.prn", b)};
        args.insert(args.end(), extra.begin(), extra.end());
        return cli.Run(args);
    }
    Json DiffJson(const Bytes& a, const Bytes& b, std::vector<std::string> extra = {}) {
        extra.push_back("--json");
        const CliRun run = Diff(a, b, extra);
        EXPECT_LE(run.status, 1) << run.err;
        return Json::parse(run.out);
    }

    CliHarness cli{RegisterDiff};
};

TEST_F(DiffCommandTest, IdenticalJobs) {
    const CliRun run = Diff(Job(), Job());
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out,
              "Parse reports:  same\n"
              "Commands:       same (8 items)\n"
              "Pictures:       same\n");
    const Json json = DiffJson(Job(), Job());
    EXPECT_EQ(json["identical"], true);
    EXPECT_EQ(json["reports"], Json::array());
}

TEST_F(DiffCommandTest, OneCommandChanged) {
    const CliRun run = Diff(Job(), Job(20100));
    EXPECT_EQ(run.status, 1) << run.err;
    // The trailer's checksum changes with the cut: two items differ.
    EXPECT_NE(run.out.find("Commands:       differ from item 4, offset 26 in A, 26 in B\n"
                           "  A:         26       10  G 'R' dx=20000 dy=5000\n"
                           "  B:         26       10  G 'R' dx=20100 dy=5000\n"
                           "  2 changed, 0 inserted, 0 removed (of 8 and 8 items)\n"),
              std::string::npos)
        << run.out;
    const Json json = DiffJson(Job(), Job(20100));
    EXPECT_EQ(json["identical"], false);
    EXPECT_EQ(json["streams"]["first"]["offsetB"], 26);
    EXPECT_GT(json["pictures"]["differingPixels"].get<int>(), 0);
    // The checksum and the cut's extent differ too.
    std::vector<std::string> fields;
    for (const Json& d : json["reports"]) fields.push_back(d["field"]);
    EXPECT_NE(std::find(fields.begin(), fields.end(), "checksumSum"), fields.end());
    EXPECT_NE(std::find(fields.begin(), fields.end(), "extents.cuts.dots.right"), fields.end());
}

TEST_F(DiffCommandTest, OnlyTheTrailerChecksum) {
    Bytes b = Job();
    b[b.size() - 5] ^= 0x01;  // the stored checksum's low byte
    const Json json = DiffJson(Job(), b);
    EXPECT_EQ(json["identical"], false);
    EXPECT_EQ(json["pictures"]["differingPixels"], 0);
    EXPECT_EQ(json["streams"]["changed"], 1);
    EXPECT_EQ(json["streams"]["inserted"], 1);  // the total length, now read as unknown bytes
    EXPECT_NE(json["streams"]["first"]["lineB"].get<std::string>().find("checksum mismatch"),
              std::string::npos);
    Json expected = Json::array();
    for (const Json& d : json["reports"]) expected.push_back(d["field"]);
    EXPECT_EQ(expected, Json::parse(R"(["errorFlags", "unknownCount", "checksumStored"])"));
}

TEST_F(DiffCommandTest, InsertedAndRemovedCommands) {
    // Two commands after the trailer: its total length no longer holds, so
    // the trailer is the first difference.
    JobWriter longer;
    longer.Raw(Job()).Pen(2).LineRelative(5, 5);
    const Json json = DiffJson(Job(), longer.Bytes());
    EXPECT_EQ(json["streams"]["first"]["item"], 7);
    EXPECT_NE(
        json["streams"]["first"]["lineB"].get<std::string>().find("differs from the job size"),
        std::string::npos);
    EXPECT_EQ(json["streams"]["changed"], 1);
    EXPECT_EQ(json["streams"]["inserted"], 2);
    const Json reverse = DiffJson(longer.Bytes(), Job());
    EXPECT_EQ(reverse["streams"]["removed"], 2);

    // A stream that ends where the other goes on.
    JobWriter start;
    start.Magic().Pen(1);
    JobWriter more;
    more.Raw(start.Bytes()).MoveAbsolute(1, 2);
    const Json ended = DiffJson(start.Bytes(), more.Bytes());
    EXPECT_EQ(ended["streams"]["first"]["lineA"], "");
    EXPECT_EQ(ended["streams"]["first"]["offsetA"], start.Size());
    EXPECT_EQ(ended["streams"]["first"]["offsetB"], start.Size());
    EXPECT_EQ(ended["streams"]["inserted"], 1);
    const CliRun text = Diff(start.Bytes(), more.Bytes());
    EXPECT_NE(text.out.find("  A: (the stream has ended)\n"), std::string::npos) << text.out;
}

TEST_F(DiffCommandTest, PixelsOnlyWithAModelForEachJob) {
    const CliRun run = Diff(Job(), Job(), {"--model", "1000,600,1000", "--model", "800,600,1000"});
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_NE(run.out.find("Commands:       same"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("bed pixels differ"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("extents.model.width: 1000 \u2192 800"), std::string::npos) << run.out;
    // One model for both: the same again.
    EXPECT_EQ(Diff(Job(), Job(), {"--model", "800,600,1000"}).status, 0);
}

TEST_F(DiffCommandTest, ImageMarksWhatOnlyEachJobHas) {
    // A cuts along y = 10000, B along y = 5000 (both x 2000..30000).
    JobWriter a;
    a.Magic().MoveAbsolute(2000, 10000).LineRelative(28000, 0).Trailer();
    JobWriter b;
    b.Magic().MoveAbsolute(2000, 5000).LineRelative(28000, 0).Trailer();
    const std::string image = cli.PathOf("d.png");
    const CliRun run = Diff(a.Bytes(), b.Bytes(), {"--image", image});
    EXPECT_EQ(run.status, 1) << run.err;
    std::ifstream in(image, std::ios::binary);
    const Bytes file{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    const Bytes pixels = DecodePng(file, &width, &height);
    ASSERT_EQ(width, 910u);
    ASSERT_EQ(height, 546u);
    // Canvas rows: (23622 - y) * 910 / 39370, truncated.
    const auto bgr = [&](std::uint32_t x, std::uint32_t y) {
        const std::size_t at = (std::size_t{y} * width + x) * 3;
        return std::array<int, 3>{pixels[at], pixels[at + 1], pixels[at + 2]};
    };
    const std::uint32_t rowA = (23622 - 10000) * 910 / 39370;
    const std::uint32_t rowB = (23622 - 5000) * 910 / 39370;
    EXPECT_EQ(bgr(300, rowA), (std::array<int, 3>{0, 0, 255}));  // red: only in A
    EXPECT_EQ(bgr(300, rowB), (std::array<int, 3>{0, 176, 0}));  // green: only in B
    EXPECT_EQ(bgr(300, 10), (std::array<int, 3>{255, 255, 255}));
    // Box in pixels: both rows, x 46 .. 692; in dots by B's geometry.
    const Json json = DiffJson(a.Bytes(), b.Bytes());
    EXPECT_EQ(json["pictures"]["pixels"]["top"], rowA);
    EXPECT_EQ(json["pictures"]["pixels"]["bottom"], rowB);
    const Json& dots = json["pictures"]["dots"];
    EXPECT_LE(dots["left"].get<int>(), 2000);
    EXPECT_GE(dots["left"].get<int>(), 2000 - 44);
    EXPECT_LE(dots["bottom"].get<int>(), 5000);
    EXPECT_GE(dots["top"].get<int>(), 10000);
    EXPECT_LE(dots["top"].get<int>(), 10000 + 44);
}

TEST_F(DiffCommandTest, TroubleIsStatusTwo) {
    const std::string a = cli.Write("a.prn", Job());
    const CliRun missing = cli.Run({"diff", a, cli.PathOf("missing.prn")});
    EXPECT_EQ(missing.status, 2);
    EXPECT_NE(missing.err.find("missing.prn"), std::string::npos) << missing.err;
    EXPECT_EQ(cli.Run({"diff", a, a, "--image", cli.PathOf("d.bmp")}).status, 2);
    EXPECT_EQ(
        cli.Run({"diff", a, a, "--model", "1,1,1", "--model", "2,2,2", "--model", "3,3,3"}).status,
        2);
    EXPECT_EQ(cli.Run({"diff", a, a, "--model", "0,0,0"}).status, 2);
    EXPECT_EQ(cli.Run({"diff", a}).status, 2);
    const CliRun unwritable =
        cli.Run({"diff", a, a, "--image", cli.PathOf("no-such-folder/d.png")});
    EXPECT_EQ(unwritable.status, 2);
}

TEST_F(DiffCommandTest, MillionCommandJobs) {
    JobWriter a;
    a.Magic().MoveAbsolute(1000, 1000);
    for (int i = 0; i < 1'000'000; ++i) a.LineRelative(i % 2 == 0 ? 3 : -3, i % 3 == 0 ? 2 : -1);
    a.Trailer();
    Bytes b = a.Bytes();
    const std::size_t middle = 3 + 10 + 10 * 500'000;
    b[middle + 5] ^= 0x40;  // one 'R' dx
    b.insert(b.begin() + static_cast<std::ptrdiff_t>(middle + 10 * 100'000), b.begin() + 13,
             b.begin() + 33);  // two copied 'R' commands
    const Json json = DiffJson(a.Bytes(), b);
    EXPECT_EQ(json["streams"]["itemsA"], 1'000'003);
    // The 'R', and the trailer, whose checksum now fails: its total length is
    // read as unknown bytes after it.
    EXPECT_EQ(json["streams"]["changed"], 2);
    EXPECT_EQ(json["streams"]["inserted"], 3);
    EXPECT_EQ(json["streams"]["removed"], 0);
    EXPECT_EQ(json["streams"]["exact"], true);
    EXPECT_EQ(json["streams"]["first"]["offsetA"], middle);
}

TEST_F(DiffCommandTest, SubstitutionsInAPeriodicJobAreChanges) {
    // 200,000 lines of two kinds in turn; 4,000 of them, spread out, end a
    // dot further in B. Far past the exact search, each is still one change.
    JobWriter a;
    JobWriter b;
    for (JobWriter* w : {&a, &b}) w->Magic().MoveAbsolute(1000, 1000);
    for (int i = 0; i < 200'000; ++i) {
        const std::int32_t dx = i % 2 == 0 ? 3 : -3;
        a.LineRelative(dx, 2);
        b.LineRelative(i % 50 == 25 ? dx + 1 : dx, 2);
    }
    const Json json = DiffJson(a.Bytes(), b.Bytes());
    EXPECT_EQ(json["streams"]["changed"], 4000);
    EXPECT_EQ(json["streams"]["inserted"], 0);
    EXPECT_EQ(json["streams"]["removed"], 0);
    EXPECT_EQ(json["streams"]["exact"], false);
    EXPECT_EQ(json["streams"]["first"]["offsetB"], 3 + 10 + 10 * 25);
}

}  // namespace
