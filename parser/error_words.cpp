#include "parser/error_words.h"

#include "parser/job_format.h"

std::vector<std::string> ErrorBitWords(std::uint32_t errorFlags) {
    using namespace jobformat;
    std::vector<std::string> words;
    if (errorFlags & kErrorBadMagic) words.emplace_back("the magic is not 'LTT'");
    if (errorFlags & kErrorLengthMismatch) {
        words.emplace_back("a trailer's total length differs from the job size");
    }
    if (errorFlags & kErrorTruncated) {
        words.emplace_back(
            "the job is too short for the magic or a trailer field, or a trailer tag is not "
            "'Y' 'E'");
    }
    if (errorFlags & kErrorChecksumMismatch) {
        words.emplace_back("a trailer's checksum differs from the computed sum");
    }
    return words;
}
