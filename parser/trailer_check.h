// The check of a trailer (ESC 'B' 'Y' 'E', checksum, total length), stage by
// stage: each stage runs only if the one before passed. One function for the
// parser, which acts on the outcome, and for whatever lists the outcome.
#pragma once

#include <cstdint>

namespace jobformat {

enum class TrailerOutcome : std::uint8_t {
    kPassed,
    kTagCutShort,
    kTagMismatch,  // the byte that did not match counts as unknown
    kChecksumCutShort,
    kChecksumMismatch,
    kLengthCutShort,
    kLengthMismatch,
};

struct TrailerCheck {
    TrailerOutcome outcome = TrailerOutcome::kPassed;
    // After the last byte the check consumed: the rest of the job is read as
    // top-level bytes from here.
    std::uint32_t end = 0;
    // Once the checksum stage is reached (ReachesChecksum): the low 16 bits
    // of the sum of every job byte up to the 'E', and the stored checksum.
    std::uint32_t checksumSum = 0;
    std::uint32_t checksumStored = 0;
    std::uint32_t totalLength = 0;  // kPassed and kLengthMismatch
};

// Checks the fields that follow the ESC 'B' at fields - 2 in the job of size
// bytes. sumBefore is the byte sum of the job before fields (modulo 2^32).
// Reads nothing outside the job.
TrailerCheck CheckTrailer(const std::uint8_t* data, std::uint32_t size, std::uint32_t fields,
                          std::uint32_t sumBefore);

// True when the check got as far as reading the stored checksum.
constexpr bool ReachesChecksum(TrailerOutcome outcome) {
    return outcome == TrailerOutcome::kChecksumMismatch ||
           outcome == TrailerOutcome::kLengthCutShort ||
           outcome == TrailerOutcome::kLengthMismatch || outcome == TrailerOutcome::kPassed;
}

// The error bit the outcome sets; 0 when it passed.
std::uint32_t TrailerErrorBit(TrailerOutcome outcome);

}  // namespace jobformat
