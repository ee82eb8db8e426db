// The run-length codes of a raster line: a byte at or below the threshold
// stands for itself, a byte above it repeats the byte after it (code -
// threshold) times.
#pragma once

#include <cstdint>

// Decodes the codes of the line in[0, length) into out until limit bytes are
// out or the line ends, and returns the number of bytes decoded (at most
// limit). A repeat code that is the line's last byte takes its value from
// in[length] when valueAfterEnd (the job goes on after the line), and is
// dropped otherwise. Bytes out[limit, capacity) may be overwritten; nothing
// at or past out + capacity is. Requires limit <= capacity and threshold in
// 1..255.
std::uint32_t DecodeRunLengths(const std::uint8_t* in, std::uint32_t length, bool valueAfterEnd,
                               std::uint32_t threshold, std::uint32_t limit, std::uint8_t* out,
                               std::uint32_t capacity);

// Whether DecodeRunLengths takes the AVX2 form of its inner loop on this
// processor.
bool RunLengthDecodeUsesAvx2();

namespace run_length_detail {
// DecodeRunLengths with the form chosen, so that tests cover both; useAvx2
// must only be true where RunLengthDecodeUsesAvx2() is.
std::uint32_t DecodeRunLengths(const std::uint8_t* in, std::uint32_t length, bool valueAfterEnd,
                               std::uint32_t threshold, std::uint32_t limit, std::uint8_t* out,
                               std::uint32_t capacity, bool useAvx2);
}  // namespace run_length_detail
