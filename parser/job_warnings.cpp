#include "parser/job_warnings.h"

std::vector<JobWarning> JobWarningsOf(const WarningNotes& notes, std::uint32_t dataSize) {
    std::vector<JobWarning> warnings;
    if (!notes.pastMagic) return warnings;
    if (notes.finalTrailerPassed && notes.finalTrailerEnd < dataSize) {
        JobWarning after;
        after.kind = JobWarningKind::kBytesAfterTrailer;
        after.offset = notes.finalTrailerEnd;
        after.bytes = dataSize - notes.finalTrailerEnd;
        warnings.push_back(after);
    }
    if (notes.cutShort) warnings.push_back(notes.cutShortCommand);
    if (notes.trailers == 0) {
        JobWarning none;
        none.kind = JobWarningKind::kNoTrailer;
        none.offset = dataSize;
        warnings.push_back(none);
    }
    return warnings;
}
