#include "display/fit_words.h"

#include <array>
#include <cstdio>

namespace {

constexpr double kMillimetresPerInch = 25.4;

struct Kind {
    const char* name;
    EdgeOverhang BedFit::*overhang;
};

constexpr std::array<Kind, 3> kKinds = {{
    {"engraved dots", &BedFit::dots},
    {"cuts", &BedFit::cuts},
    {"travel moves", &BedFit::travel},
}};

}  // namespace

double DotsToMillimetres(const ModelInfo& model, double dots) {
    return dots * kMillimetresPerInch / model.resolution;
}

std::string OneDecimal(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", value);
    return text;
}

std::string BedWords(const ModelInfo& model) {
    return std::to_string(model.width) + " \u00D7 " + std::to_string(model.height) + " mm bed";
}

std::vector<std::string> OverhangSentences(const BedFit& fit, const ModelInfo& model,
                                           std::string_view edgeSuffix) {
    std::vector<std::string> sentences;
    for (const BedSide& side : kBedSides) {
        const auto amount = [&](const Kind& kind) { return fit.*kind.overhang.*side.amount; };
        const Kind* furthest = nullptr;
        for (const Kind& kind : kKinds) {
            if (amount(kind) > 0 && (furthest == nullptr || amount(kind) > amount(*furthest))) {
                furthest = &kind;
            }
        }
        if (furthest == nullptr) continue;
        const auto mm = [&](const Kind& kind) {
            return OneDecimal(DotsToMillimetres(model, amount(kind)));
        };
        std::string sentence = std::string(furthest->name) + " reach " + mm(*furthest) +
                               " mm past the " + side.name + " edge" + std::string(edgeSuffix);
        std::string others;
        for (const Kind& kind : kKinds) {
            if (&kind == furthest || amount(kind) <= 0) continue;
            others +=
                (others.empty() ? "" : ", ") + std::string(kind.name) + " " + mm(kind) + " mm";
        }
        if (!others.empty()) sentence += " (" + others + ")";
        sentences.push_back(sentence);
    }
    return sentences;
}
