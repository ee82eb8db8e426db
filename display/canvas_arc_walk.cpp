// DrawArcWalk: the pixels MinorAt gives, found by stepping along the
// outline with integers instead of a square root per pixel.
//
// The four flat pieces share one shape, and so do the four steep ones: at the
// doubled offset u from the centre along the major axis, each lies t - 1
// doubled units from the centre across it (towards its own side), where t is
// the smallest value of the parity of (centre across + 1) with
// t >= reach(u) = across * sqrt(along^2 - u^2) / along. That is the nearest
// pixel with ties towards the centre. As u grows reach falls, so t only steps
// down, and t^2 * along^2 >= across^2 * (along^2 - u^2) decides each step
// exactly. One walk over u therefore serves the four pieces of a shape.
//
// Arcs are small and their sweeps random, so the walk avoids branches that
// depend on the data: each step tests the sweep for all four pixels with
// linear forms and stores every pixel, the ones outside into a scratch pixel.
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <type_traits>
#include <utility>

#include "display/canvas.h"
#include "display/canvas_arc.h"
#include "display/canvas_line.h"

namespace canvas_detail {
namespace {

// The four pieces around one major axis (x for the flat ones), with t at
// their two ends: the axis end (first u) and, once walked, the 45-degree end
// (last u).
class PieceShape {
public:
    PieceShape(const EllipseOutline& outline, bool xMajor)
        : m_xMajor(xMajor),
          m_along(xMajor ? outline.Radius2().x : outline.Radius2().y),
          m_across(xMajor ? outline.Radius2().y : outline.Radius2().x),
          m_centerMajor(xMajor ? outline.Center2().x : outline.Center2().y),
          m_centerMinor(xMajor ? outline.Center2().y : outline.Center2().x),
          m_along2(m_along * m_along),
          m_across2(m_across * m_across) {
        // u has the parity of the centre, up to the 45-degree point; the
        // negative side leaves out the centre's own column or row.
        const std::int64_t turn = xMajor ? outline.Turn2().x : outline.Turn2().y;
        m_lastU = turn - ((turn - m_centerMajor) & 1);
        m_firstU[0] = m_centerMajor & 1;
        m_firstU[1] = 2 - m_firstU[0];
        m_firstT[0] = TNearAxis(m_firstU[0]);
        m_firstT[1] = TNearAxis(m_firstU[1]);
    }

    // Whether every piece has a pixel; only tiny outlines have empty pieces.
    bool Complete() const { return m_firstU[1] <= m_lastU; }

    std::int64_t FirstU(int majorSide) const { return m_firstU[majorSide > 0 ? 0 : 1]; }
    std::int64_t FirstT(int majorSide) const { return m_firstT[majorSide > 0 ? 0 : 1]; }
    std::int64_t LastU() const { return m_lastU; }
    std::int64_t LastT() const { return m_lastT; }  // after Walk
    std::int64_t CenterMajor() const { return m_centerMajor; }
    std::int64_t CenterMinor() const { return m_centerMinor; }

    // Calls emit(u, t) for u = FirstU(+1), FirstU(+1) + 2, ... LastU().
    template <class Emit>
    void Walk(Emit&& emit) {
        // Locals, as emit's byte stores could alias the members.
        const std::int64_t along2 = m_along2;
        const std::int64_t across2 = m_across2;
        const std::int64_t lastU = m_lastU;
        std::int64_t t = m_firstT[0];
        std::int64_t need = Need(m_firstU[0]);
        std::int64_t have = t * t * along2;
        for (std::int64_t u = m_firstU[0]; u <= lastU; u += 2) {
            // t mostly stays or steps once per u, so the first step goes
            // without a branch.
            const std::int64_t lower = have - (4 * t - 4) * along2;
            const std::int64_t down = -static_cast<std::int64_t>((t >= 2) & (lower >= need));
            t -= 2 & down;
            have += (lower - have) & down;
            StepDown(t, have, need);
            emit(u, t);
            need -= across2 * (4 * u + 4);
        }
        m_lastT = t;
    }

    // The doubled offset from the centre of a piece's pixel at (u, t).
    Vec Offset(const Piece& piece, std::int64_t u, std::int64_t t) const {
        const std::int64_t major = piece.MajorSide() * u;
        const std::int64_t minor = piece.MinorSide() * (t - 1);
        return m_xMajor ? Vec{major, minor} : Vec{minor, major};
    }
    Pixel PixelAt(const Piece& piece, std::int64_t u, std::int64_t t) const {
        // Both sums are even: u has the parity of the centre, t - 1 too.
        const std::int64_t major = (m_centerMajor + piece.MajorSide() * u) >> 1;
        const std::int64_t minor = (m_centerMinor + piece.MinorSide() * (t - 1)) >> 1;
        return m_xMajor ? Pixel{major, minor} : Pixel{minor, major};
    }

private:
    std::int64_t Need(std::int64_t u) const { return m_across2 * (m_along2 - u * u); }

    // Lowers t by 2 while (t - 2)^2 along^2 still reaches need; have is t^2 along^2.
    void StepDown(std::int64_t& t, std::int64_t& have, std::int64_t need) const {
        while (t >= 2) {
            const std::int64_t lower = have - (4 * t - 4) * m_along2;
            if (lower < need) break;
            have = lower;
            t -= 2;
        }
    }

    // t at u = 0, 1 or 2: reach is across at u = 0, so across + 1 (which has
    // the parity) is an upper bound, a step or two away.
    std::int64_t TNearAxis(std::int64_t u) const {
        std::int64_t t = m_across + 1;
        std::int64_t have = t * t * m_along2;
        StepDown(t, have, Need(u));
        return t;
    }

    bool m_xMajor;
    std::int64_t m_along;
    std::int64_t m_across;
    std::int64_t m_centerMajor;
    std::int64_t m_centerMinor;
    std::int64_t m_along2;
    std::int64_t m_across2;
    std::int64_t m_lastU = 0;
    std::int64_t m_lastT = 0;
    std::int64_t m_firstU[2] = {0, 0};  // positive side, negative side
    std::int64_t m_firstT[2] = {0, 0};
};

// Whether the walk alone gives MinorAt's pixels on this canvas.
//
// The whole outline must lie on the surface (no clipping, and every value
// stays small: offsets below 2^15, so t^2 * along^2 and the sweep's products
// fit 64 bits). MinorAt rounds centre +- reach to a pixel with reach
// computed in doubles: three roundings in reach (below across * 2^-51) and
// one in the sum (below (|centre| + across) * 2^-53), together below
// E = (|centre| + 5 across) * 2^-53. An integral reach comes out exact (then
// along^2 - u^2 = s^2 and every step is exact), so its pixel differs from the
// exact one only if reach lies within E of an integer n without being one.
// For reach = across * s / along that distance is at least 1 / along; for an
// irrational reach it is |across^2 I - n^2 along^2| / (along (across sqrt(I)
// + n along)) >= 1 / ((2 across + 1) along^2). Requiring
// E * (2 across + 1) * along^2 < 1/8 keeps both out of reach.
bool WalkIsExact(const Canvas& canvas, const EllipseOutline& outline) {
    const Vec c2 = outline.Center2();
    const Vec r2 = outline.Radius2();
    if (r2.x < 1 || r2.y < 1) return false;
    // Doubled, the outline spans c2 - r2 .. c2 + r2.
    if (c2.x - r2.x < 0 || c2.y - r2.y < 0) return false;
    if (c2.x + r2.x > 2 * std::int64_t{canvas.Width() - 1}) return false;
    if (c2.y + r2.y > 2 * std::int64_t{canvas.Height() - 1}) return false;
    const auto safe = [](std::int64_t center, std::int64_t along, std::int64_t across) {
        const double error = static_cast<double>(center + 5 * across + 8);
        const double closest = static_cast<double>(2 * across + 1) * static_cast<double>(along) *
                               static_cast<double>(along);
        return error * closest < 0x1p50;
    };
    return safe(c2.y, r2.x, r2.y) && safe(c2.x, r2.y, r2.x);
}

// Calls visit(std::integral_constant<std::size_t, K>) for K = 0..7, so that
// each piece's sides and direction are known when compiling.
template <class Visit, std::size_t... K>
void ForEachPiece(Visit&& visit, std::index_sequence<K...>) {
    (visit(std::integral_constant<std::size_t, K>{}), ...);
}
template <class Visit>
void ForEachPiece(Visit&& visit) {
    ForEachPiece(visit, std::make_index_sequence<std::size(kPieces)>{});
}

// The pixel where a piece starts and ends, in clockwise order.
struct PieceEnds {
    Pixel start;
    Pixel end;
};

PieceEnds EndsOf(const Piece& piece, const PieceShape& shape) {
    const Pixel axisEnd =
        shape.PixelAt(piece, shape.FirstU(piece.MajorSide()), shape.FirstT(piece.MajorSide()));
    const Pixel turnEnd = shape.PixelAt(piece, shape.LastU(), shape.LastT());
    const bool axisFirst = (piece.MajorSide() > 0) == piece.ascending;
    return axisFirst ? PieceEnds{axisEnd, turnEnd} : PieceEnds{turnEnd, axisEnd};
}

// Whether doubled offsets differ by at most one pixel on each axis.
bool Neighbours(std::int64_t dx2, std::int64_t dy2) {
    return dx2 >= -2 && dx2 <= 2 && dy2 >= -2 && dy2 <= 2;
}

// Which joins between consecutive pieces (from the end of piece k to the
// start of piece k + 1, and from piece 7 back to piece 0) join neighbouring
// pixels. Those are drawn with their pieces already; the others need a line.
// By symmetry the four joins at the 45-degree points look alike, and so do
// the two joins across the minor axis of each shape.
class Joins {
public:
    Joins(const PieceShape& flat, const PieceShape& steep) {
        // At a 45-degree point the steep piece ends at (t - 1, u) of the
        // steep shape and the flat one at (u, t - 1) of the flat shape.
        m_turnsTouch =
            Neighbours(steep.LastT() - 1 - flat.LastU(), steep.LastU() - flat.LastT() + 1);
        // Across an axis the two sides' first u add up to 2.
        m_flatAxesTouch = Neighbours(2, flat.FirstT(+1) - flat.FirstT(-1));
        m_steepAxesTouch = Neighbours(2, steep.FirstT(+1) - steep.FirstT(-1));
    }

    bool AllTouch() const { return m_turnsTouch && m_flatAxesTouch && m_steepAxesTouch; }
    bool Touch(std::size_t k) const {
        if (k % 2 == 0) return m_turnsTouch;
        return kPieces[k].xMajor ? m_flatAxesTouch : m_steepAxesTouch;
    }

private:
    bool m_turnsTouch;
    bool m_flatAxesTouch;
    bool m_steepAxesTouch;
};

// Draws the pixels of one shape's four pieces that lie in the sweep.
template <bool kXMajor, bool kWide>
void PlotShape(PieceShape& shape, const Sweep::Forms& forms, std::uint8_t* pixels,
               std::int64_t stride, Color color) {
    // Locals, as the byte stores could alias anything in memory.
    const std::int64_t majorBytes = kXMajor ? 3 : stride;
    const std::int64_t minorBytes = kXMajor ? stride : 3;
    const std::int64_t negativeFirstU = shape.FirstU(-1);
    const std::int64_t centerMajor = shape.CenterMajor();
    const std::int64_t centerMinor = shape.CenterMinor();
    const Vec start = forms.start;
    const Vec startDot = forms.startDot;
    const Vec end = forms.end;
    std::uint8_t scratch[3];
    shape.Walk([=, &scratch](std::int64_t u, std::int64_t t) {
        const std::int64_t w = t - 1;
        // Byte offsets of the four pixels' coordinates, on either side.
        const std::int64_t majorPlus = ((centerMajor + u) >> 1) * majorBytes;
        const std::int64_t majorMinus = ((centerMajor - u) >> 1) * majorBytes;
        const std::int64_t minorPlus = ((centerMinor + w) >> 1) * minorBytes;
        const std::int64_t minorMinus = ((centerMinor - w) >> 1) * minorBytes;
        // The sweep's forms at (|x|, |y|); each piece flips their signs.
        const std::int64_t x = kXMajor ? u : w;
        const std::int64_t y = kXMajor ? w : u;
        // Each piece takes a sum or difference, or its negation.
        const std::int64_t startSum = start.x * x + start.y * y;
        const std::int64_t startDifference = start.x * x - start.y * y;
        const std::int64_t endSum = end.x * x + end.y * y;
        const std::int64_t endDifference = end.x * x - end.y * y;
        const bool negativeStarted = u >= negativeFirstU;
        ForEachPiece([&]<std::size_t K>(std::integral_constant<std::size_t, K>) {
            constexpr Piece piece = kPieces[K];
            if constexpr (piece.xMajor == kXMajor) {
                constexpr bool same = piece.xSide == piece.ySide;
                const std::int64_t fromStart = piece.xSide * (same ? startSum : startDifference);
                const std::int64_t toEnd = piece.xSide * (same ? endSum : endDifference);
                // Only a pixel on the start ray's line needs the third form.
                const std::int64_t along =
                    fromStart != 0 ? 0
                                   : startDot.x * piece.xSide * x + startDot.y * piece.ySide * y;
                const bool on = piece.MajorSide() > 0 || negativeStarted;
                const bool in = on & Sweep::Forms::Contains(fromStart, along, toEnd, kWide);
                std::uint8_t* pixel = pixels + (piece.MajorSide() > 0 ? majorPlus : majorMinus) +
                                      (piece.MinorSide() > 0 ? minorPlus : minorMinus);
                Canvas::StorePixel(in ? pixel : scratch, color);
            }
        });
    });
}

}  // namespace

bool DrawArcWalk(Canvas& canvas, const EllipseOutline& outline, const Sweep& sweep) {
    if (!WalkIsExact(canvas, outline)) return false;
    PieceShape flat(outline, true);
    PieceShape steep(outline, false);
    if (!flat.Complete() || !steep.Complete()) return false;
    const Color color = canvas.PenColor();
    std::uint8_t* const pixels = canvas.Row(0);
    const std::int64_t stride = canvas.Stride();

    const Sweep::Forms forms = sweep.LinearForms();
    if (forms.wide) {
        PlotShape<true, true>(flat, forms, pixels, stride, color);
        PlotShape<false, true>(steep, forms, pixels, stride, color);
    } else {
        PlotShape<true, false>(flat, forms, pixels, stride, color);
        PlotShape<false, false>(steep, forms, pixels, stride, color);
    }

    const Joins joins(flat, steep);
    if (!joins.AllTouch()) {
        const Vec c2 = outline.Center2();
        const auto plot = [&](std::int64_t x, std::int64_t y) {
            if (sweep.Contains<std::int64_t>(Vec{2 * x - c2.x, 2 * y - c2.y})) {
                Canvas::StorePixel(pixels + y * stride + x * 3, color);
            }
        };
        for (std::size_t k = 0; k < std::size(kPieces); ++k) {
            if (joins.Touch(k)) continue;
            const std::size_t next = (k + 1) % std::size(kPieces);
            const Pixel from = EndsOf(kPieces[k], kPieces[k].xMajor ? flat : steep).end;
            const Pixel to = EndsOf(kPieces[next], kPieces[next].xMajor ? flat : steep).start;
            ForEachLinePixelInside(from.x, from.y, to.x, to.y, true, plot);
        }
    }

    return true;
}

}  // namespace canvas_detail
