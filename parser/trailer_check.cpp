#include "parser/trailer_check.h"

#include "parser/byte_readers.h"
#include "parser/job_format.h"

namespace jobformat {

namespace {

constexpr std::uint8_t kTag[2] = {'Y', 'E'};
constexpr std::uint32_t kChecksumLength = 2;
constexpr std::uint32_t kTotalLengthLength = 4;
static_assert(kCommandPrefixLength + sizeof kTag + kChecksumLength + kTotalLengthLength ==
              kTrailerLength);

bool Fits(std::uint32_t pos, std::uint32_t length, std::uint32_t size) {
    return std::uint64_t{pos} + length <= size;
}

}  // namespace

TrailerCheck CheckTrailer(const std::uint8_t* data, std::uint32_t size, std::uint32_t fields,
                          std::uint32_t sumBefore) {
    TrailerCheck check;
    std::uint32_t pos = fields;
    const auto stop = [&](TrailerOutcome outcome) {
        check.outcome = outcome;
        check.end = pos;
        return check;
    };
    if (!Fits(pos, sizeof kTag, size)) return stop(TrailerOutcome::kTagCutShort);
    for (const std::uint8_t expected : kTag) {
        if (data[pos++] != expected) return stop(TrailerOutcome::kTagMismatch);
    }

    if (!Fits(pos, kChecksumLength, size)) return stop(TrailerOutcome::kChecksumCutShort);
    check.checksumSum = (sumBefore + kTag[0] + kTag[1]) & 0xFFFF;
    check.checksumStored = ReadU16BE(data, pos);
    pos += kChecksumLength;
    if (check.checksumSum != check.checksumStored) return stop(TrailerOutcome::kChecksumMismatch);

    if (!Fits(pos, kTotalLengthLength, size)) return stop(TrailerOutcome::kLengthCutShort);
    check.totalLength = ReadU32BE(data, pos);
    pos += kTotalLengthLength;
    return stop(check.totalLength == size ? TrailerOutcome::kPassed
                                          : TrailerOutcome::kLengthMismatch);
}

std::uint32_t TrailerErrorBit(TrailerOutcome outcome) {
    switch (outcome) {
        case TrailerOutcome::kPassed:
            return 0;
        case TrailerOutcome::kChecksumMismatch:
            return kErrorChecksumMismatch;
        case TrailerOutcome::kLengthMismatch:
            return kErrorLengthMismatch;
        case TrailerOutcome::kTagCutShort:
        case TrailerOutcome::kTagMismatch:
        case TrailerOutcome::kChecksumCutShort:
        case TrailerOutcome::kLengthCutShort:
            break;
    }
    return kErrorTruncated;
}

}  // namespace jobformat
