#include "app/load_findings.h"

#include <algorithm>

#include "display/display_modes.h"
#include "display/job_display.h"
#include "parser/job_format.h"
#include "parser/job_walker.h"

namespace {

constexpr std::uint32_t kTrailerBits = jobformat::kErrorLengthMismatch |
                                       jobformat::kErrorTruncated |
                                       jobformat::kErrorChecksumMismatch;

// Counts the unknown bytes that lie where a failed trailer's own fields
// would have been: the byte whose tag did not match, and the fields after
// the point where the check stopped, which the parser then reads as
// ordinary bytes.
class TrailerLeftovers : public CJobWalker {
public:
    std::uint32_t Count() const { return m_count; }

protected:
    void OnItem(const StreamItem& item) override {
        if (item.kind == ItemKind::kTrailer) {
            const bool failed = item.trailer.outcome != jobformat::TrailerOutcome::kPassed;
            m_fieldsEnd = failed ? std::uint64_t{item.offset} + jobformat::kTrailerLength : 0;
            m_fieldsStart = item.offset + item.length;
            if (item.trailer.outcome == jobformat::TrailerOutcome::kTagMismatch) ++m_count;
            return;
        }
        if (item.kind != ItemKind::kUnknownRun) return;
        const std::uint64_t start = std::max<std::uint64_t>(item.offset, m_fieldsStart);
        const std::uint64_t end =
            std::min<std::uint64_t>(std::uint64_t{item.offset} + item.length, m_fieldsEnd);
        if (end > start) m_count += static_cast<std::uint32_t>(end - start);
    }

private:
    std::uint32_t m_count = 0;
    std::uint64_t m_fieldsStart = 0;
    std::uint64_t m_fieldsEnd = 0;
};

// Every pixel of the bed white: nothing the job draws landed on it.
bool BedIsBlank(const CJobDisplay& display) {
    const Canvas& canvas = display.GetCanvas();
    if (!canvas.HasSurface()) return false;
    const auto rowBytes = static_cast<std::size_t>(display.GetImageWidth()) * 3;
    for (std::int32_t y = 0; y < display.GetImageHeight(); ++y) {
        const std::uint8_t* row = canvas.Row(y);
        if (std::any_of(row, row + rowBytes, [](std::uint8_t byte) { return byte != 0xFF; })) {
            return false;
        }
    }
    return true;
}

}  // namespace

LoadFindings ExamineLoad(const CJobDisplay& display, std::span<const std::uint8_t> job) {
    LoadFindings findings;
    findings.errorFlags = display.GetErrorFlags();
    findings.notAJob = (findings.errorFlags & jobformat::kErrorBadMagic) != 0 ||
                       job.size() < jobformat::kMagicSize;
    if (findings.notAJob) return findings;
    findings.warnings = display.GetWarnings();
    findings.unknownBytes = display.GetUnknownCount();
    // A second pass only in the rare case that needs it.
    if ((findings.errorFlags & kTrailerBits) != 0 && findings.unknownBytes != 0) {
        TrailerLeftovers leftovers;
        leftovers.Walk(job);
        findings.trailerLeftoverBytes = std::min(leftovers.Count(), findings.unknownBytes);
        findings.unknownBytes -= findings.trailerLeftoverBytes;
    }
    findings.bedBlank = display.GetDisplayMode() == displaymode::kAll && BedIsBlank(display);
    return findings;
}
