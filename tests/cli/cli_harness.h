// Runs lumikor-cli in-process with captured output, on job files written by
// the tests into a fresh directory.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "tests/cli/cli_run.h"
#include "tests/support/temp_dir.h"

class CliHarness {
public:
    explicit CliHarness(RegisterCommands registerAll) : m_register(registerAll) {}

    CliRun Run(std::vector<std::string> args) const {
        return RunCliForTest(m_register, std::move(args));
    }
    std::string Write(const std::string& name, const std::vector<std::uint8_t>& bytes) const {
        return m_dir.Write(
            name, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    }
    std::string PathOf(const std::string& name) const { return (m_dir.Path() / name).string(); }

private:
    RegisterCommands m_register;
    TempDir m_dir;
};
