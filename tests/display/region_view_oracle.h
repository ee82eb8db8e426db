// Region views by their plain definition, as the oracle for the view code:
// every raster line is decoded in full, clipped byte by byte and its dots are
// set one by one in an array covering the view; then each pixel looks at the
// dots of its block.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

#include "display/canvas.h"
#include "display/job_display.h"
#include "display/region_view.h"
#include "parser/base_job_parser.h"
#include "parser/byte_readers.h"

class DotOracle : public CBaseJobParser {
public:
    DotOracle(const RegionViewSettings& settings, std::int64_t bedWidth, std::int64_t bedHeight)
        : m_settings(settings),
          m_view(settings.view),
          m_bedWidth(bedWidth),
          m_bedHeight(bedHeight),
          m_width(m_view.x1 - m_view.x0),
          m_height(m_view.y1 - m_view.y0),
          m_dots(static_cast<std::size_t>(m_width * m_height)) {}

    // The expected picture, after Parse.
    Canvas Picture() const {
        Canvas canvas;
        canvas.Create(static_cast<std::int32_t>(m_view.Width()),
                      static_cast<std::int32_t>(m_view.Height()));
        canvas.FillSolidRect(0, 0, canvas.Width(), canvas.Height(), 0xB4B4B4);
        const std::int64_t k = m_view.dotsPerPixel;
        const std::int64_t m = m_view.pixelsPerDot;
        for (std::int64_t py = 0; py < m_view.Height() / m; ++py) {
            for (std::int64_t px = 0; px < m_view.Width() / m; ++px) {
                std::uint64_t count = 0;
                std::uint32_t last = 0;
                Color color = 0;
                bool onBed = false;
                for (std::int64_t dy = 0; dy < k && py * k + dy < m_height; ++dy) {
                    // Dots past the view's edge are not in it.
                    for (std::int64_t dx = 0; dx < k && px * k + dx < m_width; ++dx) {
                        const std::int64_t ix = px * k + dx;
                        const std::int64_t iy = py * k + dy;
                        const std::int64_t x = m_view.x0 + ix;
                        const std::int64_t y = m_view.y1 - iy;
                        onBed |= x >= 0 && x < m_bedWidth && y > 0 && y <= m_bedHeight;
                        const Dot& dot = m_dots[static_cast<std::size_t>(iy * m_width + ix)];
                        if (dot.order == 0) continue;
                        ++count;
                        if (dot.order > last) {
                            last = dot.order;
                            color = dot.color;
                        }
                    }
                }
                Color pixel = onBed ? 0xFFFFFF : 0xB4B4B4;
                if (count > 0) {
                    pixel = color;
                    if (m_settings.shade == ViewShade::kCoverage) {
                        pixel = 0;
                        for (int shift = 0; shift < 24; shift += 8) {
                            const double f =
                                static_cast<double>(count) / static_cast<double>(k * k);
                            const int c = static_cast<int>((color >> shift) & 0xFF);
                            // f * (255 - c) is a ratio of small integers: exact
                            // enough in double to floor.
                            const auto mixed =
                                static_cast<Color>(255 - static_cast<int>(f * (255 - c) + 1e-9));
                            pixel |= mixed << shift;
                        }
                    }
                }
                canvas.FillSolidRect(
                    static_cast<std::int32_t>(px * m), static_cast<std::int32_t>(py * m),
                    static_cast<std::int32_t>(m), static_cast<std::int32_t>(m), pixel);
            }
        }
        return canvas;
    }

protected:
    void OnPenSelect() override {
        if (m_penNumber < g_penColors.size()) m_layer = m_penNumber;
    }

    void OnRasterLine() override {
        ++m_order;
        const std::uint32_t p = m_cmdStart + m_cmdPrefix;
        const bool forward = m_data[p - 1] == '0';
        const std::uint32_t length = ReadU32BE(m_data, p) - 8;
        const std::int64_t x = std::int64_t{ReadS32BE(m_data, p + 4)} + m_settings.offsetX;
        const std::int64_t y = std::int64_t{ReadS32BE(m_data, p + 8)} + m_settings.offsetY;
        const std::vector<std::uint8_t> bytes = Decode(p + 12, length);
        const std::int64_t perByte = m_bitMode == 0   ? 8
                                     : m_bitMode == 1 ? 2
                                     : m_bitMode == 2 ? 1
                                                      : 0;
        const std::int64_t dotsPerByte = perByte * m_dotStep;
        // A '1' line is dropped whole when x - dotsPerByte * bytes + 1 is past
        // the right edge: with dot step 0 that is so at the bed's last dot.
        const auto size = static_cast<std::int64_t>(bytes.size());
        if (!forward && x - dotsPerByte * size + 1 >= m_bedWidth) return;
        for (std::int64_t n = 0; n < size; ++n) {
            const auto i = static_cast<std::size_t>(n);
            // Whole bytes whose dots reach the right edge are dropped.
            const bool kept = forward ? x < m_bedWidth && x + dotsPerByte * (n + 1) - 1 < m_bedWidth
                                      : x - dotsPerByte * n < m_bedWidth;
            if (!kept) continue;
            for (std::int64_t j = 0; j < perByte; ++j) {
                const std::uint32_t value = perByte == 8 ? (bytes[i] >> (7 - j)) & 1
                                            : perByte == 2
                                                ? (j == 0 ? bytes[i] >> 4 : bytes[i] & 0xF)
                                                : bytes[i];
                const std::int64_t k = n * perByte + j;
                const std::int64_t dot = forward ? x + m_dotStep * k : x - m_dotStep * k;
                if (value != 0 && dot >= 0) Set(dot, y);
            }
        }
    }

private:
    struct Dot {
        std::uint32_t order = 0;
        Color color = 0;
    };

    std::vector<std::uint8_t> Decode(std::uint32_t at, std::uint32_t length) const {
        const std::uint32_t low = m_rleBase & 0xFF;
        const std::uint32_t threshold = low == 0 ? 192 : low;
        std::vector<std::uint8_t> out;
        for (std::uint32_t i = 0; i < length; ++i) {
            const std::uint32_t code = m_data[at + i];
            if (code <= threshold) {
                out.push_back(static_cast<std::uint8_t>(code));
                continue;
            }
            if (std::uint64_t{at} + i + 1 >= m_dataSize) break;
            out.insert(out.end(), code - threshold, m_data[at + i + 1]);
            ++i;
        }
        if (out.size() > 65536) out.resize(65536);
        return out;
    }

    void Set(std::int64_t x, std::int64_t y) {
        if (x < m_view.x0 || x >= m_view.x1 || y <= m_view.y0 || y > m_view.y1) return;
        Dot& dot = m_dots[static_cast<std::size_t>((m_view.y1 - y) * m_width + (x - m_view.x0))];
        dot.order = m_order;
        dot.color = g_penColors[m_layer];
    }

    RegionViewSettings m_settings;
    ViewMapping m_view;
    std::int64_t m_bedWidth;
    std::int64_t m_bedHeight;
    std::int64_t m_width;
    std::int64_t m_height;
    std::vector<Dot> m_dots;
    std::uint32_t m_order = 0;
    std::uint16_t m_layer = 0;
};
