#include "cli/diff_command.h"

#include <algorithm>
#include <memory>
#include <nlohmann/json.hpp>
#include <span>

#include "cli/dump_command.h"
#include "cli/info_command.h"
#include "cli/json_text.h"
#include "cli/load_job.h"
#include "cli/picture_diff.h"
#include "cli/render_command.h"
#include "cli/sequence_diff.h"
#include "cli/terminal_text.h"
#include "display/job_display.h"
#include "parser/job_walker.h"

namespace {

using Json = nlohmann::ordered_json;

constexpr int kExitSame = 0;
constexpr int kExitDifferent = 1;
constexpr int kExitTrouble = 2;

// One side of the comparison.
struct Side {
    const std::string* path = nullptr;
    std::shared_ptr<const JobDocument> job;
    std::string model;
};

std::uint64_t Fingerprint(const StreamItem& item) {
    // FNV-1a over what makes two items the same: kind, trailer outcome, bytes.
    std::uint64_t hash = 0xCBF29CE484222325u;
    const auto add = [&hash](std::uint8_t byte) {
        hash ^= byte;
        hash *= 0x100000001B3u;
    };
    add(static_cast<std::uint8_t>(item.kind));
    add(static_cast<std::uint8_t>(item.trailer.outcome));
    for (std::uint32_t i = 0; i < item.length; ++i) add(item.bytes[i]);
    return hash;
}

class CItemCounter : public CJobWalker {
public:
    std::size_t Count() const { return m_count; }

protected:
    void OnItem(const StreamItem& /*item*/) override { ++m_count; }

private:
    std::size_t m_count = 0;
};

class CFingerprintWalker : public CJobWalker {
public:
    explicit CFingerprintWalker(std::vector<std::uint64_t>& fingerprints)
        : m_fingerprints(fingerprints) {}

protected:
    void OnItem(const StreamItem& item) override { m_fingerprints.push_back(Fingerprint(item)); }

private:
    std::vector<std::uint64_t>& m_fingerprints;
};

// The fingerprints of a stream's items. They are counted first, so that the
// list takes 8 bytes per item and no more.
std::vector<std::uint64_t> FingerprintsOf(std::span<const std::uint8_t> job) {
    CItemCounter counter;
    counter.Walk(job);
    std::vector<std::uint64_t> fingerprints;
    fingerprints.reserve(counter.Count());
    CFingerprintWalker(fingerprints).Walk(job);
    return fingerprints;
}

// The item with the given index: where it starts and its dump line; a
// stream that has ended by then gives its size and no line.
class CItemAtWalker : public CJobWalker {
public:
    CItemAtWalker(std::size_t index, std::uint32_t end) : m_index(index), m_offset(end) {}
    const std::string& Line() const { return m_line; }
    std::uint32_t Offset() const { return m_offset; }

protected:
    void OnItem(const StreamItem& item) override {
        if (m_seen++ != m_index) return;
        m_line = DumpLine(item, m_dataSize);
        m_offset = item.offset;
    }

private:
    std::size_t m_index;
    std::size_t m_seen = 0;
    std::uint32_t m_offset;
    std::string m_line;
};

// Every leaf of the two reports that differs, by its path ("extents.fits",
// "extents.layers[2].dots"); arrays of one length are compared item by item.
void CompareReports(const Json& a, const Json& b, const std::string& path, Json& differences) {
    if (a.is_object() && b.is_object()) {
        const auto inner = [&path](const std::string& key) {
            return path.empty() ? key : path + "." + key;
        };
        for (const auto& [key, value] : a.items()) {
            CompareReports(value, b.contains(key) ? b[key] : Json(), inner(key), differences);
        }
        for (const auto& [key, value] : b.items()) {
            if (!a.contains(key)) CompareReports(Json(), value, inner(key), differences);
        }
        return;
    }
    if (a.is_array() && b.is_array() && a.size() == b.size() && a != b) {
        for (std::size_t i = 0; i < a.size(); ++i) {
            CompareReports(a[i], b[i], path + "[" + std::to_string(i) + "]", differences);
        }
        return;
    }
    if (a != b) differences.push_back(Json{{"field", path}, {"old", a}, {"new", b}});
}

Json CompareStreams(const Side& a, const Side& b) {
    const std::vector<std::uint64_t> itemsA = FingerprintsOf(a.job->Bytes());
    const std::vector<std::uint64_t> itemsB = FingerprintsOf(b.job->Bytes());
    const SequenceDiff diff = DiffSequences(itemsA, itemsB);
    Json json{
        {"identical", diff.Identical()}, {"itemsA", itemsA.size()}, {"itemsB", itemsB.size()}};
    if (diff.Identical()) return json;
    const std::size_t first = diff.commonPrefix;
    CItemAtWalker firstA(first, static_cast<std::uint32_t>(a.job->Size()));
    CItemAtWalker firstB(first, static_cast<std::uint32_t>(b.job->Size()));
    firstA.Walk(a.job->Bytes());
    firstB.Walk(b.job->Bytes());
    json["first"] = Json{{"item", first},
                         {"offsetA", firstA.Offset()},
                         {"offsetB", firstB.Offset()},
                         {"lineA", firstA.Line()},
                         {"lineB", firstB.Line()}};
    json["changed"] = diff.changed;
    json["inserted"] = diff.inserted;
    json["removed"] = diff.removed;
    json["exact"] = diff.exact;
    return json;
}

int Trouble(std::ostream& err, const std::string& message) {
    err << "lumikor-cli diff: " << TerminalText(message) << '\n';
    return kExitTrouble;
}

void WriteValue(std::ostream& out, const Json& value) {
    // JSON escapes the C0 controls only: DEL and C1 in a job name pass.
    out << (value.is_null() ? std::string("(none)") : TerminalText(JsonText(value)));
}

void WriteText(const Json& result, std::ostream& out) {
    const Json& reports = result["reports"];
    out << "Parse reports:  " << (reports.empty() ? "same" : "differ") << '\n';
    for (const Json& d : reports) {
        out << "  " << d["field"].get<std::string>() << ": ";
        WriteValue(out, d["old"]);
        out << " \u2192 ";
        WriteValue(out, d["new"]);
        out << '\n';
    }
    const Json& streams = result["streams"];
    if (streams["identical"].get<bool>()) {
        out << "Commands:       same (" << streams["itemsA"] << " items)\n";
    } else {
        const Json& first = streams["first"];
        out << "Commands:       differ from item " << first["item"] << ", offset "
            << first["offsetA"] << " in A, " << first["offsetB"] << " in B\n";
        const auto line = [](const Json& text) {
            const std::string s = text.get<std::string>();
            return s.empty() ? std::string("(the stream has ended)") : s;
        };
        out << "  A: " << line(first["lineA"]) << '\n';
        out << "  B: " << line(first["lineB"]) << '\n';
        out << "  " << streams["changed"] << " changed, " << streams["inserted"] << " inserted, "
            << streams["removed"] << " removed (of " << streams["itemsA"] << " and "
            << streams["itemsB"] << " items"
            << (streams["exact"].get<bool>() ? "" : "; approximate") << ")\n";
    }
    WritePictureText(result["pictures"], out);
}

}  // namespace

int RunDiff(const DiffOptions& options, std::ostream& out, std::ostream& err) {
    if (options.models.size() > 2) return Trouble(err, "--model is given at most twice");
    // Standard input can be read once: the second "-" would compare a job
    // with nothing.
    if (options.pathA == "-" && options.pathB == "-") {
        return Trouble(err, "only one of the two jobs can be standard input");
    }
    if (!options.imagePath.empty() && ImageFormatOf(options.imagePath) != ImageFormat::kPng) {
        return Trouble(err, "--image must end in .png");
    }
    Side a{&options.pathA, {}, RenderOptions{}.model};
    Side b{&options.pathB, {}, RenderOptions{}.model};
    if (!options.models.empty()) a.model = b.model = options.models.front();
    if (options.models.size() == 2) b.model = options.models.back();

    InfoPlacement placementA;
    InfoPlacement placementB;
    std::string error;
    if (!ReadPlacement(a.model, "0,0", placementA, error) ||
        !ReadPlacement(b.model, "0,0", placementB, error)) {
        return Trouble(err, error);
    }
    RenderOptions renderA;
    RenderOptions renderB;
    renderA.model = a.model;
    renderB.model = b.model;
    auto displayA = std::make_unique<CJobDisplay>();
    auto displayB = std::make_unique<CJobDisplay>();
    RegionViewSettings viewSettings;  // diff draws the whole bed, never a view
    if (SetUpRender(renderA, *displayA, viewSettings, err) != kExitOk ||
        SetUpRender(renderB, *displayB, viewSettings, err) != kExitOk) {
        return kExitTrouble;
    }

    a.job = LoadJob(*a.path, err);
    if (!a.job) return kExitTrouble;
    b.job = LoadJob(*b.path, err);
    if (!b.job) return kExitTrouble;

    Json reports = Json::array();
    CompareReports(InfoJson(a.job->Bytes(), placementA), InfoJson(b.job->Bytes(), placementB), "",
                   reports);
    const Json streams = CompareStreams(a, b);
    const PictureDiff pictureDiff =
        ComparePictures(*displayA, a.job->Bytes(), *displayB, b.job->Bytes());
    if (!JobReadWhole(*a.job, *a.path, err) || !JobReadWhole(*b.job, *b.path, err)) {
        return kExitTrouble;
    }
    Json pictures = PictureJson(pictureDiff, *displayB);
    if (!options.imagePath.empty()) {
        const FileIdentity inputs[] = {a.job->Identity(), b.job->Identity()};
        if (!WriteDiffImage(*displayA, *displayB, options.imagePath, inputs, error)) {
            return Trouble(err, error);
        }
        pictures["image"] = options.imagePath;
    }
    const bool same =
        reports.empty() && streams["identical"].get<bool>() && pictureDiff.differingPixels == 0;
    const Json result{{"identical", same},  {"a", *a.path},       {"b", *b.path},
                      {"reports", reports}, {"streams", streams}, {"pictures", pictures}};
    if (options.json) {
        out << JsonText(result, 2) << '\n';
    } else {
        WriteText(result, out);
    }
    return same ? kExitSame : kExitDifferent;
}

void RegisterDiffCommand(CLI::App& app, CliContext& context) {
    auto options = std::make_shared<DiffOptions>();
    CLI::App* diff =
        app.add_subcommand("diff", "Compare two jobs: parse reports, command streams and pictures");
    diff->add_option("A", options->pathA, "The old job")->required();
    diff->add_option("B", options->pathB, "The new job")->required();
    diff->add_option("--model", options->models,
                     "Bed WIDTH,HEIGHT in mm and DPI; a second --model is B's");
    diff->add_option("--image", options->imagePath,
                     "Write a PNG of B's bed with the pixels only in A or only in B marked");
    diff->add_flag("--json", options->json, "Print the comparison as one JSON object");
    diff->callback(
        [options, &context] { context.status = RunDiff(*options, context.out, context.err); });
}
