// CBaseJobParser decodes one job held in memory in a single forward pass and
// raises one overridable hook per event. It draws nothing; a subclass (the
// preview, the command-line inspector, tests) overrides the hooks it needs and
// reads the recorded values from the protected fields while a hook runs.
//
// Hooks take no arguments: a command's values are stored first and its hook is
// raised last, with m_pos already past the command. Descriptor hooks (those
// that set m_cmdStart / m_cmdLength / m_cmdPrefix) are only raised when all
// m_cmdLength bytes from m_cmdStart lie inside the job, so a hook may read its
// parameters without bounds checks.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "parser/job_warnings.h"

namespace jobformat {
struct CommandExtent;
}

class CBaseJobParser {
public:
    CBaseJobParser();
    CBaseJobParser(const CBaseJobParser&) = delete;
    CBaseJobParser& operator=(const CBaseJobParser&) = delete;

    // Borrows the job: the bytes must stay alive and unchanged until Parse
    // returns. Returns 0 and changes nothing for a null pointer, else 1.
    int Attach(const std::uint8_t* data, std::uint32_t size);

    // Decodes the attached job from its first byte. The outcome is in
    // m_errorFlags and the recorded fields.
    void Parse();

    std::uint16_t GetPenNumber() const { return m_penNumber; }
    std::uint16_t GetDotStep() const { return m_dotStep; }
    std::uint16_t GetBitMode() const { return m_bitMode; }
    std::int32_t GetUnknownCount() const { return m_unknownCount; }
    // What the last Parse met that sets no error bit but is worth a warning.
    std::vector<JobWarning> GetWarnings() const {
        return JobWarningsOf(m_warningNotes, m_dataSize);
    }

protected:
    // The hook table, in slot order. All are empty here.
    virtual void OnVectorF() {}
    virtual void OnVectorJ() {}
    virtual void OnEscV() {}
    virtual void OnJobEnd() {}
    virtual void OnParseBegin() {}
    virtual void OnRasterLine() {}
    virtual void OnReserved() {}
    virtual void OnArcB() {}
    virtual void OnArcC() {}
    virtual void OnPenDown() {}
    virtual void OnPenSelect() {}
    virtual void OnPenUp() {}
    virtual void OnEscP() {}
    virtual void OnLineRelative() {}
    virtual void OnMoveAbsolute() {}
    virtual void OnEscS() {}
    virtual void OnEscJ() {}
    virtual void OnFileName() {}

public:
    virtual ~CBaseJobParser() = default;

protected:
    // Descriptor of the command being handled; not reset by Parse.
    std::int32_t m_cmdStart = 0;
    std::int32_t m_cmdLength = 0;
    std::int32_t m_cmdPrefix = 0;

    std::uint32_t m_dataSize = 0;
    const std::uint8_t* m_data = nullptr;

    // Command-state record: cleared by every Parse.
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
    std::int32_t m_unknownCount = 0;

    // Pen-state record: cleared by every Parse.
    std::uint16_t m_penNumber = 0;
    std::uint16_t m_escJ = 0;
    std::uint16_t m_escS = 0;
    std::uint16_t m_escP = 0;
    std::uint16_t m_penDown = 0;

    std::uint32_t m_errorFlags = 0;
    std::int32_t m_checkMagic = 1;
    std::uint32_t m_pos = 0;

private:
    void ResetRecordedState();
    int CheckMagic();
    void DecodeEscCommand();
    void DecodeVectorCommand();
    int CheckTrailer();
    // Moves m_pos past the measured command; returns 0 when there is nothing
    // more to do: the command is cut short, or its letter is not a command.
    int EnterCommand(std::uint32_t start, const jobformat::CommandExtent& cmd);
    void NoteCutShort(std::uint32_t start, const jobformat::CommandExtent& cmd);
    // Points the descriptor at the command from start up to end.
    void SetDescriptor(std::uint32_t start, std::uint32_t end);
    // Adds the bytes from m_sumEnd up to end to the running sum.
    void AddToRunningSum(std::uint32_t end);

    // Running byte sum for the trailer checksum, taken as the parse goes, so
    // that a job with many ESC 'B' is still summed once: m_sumEnd is the
    // offset up to which m_runningSum has been taken.
    std::uint32_t m_runningSum = 0;
    std::uint32_t m_sumEnd = 0;
    WarningNotes m_warningNotes;
};
