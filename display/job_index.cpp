#include "display/job_index.h"

#include <new>

#include "display/job_display.h"

namespace {

class CJobIndexer : public CBaseJobParser {
public:
    explicit CJobIndexer(std::deque<IndexedCommand>* commands) : m_commands(commands) {}
    std::uint32_t ErrorFlags() const { return m_errorFlags; }

protected:
    void OnRasterLine() override { Add(IndexedCommand::kRasterLine); }
    void OnMoveAbsolute() override { Add(IndexedCommand::kMove); }
    void OnLineRelative() override { Add(IndexedCommand::kLine); }
    void OnArcB() override { Add(IndexedCommand::kArcClockwise); }
    void OnArcC() override { Add(IndexedCommand::kArcCounterClockwise); }
    void OnPenSelect() override {
        // A pen without a colour changes nothing; the number still travels
        // with the commands after it.
        if (m_penNumber < g_penColors.size()) Add(IndexedCommand::kPenSelect);
    }
    void OnVectorF() override { Add(IndexedCommand::kEndSpeedSlow); }
    void OnVectorJ() override { Add(IndexedCommand::kEndSpeedFast); }
    void OnEscV() override { Add(IndexedCommand::kHome); }

private:
    void Add(IndexedCommand::Kind kind) {
        IndexedCommand command;
        command.params = m_cmdStart + m_cmdPrefix;
        command.kind = kind;
        command.bitMode = static_cast<std::uint8_t>(m_bitMode);
        command.dotStep = static_cast<std::uint8_t>(m_dotStep);
        command.rleBase = static_cast<std::uint8_t>(m_rleBase);
        command.penNumber = static_cast<std::uint8_t>(m_penNumber);
        if (RepeatsTheLast(command)) return;
        m_commands->push_back(command);
    }

    // A setting made again right after itself changes nothing, and a job of
    // nothing else would otherwise cost a record per two bytes.
    bool RepeatsTheLast(const IndexedCommand& command) const {
        if (m_commands->empty()) return false;
        const IndexedCommand& last = m_commands->back();
        switch (command.kind) {
            case IndexedCommand::kPenSelect:
            case IndexedCommand::kEndSpeedSlow:
            case IndexedCommand::kEndSpeedFast:
            case IndexedCommand::kHome:
                return last.kind == command.kind && last.penNumber == command.penNumber;
            default:
                return false;
        }
    }

    std::deque<IndexedCommand>* m_commands;
};

}  // namespace

bool JobIndex::Build(const std::uint8_t* data, std::uint32_t size) {
    m_commands.clear();
    m_errorFlags = 0;
    m_outOfMemory = false;
    m_data = data;
    m_size = data == nullptr ? 0 : size;
    if (data == nullptr) return true;
    CJobIndexer indexer(&m_commands);
    indexer.Attach(data, size);
    // The records' allocation is the only call here that throws.
    try {
        indexer.Parse();
    } catch (const std::bad_alloc&) {
        std::deque<IndexedCommand>().swap(m_commands);
        m_outOfMemory = true;
        return false;
    }
    m_errorFlags = indexer.ErrorFlags();
    return true;
}
