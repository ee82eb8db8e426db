#include "cli/extents_report.h"

#include <array>
#include <cmath>

#include "display/fit_words.h"

namespace {

using Json = nlohmann::ordered_json;

struct Kind {
    const char* key;  // in JSON
    DotBox JobExtents::*box;
    EdgeOverhang BedFit::*overhang;
};

constexpr std::array<Kind, 3> kKinds = {{
    {"dots", &JobExtents::dots, &BedFit::dots},
    {"cuts", &JobExtents::cuts, &BedFit::cuts},
    {"travel", &JobExtents::travel, &BedFit::travel},
}};

double Millimetres(const BedModel& bed, double dots) { return DotsToMillimetres(bed.model, dots); }

// Millimetres for JSON, to the micrometre, so that reports compare equal
// when the jobs do.
double RoundedMillimetres(const BedModel& bed, double dots) {
    return std::round(Millimetres(bed, dots) * 1000.0) / 1000.0;
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
    return OverhangSentences(report.fit, report.bed.model, " of the " + BedWords(report.bed.model));
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
        for (const BedSide& side : kBedSides) {
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
    out << "Bed:            " << BedWords(bed.model) << " at " << bed.model.resolution << " dpi ("
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
