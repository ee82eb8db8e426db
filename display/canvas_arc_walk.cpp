// DrawArcWalk: the pixels of DrawArcExact, found by stepping along the
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
// Pieces entirely inside or outside the sweep are drawn or skipped whole;
// only pieces that a ray of the sweep crosses test their pixels one by one.
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

using Cover = Sweep::Cover;

// The four pieces around one major axis (x for the flat ones), with t at
// their two ends: the axis end (first u) and the 45-degree end (last u).
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
        m_firstT[0] = TAt(m_firstU[0]);
        m_firstT[1] = m_firstU[1] == m_firstU[0] ? m_firstT[0] : TAt(m_firstU[1]);
        m_lastT = TAt(m_lastU);
    }

    std::int64_t FirstU(int majorSide) const { return m_firstU[majorSide > 0 ? 0 : 1]; }
    std::int64_t FirstT(int majorSide) const { return m_firstT[majorSide > 0 ? 0 : 1]; }
    std::int64_t LastU() const { return m_lastU; }
    std::int64_t LastT() const { return m_lastT; }

    // Calls emit(u, t, i, j) for u = FirstU(+1) + 2 i up to LastU(), j being
    // the number of times t has stepped down by 2 since then.
    template <class Emit>
    void Walk(Emit&& emit) const {
        std::int64_t t = m_firstT[0];
        std::int64_t need = Need(m_firstU[0]);
        std::int64_t have = t * t * m_along2;
        std::int64_t j = 0;
        for (std::int64_t u = m_firstU[0], i = 0; u <= m_lastU; u += 2, ++i) {
            while (t >= 2) {
                const std::int64_t lower = have - (4 * t - 4) * m_along2;
                if (lower < need) break;
                have = lower;
                t -= 2;
                ++j;
            }
            emit(u, t, i, j);
            need -= m_across2 * (4 * u + 4);
        }
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

    // t at u, from a floating-point estimate corrected exactly.
    std::int64_t TAt(std::int64_t u) const {
        const double inside = static_cast<double>(m_along - u) * static_cast<double>(m_along + u);
        const double reach = m_across * std::sqrt(inside > 0 ? inside : 0) / m_along;
        std::int64_t t = static_cast<std::int64_t>(reach);
        t += (t - m_centerMinor - 1) & 1;
        const std::int64_t need = Need(u);
        while (t * t * m_along2 < need) t += 2;
        while (t >= 2 && (t - 2) * (t - 2) * m_along2 >= need) t -= 2;
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

// Whether the walk can stand in for DrawArcExact on this canvas.
//
// The whole outline must lie on the surface (no clipping, and every value
// stays small: offsets below 2^15, so t^2 * along^2 and the sweep's products
// fit 64 bits). DrawArcExact rounds centre +- reach to a pixel with reach
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

// The pieces of each shape, as indices into kPieces.
constexpr std::size_t kFlatPieces[] = {1, 2, 5, 6};
constexpr std::size_t kSteepPieces[] = {0, 3, 4, 7};

// Per piece: how the sweep covers it, and the byte offset of its pixel where
// the walk of its shape starts (at the positive side's first u, the
// centre's own column or row, on the surface for either side).
struct WalkPlan {
    Cover cover[std::size(kPieces)] = {};
    std::int64_t origin[std::size(kPieces)] = {};
};

template <bool kXMajor>
void WalkShape(const PieceShape& shape, const WalkPlan& plan, const Sweep& sweep,
               std::uint8_t* pixels, std::int64_t stride, Color color) {
    constexpr const std::size_t(&indices)[4] = kXMajor ? kFlatPieces : kSteepPieces;
    bool any = false;
    for (const std::size_t k : indices) any = any || plan.cover[k] != Cover::kOutside;
    if (!any) return;
    // A step of u moves one pixel along the major axis, a step of t one across.
    const std::int64_t alongUnit = kXMajor ? 3 : stride;
    const std::int64_t acrossUnit = kXMajor ? stride : 3;
    const std::int64_t negativeFirstU = shape.FirstU(-1);
    shape.Walk([&](std::int64_t u, std::int64_t t, std::int64_t i, std::int64_t j) {
        const std::int64_t along = i * alongUnit;
        const std::int64_t across = j * acrossUnit;
        ForEachPiece([&]<std::size_t K>(std::integral_constant<std::size_t, K>) {
            constexpr Piece piece = kPieces[K];
            if constexpr (piece.xMajor == kXMajor) {
                const Cover cover = plan.cover[K];
                if (cover == Cover::kOutside) return;
                if (piece.MajorSide() < 0 && u < negativeFirstU) return;
                if (cover == Cover::kMixed &&
                    !sweep.Contains<std::int64_t>(shape.Offset(piece, u, t))) {
                    return;
                }
                // t falls as the walk goes, so each step of t moves towards the centre.
                Canvas::StorePixel(pixels + plan.origin[K] + piece.MajorSide() * along -
                                       piece.MinorSide() * across,
                                   color);
            }
        });
    });
}

}  // namespace

bool DrawArcWalk(Canvas& canvas, const EllipseOutline& outline, const Sweep& sweep) {
    if (!WalkIsExact(canvas, outline)) return false;
    const Color color = canvas.PenColor();
    std::uint8_t* const pixels = canvas.Row(0);
    const std::int64_t stride = canvas.Stride();
    const Vec c2 = outline.Center2();
    const auto plotInSweep = [&](std::int64_t x, std::int64_t y) {
        if (sweep.Contains<std::int64_t>(Vec{2 * x - c2.x, 2 * y - c2.y})) {
            Canvas::StorePixel(pixels + y * stride + x * 3, color);
        }
    };

    const PieceShape shapes[2] = {PieceShape(outline, true), PieceShape(outline, false)};
    // Indexed by [xSide > 0][ySide > 0].
    Cover quadrants[2][2];
    for (const int xSide : {-1, 1}) {
        for (const int ySide : {-1, 1}) {
            quadrants[xSide > 0][ySide > 0] = sweep.QuadrantCover(xSide, ySide);
        }
    }

    WalkPlan plan;
    bool havePrevious = false;
    Pixel previousEnd;
    Pixel firstStart;
    const auto join = [&](const Pixel& from, const Pixel& to) {
        // Neighbouring ends are both drawn with their pieces already.
        const std::int64_t dx = to.x - from.x;
        const std::int64_t dy = to.y - from.y;
        if (dx >= -1 && dx <= 1 && dy >= -1 && dy <= 1) return;
        ForEachLinePixelInside(from.x, from.y, to.x, to.y, true, plotInSweep);
    };
    ForEachPiece([&]<std::size_t K>(std::integral_constant<std::size_t, K>) {
        constexpr Piece piece = kPieces[K];
        const PieceShape& shape = shapes[piece.xMajor ? 0 : 1];
        const std::int64_t firstU = shape.FirstU(piece.MajorSide());
        const std::int64_t firstT = shape.FirstT(piece.MajorSide());
        const std::int64_t lastU = shape.LastU();
        const std::int64_t lastT = shape.LastT();
        plan.cover[K] = Cover::kOutside;
        if (firstU > lastU) return;
        const Pixel axisEnd = shape.PixelAt(piece, firstU, firstT);
        const Pixel turnEnd = shape.PixelAt(piece, lastU, lastT);
        constexpr bool axisFirst = (piece.MajorSide() > 0) == piece.ascending;
        const Pixel start = axisFirst ? axisEnd : turnEnd;
        const Pixel end = axisFirst ? turnEnd : axisEnd;
        if (havePrevious) {
            join(previousEnd, start);
        } else {
            firstStart = start;
        }
        havePrevious = true;
        previousEnd = end;

        // With t >= 1 the piece lies in its closed quadrant, and takes the
        // quadrant's cover unless a ray passes through that quadrant. Along
        // a piece u grows and t - 1 shrinks (to -1 only at the tip of a very
        // flat outline), so its directions turn one way, by less than half a
        // turn, and its two ends tell whether a ray crosses it.
        Cover cover = quadrants[piece.xSide > 0][piece.ySide > 0];
        if (cover == Cover::kMixed || lastT < 1) {
            cover = sweep.Classify(shape.Offset(piece, firstU, firstT),
                                   shape.Offset(piece, lastU, lastT));
        }
        plan.cover[K] = cover;
        const Pixel origin = shape.PixelAt(piece, shape.FirstU(+1), shape.FirstT(+1));
        plan.origin[K] = origin.y * stride + origin.x * 3;
    });
    if (havePrevious) join(previousEnd, firstStart);

    WalkShape<true>(shapes[0], plan, sweep, pixels, stride, color);
    WalkShape<false>(shapes[1], plan, sweep, pixels, stride, color);
    return true;
}

}  // namespace canvas_detail
