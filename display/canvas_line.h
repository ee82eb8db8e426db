// The line rasteriser shared by Canvas::LineTo and the arc outline.
//
// Pixel i of a line (0 <= i <= n, n = the longer of |dx| and |dy|) steps i
// along the major axis and k(i) = floor((2*i*m + n) / (2*n)) along the minor
// axis, m being the shorter of |dx| and |dy|. That is the nearest pixel to the
// ideal line; when the ideal position lies exactly halfway between two
// pixels, the one nearer the end point wins. When |dx| == |dy| the line is a
// diagonal and the choice of major axis does not matter.
//
// Because k(i) is a closed form, the first visible pixel is found by solving
// for the range of i inside the surface rather than by walking towards it,
// and the visible pixels are exactly those of the whole line.
#pragma once

#include <algorithm>
#include <cstdint>

namespace canvas_detail {

__extension__ typedef __int128 Int128;

// floor(a / b) and ceil(a / b) for b > 0; the 64-bit forms for |a| < 2^62.
inline Int128 FloorDiv(Int128 a, Int128 b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }
inline Int128 CeilDiv(Int128 a, Int128 b) { return -FloorDiv(-a, b); }
inline std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
    return a >= 0 ? a / b : -((-a + b - 1) / b);
}
inline std::int64_t CeilDiv(std::int64_t a, std::int64_t b) { return -FloorDiv(-a, b); }

// A line split into its major axis (the longer of |dx| and |dy|, n steps)
// and its minor axis (m steps), each with its direction.
struct LineAxes {
    bool xMajor = true;
    std::int64_t n = 0;
    std::int64_t m = 0;
    std::int64_t majorStep = 1;
    std::int64_t minorStep = 1;
    std::int64_t major0 = 0;
    std::int64_t minor0 = 0;
};

inline LineAxes AxesOf(std::int64_t x0, std::int64_t y0, std::int64_t x1, std::int64_t y1) {
    const std::int64_t dx = x1 - x0;
    const std::int64_t dy = y1 - y0;
    const std::int64_t adx = dx < 0 ? -dx : dx;
    const std::int64_t ady = dy < 0 ? -dy : dy;
    LineAxes line;
    line.xMajor = adx >= ady;
    line.n = line.xMajor ? adx : ady;
    line.m = line.xMajor ? ady : adx;
    line.majorStep = (line.xMajor ? dx : dy) < 0 ? -1 : 1;
    line.minorStep = (line.xMajor ? dy : dx) < 0 ? -1 : 1;
    line.major0 = line.xMajor ? x0 : y0;
    line.minor0 = line.xMajor ? y0 : x0;
    return line;
}

// Walks a line with a cursor standing on one of its pixels, whose remainder
// (2*i*m + n) - 2*n*k, i and k being its major and minor offsets, is given
// (in [0, 2n)): calls cursor.Visit() there and at the next `steps` pixels,
// with cursor.Step(minor) in between, minor being all ones when the minor
// coordinate steps too and 0 when it does not.
template <class Cursor>
void StepLine(const LineAxes& line, std::int64_t steps, std::int64_t remainder, Cursor& cursor) {
    const std::int64_t twoN = 2 * line.n;
    const std::int64_t twoM = 2 * line.m;
    for (;; --steps) {
        cursor.Visit();
        if (steps == 0) break;
        remainder += twoM;
        // Whether the minor coordinate steps follows the slope, not a
        // pattern a branch predictor could learn: a mask, not a branch.
        const std::int64_t minor = -static_cast<std::int64_t>(remainder >= twoN);
        remainder -= twoN & minor;
        cursor.Step(minor);
    }
}

// A cursor that hands each pixel's coordinates to visit(x, y).
template <class Visitor>
class CoordinateCursor {
public:
    CoordinateCursor(const LineAxes& line, std::int64_t major, std::int64_t minor, Visitor& visit)
        : m_line(line), m_major(major), m_minor(minor), m_visit(visit) {}

    void Visit() {
        if (m_line.xMajor) {
            m_visit(m_major, m_minor);
        } else {
            m_visit(m_minor, m_major);
        }
    }
    void Step(std::int64_t minor) {
        m_major += m_line.majorStep;
        m_minor += m_line.minorStep & minor;
    }

private:
    const LineAxes& m_line;
    std::int64_t m_major;
    std::int64_t m_minor;
    Visitor& m_visit;
};

// Calls visit(x, y) for every pixel of the 8-connected line from (x0, y0) to
// (x1, y1) that lies in [0, width) x [0, height), in order from the start.
// The end pixel is visited only with includeEnd. Coordinates may be anywhere
// in +-2^40; the cost is bounded by the surface, not by the line's length.
template <class Visit>
void ForEachLinePixel(std::int64_t x0, std::int64_t y0, std::int64_t x1, std::int64_t y1,
                      bool includeEnd, std::int64_t width, std::int64_t height, Visit&& visit) {
    const LineAxes line = AxesOf(x0, y0, x1, y1);
    const std::int64_t n = line.n;
    const std::int64_t m = line.m;
    const std::int64_t major0 = line.major0;
    const std::int64_t minor0 = line.minor0;
    const std::int64_t majorExtent = line.xMajor ? width : height;
    const std::int64_t minorExtent = line.xMajor ? height : width;

    std::int64_t first = 0;
    std::int64_t last = includeEnd ? n : n - 1;
    // Steps whose major coordinate lies in [0, majorExtent).
    if (line.majorStep > 0) {
        first = std::max(first, -major0);
        last = std::min(last, majorExtent - 1 - major0);
    } else {
        first = std::max(first, major0 - (majorExtent - 1));
        last = std::min(last, major0);
    }
    // Minor offsets k that stay in [0, minorExtent).
    const std::int64_t kLow = line.minorStep > 0 ? -minor0 : minor0 - (minorExtent - 1);
    const std::int64_t kHigh = line.minorStep > 0 ? minorExtent - 1 - minor0 : minor0;
    if (m == 0) {
        if (kLow > 0 || kHigh < 0) return;
    } else {
        // k(i) >= K  <=>  i >= ceil((2K - 1) n / 2m);  k(i) <= K  <=>  i < (2K + 1) n / 2m.
        const Int128 twoM = Int128{2} * m;
        const Int128 low = CeilDiv((Int128{2} * kLow - 1) * n, twoM);
        const Int128 high = CeilDiv((Int128{2} * kHigh + 1) * n, twoM) - 1;
        if (low > last || high < first) return;
        first = std::max<std::int64_t>(first, static_cast<std::int64_t>(low));
        last = std::min<std::int64_t>(last, static_cast<std::int64_t>(high));
    }
    if (first > last) return;

    // Exact state at the first visible step.
    std::int64_t k = 0;
    std::int64_t remainder = 0;
    if (n > 0) {
        const Int128 numerator = Int128{2} * first * m + n;
        k = static_cast<std::int64_t>(numerator / (2 * n));
        remainder = static_cast<std::int64_t>(numerator - Int128{k} * (2 * n));
    }
    CoordinateCursor cursor(line, major0 + line.majorStep * first, minor0 + line.minorStep * k,
                            visit);
    StepLine(line, last - first, remainder, cursor);
}

// ForEachLinePixel for a line whose end points both lie on the surface, and
// so all its pixels: no clipping and no division.
template <class Visit>
void ForEachLinePixelInside(std::int64_t x0, std::int64_t y0, std::int64_t x1, std::int64_t y1,
                            bool includeEnd, Visit&& visit) {
    const LineAxes line = AxesOf(x0, y0, x1, y1);
    const std::int64_t last = includeEnd ? line.n : line.n - 1;
    if (last < 0) return;
    // Pixel 0 is the start itself: k = 0, remainder n.
    CoordinateCursor cursor(line, line.major0, line.minor0, visit);
    StepLine(line, last, line.n, cursor);
}

}  // namespace canvas_detail
