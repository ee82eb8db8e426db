// Where each drawing command of a job starts, found by one parse per load,
// so that views of the job can be drawn again and again without walking the
// whole stream (the parse sums every byte for the trailer check): a view
// replays only these records, in stream order, and decodes only the raster
// lines it shows.
#pragma once

#include <cstdint>
#include <deque>

#include "parser/base_job_parser.h"

// One command that draws or changes how later ones draw, as the preview's
// hooks read it: the offset of its parameters, and the raster settings or
// pen it was read with. The parser reads each setting from one byte (the bit
// mode from two bits), so a byte holds it exactly.
struct IndexedCommand {
    enum Kind : std::uint8_t {
        kRasterLine,
        kMove,
        kLine,
        kArcClockwise,
        kArcCounterClockwise,
        kPenSelect,
        kEndSpeedSlow,
        kEndSpeedFast,
        kHome,
    };
    std::uint32_t params = 0;
    Kind kind : 4 = kRasterLine;
    std::uint8_t bitMode : 4 = 0;
    std::uint8_t dotStep = 0;
    std::uint8_t rleBase = 0;
    std::uint8_t penNumber = 0;
};
static_assert(sizeof(IndexedCommand) <= 8);

class JobIndex {
public:
    // Indexes the job, which must stay alive and unchanged while the index
    // is used. A null pointer gives an empty job. False, with the index
    // empty, when memory runs out.
    bool Build(const std::uint8_t* data, std::uint32_t size);
    bool OutOfMemory() const { return m_outOfMemory; }

    const std::uint8_t* Data() const { return m_data; }
    std::uint32_t Size() const { return m_size; }
    // In blocks rather than one array: growing never copies the records nor
    // holds twice their memory, which for the largest jobs is what runs out.
    const std::deque<IndexedCommand>& Commands() const { return m_commands; }
    // The parser's error bits for the job.
    std::uint32_t ErrorFlags() const { return m_errorFlags; }

private:
    const std::uint8_t* m_data = nullptr;
    std::uint32_t m_size = 0;
    std::deque<IndexedCommand> m_commands;
    std::uint32_t m_errorFlags = 0;
    bool m_outOfMemory = false;
};
