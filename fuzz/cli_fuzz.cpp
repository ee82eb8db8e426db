// lumikor-cli info, info --json --trace and dump on any job, run in-process
// as the program runs them. The three must agree: the same exit status, the
// JSON must parse and count as many hooks as its trace lists, and the dump's
// items must cover the job byte for byte, each byte once.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "cli/cli_app.h"
#include "cli/dump_command.h"
#include "cli/info_command.h"
#include "fuzz/keep_value.h"
#include "fuzz/scratch_file.h"
#include "parser/job_format.h"

namespace {

void RegisterForFuzz(CLI::App& app, CliContext& context) {
    RegisterInfoCommand(app, context);
    RegisterDumpCommand(app, context);
}

struct Run {
    int status;
    std::string out;
};

Run RunTool(std::vector<std::string> args) {
    args.insert(args.begin(), "lumikor-cli");
    std::vector<const char*> argv;
    for (const std::string& arg : args) argv.push_back(arg.c_str());
    std::ostringstream out;
    std::ostringstream err;
    CliContext context{out, err};
    const int status = RunCli(static_cast<int>(argv.size()), argv.data(), context, RegisterForFuzz);
    // A job never makes a usage error, and a readable one never fails to read.
    // Standard error may carry the job's warnings (a command cut short, no
    // trailer, ...), which set no error bit.
    if (status != kExitOk && status != kExitJobErrors) std::abort();
    return {status, out.str()};
}

void CheckJson(const std::string& text, std::size_t size) {
    const nlohmann::json info = nlohmann::json::parse(text, nullptr, false);
    if (info.is_discarded() || !info.is_object()) std::abort();
    if (info.value("size", std::uint64_t{0}) != size) std::abort();
    std::uint64_t hooks = 0;
    for (const auto& count : info.at("hooks")) hooks += count.get<std::uint64_t>();
    if (hooks != info.at("trace").size()) std::abort();
}

// Items are "offset length ..." lines after one heading line; they follow
// each other without a gap or an overlap. They reach the end of the job
// unless the magic stopped the listing after its own item.
void CheckDump(const std::string& text, std::size_t size, std::uint32_t errorFlags) {
    std::istringstream lines(text);
    std::string line;
    if (!std::getline(lines, line)) std::abort();
    std::uint64_t end = 0;
    std::size_t items = 0;
    while (std::getline(lines, line)) {
        unsigned long offset = 0;
        unsigned long length = 0;
        if (std::sscanf(line.c_str(), "%lu %lu", &offset, &length) != 2) std::abort();
        if (offset != end) std::abort();
        end = offset + length;
        ++items;
    }
    const bool stoppedAtMagic =
        (errorFlags & (jobformat::kErrorBadMagic | jobformat::kErrorTruncated)) != 0 &&
        items == 1 && end == (size < jobformat::kMagicSize ? size : jobformat::kMagicSize);
    if (end != size && !stoppedAtMagic) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static ScratchFile file;
    const std::string& path = file.Rewrite(data, size);

    const Run text = RunTool({"info", path});
    const Run json = RunTool({"info", "--json", "--trace", path});
    const Run dump = RunTool({"dump", path});
    if (text.status != json.status || json.status != dump.status) std::abort();

    CheckJson(json.out, size);
    const auto flags = nlohmann::json::parse(json.out).at("errorFlags").get<std::uint32_t>();
    if ((flags == 0) != (json.status == kExitOk)) std::abort();
    CheckDump(dump.out, size, flags);
    KeepValue(text.out.size());
    return 0;
}
