#include "parser/job_walker.h"

#include <algorithm>

#include "parser/job_format.h"

namespace {

bool OpensCommand(std::uint8_t byte) {
    return byte == jobformat::kEsc || jobformat::IsVectorPrefix(byte);
}

}  // namespace

void CJobWalker::Walk(std::span<const std::uint8_t> job) {
    // An empty vector may hold no pointer at all; the parser wants one.
    static constexpr std::uint8_t kNoBytes = 0;
    Attach(job.empty() ? &kNoBytes : job.data(), static_cast<std::uint32_t>(job.size()));
    Parse();
    if (m_magicPending) {
        // No hook came after OnParseBegin, so no trailer check has added a
        // bit: the two magic bits are the magic check's own.
        ReportMagic((m_errorFlags & (jobformat::kErrorBadMagic | jobformat::kErrorTruncated)) == 0);
        if (m_errorFlags != 0) return;
    }
    WalkUpTo(m_dataSize);
}

void CJobWalker::OnHook(Hook hook) {
    if (hook == Hook::kParseBegin) {
        m_walked = 0;
        m_magicPending = m_checkMagic != 0;
    } else {
        // Any other hook means the magic check passed.
        if (m_magicPending) ReportMagic(true);
        WalkUpTo(m_pos);
    }
    OnWalkHook(hook);
}

StreamItem CJobWalker::Item(ItemKind kind, std::uint32_t start, std::uint32_t end) const {
    StreamItem item;
    item.kind = kind;
    item.offset = start;
    item.length = end - start;
    item.bytes = m_data + start;
    item.prefix = end > start ? m_data[start] : 0;
    return item;
}

void CJobWalker::ReportMagic(bool ok) {
    m_magicPending = false;
    const std::uint32_t length = std::min(m_dataSize, jobformat::kMagicSize);
    StreamItem magic = Item(ItemKind::kMagic, 0, length);
    magic.magicOk = ok;
    OnItem(magic);
    m_walked = length;
}

void CJobWalker::WalkUpTo(std::uint32_t limit) {
    while (m_walked < limit) {
        const std::uint32_t start = m_walked;
        if (!OpensCommand(m_data[start])) {
            ReportUnknownRun(limit);
            continue;
        }
        const jobformat::CommandExtent cmd = jobformat::MeasureCommand(m_data, m_dataSize, start);
        if (cmd.status == jobformat::ExtentStatus::kComplete &&
            cmd.shape.layout == jobformat::ParamLayout::kTrailer) {
            ReportTrailer(start, limit);
            continue;
        }
        StreamItem command = Item(ItemKind::kCommand, start, cmd.end);
        command.command = cmd;
        OnItem(command);
        m_walked = cmd.end;
    }
}

void CJobWalker::ReportUnknownRun(std::uint32_t limit) {
    const std::uint32_t start = m_walked;
    while (m_walked < limit && !OpensCommand(m_data[m_walked])) ++m_walked;
    OnItem(Item(ItemKind::kUnknownRun, start, m_walked));
}

void CJobWalker::ReportTrailer(std::uint32_t start, std::uint32_t limit) {
    StreamItem trailer = Item(ItemKind::kTrailer, start, limit);
    // Trailers raise OnJobEnd straight after their check, so the ESC 'B'
    // reached at a hook is the one whose check the parser has just made.
    trailer.trailer = m_trailerCheck;
    OnItem(trailer);
    m_walked = limit;
}
