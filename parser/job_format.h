// Byte-level constants of the job stream: the magic, the command prefixes,
// the fixed command lengths and the error bits the parser reports.
#pragma once

#include <cstdint>

namespace jobformat {

inline constexpr std::uint8_t kMagic[3] = {'L', 'T', 'T'};
inline constexpr std::uint32_t kMagicSize = 3;

// Bytes that open a command at top level. 'G' and 'P' are interchangeable
// prefixes of the vector commands.
inline constexpr std::uint8_t kEsc = 27;
inline constexpr std::uint8_t kVectorPrefixG = 'G';
inline constexpr std::uint8_t kVectorPrefixP = 'P';

// Every command starts with two bytes: its prefix and its letter.
inline constexpr std::int32_t kCommandPrefixLength = 2;

// Raster line: ESC, '0' or '1', N (u32), then N bytes of which the first
// eight are x and y.
inline constexpr std::uint8_t kRasterForward = '0';
inline constexpr std::uint8_t kRasterBackward = '1';
inline constexpr std::uint32_t kRasterHeaderLength = 6;  // ESC, letter, N
inline constexpr std::uint32_t kRasterMinimumBlock = 8;  // x and y
inline constexpr std::uint32_t kVectorMoveLength = 10;   // 'A', 'R'
inline constexpr std::uint32_t kVectorArcLength = 18;    // 'B', 'C'

// The run-length threshold of ESC 'C' 0, and of a job without ESC 'C'.
inline constexpr std::uint32_t kDefaultRleThreshold = 192;

// Trailer: ESC 'B' 'Y' 'E', checksum (u16), total length (u32).
inline constexpr std::uint32_t kTrailerLength = 10;

// Bits of CBaseJobParser::m_errorFlags.
inline constexpr std::uint32_t kErrorBadMagic = 1;
inline constexpr std::uint32_t kErrorLengthMismatch = 2;
inline constexpr std::uint32_t kErrorTruncated = 4;  // also: trailer tag not 'Y' 'E'
inline constexpr std::uint32_t kErrorChecksumMismatch = 8;

}  // namespace jobformat
