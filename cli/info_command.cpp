#include "cli/info_command.h"

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <nlohmann/json.hpp>
#include <vector>

#include "cli/describe.h"
#include "cli/extents_report.h"
#include "cli/json_text.h"
#include "cli/load_job.h"
#include "cli/terminal_text.h"
#include "parser/job_format.h"
#include "parser/job_walker.h"

namespace {

using Json = nlohmann::ordered_json;

// Counts hooks and command kinds; with a trace stream, also writes each hook
// as one JSON line while the parse runs, so a long trace is never held.
class CInfoWalker : public CJobWalker {
public:
    explicit CInfoWalker(std::ostream* trace = nullptr) : m_trace(trace) {}

    std::array<std::uint64_t, kHookCount> hookCounts{};
    std::map<std::string, std::uint64_t> commandCounts;
    std::uint64_t trailers = 0;

protected:
    void OnItem(const StreamItem& item) override {
        if (item.kind == ItemKind::kTrailer) ++trailers;
        if (item.kind != ItemKind::kCommand) return;
        std::string name = CommandName(item.prefix, item.command.letter);
        if (item.command.status != jobformat::ExtentStatus::kComplete) name += " (dropped)";
        ++commandCounts[name];
    }

    void OnWalkHook(Hook hook) override {
        ++hookCounts[static_cast<std::size_t>(hook)];
        if (m_trace == nullptr) return;
        Json entry{{"hook", HookName(hook)}};
        if (hook != Hook::kParseBegin) entry["pos"] = m_pos;
        if (HookHasDescriptor(hook)) {
            entry["cmdStart"] = m_cmdStart;
            entry["cmdLength"] = m_cmdLength;
        }
        *m_trace << (m_firstTraceEntry ? "\n    " : ",\n    ") << JsonText(entry);
        m_firstTraceEntry = false;
    }

private:
    std::ostream* m_trace;
    bool m_firstTraceEntry = true;
};

Json WarningsJson(const std::vector<JobWarning>& warnings) {
    Json list = Json::array();
    for (const JobWarning& warning : warnings) {
        list.push_back(Json{{"kind", WarningKindName(warning.kind)},
                            {"offset", warning.offset},
                            {"bytes", warning.bytes},
                            {"text", WarningWords(warning)}});
    }
    return list;
}

Json SummaryJson(const ParserState& s, const CInfoWalker& walker, const ExtentsReport& extents) {
    Json hooks = Json::object();
    for (std::size_t i = 0; i < kHookCount; ++i) {
        hooks[HookName(static_cast<Hook>(i))] = walker.hookCounts[i];
    }
    return Json{
        {"size", s.m_dataSize},
        {"errorFlags", s.m_errorFlags},
        {"unknownCount", s.m_unknownCount},
        {"checksumSum", s.m_checksumSum},
        {"checksumStored", s.m_checksumStored},
        {"pos", s.m_pos},
        {"fileName", FileNameUtf8(s)},
        {"penNumber", s.m_penNumber},
        {"bitMode", s.m_bitMode},
        {"dotStep", s.m_dotStep},
        {"rleBase", s.m_rleBase},
        {"escMBit4", s.m_escMBit4},
        {"escOBit4", s.m_escOBit4},
        {"escOBit0", s.m_escOBit0},
        {"escH", s.m_escH},
        {"escR", s.m_escR},
        {"escY", s.m_escY},
        {"escJ", s.m_escJ},
        {"escS", s.m_escS},
        {"escP", s.m_escP},
        {"penDown", s.m_penDown},
        {"escQ", s.m_escQ},
        {"escT", s.m_escT},
        {"escLowV", s.m_escLowV},
        {"hooks", hooks},
        {"warnings", WarningsJson(walker.GetWarnings())},
        {"extents", ExtentsJson(extents)},
    };
}

void WriteText(const std::string& path, const ParserState& s, const CInfoWalker& walker,
               const ExtentsReport& extents, std::ostream& out) {
    const bool magicOk = (s.m_errorFlags & jobformat::kErrorBadMagic) == 0 &&
                         !(s.m_dataSize < jobformat::kMagicSize);
    out << "Job:            " << TerminalText(path) << '\n';
    out << "Size:           " << s.m_dataSize << " bytes\n";
    out << "Magic:          " << (magicOk ? "ok" : "not 'LTT'") << '\n';
    if (walker.trailers == 0) {
        out << "Trailer:        none\n";
    } else {
        out << "Trailer:        " << walker.trailers << " found; last checksum computed "
            << s.m_checksumSum << ", stored " << s.m_checksumStored << '\n';
    }
    out << "Errors:         ";
    const std::vector<std::string> words = ErrorBitWords(s.m_errorFlags);
    if (words.empty()) out << "none\n";
    for (std::size_t i = 0; i < words.size(); ++i) {
        out << (i == 0 ? "" : "                ") << words[i] << '\n';
    }
    out << "Warnings:       ";
    const std::vector<JobWarning> warnings = walker.GetWarnings();
    if (warnings.empty()) out << "none\n";
    for (std::size_t i = 0; i < warnings.size(); ++i) {
        out << (i == 0 ? "" : "                ") << WarningWords(warnings[i]) << '\n';
    }
    out << "Unknown bytes:  " << s.m_unknownCount << '\n';
    out << "Decoded up to:  " << s.m_pos << '\n';
    out << "Commands:\n";
    if (walker.commandCounts.empty()) out << "  none\n";
    for (const auto& [name, count] : walker.commandCounts) {
        out << "  " << name << std::string(name.size() < 18 ? 18 - name.size() : 1, ' ') << count
            << '\n';
    }
    out << "File name:      \"" << TerminalText(FileNameUtf8(s)) << "\"\n";
    out << "Raster:         bit mode " << s.m_bitMode << ", dot step " << s.m_dotStep
        << ", run-length threshold "
        << (s.m_rleBase == 0 ? jobformat::kDefaultRleThreshold : s.m_rleBase) << '\n';
    out << "Last pen:       " << s.m_penNumber << '\n';
    WriteExtentsText(extents, out);
}

}  // namespace

Json InfoJson(std::span<const std::uint8_t> job, const InfoPlacement& placement) {
    CInfoWalker walker;
    walker.Walk(job);
    return SummaryJson(walker.State(), walker,
                       MeasureJob(job, placement.bed, placement.offsetX, placement.offsetY));
}

bool ReadPlacement(const std::string& model, const std::string& offset, InfoPlacement& placement,
                   std::string& error) {
    std::int32_t displacement[2] = {};
    if (!ReadModelOption(model, placement.bed, error)) return false;
    if (!ReadIntOption("--offset", offset, "X,Y", displacement, error)) return false;
    placement.offsetX = displacement[0];
    placement.offsetY = displacement[1];
    return true;
}

int RunInfo(const InfoOptions& options, std::ostream& out, std::ostream& err) {
    InfoPlacement placement;
    std::string error;
    if (!ReadPlacement(options.model, options.offset, placement, error)) {
        err << "lumikor-cli info: " << error << '\n';
        return kExitUsage;
    }
    const std::shared_ptr<const JobDocument> job = LoadJob(options.jobPath, err);
    if (!job) return kExitCannotRead;

    CInfoWalker walker;
    walker.Walk(job->Bytes());
    const ParserState state = walker.State();
    const ExtentsReport extents =
        MeasureJob(job->Bytes(), placement.bed, placement.offsetX, placement.offsetY);
    if (!JobReadWhole(*job, options.jobPath, err)) return kExitCannotRead;
    int status = state.m_errorFlags == 0 ? kExitOk : kExitJobErrors;
    if (status == kExitOk && options.strict &&
        (!extents.fit.Fits() || !walker.GetWarnings().empty())) {
        status = kExitStrict;
    }

    if (!options.json && !options.trace) {
        WriteText(options.jobPath, state, walker, extents, out);
        return status;
    }
    const std::string summary = JsonText(SummaryJson(state, walker, extents), 2);
    if (!options.trace) {
        out << summary << '\n';
        return status;
    }
    // The summary without its closing brace, then the trace streamed from a
    // second parse of the same bytes (a parse is repeatable).
    out << summary.substr(0, summary.size() - 2) << ",\n  \"trace\": [";
    CInfoWalker tracer(&out);
    tracer.Walk(job->Bytes());
    out << "\n  ]\n}\n";
    return JobReadWhole(*job, options.jobPath, err) ? status : kExitCannotRead;
}

void RegisterInfoCommand(CLI::App& app, CliContext& context) {
    auto options = std::make_shared<InfoOptions>();
    CLI::App* info = app.add_subcommand("info", "Summarise what the parser finds in a job");
    info->add_option("JOB", options->jobPath, "Job file (.prn, .plt)")->required();
    info->add_flag("--json", options->json, "Print the parser's fields as one JSON object");
    info->add_flag("--trace", options->trace,
                   "JSON with every hook in raising order (implies --json)");
    info->add_option("--model", options->model, "Bed WIDTH,HEIGHT in mm and DPI for the extents")
        ->capture_default_str();
    info->add_option("--offset", options->offset, "Displacement X,Y in dots, as render adds it")
        ->capture_default_str();
    info->add_flag("--strict", options->strict,
                   "Exit 4 when the job does not fit the bed or has warnings");
    info->callback(
        [options, &context] { context.status = RunInfo(*options, context.out, context.err); });
}
