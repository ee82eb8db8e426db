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

#include <cstdint>
#include <vector>

#include "parser/job_warnings.h"

#include "parser/recorded_state.h"
#include "parser/trailer_check.h"

namespace jobformat {
struct CommandExtent;
}

// The recorded fields (m_bitMode, m_penNumber, m_errorFlags, m_pos, ...) come
// from the two records: see recorded_state.h.
class CBaseJobParser : protected CommandDescriptor, protected RecordedState {
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
    std::uint32_t GetUnknownCount() const { return m_unknownCount; }
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
    std::uint32_t m_dataSize = 0;
    const std::uint8_t* m_data = nullptr;
    std::int32_t m_checkMagic = 1;
    // The check of the trailer that raised the current OnJobEnd.
    jobformat::TrailerCheck m_trailerCheck;

private:
    int CheckMagic();
    void DecodeEscCommand();
    void DecodeVectorCommand();
    // Checks the trailer whose fields start at fields and acts on the outcome.
    void CheckTrailer(std::uint32_t fields);
    // Moves m_pos past the measured command; returns 0 when there is nothing
    // more to do: the command is cut short, or its letter is not a command.
    int EnterCommand(std::uint32_t start, const jobformat::CommandExtent& cmd);
    void NoteCutShort(std::uint32_t start, const jobformat::CommandExtent& cmd);
    // Points the descriptor at the command from start up to end.
    void SetDescriptor(std::uint32_t start, std::uint32_t end);
    void CountUnknownByte();
    // Adds the bytes from m_sumEnd up to end to the running sum.
    void AddToRunningSum(std::uint32_t end);

    // Running byte sum for the trailer checksum, taken as the parse goes, so
    // that a job with many ESC 'B' is still summed once: m_sumEnd is the
    // offset up to which m_runningSum has been taken.
    std::uint32_t m_runningSum = 0;
    std::uint32_t m_sumEnd = 0;
    WarningNotes m_warningNotes;
};
