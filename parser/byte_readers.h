// Big-endian readers over the job buffer. They check nothing: the caller
// makes sure the bytes lie inside the job.
#pragma once

#include <cstdint>

inline std::uint32_t ReadU8(const std::uint8_t* data, std::uint32_t offset) { return data[offset]; }

inline std::uint32_t ReadU16BE(const std::uint8_t* data, std::uint32_t offset) {
    return (std::uint32_t{data[offset]} << 8) | data[offset + 1];
}

inline std::uint32_t ReadU32BE(const std::uint8_t* data, std::uint32_t offset) {
    return (std::uint32_t{data[offset]} << 24) | (std::uint32_t{data[offset + 1]} << 16) |
           (std::uint32_t{data[offset + 2]} << 8) | data[offset + 3];
}

// Parameters that the format calls s32: the u32 taken as two's complement.
inline std::int32_t ReadS32BE(const std::uint8_t* data, std::uint32_t offset) {
    return static_cast<std::int32_t>(ReadU32BE(data, offset));
}
