// The frame of lumikor-cli: every subcommand registers itself on the CLI11
// app and, when chosen, leaves its exit status in the context. Output goes to
// the context's streams so that tests can capture it.
#pragma once

#include <CLI/CLI.hpp>
#include <ostream>

struct CliContext {
    std::ostream& out;
    std::ostream& err;
    int status = 0;
};

using RegisterCommands = void (*)(CLI::App& app, CliContext& context);

// Exit statuses shared by the subcommands.
inline constexpr int kExitOk = 0;
inline constexpr int kExitCannotRead = 1;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitJobErrors = 3;
// The picture or the report cannot be written. It shares 1 with an unreadable
// job, as scripts already rely on.
inline constexpr int kExitCannotWrite = 1;
// --strict: the job has no error bits but does not fit the bed or has warnings.
inline constexpr int kExitStrict = 4;

// Parses the arguments and runs the chosen subcommand; returns the status.
int RunCli(int argc, const char* const* argv, CliContext& context, RegisterCommands registerAll);
