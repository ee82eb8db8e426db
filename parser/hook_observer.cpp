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
    return ParserState{{static_cast<const CommandDescriptor&>(*this)},
                       {static_cast<const RecordedState&>(*this)},
                       m_dataSize,
                       m_checkMagic};
}
