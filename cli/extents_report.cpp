#include "cli/extents_report.h"

#include <array>
#include <cmath>
#include <cstdio>

namespace {

using Json = nlohmann::ordered_json;

constexpr double kMillimetresPerInch = 25.4;

struct Kind {
    const char* name;  // in sentences
    const char* key;   // in JSON
    DotBox JobExtents::*box;
    EdgeOverhang BedFit::*overhang;
};

constexpr std::array<Kind, 3> kKinds = {{
    {"engraved dots", "dots", &JobExtents::dots, &BedFit::dots},
    {"cuts", "cuts", &JobExtents::cuts, &BedFit::cuts},
    {"travel moves", "travel", &JobExtents::travel, &BedFit::travel},
}};

struct Side {
    const char* name;
    double EdgeOverhang::*amount;
};

constexpr std::array<Side, 4> kSides = {{
    {"left", &EdgeOverhang::left},
    {"right", &EdgeOverhang::right},
    {"top", &EdgeOverhang::top},
    {"bottom", &EdgeOverhang::bottom},
}};

double Millimetres(const BedModel& bed, double dots) {
    return dots * kMillimetresPerInch / bed.model.resolution;
}

// Millimetres for JSON, to the micrometre, so that reports compare equal
// when the jobs do.
double RoundedMillimetres(const BedModel& bed, double dots) {
    return std::round(Millimetres(bed, dots) * 1000.0) / 1000.0;
}

std::string OneDecimal(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", value);
    return text;
}

std::string BedWords(const BedModel& bed) {
    return std::to_string(bed.model.width) + " \u00D7 " + std::to_string(bed.model.height) +
           " mm bed";
}

Json BoxJson(const BedModel& bed, const DotBox& box) {
    if (box.empty) return nullptr;
    const auto mm = [&](std::int64_t dots) {
        return RoundedMillimetres(bed, static_cast<double>(dots));
    };
    return Json{
        {"dots",
         {{"left", box.left}, {"bottom", box.bottom}, {"right", box.right}, {"top", box.top}}},
        {"mm",
         {{"left", mm(box.left)},
          {"bottom", mm(box.bottom)},
          {"right", mm(box.right)},
          {"top", mm(box.top)}}},
    };
}

std::string BoxWords(const BedModel& bed, const DotBox& box) {
    if (box.empty) return "none";
    const auto mm = [&](std::int64_t dots) {
        return OneDecimal(Millimetres(bed, static_cast<double>(dots)));
    };
    return "x " + mm(box.left) + " to " + mm(box.right) + " mm, y " + mm(box.bottom) + " to " +
           mm(box.top) + " mm (dots " + std::to_string(box.left) + ".." +
           std::to_string(box.right) + ", " + std::to_string(box.bottom) + ".." +
           std::to_string(box.top) + ")";
}

}  // namespace

ExtentsReport MeasureJob(std::span<const std::uint8_t> job, const BedModel& bed,
                         std::int32_t offsetX, std::int32_t offsetY) {
    static constexpr std::uint8_t kNoBytes = 0;
    CJobExtents measure;
    measure.SetOffset(offsetX, offsetY);
    measure.Attach(job.empty() ? &kNoBytes : job.data(), static_cast<std::uint32_t>(job.size()));
    measure.Parse();
    ExtentsReport report{bed, measure.GetExtents(), {}};
    report.fit = FitOnBed(report.extents, bed.widthDots, bed.heightDots);
    return report;
}

std::vector<std::string> OverhangWords(const ExtentsReport& report) {
    std::vector<std::string> sentences;
    for (const Side& side : kSides) {
        // The kind that reaches furthest leads; the others follow in brackets.
        const Kind* furthest = nullptr;
        for (const Kind& kind : kKinds) {
            const double amount = report.fit.*kind.overhang.*side.amount;
            if (amount > 0 &&
                (furthest == nullptr || amount > report.fit.*furthest->overhang.*side.amount)) {
                furthest = &kind;
            }
        }
        if (furthest == nullptr) continue;
        const auto mm = [&](const Kind& kind) {
            return OneDecimal(Millimetres(report.bed, report.fit.*kind.overhang.*side.amount));
        };
        std::string sentence = std::string(furthest->name) + " reach " + mm(*furthest) +
                               " mm past the " + side.name + " edge of the " + BedWords(report.bed);
        std::string others;
        for (const Kind& kind : kKinds) {
            if (&kind == furthest || report.fit.*kind.overhang.*side.amount <= 0) continue;
            others +=
                (others.empty() ? "" : ", ") + std::string(kind.name) + " " + mm(kind) + " mm";
        }
        if (!others.empty()) sentence += " (" + others + ")";
        sentences.push_back(sentence);
    }
    return sentences;
}

Json ExtentsJson(const ExtentsReport& report) {
    const BedModel& bed = report.bed;
    Json json{
        {"model",
         {{"width", bed.model.width}, {"height", bed.model.height}, {"dpi", bed.model.resolution}}},
        {"bedDots", {{"width", bed.widthDots}, {"height", bed.heightDots}}},
    };
    for (const Kind& kind : kKinds) json[kind.key] = BoxJson(bed, report.extents.*kind.box);
    Json layers = Json::array();
    for (std::size_t i = 0; i < report.extents.layers.size(); ++i) {
        const LayerTotals& layer = report.extents.layers[i];
        if (layer.dots == 0 && layer.cutDots == 0) continue;
        layers.push_back(Json{{"layer", i},
                              {"dots", layer.dots},
                              {"cutLengthMm", RoundedMillimetres(bed, layer.cutDots)}});
    }
    json["layers"] = layers;
    json["fits"] = report.fit.Fits();
    Json overhang = Json::object();
    for (const Kind& kind : kKinds) {
        const EdgeOverhang& edges = report.fit.*kind.overhang;
        if (!edges.Any()) continue;
        Json sides = Json::object();
        for (const Side& side : kSides) {
            if (edges.*side.amount > 0)
                sides[side.name] = RoundedMillimetres(bed, edges.*side.amount);
        }
        overhang[kind.key] = sides;
    }
    json["overhangMm"] = overhang;
    json["overhangWarnings"] = OverhangWords(report);
    return json;
}

void WriteExtentsText(const ExtentsReport& report, std::ostream& out) {
    const BedModel& bed = report.bed;
    out << "Bed:            " << BedWords(bed) << " at " << bed.model.resolution << " dpi ("
        << bed.widthDots << " \u00D7 " << bed.heightDots << " dots)\n";
    out << "Engraved dots:  " << BoxWords(bed, report.extents.dots) << '\n';
    out << "Cuts:           " << BoxWords(bed, report.extents.cuts) << '\n';
    out << "Travel:         " << BoxWords(bed, report.extents.travel) << '\n';
    out << "Layers:\n";
    bool anyLayer = false;
    for (std::size_t i = 0; i < report.extents.layers.size(); ++i) {
        const LayerTotals& layer = report.extents.layers[i];
        if (layer.dots == 0 && layer.cutDots == 0) continue;
        anyLayer = true;
        out << "  " << i << "               " << layer.dots << " dots, cuts "
            << OneDecimal(Millimetres(bed, layer.cutDots)) << " mm\n";
    }
    if (!anyLayer) out << "  none\n";
    const std::vector<std::string> overhangs = OverhangWords(report);
    out << "Fits the bed:   " << (overhangs.empty() ? "yes" : "no") << '\n';
    for (const std::string& sentence : overhangs) out << "  warning: " << sentence << '\n';
}
