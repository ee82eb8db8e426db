// lumikor-cli dump JOB: one line per command in stream order, like a
// disassembler: offset, length, the command and its decoded parameters.
#pragma once

#include <ostream>
#include <string>

#include "cli/cli_app.h"

// Exit status as for info: 0, 3 when the job has error bits, 1 unreadable.
int RunDump(const std::string& jobPath, std::ostream& out, std::ostream& err);

void RegisterDumpCommand(CLI::App& app, CliContext& context);
