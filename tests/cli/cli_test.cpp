// lumikor-cli info and dump, run in-process on job files written by the tests.
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "cli/cli_app.h"
#include "cli/dump_command.h"
#include "cli/info_command.h"
#include "tests/cli/cli_run.h"
#include "tests/support/job_writer.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using Json = nlohmann::json;

const Bytes kSmallestJob = {0x4C, 0x54, 0x54, 0x1B, 0x42, 0x59, 0x45, 0x01, 0xEF, 0, 0, 0, 0x0D};

void RegisterForTest(CLI::App& app, CliContext& context) {
    RegisterInfoCommand(app, context);
    RegisterDumpCommand(app, context);
}

CliRun RunTool(std::vector<std::string> args) {
    return RunCliForTest(RegisterForTest, std::move(args));
}

std::string WriteJob(const std::string& name, const Bytes& bytes) {
    const std::string path = ::testing::TempDir() + "/" + name;
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return path;
}

TEST(InfoCommandTest, SmallestJobAsJsonWithTrace) {
    const CliRun run =
        RunTool({"info", "--json", "--trace", WriteJob("smallest.prn", kSmallestJob)});
    ASSERT_EQ(run.status, 0) << run.err;
    const Json info = Json::parse(run.out);
    EXPECT_EQ(info["size"], 13);
    EXPECT_EQ(info["errorFlags"], 0);
    EXPECT_EQ(info["unknownCount"], 0);
    EXPECT_EQ(info["checksumSum"], 495);
    EXPECT_EQ(info["checksumStored"], 495);
    EXPECT_EQ(info["pos"], 13);
    EXPECT_EQ(info["trace"],
              Json::parse(R"([{"hook":"OnParseBegin"},{"hook":"OnJobEnd","pos":13}])"));
    EXPECT_EQ(info["hooks"].size(), 18u);
    EXPECT_EQ(info["hooks"]["OnJobEnd"], 1);
    EXPECT_EQ(info["hooks"]["OnReserved"], 0);
}

TEST(InfoCommandTest, JsonHasExactlyTheParserFields) {
    JobWriter w;
    w.Magic().FileName("caf\xE9").Pen(3).EscQ(1, 2).EscLowV({7, 8, 9}).BitMode(0x12).Trailer();
    const CliRun run = RunTool({"info", "--json", WriteJob("fields.prn", w.Bytes())});
    ASSERT_EQ(run.status, 0);
    const Json info = Json::parse(run.out);
    const auto printed = nlohmann::ordered_json::parse(run.out);
    std::vector<std::string> keys;  // in the order printed
    for (const auto& item : printed.items()) keys.push_back(item.key());
    const std::vector<std::string> expected = {
        "size",     "errorFlags", "unknownCount", "checksumSum", "checksumStored", "pos",
        "fileName", "penNumber",  "bitMode",      "dotStep",     "rleBase",        "escMBit4",
        "escOBit4", "escOBit0",   "escH",         "escR",        "escY",           "escJ",
        "escS",     "escP",       "penDown",      "escQ",        "escT",           "escLowV",
        "hooks",    "warnings",   "extents"};
    EXPECT_EQ(keys, expected);
    EXPECT_EQ(info["fileName"], "caf\xC3\xA9");  // Latin-1 e-acute as UTF-8
    EXPECT_EQ(info["penNumber"], 3);
    EXPECT_EQ(info["bitMode"], 2);
    EXPECT_EQ(info["escMBit4"], 1);
    EXPECT_EQ(info["escQ"], Json::parse("[1,2]"));
    EXPECT_EQ(info["escLowV"], Json::parse("[7,8,9]"));
    EXPECT_EQ(info["escT"].size(), 16u);
}

TEST(InfoCommandTest, TraceGivesDescriptorsOfDescriptorHooks) {
    JobWriter w;
    w.Magic().Pen(1).MoveAbsolute(5, 5);
    const CliRun run = RunTool({"info", "--trace", WriteJob("trace.prn", w.Bytes())});
    const Json trace = Json::parse(run.out)["trace"];
    EXPECT_EQ(trace, Json::parse(R"([{"hook":"OnParseBegin"},{"hook":"OnPenSelect","pos":6},
        {"hook":"OnMoveAbsolute","pos":16,"cmdStart":6,"cmdLength":10}])"));
}

TEST(InfoCommandTest, TextNamesErrorsAndCounts) {
    Bytes job = kSmallestJob;
    job[8] = 0xF0;
    const CliRun run = RunTool({"info", WriteJob("badsum.prn", job)});
    EXPECT_EQ(run.status, 3);
    EXPECT_NE(run.out.find("checksum differs from the computed sum"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("Unknown bytes:  4"), std::string::npos) << run.out;
}

TEST(CliExitStatusTest, UnreadableFilesAndUsageErrors) {
    const CliRun missing = RunTool({"info", ::testing::TempDir() + "/no-such-job.prn"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("cannot read '"), std::string::npos);
    EXPECT_NE(missing.err.find("No such file or directory"), std::string::npos) << missing.err;
    EXPECT_EQ(RunTool({"dump", ::testing::TempDir()}).status, 1);  // a directory
    EXPECT_EQ(RunTool({}).status, 2);
    EXPECT_EQ(RunTool({"info"}).status, 2);
    EXPECT_EQ(RunTool({"info", "--colour", "x.prn"}).status, 2);
    EXPECT_EQ(RunTool({"frobnicate"}).status, 2);
    EXPECT_EQ(RunTool({"--help"}).status, 0);
    EXPECT_EQ(RunTool({"info", WriteJob("empty.prn", {})}).status, 3);  // too short for the magic
}

TEST(DumpCommandTest, ListsEveryCommandUnknownRunTrailerAndCutShortTail) {
    JobWriter w;
    w.Magic().Pen(3).Raw({0x00, 0x1A}).LineRelative(120, -40).Raster('1', 7, 8, Bytes{0xAA});
    w.Raw({0x1B, 'Z'}).Trailer(0x1234, 0).EscY(1).Raw({0x1B, 'Y', 0});
    const CliRun run = RunTool({"dump", WriteJob("dump.prn", w.Bytes())});
    EXPECT_EQ(run.status, 3);
    const std::string expected =
        "    offset   length  command\n"
        "         0        3  magic ok\n"
        "         3        3  ESC 'N' pen=3\n"
        "         6        2  2 unknown bytes: 00 1A\n"
        "         8       10  G 'R' dx=120 dy=-40\n"
        "        18       15  ESC '1' raster N=9 x=7 y=8 data=1 bytes\n"
        "        33        2  ESC 'Z' not a command\n"
        "        35        6  ESC 'B' trailer: checksum mismatch, computed 2270, stored 4660\n"
        "        41        4  4 unknown bytes: 00 00 00 00\n"
        "        45        6  ESC 'Y' value=1\n"
        "        51        3  ESC 'Y' cut short by the end of the job, dropped\n";
    EXPECT_EQ(run.out, expected);
}

TEST(DumpCommandTest, BadMagicStopsTheListing) {
    const CliRun run = RunTool({"dump", WriteJob("badmagic.prn", Bytes{'L', 'T', 'X', 0x1B, 'V'})});
    EXPECT_EQ(run.status, 3);
    EXPECT_EQ(run.out,
              "    offset   length  command\n"
              "         0        3  magic bad: 4C 54 58\n");
}

// Every way a trailer check can end, as the dump lists it: the trailer line
// and what is left after it.
TEST(DumpCommandTest, NamesEveryTrailerOutcome) {
    const Bytes job = kSmallestJob;  // LTT, ESC 'B' 'Y' 'E', checksum 495, length 13
    const auto cut = [&](std::size_t size) { return Bytes(job.begin(), job.begin() + size); };
    Bytes wrongY = cut(7);
    wrongY[5] = 'X';
    Bytes wrongE = cut(7);
    wrongE[6] = 'X';
    Bytes wrongSum = job;
    wrongSum[8] = 0xF0;
    Bytes wrongLength = job;
    wrongLength[12] = 0x0E;
    const std::string kTrailer = "         3 ";
    const std::vector<std::pair<Bytes, std::string>> cases = {
        {job, "      10  ESC 'B' trailer: ok, checksum 495, length 13\n"},
        {cut(5), "       2  ESC 'B' trailer: tag cut short by the end of the job\n"},
        {wrongY,
         "       3  ESC 'B' trailer: tag is not 'Y' 'E'\n"
         "         6        1  1 unknown byte: 45\n"},
        {wrongE, "       4  ESC 'B' trailer: tag is not 'Y' 'E'\n"},
        {cut(8),
         "       4  ESC 'B' trailer: checksum cut short by the end of the job\n"
         "         7        1  1 unknown byte: 01\n"},
        {wrongSum,
         "       6  ESC 'B' trailer: checksum mismatch, computed 495, stored 496\n"
         "         9        4  4 unknown bytes: 00 00 00 0D\n"},
        {cut(10),
         "       6  ESC 'B' trailer: checksum ok (495), total length cut short by the end of "
         "the job\n"
         "         9        1  1 unknown byte: 00\n"},
        {wrongLength,
         "      10  ESC 'B' trailer: checksum ok (495), total length 14 differs from the job "
         "size 13\n"},
    };
    for (const auto& [bytes, listing] : cases) {
        const CliRun run = RunTool({"dump", WriteJob("trailer.prn", bytes)});
        EXPECT_EQ(run.status, &bytes == &cases.front().first ? 0 : 3) << listing;
        EXPECT_EQ(run.out,
                  "    offset   length  command\n"
                  "         0        3  magic ok\n" +
                      kTrailer + listing);
    }
}

}  // namespace
