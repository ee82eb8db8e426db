// Values of the subcommands' options: comma-separated integer lists and the
// machine model they describe.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "display/model_info.h"

enum class IntListStatus : std::uint8_t { kOk, kMalformed, kOutOfRange };

// Exactly values.size() comma-separated 32-bit integers, nothing else.
IntListStatus ParseIntList(const std::string& text, std::span<std::int32_t> values);

// Reads option `name` (e.g. "--model") whose value must be a list of
// values.size() integers named by `form` ("WIDTH,HEIGHT,DPI"); on failure
// leaves the message in error and returns false.
bool ReadIntOption(const std::string& name, const std::string& text, const char* form,
                   std::span<std::int32_t> values, std::string& error);

// A bed: the model and its size in dots.
struct BedModel {
    ModelInfo model;
    std::int32_t widthDots = 0;
    std::int32_t heightDots = 0;
};

// --model W,H,DPI: false, with the message in error, when the text is not
// three integers or gives no bed of at least one dot each way.
bool ReadModelOption(const std::string& text, BedModel& bed, std::string& error);

// The model as --model takes it: "WIDTH,HEIGHT,DPI".
std::string ModelText(const ModelInfo& model);
