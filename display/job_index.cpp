#include "display/job_index.h"

#include <array>
#include <cstddef>
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
        const int setting = SettingOf(kind);
        if (setting < 0) {
            m_settingRecord.fill(kNone);
        } else if (m_settingRecord[setting] != kNone) {
            (*m_commands)[m_settingRecord[setting]] = command;
            return;
        } else {
            m_settingRecord[setting] = m_commands->size();
        }
        m_commands->push_back(command);
    }

    // Between two commands that draw, only the last pen, the last speed
    // colour and the last ESC 'V' count: each sets its own thing (the pen's
    // colour in colour mode "File", the speed's in "End speed", the pen's
    // place), so they need no order among themselves, and a job of nothing
    // else would otherwise cost a record per two bytes. -1 for a command
    // that draws.
    static int SettingOf(IndexedCommand::Kind kind) {
        switch (kind) {
            case IndexedCommand::kPenSelect:
                return 0;
            case IndexedCommand::kEndSpeedSlow:
            case IndexedCommand::kEndSpeedFast:
                return 1;
            case IndexedCommand::kHome:
                return 2;
            default:
                return -1;
        }
    }

    static constexpr std::size_t kNone = ~std::size_t{0};
    // The record of each setting since the last command that draws, or kNone.
    std::array<std::size_t, 3> m_settingRecord = {kNone, kNone, kNone};
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
