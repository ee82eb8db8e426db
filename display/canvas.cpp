#include "display/canvas.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "display/canvas_line.h"

namespace {

constexpr Color kRectangleFill = 0xFFFFFF;

// A line cursor on the pixel bytes: one step along the major axis, and
// along the minor one where the mask says so.
struct BytePixelCursor {
    std::uint8_t* pixel;
    std::int64_t majorBytes;
    std::int64_t minorBytes;
    Color color;

    void Visit() const { Canvas::StorePixel(pixel, color); }
    void Step(std::int64_t minor) { pixel += majorBytes + (minorBytes & minor); }
};

}  // namespace

bool Canvas::Create(std::int32_t width, std::int32_t height) {
    ++m_revision;
    m_pixels.clear();
    m_pixels.shrink_to_fit();
    m_width = m_height = m_stride = 0;
    m_current = CanvasPoint{};
    if (width < 1 || height < 1 || width > kMaxSide || height > kMaxSide) return false;
    const std::int64_t stride = StrideFor(width);
    const std::int64_t bytes = stride * height;
    if (bytes > kMaxBytes) return false;
    try {
        m_pixels.assign(static_cast<std::size_t>(bytes), 0);
    } catch (const std::bad_alloc&) {
        return false;
    }
    m_width = width;
    m_height = height;
    m_stride = static_cast<std::int32_t>(stride);
    return true;
}

Color Canvas::GetPixel(std::int32_t x, std::int32_t y) const {
    if (!Contains(CanvasPoint{x, y})) return 0;
    const std::uint8_t* pixel = Row(y) + std::int64_t{x} * 3;
    return Color{pixel[2]} | Color{pixel[1]} << 8 | Color{pixel[0]} << 16;
}

void Canvas::SetPixel(std::int32_t x, std::int32_t y, Color color) {
    if (!Contains(CanvasPoint{x, y})) return;
    ++m_revision;
    StorePixel(Row(y) + std::int64_t{x} * 3, color);
}

void Canvas::FillSolidRect(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height,
                           Color color) {
    if (width <= 0 || height <= 0) return;
    FillClipped(x, y, std::int64_t{x} + width, std::int64_t{y} + height, color);
}

void Canvas::FillClipped(std::int64_t left, std::int64_t top, std::int64_t right,
                         std::int64_t bottom, Color color) {
    left = std::max<std::int64_t>(left, 0);
    top = std::max<std::int64_t>(top, 0);
    right = std::min<std::int64_t>(right, m_width);
    bottom = std::min<std::int64_t>(bottom, m_height);
    if (left >= right || top >= bottom) return;
    ++m_revision;
    // Paint one row span, then copy it to the others.
    const auto y0 = static_cast<std::int32_t>(top);
    std::uint8_t* span = Row(y0) + left * 3;
    const std::size_t spanBytes = static_cast<std::size_t>((right - left) * 3);
    for (std::size_t i = 0; i < spanBytes; i += 3) StorePixel(span + i, color);
    for (auto y = y0 + 1; y < bottom; ++y) std::memcpy(Row(y) + left * 3, span, spanBytes);
}

void Canvas::SelectPen(Color color, std::int32_t width) {
    m_penColor = color;
    m_penWidth = width;
}

void Canvas::MoveTo(std::int32_t x, std::int32_t y) { m_current = CanvasPoint{x, y}; }

void Canvas::LineTo(std::int32_t x, std::int32_t y) {
    ++m_revision;
    if (Contains(m_current) && Contains(CanvasPoint{x, y})) {
        // Most lines lie on the surface: no clipping, no per-pixel checks,
        // a pointer stepped along the pixels.
        const canvas_detail::LineAxes line = canvas_detail::AxesOf(m_current.x, m_current.y, x, y);
        if (line.n > 0) {
            const std::int64_t column = 3;
            BytePixelCursor cursor{Row(m_current.y) + std::int64_t{m_current.x} * 3,
                                   line.majorStep * (line.xMajor ? column : m_stride),
                                   line.minorStep * (line.xMajor ? m_stride : column), m_penColor};
            // The end pixel is left out; pixel 0 has k = 0 and remainder n.
            canvas_detail::StepLine(line, line.n - 1, line.n, cursor);
        }
    } else {
        canvas_detail::ForEachLinePixel(m_current.x, m_current.y, x, y, false, m_width, m_height,
                                        [this](std::int64_t px, std::int64_t py) {
                                            SetPixel(static_cast<std::int32_t>(px),
                                                     static_cast<std::int32_t>(py), m_penColor);
                                        });
    }
    m_current = CanvasPoint{x, y};
}

void Canvas::SetArcDirection(int direction) {
    // Arcs alternate directions at random: a select, not a branch.
    const bool known = (direction == kArcCounterClockwise) | (direction == kArcClockwise);
    m_arcDirection = known ? direction : m_arcDirection;
}

void Canvas::Rectangle(std::int32_t left, std::int32_t top, std::int32_t right,
                       std::int32_t bottom) {
    const std::int64_t l = std::min(left, right);
    const std::int64_t r = std::max(left, right);
    const std::int64_t t = std::min(top, bottom);
    const std::int64_t b = std::max(top, bottom);
    if (l == r || t == b) return;
    FillClipped(l + 1, t + 1, r - 1, b - 1, kRectangleFill);
    FillClipped(l, t, r, t + 1, m_penColor);
    FillClipped(l, b - 1, r, b, m_penColor);
    FillClipped(l, t, l + 1, b, m_penColor);
    FillClipped(r - 1, t, r, b, m_penColor);
}
