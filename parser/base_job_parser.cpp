#include "parser/base_job_parser.h"

#include <algorithm>

#include "parser/byte_readers.h"
#include "parser/command_table.h"
#include "parser/job_format.h"

namespace {

constexpr std::uint32_t kFileNameMaxLength = 39;  // the 40th byte ends the name
constexpr std::uint32_t kSumStretch = 256;

// The byte sum of a stretch of the job, in a local accumulator: a loop that
// adds into a member through the job's byte pointer could alias it and would
// not be vectorised.
std::uint32_t AddBytes(std::uint32_t sum, const std::uint8_t* bytes, std::uint32_t count) {
    for (std::uint32_t i = 0; i < count; ++i) sum += bytes[i];
    return sum;
}

}  // namespace

CBaseJobParser::CBaseJobParser() = default;

int CBaseJobParser::Attach(const std::uint8_t* data, std::uint32_t size) {
    if (data == nullptr) return 0;
    m_data = data;
    m_dataSize = size;
    return 1;
}

void CBaseJobParser::Parse() {
    // Raised before the reset, so a subclass still sees the previous job.
    OnParseBegin();
    static_cast<RecordedState&>(*this) = RecordedState{};
    m_trailerCheck = {};
    m_runningSum = 0;
    m_sumEnd = 0;
    m_warningNotes = WarningNotes{};
    if (m_checkMagic != 0 && CheckMagic() == 0) return;
    m_warningNotes.pastMagic = true;

    while (m_pos < m_dataSize) {
        const std::uint8_t byte = m_data[m_pos++];
        if (byte == jobformat::kEsc) {
            DecodeEscCommand();
        } else if (jobformat::IsVectorPrefix(byte)) {
            DecodeVectorCommand();
        } else {
            CountUnknownByte();
        }
        // The bytes passed over are summed as the parse goes, a stretch at a
        // time, so the job is read from front to back once: the next command
        // is already in the cache even when a hook skipped the data before
        // it, and a trailer finds its sum nearly complete.
        if (m_pos - m_sumEnd >= kSumStretch) AddToRunningSum(m_pos);
    }
}

void CBaseJobParser::AddToRunningSum(std::uint32_t end) {
    m_runningSum = AddBytes(m_runningSum, m_data + m_sumEnd, end - m_sumEnd);
    m_sumEnd = end;
}

int CBaseJobParser::CheckMagic() {
    m_pos = 0;
    if (m_dataSize < jobformat::kMagicSize) {
        m_errorFlags |= jobformat::kErrorTruncated;
        return 0;
    }
    const bool matches = std::equal(m_data, m_data + jobformat::kMagicSize, jobformat::kMagic);
    m_pos = jobformat::kMagicSize;
    if (!matches) {
        m_errorFlags |= jobformat::kErrorBadMagic;
        return 0;
    }
    return 1;
}

void CBaseJobParser::SetDescriptor(std::uint32_t start, std::uint32_t end) {
    m_cmdStart = start;
    m_cmdLength = end - start;
    m_cmdPrefix = jobformat::kCommandPrefixLength;
}

void CBaseJobParser::CountUnknownByte() {
    if (m_unknownCount != UINT32_MAX) ++m_unknownCount;
}

int CBaseJobParser::EnterCommand(std::uint32_t start, const jobformat::CommandExtent& cmd) {
    m_pos = cmd.end;
    if (cmd.status == jobformat::ExtentStatus::kCutShort) NoteCutShort(start, cmd);
    // A command cut short by the end of the job, or a raster line too short
    // to hold its position, is dropped whole: no hook, no partial values.
    if (cmd.status != jobformat::ExtentStatus::kComplete) return 0;
    if (cmd.shape.layout == jobformat::ParamLayout::kNotACommand) {
        CountUnknownByte();
        return 0;
    }
    return 1;
}

void CBaseJobParser::NoteCutShort(std::uint32_t start, const jobformat::CommandExtent& cmd) {
    // A command cut short runs to the end of the job, so it is the last.
    JobWarning& warning = m_warningNotes.cutShortCommand;
    m_warningNotes.cutShort = true;
    warning = JobWarning{};
    warning.offset = start;
    warning.bytes = m_dataSize - start;
    warning.prefix = m_data[start];
    const bool hasLetter = m_dataSize - start >= jobformat::kCommandPrefixLength;
    warning.letter = hasLetter ? cmd.letter : 0;
    if (cmd.shape.layout == jobformat::ParamLayout::kRasterBlock &&
        m_dataSize - start >= jobformat::kRasterHeaderLength) {
        warning.kind = JobWarningKind::kRasterBlockPastEnd;
        warning.blockLength = ReadU32BE(m_data, start + jobformat::kCommandPrefixLength);
    }
}

void CBaseJobParser::DecodeEscCommand() {
    const std::uint32_t start = m_pos - 1;
    const jobformat::CommandExtent cmd = jobformat::MeasureCommand(m_data, m_dataSize, start);
    if (!EnterCommand(start, cmd)) return;
    if (cmd.shape.layout == jobformat::ParamLayout::kTrailer) {
        CheckTrailer(start + jobformat::kCommandPrefixLength);
        m_warningNotes.finalTrailerPassed =
            m_trailerCheck.outcome == jobformat::TrailerOutcome::kPassed;
        m_warningNotes.finalTrailerEnd = m_pos;
        ++m_warningNotes.trailers;
        OnJobEnd();
        return;
    }
    const std::uint32_t params = start + jobformat::kCommandPrefixLength;

    switch (cmd.letter) {
        case jobformat::kRasterForward:
        case jobformat::kRasterBackward:
            SetDescriptor(start, cmd.end);
            OnRasterLine();
            break;
        case 'C':
            m_rleBase = static_cast<std::uint16_t>(ReadU8(m_data, params));
            break;
        case 'D':
            m_dotStep = static_cast<std::uint16_t>(ReadU8(m_data, params));
            break;
        case 'F': {
            const std::uint32_t copied = std::min(ReadU8(m_data, params), kFileNameMaxLength);
            std::copy_n(m_data + params + 1, copied, m_fileName.begin());
            m_fileName[copied] = '\0';
            SetDescriptor(start, cmd.end);
            OnFileName();
            break;
        }
        case 'H':
            m_escH = ReadU16BE(m_data, params);
            break;
        case 'J':
            m_escJ = static_cast<std::uint16_t>(ReadU16BE(m_data, params));
            SetDescriptor(start, cmd.end);
            OnEscJ();
            break;
        case 'M': {
            const std::uint32_t flags = ReadU8(m_data, params);
            m_bitMode = static_cast<std::uint16_t>(flags & 3);
            if ((flags & 0x10) != 0) m_escMBit4 = 1;
            break;
        }
        case 'N':
            m_penNumber = static_cast<std::uint16_t>(ReadU8(m_data, params));
            OnPenSelect();
            break;
        case 'O': {
            const std::uint32_t flags = ReadU8(m_data, params);
            if ((flags & 0x10) != 0) m_escOBit4 = 1;
            if ((flags & 0x01) != 0) m_escOBit0 = 1;
            break;
        }
        case 'P':
            m_escP = static_cast<std::uint16_t>(ReadU16BE(m_data, params));
            SetDescriptor(start, cmd.end);
            OnEscP();
            break;
        case 'Q':
            m_escQ[0] = static_cast<std::uint16_t>(ReadU8(m_data, params));
            m_escQ[1] = static_cast<std::uint16_t>(ReadU8(m_data, params + 1));
            break;
        case 'R':
            m_escR = ReadU16BE(m_data, params);
            break;
        case 'S':
            m_escS = static_cast<std::uint16_t>(ReadU16BE(m_data, params));
            SetDescriptor(start, cmd.end);
            OnEscS();
            break;
        case 'T':
            for (std::uint32_t i = 0; i < m_escT.size(); ++i) {
                m_escT[i] = static_cast<std::uint16_t>(ReadU8(m_data, params + i));
            }
            break;
        case 'V':
            OnEscV();
            break;
        case 'Y':
            m_escY = ReadU32BE(m_data, params);
            break;
        case 'v':
            std::copy_n(m_data + params, m_escLowV.size(), m_escLowV.begin());
            break;
        default:
            // 'E', 'I', 'L', 'W', 'a', 'f', 'l', 'n': passed over unread.
            break;
    }
}

void CBaseJobParser::DecodeVectorCommand() {
    const std::uint32_t start = m_pos - 1;
    const jobformat::CommandExtent cmd = jobformat::MeasureCommand(m_data, m_dataSize, start);
    if (!EnterCommand(start, cmd)) return;

    switch (cmd.letter) {
        case 'A':
            SetDescriptor(start, cmd.end);
            OnMoveAbsolute();
            break;
        case 'R':
            SetDescriptor(start, cmd.end);
            OnLineRelative();
            break;
        case 'B':
            SetDescriptor(start, cmd.end);
            OnArcB();
            break;
        case 'C':
            SetDescriptor(start, cmd.end);
            OnArcC();
            break;
        case 'D':
            m_penDown = 1;
            OnPenDown();
            break;
        case 'U':
            m_penDown = 0;
            OnPenUp();
            break;
        case 'F':
            OnVectorF();
            break;
        case 'J':
            OnVectorJ();
            break;
        default:
            // 'E', 's', 'S': passed over unread.
            break;
    }
}

void CBaseJobParser::CheckTrailer(std::uint32_t fields) {
    // Trailer checks come in stream order, so the running sum only ever grows
    // forward: the job is summed once however many ESC 'B' it holds.
    AddToRunningSum(fields);
    m_trailerCheck = jobformat::CheckTrailer(m_data, m_dataSize, fields, m_runningSum);
    m_pos = m_trailerCheck.end;
    m_errorFlags |= jobformat::TrailerErrorBit(m_trailerCheck.outcome);
    if (m_trailerCheck.outcome == jobformat::TrailerOutcome::kTagMismatch) CountUnknownByte();
    if (jobformat::ReachesChecksum(m_trailerCheck.outcome)) {
        m_checksumSum = m_trailerCheck.checksumSum;
        m_checksumStored = m_trailerCheck.checksumStored;
    }
}
