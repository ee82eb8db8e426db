// Canvas::Arc: the outline of an axis-aligned ellipse, restricted to the
// sweep between two rays from its centre.
//
// The ellipse inscribed in the rectangle covers the pixels left..right-1 and
// top..bottom-1, so its centre is ((left + right - 1) / 2, (top + bottom - 1) / 2)
// and its radii (right - left - 1) / 2 and (bottom - top - 1) / 2. Working in
// doubled units keeps those half-pixel values integral.
//
// The outline is cut into eight monotone pieces, two per quadrant: where the
// curve is flatter than 45 degrees it gets one pixel per column, elsewhere one
// pixel per row, each the pixel nearest the ideal curve (ties towards the
// centre, so the outline is symmetric). Neighbouring pieces are joined by
// short lines, which keeps the outline 8-connected. Every pixel is computed
// from its column or row alone, so only columns and rows on the surface are
// visited, whatever the radius.
#include <algorithm>
#include <cmath>
#include <cstdint>

#include "display/canvas.h"
#include "display/canvas_line.h"

namespace {

using canvas_detail::Int128;

struct Vec {
    std::int64_t x = 0;
    std::int64_t y = 0;
};

Int128 Cross(Vec a, Vec b) { return Int128{a.x} * b.y - Int128{a.y} * b.x; }
Int128 Dot(Vec a, Vec b) { return Int128{a.x} * b.x + Int128{a.y} * b.y; }

// The part of the turn that runs clockwise on the surface (y down) from the
// start ray to the end ray. Counter-clockwise sweeps are mirrored vertically.
class Sweep {
public:
    Sweep(Vec start, Vec end, bool clockwise) : m_mirror(!clockwise) {
        m_start = Oriented(start);
        m_end = Oriented(end);
        m_full = Cross(m_start, m_end) == 0 && Dot(m_start, m_end) > 0;
    }

    bool Contains(Vec offset) const {
        if (m_full || (offset.x == 0 && offset.y == 0)) return true;
        const Vec p = Oriented(offset);
        const int pHalf = Half(p);
        const int endHalf = Half(m_end);
        if (pHalf != endHalf) return pHalf < endHalf;
        return Cross(p, m_end) >= 0;
    }

private:
    // A ray through the centre itself points along +x.
    Vec Oriented(Vec v) const {
        if (v.x == 0 && v.y == 0) return Vec{1, 0};
        return m_mirror ? Vec{v.x, -v.y} : v;
    }
    // 0 for angles in [0, pi) clockwise from the start ray, 1 for [pi, 2 pi).
    int Half(Vec v) const {
        const Int128 c = Cross(m_start, v);
        return c > 0 || (c == 0 && Dot(m_start, v) > 0) ? 0 : 1;
    }

    bool m_mirror;
    bool m_full = false;
    Vec m_start;
    Vec m_end;
};

// One monotone piece of the outline: one pixel per step along its major axis
// (x for the flat pieces), in the quadrant on the sides xSide, ySide of the centre.
struct Piece {
    bool xMajor;
    int xSide;
    int ySide;
    bool ascending;  // whether clockwise travel along the piece increases the major coordinate

    constexpr int MajorSide() const { return xMajor ? xSide : ySide; }
    constexpr int MinorSide() const { return xMajor ? ySide : xSide; }
};

// Clockwise from the +x axis: for each quadrant a steep and a flat piece.
constexpr Piece kPieces[] = {
    {false, +1, +1, true},  {true, +1, +1, false}, {true, -1, +1, false}, {false, -1, +1, false},
    {false, -1, -1, false}, {true, -1, -1, true},  {true, +1, -1, true},  {false, +1, -1, true},
};

struct Pixel {
    std::int64_t x = 0;
    std::int64_t y = 0;
};

class EllipseOutline {
public:
    EllipseOutline(std::int64_t left, std::int64_t top, std::int64_t right, std::int64_t bottom)
        : m_center2{left + right - 1, top + bottom - 1},
          m_radius2{right - left - 1, bottom - top - 1} {
        // Offsets at which the slope is 45 degrees: a^2 / sqrt(a^2 + b^2) and
        // b^2 / sqrt(a^2 + b^2). Rounding them up lets neighbouring pieces
        // overlap rather than leave out the tip of a very flat ellipse.
        const double a = static_cast<double>(m_radius2.x);
        const double b = static_cast<double>(m_radius2.y);
        const double norm = std::sqrt(a * a + b * b);
        if (norm > 0) {
            m_turn2 = Vec{static_cast<std::int64_t>(std::ceil(a * a / norm)),
                          static_cast<std::int64_t>(std::ceil(b * b / norm))};
        }
    }

    Vec Center2() const { return m_center2; }

    // The major coordinates a piece covers; empty when first > last.
    void Range(const Piece& piece, std::int64_t& first, std::int64_t& last) const {
        const std::int64_t c = Major(m_center2, piece);
        const std::int64_t turn = Major(m_turn2, piece);
        // Offsets 2p - c in [0, turn] on the positive side, in [-turn, -1] on the negative one.
        if (piece.MajorSide() > 0) {
            first = canvas_detail::CeilDiv(c, 2);
            last = canvas_detail::FloorDiv(c + turn, 2);
        } else {
            first = canvas_detail::CeilDiv(c - turn, 2);
            last = canvas_detail::FloorDiv(c - 1, 2);
        }
    }

    // The minor coordinate of the piece at major coordinate p.
    std::int64_t MinorAt(const Piece& piece, std::int64_t p) const {
        const std::int64_t along = Major(m_radius2, piece);
        const std::int64_t across = Minor(m_radius2, piece);
        const std::int64_t u = piece.MajorSide() * (2 * p - Major(m_center2, piece));
        // Factoring a^2 - u^2 keeps the tips exact: double then errs by less
        // than 2^-20 pixel even for radii near 2^31.
        double reach = static_cast<double>(across);
        if (along > 0) {
            const double inside = static_cast<double>(along - u) * static_cast<double>(along + u);
            reach = across * std::sqrt(inside > 0 ? inside : 0) / along;
        }
        const double doubled = Minor(m_center2, piece) + piece.MinorSide() * reach;
        // Nearest pixel, ties towards the centre.
        return piece.MinorSide() > 0 ? static_cast<std::int64_t>(std::ceil(doubled / 2 - 0.5))
                                     : static_cast<std::int64_t>(std::floor(doubled / 2 + 0.5));
    }

    Pixel At(const Piece& piece, std::int64_t p) const {
        const std::int64_t q = MinorAt(piece, p);
        return piece.xMajor ? Pixel{p, q} : Pixel{q, p};
    }

private:
    static std::int64_t Major(Vec v, const Piece& piece) { return piece.xMajor ? v.x : v.y; }
    static std::int64_t Minor(Vec v, const Piece& piece) { return piece.xMajor ? v.y : v.x; }

    Vec m_center2;
    Vec m_radius2;
    Vec m_turn2;
};

}  // namespace

void Canvas::Arc(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom,
                 std::int32_t xStart, std::int32_t yStart, std::int32_t xEnd, std::int32_t yEnd) {
    const std::int64_t l = left < right ? left : right;
    const std::int64_t r = left < right ? right : left;
    const std::int64_t t = top < bottom ? top : bottom;
    const std::int64_t b = top < bottom ? bottom : top;
    if (!HasSurface() || l == r || t == b) return;

    const EllipseOutline outline(l, t, r, b);
    const Vec c2 = outline.Center2();
    const Sweep sweep(Vec{2 * std::int64_t{xStart} - c2.x, 2 * std::int64_t{yStart} - c2.y},
                      Vec{2 * std::int64_t{xEnd} - c2.x, 2 * std::int64_t{yEnd} - c2.y},
                      m_arcDirection == kArcClockwise);
    const auto plot = [&](std::int64_t x, std::int64_t y) {
        if (x < 0 || y < 0 || x >= m_width || y >= m_height) return;
        if (!sweep.Contains(Vec{2 * x - c2.x, 2 * y - c2.y})) return;
        SetPixel(static_cast<std::int32_t>(x), static_cast<std::int32_t>(y), m_penColor);
    };

    bool havePrevious = false;
    Pixel previousEnd;
    Pixel firstStart;
    for (const Piece& piece : kPieces) {
        std::int64_t first = 0;
        std::int64_t last = 0;
        outline.Range(piece, first, last);
        if (first > last) continue;
        const Pixel low = outline.At(piece, first);
        const Pixel high = outline.At(piece, last);
        const Pixel start = piece.ascending ? low : high;
        const Pixel end = piece.ascending ? high : low;
        if (havePrevious) {
            canvas_detail::ForEachLinePixel(previousEnd.x, previousEnd.y, start.x, start.y, true,
                                            m_width, m_height, plot);
        } else {
            firstStart = start;
        }
        havePrevious = true;
        previousEnd = end;

        // The piece is monotone, so its end pixels bound it; skip it when it
        // misses the surface, else visit only its columns or rows on the surface.
        const std::int64_t minorLow =
            piece.xMajor ? std::min(low.y, high.y) : std::min(low.x, high.x);
        const std::int64_t minorHigh =
            piece.xMajor ? std::max(low.y, high.y) : std::max(low.x, high.x);
        const std::int64_t minorExtent = piece.xMajor ? m_height : m_width;
        const std::int64_t majorExtent = piece.xMajor ? m_width : m_height;
        if (minorHigh < 0 || minorLow >= minorExtent) continue;
        const std::int64_t from = std::max<std::int64_t>(first, 0);
        const std::int64_t to = std::min<std::int64_t>(last, majorExtent - 1);
        for (std::int64_t p = from; p <= to; ++p) {
            const Pixel pixel = outline.At(piece, p);
            plot(pixel.x, pixel.y);
        }
    }
    if (havePrevious) {
        canvas_detail::ForEachLinePixel(previousEnd.x, previousEnd.y, firstStart.x, firstStart.y,
                                        true, m_width, m_height, plot);
    }
}
