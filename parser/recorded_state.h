// The fields a parse records, as two records the parser inherits, so that
// the hooks read them by name and a parse or a copy takes each record whole.
#pragma once

#include <array>
#include <cstdint>

// Where the command being handled lies. Set for the descriptor hooks only,
// and not reset by Parse. Unsigned, as a job may be up to 4 GiB - 1 bytes and
// one raster line nearly all of it.
struct CommandDescriptor {
    std::uint32_t m_cmdStart = 0;
    std::uint32_t m_cmdLength = 0;
    std::uint32_t m_cmdPrefix = 0;

    bool operator==(const CommandDescriptor&) const = default;
};

// Everything Parse starts again from zero: the values of the command-state
// and pen-state commands, the last trailer's checksums, the counts, the error
// bits and the position.
struct RecordedState {
    // Command state.
    std::array<std::uint8_t, 3> m_escLowV{};
    std::array<char, 40> m_fileName{};
    std::uint16_t m_bitMode = 0;
    std::uint16_t m_escOBit4 = 0;
    std::array<std::uint16_t, 2> m_escQ{};
    std::uint16_t m_dotStep = 0;
    std::uint16_t m_escOBit0 = 0;
    std::uint16_t m_rleBase = 0;
    std::array<std::uint16_t, 16> m_escT{};
    std::uint16_t m_escMBit4 = 0;
    std::uint32_t m_escY = 0;
    std::uint32_t m_escH = 0;
    std::uint32_t m_escR = 0;
    std::uint32_t m_checksumSum = 0;
    std::uint32_t m_checksumStored = 0;
    // Saturates rather than wraps; a job cannot hold more unknown bytes than
    // this anyway, but a count that wrapped would report a clean job.
    std::uint32_t m_unknownCount = 0;

    // Pen state.
    std::uint16_t m_penNumber = 0;
    std::uint16_t m_escJ = 0;
    std::uint16_t m_escS = 0;
    std::uint16_t m_escP = 0;
    std::uint16_t m_penDown = 0;

    std::uint32_t m_errorFlags = 0;
    std::uint32_t m_pos = 0;

    bool operator==(const RecordedState&) const = default;
};
