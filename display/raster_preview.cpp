// Raster engraving: each ESC '0' / '1' line is handed to the row gathering
// (raster_rows.h) with the layer colour; a row it closes is shown at once
// with the engraving process display, and ESC 'B', 'V' and 'N' flush the row
// gathered so far.
#include "display/display_modes.h"
#include "display/job_display.h"
#include "parser/byte_readers.h"
#include "parser/job_format.h"

void CJobDisplay::OnRasterLine() {
    if ((m_displayMode & displaymode::kRaster) == 0) return;
    const RasterLineInput line = ReadRasterLine(m_cmdStart);
    std::uint32_t closedRow = 0;
    if (!m_rasterRows.AddLine(line, m_memDC, g_penColors[m_penIndex], &closedRow)) return;
    if (m_showEngraveProcess != 0) {
        const auto y = static_cast<std::int32_t>(closedRow);
        Present(CanvasRect{0, y, m_canvasWidth - 1, y});
        Pause(m_engraveDelay);
    }
}

RasterLineInput CJobDisplay::ReadRasterLine(std::uint32_t cmdStart) const {
    const std::uint32_t p = cmdStart + m_cmdPrefix;
    const std::uint32_t position = cmdStart + jobformat::kRasterHeaderLength;
    RasterLineInput line;
    line.forward = m_data[p - 1] == jobformat::kRasterForward;
    line.dataLength = ReadU32BE(m_data, p) - jobformat::kRasterMinimumBlock;
    line.x = std::int64_t{ReadS32BE(m_data, position)} + m_offsetX;
    line.y = std::int64_t{ReadS32BE(m_data, position + 4)} + m_offsetY;
    const std::uint32_t dataStart = position + jobformat::kRasterMinimumBlock;
    line.data = m_data + dataStart;
    line.jobGoesOn = std::uint64_t{dataStart} + line.dataLength < m_dataSize;
    line.settings = RasterLineSettings{m_bitMode, m_dotStep, m_rleBase};
    return line;
}

void CJobDisplay::FlushRasterRow() {
    if (m_rasterRows.Flush(m_memDC, g_penColors[m_penIndex])) PresentAll();
}

void CJobDisplay::OnJobEnd() { FlushRasterRow(); }

void CJobDisplay::OnEscV() {
    FlushRasterRow();
    m_memDC.MoveTo(0, 0);
}

void CJobDisplay::OnPenSelect() {
    FlushRasterRow();
    if (m_penNumber >= g_penColors.size()) return;
    m_penIndex = m_penNumber;
    if (m_colorMode == colormode::kFile) SelectPenColor(g_penColors[m_penNumber]);
}
