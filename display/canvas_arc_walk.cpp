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
#include <cstdint>

#include "display/canvas.h"
#include "display/canvas_arc.h"
#include "display/canvas_line.h"

namespace canvas_detail {
namespace {

using Cover = Sweep::Cover;

// The four pieces around one major axis (x for the flat ones).
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
        // u has the parity of the centre, up to the 45-degree point.
        const std::int64_t turn = xMajor ? outline.Turn2().x : outline.Turn2().y;
        m_lastU = turn - ((turn - m_centerMajor) & 1);
    }

    bool XMajor() const { return m_xMajor; }
    std::int64_t LastU() const { return m_lastU; }
    // The first u of the pieces on the given side: the negative side leaves
    // out the centre's own column or row.
    std::int64_t FirstU(int majorSide) const {
        return majorSide > 0 ? (m_centerMajor & 1) : 2 - (m_centerMajor & 1);
    }

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

    // Calls emit(u, t) for u = fromU, fromU + 2, ... LastU(); t is TAt(fromU).
    template <class Emit>
    void Walk(std::int64_t fromU, std::int64_t t, Emit&& emit) const {
        std::int64_t need = Need(fromU);
        std::int64_t have = t * t * m_along2;
        for (std::int64_t u = fromU; u <= m_lastU; u += 2) {
            while (t >= 2) {
                const std::int64_t lower = have - (4 * t - 4) * m_along2;
                if (lower < need) break;
                have = lower;
                t -= 2;
            }
            emit(u, t);
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
        const Vec offset = Offset(piece, u, t);
        const Vec c2{m_xMajor ? m_centerMajor : m_centerMinor,
                     m_xMajor ? m_centerMinor : m_centerMajor};
        return Pixel{(c2.x + offset.x) / 2, (c2.y + offset.y) / 2};
    }

private:
    std::int64_t Need(std::int64_t u) const { return m_across2 * (m_along2 - u * u); }

    bool m_xMajor;
    std::int64_t m_along;
    std::int64_t m_across;
    std::int64_t m_centerMajor;
    std::int64_t m_centerMinor;
    std::int64_t m_along2;
    std::int64_t m_across2;
    std::int64_t m_lastU = 0;
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

// A piece as the walk draws it.
struct WalkedPiece {
    const Piece* piece = nullptr;
    std::int64_t firstU = 0;
    Cover cover = Cover::kOutside;
};

}  // namespace

bool DrawArcWalk(Canvas& canvas, const EllipseOutline& outline, const Sweep& sweep) {
    if (!WalkIsExact(canvas, outline)) return false;
    const Color color = canvas.PenColor();
    const auto plot = [&canvas, color](const Pixel& pixel) {
        Canvas::StorePixel(canvas.Row(static_cast<std::int32_t>(pixel.y)) + pixel.x * 3, color);
    };
    const Vec c2 = outline.Center2();
    const auto plotInSweep = [&](std::int64_t x, std::int64_t y) {
        if (sweep.Contains<std::int64_t>(Vec{2 * x - c2.x, 2 * y - c2.y})) plot(Pixel{x, y});
    };

    const PieceShape shapes[2] = {PieceShape(outline, true), PieceShape(outline, false)};
    WalkedPiece walked[2][4];
    int walkedCount[2] = {0, 0};
    std::int64_t walkFrom[2] = {0, 0};

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
    for (const Piece& piece : kPieces) {
        const int s = piece.xMajor ? 0 : 1;
        const PieceShape& shape = shapes[s];
        const std::int64_t firstU = shape.FirstU(piece.MajorSide());
        const std::int64_t lastU = shape.LastU();
        if (firstU > lastU) continue;
        const std::int64_t firstT = shape.TAt(firstU);
        const std::int64_t lastT = shape.TAt(lastU);
        // The end at the axis and the end at the 45-degree point.
        const Pixel axisEnd = shape.PixelAt(piece, firstU, firstT);
        const Pixel turnEnd = shape.PixelAt(piece, lastU, lastT);
        const bool axisFirst = (piece.MajorSide() > 0) == piece.ascending;
        const Pixel start = axisFirst ? axisEnd : turnEnd;
        const Pixel end = axisFirst ? turnEnd : axisEnd;
        if (havePrevious) {
            join(previousEnd, start);
        } else {
            firstStart = start;
        }
        havePrevious = true;
        previousEnd = end;

        // Along a piece u grows and t - 1 shrinks, staying at 0 or above but
        // for the tip of a very flat outline (u = along, t = 0), so its
        // directions turn one way, by less than half a turn.
        const Cover cover =
            sweep.Classify(shape.Offset(piece, firstU, firstT), shape.Offset(piece, lastU, lastT));
        if (cover == Cover::kOutside) continue;
        if (walkedCount[s] == 0 || firstU < walkFrom[s]) walkFrom[s] = firstU;
        walked[s][walkedCount[s]++] = WalkedPiece{&piece, firstU, cover};
    }
    if (havePrevious) join(previousEnd, firstStart);

    for (int s = 0; s < 2; ++s) {
        if (walkedCount[s] == 0) continue;
        const PieceShape& shape = shapes[s];
        const WalkedPiece* pieces = walked[s];
        const int count = walkedCount[s];
        shape.Walk(walkFrom[s], shape.TAt(walkFrom[s]), [&](std::int64_t u, std::int64_t t) {
            for (int i = 0; i < count; ++i) {
                const WalkedPiece& w = pieces[i];
                if (u < w.firstU) continue;
                const Pixel pixel = shape.PixelAt(*w.piece, u, t);
                if (w.cover == Cover::kInside) {
                    plot(pixel);
                } else {
                    plotInSweep(pixel.x, pixel.y);
                }
            }
        });
    }
    return true;
}

}  // namespace canvas_detail
