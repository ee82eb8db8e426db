// How far each command reaches: the layout of the parameters after its
// letter. The parser walks the stream with this table, and so does anything
// else that has to find command boundaries (the command-line dump), so the
// two can never disagree about where a command ends.
#pragma once

#include <cstdint>

#include "parser/job_format.h"

namespace jobformat {

enum class ParamLayout : std::uint8_t {
    kNotACommand,  // unlisted letter: only the prefix and the letter are passed over
    kFixed,        // fixedSize parameter bytes
    kCounted,      // n (u8), then n bytes
    kRasterBlock,  // N (u32), then N bytes
    kTrailer,      // 'Y' 'E', checksum, length, checked field by field
};

struct CommandShape {
    ParamLayout layout = ParamLayout::kNotACommand;
    std::uint32_t fixedSize = 0;
};

constexpr CommandShape EscCommandShape(std::uint8_t letter) {
    using enum ParamLayout;
    switch (letter) {
        case kRasterForward:
        case kRasterBackward:
            return {kRasterBlock, 0};
        case 'B':
            return {kTrailer, 0};
        case 'F':
        case 'I':
            return {kCounted, 0};
        case 'V':
        case 'W':
            return {kFixed, 0};
        case 'C':
        case 'D':
        case 'M':
        case 'N':
        case 'O':
        case 'a':
        case 'f':
            return {kFixed, 1};
        case 'H':
        case 'J':
        case 'P':
        case 'Q':
        case 'R':
        case 'S':
            return {kFixed, 2};
        case 'L':
        case 'v':
            return {kFixed, 3};
        case 'Y':
            return {kFixed, 4};
        case 'E':
            return {kFixed, 7};
        case 'n':
            return {kFixed, 8};
        case 'T':
            return {kFixed, 16};
        case 'l':
            return {kFixed, 32};
        default:
            return {};
    }
}

constexpr CommandShape VectorCommandShape(std::uint8_t letter) {
    using enum ParamLayout;
    switch (letter) {
        case 'D':
        case 'U':
        case 'F':
        case 'J':
        case 'S':
            return {kFixed, 0};
        case 's':
            return {kFixed, 1};
        case 'E':
            return {kFixed, 2};
        case 'A':
        case 'R':
            return {kFixed, kVectorMoveLength - kCommandPrefixLength};
        case 'B':
        case 'C':
            return {kFixed, kVectorArcLength - kCommandPrefixLength};
        default:
            return {};
    }
}

// The extent of the command whose prefix byte (ESC, 'G' or 'P') is at start.
enum class ExtentStatus : std::uint8_t {
    kComplete,       // every byte of the command lies inside the job
    kCutShort,       // the letter or a parameter runs past the end of the job
    kBlockTooShort,  // raster line with N below 8: no room for its x and y
};

struct CommandExtent {
    ExtentStatus status = ExtentStatus::kCutShort;
    std::uint8_t letter = 0;
    CommandShape shape;
    // Offset of the first byte after the command, never beyond the job size.
    // A trailer counts as its prefix and letter here: its fields are checked
    // one by one, with rules of their own.
    std::uint32_t end = 0;
};

CommandExtent MeasureCommand(const std::uint8_t* data, std::uint32_t size, std::uint32_t start);

constexpr bool IsVectorPrefix(std::uint8_t byte) {
    return byte == kVectorPrefixG || byte == kVectorPrefixP;
}

}  // namespace jobformat
