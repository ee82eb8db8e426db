#include "cli/option_values.h"

#include <charconv>

#include "display/bed_dots.h"

IntListStatus ParseIntList(const std::string& text, std::span<std::int32_t> values) {
    const char* p = text.data();
    const char* const end = text.data() + text.size();
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (i > 0) {
            if (p == end || *p != ',') return IntListStatus::kMalformed;
            ++p;
        }
        const auto [next, ec] = std::from_chars(p, end, values[i]);
        if (ec == std::errc::result_out_of_range) return IntListStatus::kOutOfRange;
        if (ec != std::errc()) return IntListStatus::kMalformed;
        p = next;
    }
    return p == end ? IntListStatus::kOk : IntListStatus::kMalformed;
}

bool ReadIntOption(const std::string& name, const std::string& text, const char* form,
                   std::span<std::int32_t> values, std::string& error) {
    switch (ParseIntList(text, values)) {
        case IntListStatus::kOk:
            return true;
        case IntListStatus::kOutOfRange:
            error = name + " " + text + ": a number is out of range (-2147483648 to 2147483647)";
            return false;
        case IntListStatus::kMalformed:
            break;
    }
    error = name + " takes " + form + " as integers";
    return false;
}

bool ReadModelOption(const std::string& text, BedModel& bed, std::string& error) {
    std::int32_t values[3] = {};
    if (!ReadIntOption("--model", text, "WIDTH,HEIGHT,DPI", values, error)) return false;
    const ModelInfo model = MakeModel(values[0], values[1], values[2]);
    const bool positive = model.width >= 1 && model.height >= 1 && model.resolution >= 1;
    const std::int32_t widthDots = positive ? BedDots(model.width, model.resolution) : 0;
    const std::int32_t heightDots = positive ? BedDots(model.height, model.resolution) : 0;
    if (widthDots == 0 || heightDots == 0) {
        error = "model " + text + " has no usable bed";
        return false;
    }
    bed = BedModel{model, widthDots, heightDots};
    return true;
}

std::string ModelText(const ModelInfo& model) {
    return std::to_string(model.width) + ',' + std::to_string(model.height) + ',' +
           std::to_string(model.resolution);
}
