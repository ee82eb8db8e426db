#include "display/job_index.h"

namespace {

class CJobIndexer : public CBaseJobParser {
public:
    explicit CJobIndexer(std::vector<IndexedCommand>* commands) : m_commands(commands) {}
    std::uint32_t ErrorFlags() const { return m_errorFlags; }

protected:
    void OnRasterLine() override { Add(IndexedCommand::kRasterLine); }
    void OnMoveAbsolute() override { Add(IndexedCommand::kMove); }
    void OnLineRelative() override { Add(IndexedCommand::kLine); }
    void OnArcB() override { Add(IndexedCommand::kArcClockwise); }
    void OnArcC() override { Add(IndexedCommand::kArcCounterClockwise); }
    void OnPenSelect() override { Add(IndexedCommand::kPenSelect); }
    void OnVectorF() override { Add(IndexedCommand::kEndSpeedSlow); }
    void OnVectorJ() override { Add(IndexedCommand::kEndSpeedFast); }
    void OnEscV() override { Add(IndexedCommand::kHome); }

private:
    void Add(IndexedCommand::Kind kind) {
        IndexedCommand command;
        command.params = m_cmdStart + m_cmdPrefix;
        command.dotStep = m_dotStep;
        command.rleBase = m_rleBase;
        command.penNumber = m_penNumber;
        command.kind = kind;
        command.bitMode = static_cast<std::uint8_t>(m_bitMode);
        m_commands->push_back(command);
    }

    std::vector<IndexedCommand>* m_commands;
};

}  // namespace

void JobIndex::Build(const std::uint8_t* data, std::uint32_t size) {
    m_commands.clear();
    m_errorFlags = 0;
    m_data = data;
    m_size = data == nullptr ? 0 : size;
    if (data == nullptr) return;
    CJobIndexer indexer(&m_commands);
    indexer.Attach(data, size);
    indexer.Parse();
    // The growth's spare room would cost up to half as much again per command.
    m_commands.shrink_to_fit();
    m_errorFlags = indexer.ErrorFlags();
}
