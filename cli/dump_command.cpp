#include "cli/dump_command.h"

#include <cstdio>
#include <memory>
#include <sstream>
#include <vector>

#include "cli/describe.h"
#include "cli/load_job.h"
#include "cli/terminal_text.h"
#include "parser/byte_readers.h"
#include "parser/job_format.h"
#include "parser/job_walker.h"

namespace {

constexpr std::uint32_t kParams = jobformat::kCommandPrefixLength;
constexpr std::uint32_t kHexBytesShown = 16;

std::string Hex(const std::uint8_t* bytes, std::uint32_t count) {
    std::string text;
    char one[4];
    for (std::uint32_t i = 0; i < count && i < kHexBytesShown; ++i) {
        std::snprintf(one, sizeof one, i == 0 ? "%02X" : " %02X", bytes[i]);
        text += one;
    }
    if (count > kHexBytesShown) text += " ...";
    return text;
}

std::string Flags(std::uint32_t value) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", value);
    return text;
}

// The parameters of a complete command, decoded; all its bytes are inside
// the job.
void DescribeEscParameters(const StreamItem& item, std::ostream& line) {
    const std::uint8_t* d = item.bytes;
    switch (item.command.letter) {
        case jobformat::kRasterForward:
        case jobformat::kRasterBackward: {
            constexpr std::uint32_t kPosition = jobformat::kRasterHeaderLength;
            line << " raster N=" << ReadU32BE(d, kParams) << " x=" << ReadS32BE(d, kPosition)
                 << " y=" << ReadS32BE(d, kPosition + 4)
                 << " data=" << item.length - kPosition - jobformat::kRasterMinimumBlock
                 << " bytes";
            break;
        }
        case 'C':
            line << " threshold=" << ReadU8(d, kParams);
            break;
        case 'D':
            line << " step=" << ReadU8(d, kParams);
            break;
        case 'F': {
            const std::uint32_t n = ReadU8(d, kParams);
            line << " n=" << n << " name=\""
                 << TerminalText(Latin1ToUtf8({reinterpret_cast<const char*>(d + kParams + 1), n}))
                 << '"';
            break;
        }
        case 'I':
            line << " n=" << ReadU8(d, kParams);
            break;
        case 'H':
        case 'J':
        case 'P':
        case 'R':
        case 'S':
            line << " value=" << ReadU16BE(d, kParams);
            break;
        case 'M':
            line << " flags=" << Flags(ReadU8(d, kParams)) << " mode=" << (ReadU8(d, kParams) & 3);
            break;
        case 'N':
            line << " pen=" << ReadU8(d, kParams);
            break;
        case 'O':
        case 'a':
        case 'f':
            line << " value=" << Flags(ReadU8(d, kParams));
            break;
        case 'Q':
            line << " a=" << ReadU8(d, kParams) << " b=" << ReadU8(d, kParams + 1);
            break;
        case 'Y':
            line << " value=" << ReadU32BE(d, kParams);
            break;
        case 'V':
        case 'W':
            break;
        default:  // 'E', 'L', 'T', 'l', 'n', 'v'
            line << " bytes=" << Hex(d + kParams, item.length - kParams);
            break;
    }
}

void DescribeVectorParameters(const StreamItem& item, std::ostream& line) {
    const std::uint8_t* d = item.bytes;
    switch (item.command.letter) {
        case 'A':
            line << " x=" << ReadS32BE(d, kParams) << " y=" << ReadS32BE(d, kParams + 4);
            break;
        case 'R':
            line << " dx=" << ReadS32BE(d, kParams) << " dy=" << ReadS32BE(d, kParams + 4);
            break;
        case 'B':
        case 'C':
            line << " end=(" << ReadS32BE(d, kParams) << ',' << ReadS32BE(d, kParams + 4)
                 << ") centre=(" << ReadS32BE(d, kParams + 8) << ',' << ReadS32BE(d, kParams + 12)
                 << ')';
            break;
        case 'D':
            line << " pen down";
            break;
        case 'U':
            line << " pen up";
            break;
        case 'E':
        case 's':
            line << " bytes=" << Hex(d + kParams, item.length - kParams);
            break;
        default:  // 'F', 'J', 'S'
            break;
    }
}

void DescribeCommand(const StreamItem& item, std::ostream& line) {
    if (item.length < kParams) {
        line << (item.prefix == jobformat::kEsc ? "ESC" : std::string(1, char(item.prefix)))
             << " without a letter: cut short by the end of the job";
        return;
    }
    line << CommandName(item.prefix, item.command.letter);
    switch (item.command.status) {
        case jobformat::ExtentStatus::kCutShort:
            line << " cut short by the end of the job, dropped";
            return;
        case jobformat::ExtentStatus::kBlockTooShort:
            line << " raster N=" << ReadU32BE(item.bytes, kParams)
                 << " too short for x and y, skipped";
            return;
        case jobformat::ExtentStatus::kComplete:
            break;
    }
    if (item.command.shape.layout == jobformat::ParamLayout::kNotACommand) {
        line << " not a command";
    } else if (item.prefix == jobformat::kEsc) {
        DescribeEscParameters(item, line);
    } else {
        DescribeVectorParameters(item, line);
    }
}

void DescribeTrailer(const StreamItem& item, std::uint32_t dataSize, std::ostream& line) {
    const jobformat::TrailerCheck& check = item.trailer;
    line << CommandName(item.prefix, 'B') << " trailer: ";
    switch (check.outcome) {
        case jobformat::TrailerOutcome::kPassed:
            line << "ok, checksum " << check.checksumSum << ", length " << dataSize;
            return;
        case jobformat::TrailerOutcome::kTagCutShort:
            line << "tag cut short by the end of the job";
            return;
        case jobformat::TrailerOutcome::kTagMismatch:
            line << "tag is not 'Y' 'E'";
            return;
        case jobformat::TrailerOutcome::kChecksumCutShort:
            line << "checksum cut short by the end of the job";
            return;
        case jobformat::TrailerOutcome::kChecksumMismatch:
            line << "checksum mismatch, computed " << check.checksumSum << ", stored "
                 << check.checksumStored;
            return;
        case jobformat::TrailerOutcome::kLengthCutShort:
            line << "checksum ok (" << check.checksumSum
                 << "), total length cut short by the end of the job";
            return;
        case jobformat::TrailerOutcome::kLengthMismatch:
            line << "checksum ok (" << check.checksumSum << "), total length " << check.totalLength
                 << " differs from the job size " << dataSize;
            return;
    }
}

class CDumpWalker : public CJobWalker {
public:
    explicit CDumpWalker(std::ostream& out) : m_out(out) {}

protected:
    void OnItem(const StreamItem& item) override { m_out << DumpLine(item, m_dataSize) << '\n'; }

private:
    std::ostream& m_out;
};

}  // namespace

std::string DumpLine(const StreamItem& item, std::uint32_t dataSize) {
    char position[32];
    std::snprintf(position, sizeof position, "%10u %8u  ", item.offset, item.length);
    std::ostringstream line;
    line << position;
    switch (item.kind) {
        case ItemKind::kMagic:
            line << "magic " << (item.magicOk ? "ok" : "bad: ")
                 << (item.magicOk ? "" : Hex(item.bytes, item.length));
            break;
        case ItemKind::kUnknownRun:
            line << item.length << " unknown byte" << (item.length == 1 ? "" : "s") << ": "
                 << Hex(item.bytes, item.length);
            break;
        case ItemKind::kTrailer:
            DescribeTrailer(item, dataSize, line);
            break;
        case ItemKind::kCommand:
            DescribeCommand(item, line);
            break;
    }
    return line.str();
}

int RunDump(const std::string& jobPath, bool strict, std::ostream& out, std::ostream& err) {
    const std::shared_ptr<const JobDocument> job = LoadJob(jobPath, err);
    if (!job) return kExitCannotRead;
    out << "    offset   length  command\n";
    CDumpWalker walker(out);
    walker.Walk(job->Bytes());
    if (!JobReadWhole(*job, jobPath, err)) return kExitCannotRead;
    const std::vector<JobWarning> warnings = walker.GetWarnings();
    WriteWarnings(jobPath, warnings, err);
    if (walker.State().m_errorFlags != 0) return kExitJobErrors;
    return strict && !warnings.empty() ? kExitStrict : kExitOk;
}

void RegisterDumpCommand(CLI::App& app, CliContext& context) {
    auto jobPath = std::make_shared<std::string>();
    auto strict = std::make_shared<bool>(false);
    CLI::App* dump = app.add_subcommand("dump", "List every command of a job in stream order");
    dump->add_option("JOB", *jobPath, "Job file (.prn, .plt)")->required();
    dump->add_flag("--strict", *strict, "Exit 4 when the job has warnings");
    dump->callback([jobPath, strict, &context] {
        context.status = RunDump(*jobPath, *strict, context.out, context.err);
    });
}
