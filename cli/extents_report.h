// Where a job lies and whether it fits a bed, in the words and JSON of
// lumikor-cli info.
#pragma once

#include <cstdint>
#include <nlohmann/json.hpp>
#include <ostream>
#include <span>
#include <string>
#include <vector>

#include "cli/option_values.h"
#include "display/job_extents.h"

struct ExtentsReport {
    BedModel bed;
    JobExtents extents;
    BedFit fit;
};

ExtentsReport MeasureJob(std::span<const std::uint8_t> job, const BedModel& bed,
                         std::int32_t offsetX, std::int32_t offsetY);

// One sentence per edge that something reaches past, e.g. "cuts reach
// 20.3 mm past the right edge of the 1000 × 600 mm bed".
std::vector<std::string> OverhangWords(const ExtentsReport& report);

nlohmann::ordered_json ExtentsJson(const ExtentsReport& report);

// The lines of the text report, each ending in a newline.
void WriteExtentsText(const ExtentsReport& report, std::ostream& out);
