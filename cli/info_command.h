// lumikor-cli info JOB [--json] [--trace]: what the parser makes of a job.
#pragma once

#include <ostream>
#include <string>

#include "cli/cli_app.h"

struct InfoOptions {
    std::string jobPath;
    bool json = false;
    bool trace = false;  // with json: every hook in raising order
};

// Exit status: 0 when the job has no error bit, 3 when it has, 1 when it
// cannot be read.
int RunInfo(const InfoOptions& options, std::ostream& out, std::ostream& err);

void RegisterInfoCommand(CLI::App& app, CliContext& context);
