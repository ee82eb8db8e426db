// What lumikor-cli prints cannot steer a terminal, and output that is lost
// is reported.
#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <streambuf>
#include <string>
#include <vector>

#include "cli/cli_app.h"
#include "cli/diff_command.h"
#include "cli/dump_command.h"
#include "cli/info_command.h"
#include "cli/models_command.h"
#include "cli/terminal_text.h"
#include "tests/support/job_writer.h"
#include "tests/support/temp_dir.h"

namespace {

// Clears the screen, retitles the terminal and forges a report line; then a
// C1 control (CSI) and a letter, both as Latin-1.
const std::string kHostileName = "\x1b[2J\x1b]0;owned\x07\r\nErrors:         none\x9B\xE9";

void RegisterForTest(CLI::App& app, CliContext& context) {
    RegisterInfoCommand(app, context);
    RegisterDumpCommand(app, context);
    RegisterModelsCommand(app, context);
    RegisterDiffCommand(app, context);
}

struct CliRun {
    int status;
    std::string out;
    std::string err;
};

CliRun RunTool(std::vector<std::string> args, std::ostream* out = nullptr) {
    args.insert(args.begin(), "lumikor-cli");
    std::vector<const char*> argv;
    for (const std::string& a : args) argv.push_back(a.c_str());
    std::ostringstream captured;
    std::ostringstream err;
    CliContext context{out != nullptr ? *out : captured, err};
    const int status = RunCli(static_cast<int>(argv.size()), argv.data(), context, RegisterForTest);
    return {status, captured.str(), err.str()};
}

// No byte below 0x20 but line ends, no DEL, no C1 control in UTF-8.
void ExpectTerminalSafe(const std::string& text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        EXPECT_TRUE(byte >= 0x20 || byte == '\n') << "byte " << int(byte) << " at " << i;
        EXPECT_NE(byte, 0x7F) << "at " << i;
        if (byte == 0xC2 && i + 1 < text.size()) {
            const auto next = static_cast<unsigned char>(text[i + 1]);
            EXPECT_FALSE(next >= 0x80 && next <= 0x9F) << "C1 control at " << i;
        }
    }
}

std::size_t LinesStartingWith(const std::string& text, const std::string& start) {
    std::size_t count = 0;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) count += line.rfind(start, 0) == 0;
    return count;
}

TEST(TerminalTextTest, ControlsAndBrokenUtf8PrintAsEscapes) {
    const struct {
        std::string in, out;
    } cases[] = {
        {"plain text, ~ and \\", "plain text, ~ and \\"},
        {std::string("a\0b\x1f\x7f", 5), "a\\x00b\\x1F\\x7F"},
        {"\r\n\t", "\\x0D\\x0A\\x09"},
        {"caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80", "caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80"},
        {"\xC2\x80\xC2\x9B\xC2\x9F\xC2\xA0", "\\x80\\x9B\\x9F\xC2\xA0"},  // C1 by code point
        {"\x9B\xFF", "\\x9B\\xFF"},                                       // stray bytes
        {"\xC0\xAF \xE0\x80\xAF", "\\xC0\\xAF \\xE0\\x80\\xAF"},          // overlong
        {"\xED\xA0\x80", "\\xED\\xA0\\x80"},                              // a surrogate
        {"\xF4\x90\x80\x80", "\\xF4\\x90\\x80\\x80"},                     // past U+10FFFF
        {"\xE2\x82", "\\xE2\\x82"},                                       // cut short
        {"\xE2\x82x", "\\xE2\\x82x"},
    };
    for (const auto& c : cases) EXPECT_EQ(TerminalText(c.in), c.out) << c.in;
    EXPECT_EQ(TerminalLines("a\x1b\nb\n\n"), "a\\x1B\nb\n\n");
}

TEST(TerminalOutputTest, HostileJobNameCannotForgeTheReport) {
    const TempDir dir;
    JobWriter job;
    job.Magic().FileName(kHostileName).Trailer(0x1234, 99);  // a bad checksum
    const std::string path =
        dir.Write("job\x1b[1m.prn", std::string(job.Bytes().begin(), job.Bytes().end()));

    const CliRun info = RunTool({"info", path});
    EXPECT_EQ(info.status, 3);
    ExpectTerminalSafe(info.out);
    EXPECT_EQ(LinesStartingWith(info.out, "Errors:"), 1u) << info.out;
    EXPECT_NE(info.out.find("job\\x1B[1m.prn"), std::string::npos) << info.out;
    EXPECT_NE(
        info.out.find("\"\\x1B[2J\\x1B]0;owned\\x07\\x0D\\x0AErrors:         none\\x9B\xC3\xA9\""),
        std::string::npos)
        << info.out;

    const CliRun dump = RunTool({"dump", path});
    EXPECT_EQ(dump.status, 3);
    ExpectTerminalSafe(dump.out);
    EXPECT_NE(dump.out.find("name=\"\\x1B[2J"), std::string::npos) << dump.out;

    // JSON keeps the name itself; its own escaping makes it safe.
    const CliRun json = RunTool({"info", "--json", path});
    EXPECT_EQ(nlohmann::json::parse(json.out)["fileName"],
              "\x1b[2J\x1b]0;owned\x07\r\nErrors:         none\xC2\x9B\xC3\xA9");

    // The path in messages, and arguments quoted back by usage errors.
    const CliRun missing = RunTool({"dump", path + "\x1b]0;x\x07"});
    EXPECT_EQ(missing.status, 1);
    ExpectTerminalSafe(missing.err);
    const CliRun usage = RunTool({"info", path, "--bogus\x1b[2J"});
    EXPECT_EQ(usage.status, 2);
    ExpectTerminalSafe(usage.err);
    EXPECT_NE(usage.err.find("--bogus\\x1B[2J"), std::string::npos) << usage.err;
}

TEST(TerminalOutputTest, DiffOfHostileNamesCannotForgeTheReport) {
    const TempDir dir;
    const auto write = [&dir](const std::string& name, const std::string& fileName) {
        JobWriter job;
        job.Magic().FileName(fileName).Pen(1).Trailer();
        return dir.Write(name, std::string(job.Bytes().begin(), job.Bytes().end()));
    };
    const std::string plain = write("plain.prn", "plain");
    const std::string hostile = write("hostile.prn", kHostileName + "\x7f");

    const CliRun diff = RunTool({"diff", plain, hostile});
    EXPECT_EQ(diff.status, 1);
    ExpectTerminalSafe(diff.out);
    EXPECT_EQ(LinesStartingWith(diff.out, "Errors:"), 0u) << diff.out;
    EXPECT_NE(diff.out.find("  fileName: \"plain\" \u2192 \"\\u001b[2J"), std::string::npos)
        << diff.out;
    EXPECT_NE(diff.out.find("none\\x9B\xC3\xA9\\x7F\""), std::string::npos) << diff.out;

    const CliRun missing = RunTool({"diff", plain, hostile + "\x1b]0;x\x07"});
    EXPECT_EQ(missing.status, 2);
    ExpectTerminalSafe(missing.err);
}

TEST(TerminalOutputTest, ModelNamesAreEscaped) {
    const TempDir dir;
    const std::string ini = dir.Write(
        "Lumikor.ini", "[MODEL_LIST]\nNo=2\nItem_1=Bad\x1b[2J\xC2\x85\xFF\nItem_2=Grav\xC3\xBCr\n");
    const CliRun run = RunTool({"models", "--ini", ini});
    EXPECT_EQ(run.out,
              "Bad\\x1B[2J\\x85\\xFF: 1000 x 600 mm, 1000 dpi\n"
              "Grav\xC3\xBCr: 1000 x 600 mm, 1000 dpi\n");
}

// A stream whose every write fails, as on a full disk.
class FullBuffer : public std::streambuf {
protected:
    int_type overflow(int_type) override { return traits_type::eof(); }
};

TEST(TerminalOutputTest, LostOutputIsAnError) {
    const TempDir dir;
    JobWriter job;
    job.Magic().Pen(1).Trailer(0x1234, 99);
    const std::string path =
        dir.Write("job.prn", std::string(job.Bytes().begin(), job.Bytes().end()));
    const std::string ini = dir.Write("Lumikor.ini", "[MODEL_LIST]\nNo=1\nItem_1=A\n");
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"dump", path}, {"info", "--json", path}, {"info", path}, {"models", "--ini", ini}}) {
        FullBuffer full;
        std::ostream out(&full);
        const CliRun run = RunTool(args, &out);
        EXPECT_EQ(run.status, 1) << args[0];
        EXPECT_NE(run.err.find("cannot write the output"), std::string::npos) << run.err;
    }
}

// Through the real standard output, buffered as the program's is.
void ModelsToDevFull(const std::string& ini) {
    const int full = ::open("/dev/full", O_WRONLY);
    if (full < 0 || ::dup2(full, STDOUT_FILENO) < 0) _exit(9);
    const char* argv[] = {"lumikor-cli", "models", "--ini", ini.c_str()};
    CliContext context{std::cout, std::cerr};
    std::exit(RunCli(4, argv, context, RegisterForTest));
}

TEST(TerminalOutputDeathTest, StandardOutputOnAFullDevice) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const TempDir dir;
    const std::string ini = dir.Write("Lumikor.ini", "[MODEL_LIST]\nNo=1\nItem_1=A\n");
    EXPECT_EXIT(ModelsToDevFull(ini), testing::ExitedWithCode(1), "cannot write the output");
}

}  // namespace
