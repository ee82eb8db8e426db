// CJobWalker turns a parse into a list of everything the stream holds, in
// stream order: the magic, each command (also those that raise no hook),
// each run of bytes that are not commands, each trailer check with how far it
// got. It rides on the parser's hooks: at every hook it walks the bytes the
// parser has passed since the previous hook with the parser's own command
// table, so both always agree on where commands begin and end.
#pragma once

#include <cstdint>
#include <span>

#include "parser/command_table.h"
#include "parser/hook_observer.h"
#include "parser/trailer_check.h"

enum class ItemKind : std::uint8_t {
    kMagic,       // the first three bytes, when the magic check is on
    kCommand,     // a command, complete, cut short, or a raster line too short
    kUnknownRun,  // consecutive top-level bytes that are not commands
    kTrailer,     // ESC 'B' and the trailer bytes its check consumed
};

struct StreamItem {
    ItemKind kind = ItemKind::kCommand;
    std::uint32_t offset = 0;
    std::uint32_t length = 0;
    std::uint8_t prefix = 0;              // the first byte: for commands ESC, 'G' or 'P'
    jobformat::CommandExtent command;     // kCommand
    jobformat::TrailerCheck trailer;      // kTrailer: how the parser's check ended
    bool magicOk = false;                 // kMagic
    const std::uint8_t* bytes = nullptr;  // the item's first byte, inside the job
};

class CJobWalker : public CHookObserver {
public:
    // Attaches the job, parses it and reports each item in stream order.
    void Walk(std::span<const std::uint8_t> job);

protected:
    virtual void OnItem(const StreamItem& item) = 0;
    // Every hook, after the items that lead up to it have been reported.
    virtual void OnWalkHook(Hook /*hook*/) {}

private:
    void OnHook(Hook hook) final;
    // Reports the items between m_walked and limit; an ESC 'B' met on the way
    // is the trailer whose check has just ended at limit.
    StreamItem Item(ItemKind kind, std::uint32_t start, std::uint32_t end) const;
    void ReportMagic(bool ok);
    void WalkUpTo(std::uint32_t limit);
    void ReportUnknownRun(std::uint32_t limit);
    void ReportTrailer(std::uint32_t start, std::uint32_t limit);

    std::uint32_t m_walked = 0;
    bool m_magicPending = false;
};
