// The raster preview by its straightforward rules, kept as the oracle for the
// display's fast path: each line is decoded, clipped in whole bytes and
// expanded dot by dot into a bed-wide machine row; at a row change the
// machine row is shrunk onto a canvas-wide row (maximum per column) and
// plotted. It draws on its own copy of a canvas and records what it would
// present and pause, so a test can compare both with the real display.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <vector>

#include "display/canvas.h"
#include "display/job_display.h"
#include "display/saturating_cast.h"
#include "parser/base_job_parser.h"
#include "parser/byte_readers.h"

struct ReferenceRasterOptions {
    std::int32_t offsetX = 0;
    std::int32_t offsetY = 0;
    std::int32_t displayMode = 3;
    std::int32_t showEngraveProcess = 0;
    std::int32_t engraveDelay = 1;
    std::int32_t showCutPath = 0;
};

class ReferenceRaster : public CBaseJobParser {
public:
    // Takes the geometry and the starting canvas from a display that has its
    // canvas and model set (and is cleared as it would be before a parse).
    ReferenceRaster(const CJobDisplay& display, const ReferenceRasterOptions& options)
        : m_canvas(display.GetCanvas()),
          m_options(options),
          m_bedWidth(display.GetBedWidthDots()),
          m_bedHeight(display.GetBedHeightDots()),
          m_scale(display.GetScale()),
          m_imageWidth(display.GetImageWidth()),
          m_imageHeight(display.GetImageHeight()),
          m_machineRow(static_cast<std::size_t>(m_bedWidth)),
          m_displayRow(static_cast<std::size_t>(display.GetCanvas().Width())) {}

    const Canvas& GetCanvas() const { return m_canvas; }
    std::vector<CanvasRect> presents;
    std::vector<std::uint32_t> pauses;

protected:
    void OnParseBegin() override {
        m_currentRow = 0;
        m_rowPending = 0;
        ClearRows();
    }
    void OnJobEnd() override { Flush(); }
    void OnEscV() override {
        Flush();
        m_canvas.MoveTo(0, 0);
    }
    void OnPenSelect() override {
        Flush();
        if (m_penNumber < g_penColors.size()) m_penIndex = m_penNumber;
    }

    // Moves matter here only as the grey travel lines they draw over rows
    // already plotted, and for the flush that putting the pen back causes.
    void OnMoveAbsolute() override {
        if ((m_options.displayMode & 2) == 0) return;
        const std::int64_t x =
            std::int64_t{ReadS32BE(m_data, m_cmdStart + m_cmdPrefix)} + m_options.offsetX;
        const std::int64_t y =
            std::int64_t{ReadS32BE(m_data, m_cmdStart + m_cmdPrefix + 4)} + m_options.offsetY;
        const std::int32_t cx = TruncateToInt32(static_cast<float>(x) * m_scale);
        const std::int32_t cy = TruncateToInt32(static_cast<float>(m_bedHeight - y) * m_scale);
        if (m_options.showCutPath != 1) {
            m_canvas.MoveTo(cx, cy);
            return;
        }
        m_canvas.SelectPen(0xB4B4B4, 1);
        m_canvas.LineTo(cx, cy);
        OnPenSelect();
    }

    void OnRasterLine() override {
        if ((m_options.displayMode & 1) == 0) return;
        const std::uint32_t p = m_cmdStart + m_cmdPrefix;
        m_direction = m_data[p - 1];
        const std::uint32_t dataLength = ReadU32BE(m_data, p) - 8;
        m_x = std::int64_t{ReadS32BE(m_data, p + 4)} + m_options.offsetX;
        const std::int64_t y = std::int64_t{ReadS32BE(m_data, p + 8)} + m_options.offsetY;

        const std::uint32_t fromTop =
            static_cast<std::uint32_t>(m_bedHeight) - static_cast<std::uint32_t>(y);
        const auto row =
            static_cast<std::uint32_t>(TruncateToInt64(static_cast<float>(fromTop) * m_scale));
        if (row != m_currentRow) {
            if (m_currentRow < static_cast<std::uint32_t>(m_imageHeight)) {
                MergeAndPlot();
                m_rowPending = 0;
                if (m_options.showEngraveProcess != 0) {
                    const auto r = static_cast<std::int32_t>(m_currentRow);
                    Present(CanvasRect{0, r, m_canvas.Width() - 1, r});
                    pauses.push_back(
                        static_cast<std::uint32_t>(std::max(m_options.engraveDelay, 0)));
                }
                ClearRows();
            }
            m_currentRow = row;
        }
        Decode(p + 12, dataLength);
        if (!Clip()) return;
        Expand();
        m_rowPending = 1;
    }

private:
    std::int64_t PixelsPerByte() const {
        return m_bitMode == 0 ? 8 : m_bitMode == 1 ? 2 : m_bitMode == 2 ? 1 : 0;
    }

    void Decode(std::uint32_t at, std::uint32_t length) {
        const std::uint32_t low = m_rleBase & 0xFF;
        const std::uint32_t threshold = low == 0 ? 192 : low;
        const bool jobGoesOn = std::uint64_t{at} + length < m_dataSize;
        const std::uint8_t* in = m_data + at;
        std::uint32_t out = 0;
        std::uint32_t i = 0;
        while (i < length && out < m_decoded.size()) {
            const std::uint32_t code = in[i];
            if (code <= threshold) {
                m_decoded[out++] = static_cast<std::uint8_t>(code);
                i += 1;
                continue;
            }
            if (i + 1 == length && !jobGoesOn) break;
            for (std::uint32_t k = 0; k < code - threshold && out < m_decoded.size(); ++k) {
                m_decoded[out++] = in[i + 1];
            }
            i += 2;
        }
        m_first = 0;
        m_count = out;
    }

    bool Clip() {
        const std::int64_t perByte = PixelsPerByte();
        if (perByte == 0) return false;
        const std::int64_t width = m_bedWidth;
        const std::int64_t n = m_count;
        const std::int64_t dotsPerByte = std::int64_t{m_dotStep} * perByte;
        const std::int64_t span = dotsPerByte * n;
        if (m_direction == '0') {
            if (m_x >= width) return false;
            const std::int64_t last = m_x + span - 1;
            if (last < width) return true;
            const std::int64_t cut = (last - width) / dotsPerByte + 1;
            if (n <= cut) return false;
            m_count = static_cast<std::uint32_t>(n - cut);
            return true;
        }
        const std::int64_t low = m_x - span + 1;
        if (low >= width) return false;
        if (m_x < width) return true;
        const std::int64_t cut = (m_x - width) / dotsPerByte + 1;
        if (n <= cut) return false;
        m_first = static_cast<std::uint32_t>(cut);
        m_count = static_cast<std::uint32_t>(n - cut);
        m_x = low + dotsPerByte * (n - cut) - 1;
        return true;
    }

    void Expand() {
        const std::int64_t stride = m_direction == '0' ? m_dotStep : -std::int64_t{m_dotStep};
        std::int64_t dot = m_x;
        const auto write = [&](std::uint8_t value) {
            if (value != 0 && dot >= 0 && dot < m_bedWidth) {
                std::uint8_t& cell = m_machineRow[static_cast<std::size_t>(dot)];
                cell = std::max(cell, value);
            }
            dot += stride;
        };
        for (std::uint32_t i = 0; i < m_count; ++i) {
            const std::uint8_t byte = m_decoded[m_first + i];
            if (m_bitMode == 0) {
                for (int bit = 7; bit >= 0; --bit) write(((byte >> bit) & 1) != 0 ? 255 : 0);
            } else if (m_bitMode == 1) {
                write((byte >> 4) != 0 ? 255 : 0);
                write((byte & 0x0F) != 0 ? 255 : 0);
            } else {
                write(byte);
            }
        }
    }

    void MergeAndPlot() {
        for (std::size_t i = 0; i < m_machineRow.size(); ++i) {
            const std::uint8_t value = m_machineRow[i];
            if (value == 0) continue;
            const std::int64_t column = TruncateToInt64(static_cast<float>(i) * m_scale);
            if (column < m_canvas.Width()) {
                std::uint8_t& cell = m_displayRow[static_cast<std::size_t>(column)];
                cell = std::max(cell, value);
            }
        }
        const Color color = g_penColors[m_penIndex];
        const auto y = static_cast<std::int32_t>(m_currentRow);
        for (std::int32_t x = 0; x < std::min(m_imageWidth, m_canvas.Width()); ++x) {
            if (m_displayRow[static_cast<std::size_t>(x)] != 0) m_canvas.SetPixel(x, y, color);
        }
    }

    void Flush() {
        if (m_rowPending != 1) return;
        MergeAndPlot();
        m_rowPending = 0;
        ClearRows();
        Present(CanvasRect{0, 0, m_canvas.Width() - 1, m_canvas.Height() - 1});
    }

    // As the display clips what it presents to the canvas.
    void Present(const CanvasRect& rect) {
        const CanvasRect clipped{std::max(rect.left, 0), std::max(rect.top, 0),
                                 std::min(rect.right, m_canvas.Width() - 1),
                                 std::min(rect.bottom, m_canvas.Height() - 1)};
        if (clipped.left > clipped.right || clipped.top > clipped.bottom) return;
        presents.push_back(clipped);
    }

    void ClearRows() {
        std::fill(m_machineRow.begin(), m_machineRow.end(), 0);
        std::fill(m_displayRow.begin(), m_displayRow.end(), 0);
    }

    Canvas m_canvas;
    ReferenceRasterOptions m_options;
    std::int64_t m_bedWidth;
    std::int64_t m_bedHeight;
    float m_scale;
    std::int32_t m_imageWidth;
    std::int32_t m_imageHeight;
    std::vector<std::uint8_t> m_machineRow;
    std::vector<std::uint8_t> m_displayRow;
    std::array<std::uint8_t, 65536> m_decoded{};
    std::uint32_t m_first = 0;
    std::uint32_t m_count = 0;
    std::int32_t m_direction = 0;
    std::int64_t m_x = 0;
    std::uint32_t m_currentRow = 0;
    std::int32_t m_rowPending = 0;
    std::uint16_t m_penIndex = 0;
};
