#include "parser/hook_observer.h"

namespace {

constexpr std::array<const char*, kHookCount> kHookNames = {
    "OnVectorF",  "OnVectorJ",      "OnEscV",         "OnJobEnd",  "OnParseBegin", "OnRasterLine",
    "OnReserved", "OnArcB",         "OnArcC",         "OnPenDown", "OnPenSelect",  "OnPenUp",
    "OnEscP",     "OnLineRelative", "OnMoveAbsolute", "OnEscS",    "OnEscJ",       "OnFileName",
};

}  // namespace

const char* HookName(Hook hook) { return kHookNames[static_cast<std::size_t>(hook)]; }

bool HookHasDescriptor(Hook hook) {
    switch (hook) {
        case Hook::kRasterLine:
        case Hook::kArcB:
        case Hook::kArcC:
        case Hook::kEscP:
        case Hook::kLineRelative:
        case Hook::kMoveAbsolute:
        case Hook::kEscS:
        case Hook::kEscJ:
        case Hook::kFileName:
            return true;
        default:
            return false;
    }
}

ParserState CHookObserver::State() const {
    return ParserState{
        .cmdStart = m_cmdStart,
        .cmdLength = m_cmdLength,
        .cmdPrefix = m_cmdPrefix,
        .dataSize = m_dataSize,
        .escLowV = m_escLowV,
        .fileName = m_fileName,
        .bitMode = m_bitMode,
        .escOBit4 = m_escOBit4,
        .escQ = m_escQ,
        .dotStep = m_dotStep,
        .escOBit0 = m_escOBit0,
        .rleBase = m_rleBase,
        .escT = m_escT,
        .escMBit4 = m_escMBit4,
        .escY = m_escY,
        .escH = m_escH,
        .escR = m_escR,
        .checksumSum = m_checksumSum,
        .checksumStored = m_checksumStored,
        .unknownCount = m_unknownCount,
        .penNumber = m_penNumber,
        .escJ = m_escJ,
        .escS = m_escS,
        .escP = m_escP,
        .penDown = m_penDown,
        .errorFlags = m_errorFlags,
        .checkMagic = m_checkMagic,
        .pos = m_pos,
    };
}
