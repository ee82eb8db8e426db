// For the command-line tests: lumikor-cli run in-process with its output
// captured, and files read back whole.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "cli/cli_app.h"

struct CliRun {
    int status;
    std::string out;
    std::string err;
};

// Runs "lumikor-cli ARGS..." with the subcommands registerAll adds.
inline CliRun RunCliForTest(RegisterCommands registerAll, std::vector<std::string> args) {
    args.insert(args.begin(), "lumikor-cli");
    std::vector<const char*> argv;
    for (const std::string& a : args) argv.push_back(a.c_str());
    std::ostringstream out;
    std::ostringstream err;
    CliContext context{out, err};
    const int status = RunCli(static_cast<int>(argv.size()), argv.data(), context, registerAll);
    return {status, out.str(), err.str()};
}

inline std::vector<std::uint8_t> ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}
