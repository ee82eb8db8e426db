// lumikor-cli dump JOB: one line per command in stream order, like a
// disassembler: offset, length, the command and its decoded parameters.
#pragma once

#include <ostream>
#include <string>

#include "cli/cli_app.h"
#include "parser/job_walker.h"

// One line of the listing, without the newline: offset, length and what the
// item is. dataSize is the size of the job, which a trailer's line compares
// its stored length with.
std::string DumpLine(const StreamItem& item, std::uint32_t dataSize);

// Exit status as for info: 0, 3 when the job has error bits, 1 unreadable;
// with strict, 4 for a job without error bits that has warnings (written to
// err after the listing).
int RunDump(const std::string& jobPath, bool strict, std::ostream& out, std::ostream& err);

void RegisterDumpCommand(CLI::App& app, CliContext& context);
