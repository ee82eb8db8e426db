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

// A copy of the parser's fields, named as in CBaseJobParser without "m_".
struct ParserState {
    std::int32_t cmdStart = 0;
    std::int32_t cmdLength = 0;
    std::int32_t cmdPrefix = 0;
    std::uint32_t dataSize = 0;
    std::array<std::uint8_t, 3> escLowV{};
    std::array<char, 40> fileName{};
    std::uint16_t bitMode = 0;
    std::uint16_t escOBit4 = 0;
    std::array<std::uint16_t, 2> escQ{};
    std::uint16_t dotStep = 0;
    std::uint16_t escOBit0 = 0;
    std::uint16_t rleBase = 0;
    std::array<std::uint16_t, 16> escT{};
    std::uint16_t escMBit4 = 0;
    std::uint32_t escY = 0;
    std::uint32_t escH = 0;
    std::uint32_t escR = 0;
    std::uint32_t checksumSum = 0;
    std::uint32_t checksumStored = 0;
    std::int32_t unknownCount = 0;
    std::uint16_t penNumber = 0;
    std::uint16_t escJ = 0;
    std::uint16_t escS = 0;
    std::uint16_t escP = 0;
    std::uint16_t penDown = 0;
    std::uint32_t errorFlags = 0;
    std::int32_t checkMagic = 0;
    std::uint32_t pos = 0;

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
