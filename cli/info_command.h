// lumikor-cli info JOB [--json] [--trace] [--model W,H,DPI] [--offset X,Y]
// [--strict]: what the parser makes of a job, and where the job lies on a bed.
#pragma once

#include <cstdint>
#include <nlohmann/json.hpp>
#include <ostream>
#include <span>
#include <string>

#include "cli/cli_app.h"
#include "cli/option_values.h"

struct InfoOptions {
    std::string jobPath;
    bool json = false;
    bool trace = false;                             // with json: every hook in raising order
    std::string model = ModelText(DefaultModel());  // width mm, height mm, dots per inch
    std::string offset = "0,0";                     // dots, as render takes it
    bool strict = false;                            // a job that does not fit fails
};

// The bed and displacement a job is measured against.
struct InfoPlacement {
    BedModel bed;
    std::int32_t offsetX = 0;
    std::int32_t offsetY = 0;
};

// What info --json prints for the job, without the trace.
nlohmann::ordered_json InfoJson(std::span<const std::uint8_t> job, const InfoPlacement& placement);

// Reads --model and --offset; false with the message in error.
bool ReadPlacement(const std::string& model, const std::string& offset, InfoPlacement& placement,
                   std::string& error);

// Exit status: 0 when the job has no error bit, 3 when it has, 1 when it
// cannot be read, 2 on a usage error; with --strict, 4 for a job without
// error bits that does not fit the bed or has warnings.
int RunInfo(const InfoOptions& options, std::ostream& out, std::ostream& err);

void RegisterInfoCommand(CLI::App& app, CliContext& context);
