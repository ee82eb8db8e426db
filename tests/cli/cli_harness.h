// Runs lumikor-cli in-process with captured output, on job files written by
// the tests into a fresh directory.
#pragma once

#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "cli/cli_app.h"
#include "tests/support/temp_dir.h"

struct CliRun {
    int status;
    std::string out;
    std::string err;
};

class CliHarness {
public:
    explicit CliHarness(RegisterCommands registerAll) : m_register(registerAll) {}

    CliRun Run(std::vector<std::string> args) const;
    std::string Write(const std::string& name, const std::vector<std::uint8_t>& bytes) const {
        return m_dir.Write(
            name, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    }
    std::string PathOf(const std::string& name) const { return (m_dir.Path() / name).string(); }

private:
    RegisterCommands m_register;
    TempDir m_dir;
};

inline CliRun CliHarness::Run(std::vector<std::string> args) const {
    args.insert(args.begin(), "lumikor-cli");
    std::vector<const char*> argv;
    for (const std::string& a : args) argv.push_back(a.c_str());
    std::ostringstream out;
    std::ostringstream err;
    CliContext context{out, err};
    const int status = RunCli(static_cast<int>(argv.size()), argv.data(), context, m_register);
    return {status, out.str(), err.str()};
}
