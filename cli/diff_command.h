// lumikor-cli diff A B [--model W,H,DPI [--model W,H,DPI]] [--image D.png]
// [--json]: what differs between two jobs, three ways: their parse reports
// (the fields of info --json), their command streams, and their pictures.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "cli/cli_app.h"

struct DiffOptions {
    std::string pathA;
    std::string pathB;
    // None: the default model for both; one: for both; two: A's, then B's.
    std::vector<std::string> models;
    std::string imagePath;  // .png: the bed of B with the differing pixels marked
    bool json = false;
};

// Exit status as cmp(1) has it: 0 when the jobs are the same all three ways,
// 1 when they differ, 2 on trouble (a usage error, a job that cannot be
// read, a picture that cannot be written).
int RunDiff(const DiffOptions& options, std::ostream& out, std::ostream& err);

void RegisterDiffCommand(CLI::App& app, CliContext& context);
