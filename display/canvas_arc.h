// The geometry behind Canvas::Arc: the outline of an axis-aligned ellipse,
// restricted to the sweep between two rays from its centre, and the two
// routines that draw it.
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
// short lines, which keeps the outline 8-connected.
#pragma once

#include <cmath>
#include <cstdint>

#include "display/canvas.h"
#include "display/canvas_line.h"

namespace canvas_detail {

struct Vec {
    std::int64_t x = 0;
    std::int64_t y = 0;
};

// Wide is Int128 in general; std::int64_t will do when every product fits.
template <class Wide>
Wide Cross(Vec a, Vec b) {
    return Wide{a.x} * b.y - Wide{a.y} * b.x;
}
template <class Wide>
Wide Dot(Vec a, Vec b) {
    return Wide{a.x} * b.x + Wide{a.y} * b.y;
}

// The part of the turn that runs clockwise on the surface (y down) from the
// start ray to the end ray. Counter-clockwise sweeps are mirrored vertically.
class Sweep {
public:
    Sweep(Vec start, Vec end, bool clockwise) : m_mirror(!clockwise) {
        m_start = Oriented(start);
        m_end = Oriented(end);
        m_full = Cross<Int128>(m_start, m_end) == 0 && Dot<Int128>(m_start, m_end) > 0;
        m_endHalf = Half<Int128>(m_end);
    }

    // Whether the sweep is the whole turn.
    bool Full() const { return m_full; }

    // Whether the direction of an offset from the centre lies in the sweep.
    // Offsets reach 2^34 and the rays 2^34, so products need Int128; with
    // offsets below 2^17 std::int64_t is exact.
    template <class Wide = Int128>
    bool Contains(Vec offset) const {
        if (m_full || (offset.x == 0 && offset.y == 0)) return true;
        const Vec p = Oriented(offset);
        const int pHalf = Half<Wide>(p);
        if (pHalf != m_endHalf) return pHalf < m_endHalf;
        return Cross<Wide>(p, m_end) >= 0;
    }

    // Contains for offsets that are not zero, below 2^17, as linear forms
    // of the offset p: with h = start.p > 0, or start.p == 0 and
    // startDot.p > 0 (p within half a turn after the start ray), and
    // e = end.p >= 0 (p at most half a turn before the end ray), an offset
    // is inside when h and e hold, or, for a sweep of half a turn or more
    // (wide), when either holds.
    struct Forms {
        Vec start;
        Vec startDot;
        Vec end;
        bool wide = false;

        // With start, along and end the three forms evaluated at p.
        static bool Contains(std::int64_t start, std::int64_t along, std::int64_t end, bool wide) {
            const bool h = (start > 0) | ((start == 0) & (along > 0));
            const bool e = end >= 0;
            return (h & e) | (wide & (h | e));
        }
    };

    Forms LinearForms() const {
        // Oriented(p) = (p.x, m p.y).
        const std::int64_t m = m_mirror ? -1 : 1;
        Forms forms;
        forms.start = Vec{-m_start.y, m * m_start.x};
        forms.startDot = Vec{m_start.x, m * m_start.y};
        forms.end = Vec{m_end.y, -m * m_end.x};
        forms.wide = m_endHalf == 1;
        // The whole turn: e always holds.
        if (m_full) forms = Forms{forms.start, forms.startDot, Vec{0, 0}, true};
        return forms;
    }

private:
    // A ray through the centre itself points along +x.
    Vec Oriented(Vec v) const {
        if (v.x == 0 && v.y == 0) return Vec{1, 0};
        return m_mirror ? Vec{v.x, -v.y} : v;
    }
    // 0 for angles in [0, pi) clockwise from the start ray, 1 for [pi, 2 pi).
    template <class Wide>
    int Half(Vec v) const {
        const Wide c = Cross<Wide>(m_start, v);
        return c > 0 || (c == 0 && Dot<Wide>(m_start, v) > 0) ? 0 : 1;
    }
    bool m_mirror;
    bool m_full = false;
    int m_endHalf = 0;
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
inline constexpr Piece kPieces[] = {
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
        if (norm > 0) m_turn2 = Vec{CeilOf(a * a / norm), CeilOf(b * b / norm)};
    }

    Vec Center2() const { return m_center2; }
    Vec Radius2() const { return m_radius2; }
    Vec Turn2() const { return m_turn2; }

    // The major coordinates a piece covers; empty when first > last.
    void Range(const Piece& piece, std::int64_t& first, std::int64_t& last) const {
        const std::int64_t c = Major(m_center2, piece);
        const std::int64_t turn = Major(m_turn2, piece);
        // Offsets 2p - c in [0, turn] on the positive side, in [-turn, -1] on the negative one.
        if (piece.MajorSide() > 0) {
            first = CeilDiv(c, std::int64_t{2});
            last = FloorDiv(c + turn, std::int64_t{2});
        } else {
            first = CeilDiv(c - turn, std::int64_t{2});
            last = FloorDiv(c - 1, std::int64_t{2});
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

    static std::int64_t Major(Vec v, const Piece& piece) { return piece.xMajor ? v.x : v.y; }
    static std::int64_t Minor(Vec v, const Piece& piece) { return piece.xMajor ? v.y : v.x; }

private:
    // std::ceil for 0 <= x < 2^62, without a library call.
    static std::int64_t CeilOf(double x) {
        const auto whole = static_cast<std::int64_t>(x);
        return whole + (static_cast<double>(whole) < x ? 1 : 0);
    }

    Vec m_center2;
    Vec m_radius2;
    Vec m_turn2;
};

// Both draw the arc of `outline` within `sweep` with the canvas's pen, each
// pixel the one MinorAt gives for its column or row. DrawArcClipped steps
// along the stretch of each piece that lies on the surface, whatever the
// radius or the centre. DrawArcWalk is the faster walk for outlines wholly
// on the surface; it draws nothing and returns false for the others (not
// wholly on the surface, tiny, or large enough that its integers alone
// might round otherwise than MinorAt).
void DrawArcClipped(Canvas& canvas, const EllipseOutline& outline, const Sweep& sweep);
bool DrawArcWalk(Canvas& canvas, const EllipseOutline& outline, const Sweep& sweep);

}  // namespace canvas_detail
