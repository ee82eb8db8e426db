// CHookObserver lets code outside the parser watch a parse: every hook is
// forwarded to one OnHook(Hook) call, and State() copies the recorded fields
// out of the parser. The command-line inspector and the tests build on it.
#pragma once

#include <array>
#include <cstdint>

#include "parser/base_job_parser.h"

enum class Hook : std::uint8_t {
    kVectorF,
    kVectorJ,
    kEscV,
    kJobEnd,
    kParseBegin,
    kRasterLine,
    kReserved,
    kArcB,
    kArcC,
    kPenDown,
    kPenSelect,
    kPenUp,
    kEscP,
    kLineRelative,
    kMoveAbsolute,
    kEscS,
    kEscJ,
    kFileName,
};
inline constexpr std::size_t kHookCount = 18;

// The hook's member name, e.g. "OnRasterLine".
const char* HookName(Hook hook);
// True for the hooks raised with the descriptor pointing at their command.
bool HookHasDescriptor(Hook hook);

// A copy of the parser's fields, named as in CBaseJobParser: both records
// whole, the job size and the magic switch.
struct ParserState : CommandDescriptor, RecordedState {
    std::uint32_t m_dataSize = 0;
    std::int32_t m_checkMagic = 0;

    bool operator==(const ParserState&) const = default;
};

class CHookObserver : public CBaseJobParser {
public:
    ParserState State() const;
    const std::uint8_t* Data() const { return m_data; }
    void SetCheckMagic(bool on) { m_checkMagic = on ? 1 : 0; }

protected:
    virtual void OnHook(Hook hook) = 0;

private:
    void OnVectorF() override { OnHook(Hook::kVectorF); }
    void OnVectorJ() override { OnHook(Hook::kVectorJ); }
    void OnEscV() override { OnHook(Hook::kEscV); }
    void OnJobEnd() override { OnHook(Hook::kJobEnd); }
    void OnParseBegin() override { OnHook(Hook::kParseBegin); }
    void OnRasterLine() override { OnHook(Hook::kRasterLine); }
    void OnReserved() override { OnHook(Hook::kReserved); }
    void OnArcB() override { OnHook(Hook::kArcB); }
    void OnArcC() override { OnHook(Hook::kArcC); }
    void OnPenDown() override { OnHook(Hook::kPenDown); }
    void OnPenSelect() override { OnHook(Hook::kPenSelect); }
    void OnPenUp() override { OnHook(Hook::kPenUp); }
    void OnEscP() override { OnHook(Hook::kEscP); }
    void OnLineRelative() override { OnHook(Hook::kLineRelative); }
    void OnMoveAbsolute() override { OnHook(Hook::kMoveAbsolute); }
    void OnEscS() override { OnHook(Hook::kEscS); }
    void OnEscJ() override { OnHook(Hook::kEscJ); }
    void OnFileName() override { OnHook(Hook::kFileName); }
};
