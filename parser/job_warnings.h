// Conditions that break no rule of the format, so they set no error bit, but
// that mean a job is not what its writer meant: the last command cut short
// by the end of the job (a raster line's block running past the end among
// them: one damaged length can swallow the rest of the job), no trailer at
// all, and bytes after the final trailer. The parser notes what it meets as
// it goes; the warnings follow from those notes.
#pragma once

#include <cstdint>
#include <vector>

enum class JobWarningKind : std::uint8_t {
    kCutShort,            // the last command runs past the end of the job
    kRasterBlockPastEnd,  // ... and is a raster line whose block does
    kNoTrailer,           // no ESC 'B' trailer was checked
    kBytesAfterTrailer,   // bytes follow the final trailer, which passed
};

struct JobWarning {
    JobWarningKind kind = JobWarningKind::kCutShort;
    std::uint32_t offset = 0;  // where the condition starts
    std::uint32_t bytes = 0;   // the bytes dropped, or that follow the trailer
    // A cut-short command: its prefix and letter (0 when the job ends
    // before the letter) and, for a raster line, its block length N.
    std::uint8_t prefix = 0;
    std::uint8_t letter = 0;
    std::uint32_t blockLength = 0;

    bool operator==(const JobWarning&) const = default;
};

struct WarningNotes {
    bool pastMagic = false;  // commands were read: the magic passed or was not checked
    bool cutShort = false;
    JobWarning cutShortCommand;
    std::uint32_t trailers = 0;
    bool finalTrailerPassed = false;
    std::uint32_t finalTrailerEnd = 0;
};

// In stream order. A job whose magic failed has none: there is nothing it
// could be read as.
std::vector<JobWarning> JobWarningsOf(const WarningNotes& notes, std::uint32_t dataSize);
