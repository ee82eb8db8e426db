// Whether a job fits a bed, in words: one sentence per edge that something
// reaches past. The command line and the desktop program say it alike.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "display/job_extents.h"
#include "display/model_info.h"

// The bed's edges by name, in the order the reports list them.
struct BedSide {
    const char* name;
    double EdgeOverhang::*amount;
};
inline constexpr std::array<BedSide, 4> kBedSides = {{
    {"left", &EdgeOverhang::left},
    {"right", &EdgeOverhang::right},
    {"top", &EdgeOverhang::top},
    {"bottom", &EdgeOverhang::bottom},
}};

// Dots at the model's resolution, in millimetres.
double DotsToMillimetres(const ModelInfo& model, double dots);

// "12.3": one decimal, as every length in the reports is given.
std::string OneDecimal(double value);

// "1000 × 600 mm bed".
std::string BedWords(const ModelInfo& model);

// E.g. "cuts reach 20.3 mm past the right edge" + edgeSuffix + " (engraved
// dots 3.0 mm)": the kind that reaches furthest leads, the others follow in
// brackets. Empty when the job fits.
std::vector<std::string> OverhangSentences(const BedFit& fit, const ModelInfo& model,
                                           std::string_view edgeSuffix);
