// Canvas::Arc, and the arc of any outline, however large or far off the
// surface: each piece stepped along its stretch on the surface.
#include "display/canvas_arc.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <iterator>
#include <limits>
#include <utility>

#include "display/canvas.h"
#include "display/canvas_line.h"

namespace canvas_detail {
namespace {

__extension__ typedef unsigned __int128 UInt128;

struct MajorRange {
    std::int64_t first = 0;
    std::int64_t last = -1;
};

// The first p in [low, high] for which holds(p), or high + 1; holds must be
// false up to some p and true from there on.
template <class Holds>
std::int64_t FirstWhere(std::int64_t low, std::int64_t high, Holds&& holds) {
    std::int64_t end = high + 1;
    while (low < end) {
        const std::int64_t mid = low + (end - low) / 2;
        if (holds(mid)) {
            end = mid;
        } else {
            low = mid + 1;
        }
    }
    return end;
}

// FirstWhere, galloping up from low: the cost grows with the logarithm of
// the distance to the answer, and is one test when holds(low).
template <class Holds>
std::int64_t FirstFromLow(std::int64_t low, std::int64_t high, Holds&& holds) {
    std::int64_t failed = low - 1;
    for (std::int64_t step = 1;; step *= 2) {
        const std::int64_t probe = failed + step;
        if (probe > high) return FirstWhere(failed + 1, high, holds);
        if (holds(probe)) return FirstWhere(failed + 1, probe, holds);
        failed = probe;
    }
}

// The last p in [low, high] for which holds(p), or low - 1, galloping down
// from high; holds must be true up to some p and false from there on.
template <class Holds>
std::int64_t LastFromHigh(std::int64_t low, std::int64_t high, Holds&& holds) {
    std::int64_t failed = high + 1;
    for (std::int64_t step = 1;; step *= 2) {
        const std::int64_t probe = failed - step;
        const auto fails = [&](std::int64_t p) { return !holds(p); };
        if (probe < low) return FirstWhere(low, failed - 1, fails) - 1;
        if (holds(probe)) return FirstWhere(probe, failed - 1, fails) - 1;
        failed = probe;
    }
}

// The part of [from, to] where the piece's minor coordinate lies on the
// surface. Its minor coordinate is monotone in p (every step of MinorAt is,
// rounding included), so the stretch is an interval, found from its ends:
// a piece of a huge ellipse can span the surface's columns while touching
// it along a few of them.
MajorRange OnSurface(const EllipseOutline& outline, const Piece& piece, std::int64_t from,
                     std::int64_t to, std::int64_t minorExtent) {
    if (from > to) return {};
    const auto minor = [&](std::int64_t p) { return outline.MinorAt(piece, p); };
    const auto aboveZero = [&](std::int64_t p) { return minor(p) >= 0; };
    const auto belowExtent = [&](std::int64_t p) { return minor(p) < minorExtent; };
    // Moving away from the major axis the minor offset shrinks towards the
    // centre: the minor coordinate rises with p when the sides differ.
    if (piece.MajorSide() != piece.MinorSide()) {
        return {FirstFromLow(from, to, aboveZero), LastFromHigh(from, to, belowExtent)};
    }
    return {FirstFromLow(from, to, belowExtent), LastFromHigh(from, to, aboveZero)};
}

// The piece's minor offset stepped along its major axis, as in
// canvas_arc_walk.cpp: at the doubled offset u from the centre along the
// major axis, t is the smallest value of the parity of (centre across + 1)
// with t^2 along^2 >= need = across^2 (along^2 - u^2), kept exactly in W
// (unsigned, 128 bits for the largest radii). MinorAt rounds in doubles;
// where that rounding could land on another pixel (the reach within its
// error of a pixel boundary, which the slack of either bound tells), the
// pixel is MinorAt's own, so the result is always MinorAt's.
template <class W>
class ReachStepper {
public:
    ReachStepper(std::int64_t along, std::int64_t across, std::int64_t centerMinor, std::int64_t u)
        : m_along2(Square(along)), m_across2(Square(across)), m_u(u) {
        m_need = m_across2 * (m_along2 - Square(u));
        // MinorAt's error, as in WalkIsExact, doubled for safety; a reach
        // within it of a boundary leaves a slack below 2 t along^2 error.
        const double error = (std::abs(static_cast<double>(centerMinor)) +
                              8.0 * static_cast<double>(across) + 16.0) *
                             0x1p-52;
        const double margin = 2.0 * (static_cast<double>(across) + 2.0) *
                              static_cast<double>(along) * static_cast<double>(along) * error;
        constexpr double kLimit = 0x1p120;
        m_margin = margin < kLimit ? static_cast<W>(margin) + 1 : static_cast<W>(kLimit);
        // A zero across makes MinorAt's reach exactly 0.
        m_exact = across == 0;
        // Start from the double estimate and settle on the exact value.
        const double inside = static_cast<double>(along - u) * static_cast<double>(along + u);
        const double reach = along > 0 ? static_cast<double>(across) *
                                             std::sqrt(inside > 0 ? inside : 0) /
                                             static_cast<double>(along)
                                       : 0;
        std::int64_t t =
            std::min<std::int64_t>(static_cast<std::int64_t>(std::ceil(reach)), across + 1);
        while (t > 0 && Square(t - 1) * m_along2 >= m_need) --t;
        while (Square(t) * m_along2 < m_need) ++t;
        if (((t ^ (centerMinor + 1)) & 1) != 0) ++t;
        m_t = t;
        m_have = Square(t) * m_along2;
    }

    // Moves on to u + 2; u + 2 must not pass the radius.
    void Next() {
        m_need -= m_across2 * static_cast<W>(4 * m_u + 4);
        m_u += 2;
        while (m_t >= 2) {
            const W lower = m_have - static_cast<W>(4 * m_t - 4) * m_along2;
            if (lower < m_need) break;
            m_have = lower;
            m_t -= 2;
        }
    }

    // Whether MinorAt could round to another pixel than t's.
    bool Doubtful() const {
        if (m_exact) return false;
        if (m_have - m_need <= m_margin) return true;
        if (m_t < 2) return false;
        return m_need - (m_have - static_cast<W>(4 * m_t - 4) * m_along2) <= m_margin;
    }

    std::int64_t T() const { return m_t; }

private:
    static W Square(std::int64_t v) { return static_cast<W>(v) * static_cast<W>(v); }

    W m_along2;
    W m_across2;
    W m_need = 0;
    W m_have = 0;
    W m_margin = 0;
    bool m_exact = false;
    std::int64_t m_t = 0;
    std::int64_t m_u;
};

// Draws the pixels of a piece for p in [range.first, range.last], a stretch
// on the surface, walking away from the minor axis. One piece at a time, so
// that the stores run down (or along) the surface at a steady stride, which
// the processor can fetch ahead of. Wide holds the sweep's products.
template <class W, class Wide>
void WalkPiece(Canvas& canvas, const EllipseOutline& outline, const Sweep& sweep,
               const Piece& piece, MajorRange range) {
    const bool xMajor = piece.xMajor;
    const Vec r2 = outline.Radius2();
    const Vec c2 = outline.Center2();
    const std::int64_t centerMajor = xMajor ? c2.x : c2.y;
    const std::int64_t centerMinor = xMajor ? c2.y : c2.x;
    const std::int64_t majorSide = piece.MajorSide();
    const std::int64_t minorSide = piece.MinorSide();
    // Locals, as the byte stores could alias anything in memory.
    const auto width = static_cast<std::uint64_t>(canvas.Width());
    const auto height = static_cast<std::uint64_t>(canvas.Height());
    const std::int64_t stride = canvas.Stride();
    std::uint8_t* const pixels = canvas.Row(0);
    const Color color = canvas.PenColor();
    const bool full = sweep.Full();
    std::int64_t p = majorSide > 0 ? range.first : range.last;
    ReachStepper<W> reach(xMajor ? r2.x : r2.y, xMajor ? r2.y : r2.x, centerMinor,
                          majorSide * (2 * p - centerMajor));
    for (std::int64_t left = range.last - range.first;; --left) {
        const std::int64_t q = reach.Doubtful() ? outline.MinorAt(piece, p)
                                                : (centerMinor + minorSide * (reach.T() - 1)) >> 1;
        const std::int64_t x = xMajor ? p : q;
        const std::int64_t y = xMajor ? q : p;
        // Off the surface only through MinorAt's rounding; checked all the same.
        if (static_cast<std::uint64_t>(x) < width && static_cast<std::uint64_t>(y) < height &&
            (full || sweep.Contains<Wide>(Vec{2 * x - c2.x, 2 * y - c2.y}))) {
            Canvas::StorePixel(pixels + y * stride + x * 3, color);
        }
        if (left == 0) break;
        reach.Next();
        p += majorSide;
    }
}

}  // namespace

void DrawArcClipped(Canvas& canvas, const EllipseOutline& outline, const Sweep& sweep) {
    const std::int64_t width = canvas.Width();
    const std::int64_t height = canvas.Height();
    const Vec c2 = outline.Center2();
    const Vec r2 = outline.Radius2();
    const auto plot = [&](std::int64_t x, std::int64_t y) {
        if (x < 0 || y < 0 || x >= width || y >= height) return;
        if (!sweep.Contains(Vec{2 * x - c2.x, 2 * y - c2.y})) return;
        canvas.SetPixel(static_cast<std::int32_t>(x), static_cast<std::int32_t>(y),
                        canvas.PenColor());
    };
    // 64 bits hold t^2 along^2 for doubled radii below 2^15, and the sweep's
    // products for offsets below 2^17 (the surface is below 2^15 wide).
    const bool small = r2.x < (1 << 15) && r2.y < (1 << 15) && std::abs(c2.x) < (1 << 16) &&
                       std::abs(c2.y) < (1 << 16);

    bool havePrevious = false;
    Pixel previousEnd;
    Pixel firstStart;
    MajorRange ranges[std::size(kPieces)];
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
            ForEachLinePixel(previousEnd.x, previousEnd.y, start.x, start.y, true, width, height,
                             plot);
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
        const std::int64_t minorExtent = piece.xMajor ? height : width;
        const std::int64_t majorExtent = piece.xMajor ? width : height;
        if (minorHigh < 0 || minorLow >= minorExtent) continue;
        MajorRange range{std::max<std::int64_t>(first, 0),
                         std::min<std::int64_t>(last, majorExtent - 1)};
        if (minorLow < 0 || minorHigh >= minorExtent) {
            range = OnSurface(outline, piece, range.first, range.last, minorExtent);
        }
        ranges[static_cast<std::size_t>(&piece - kPieces)] = range;
    }
    if (havePrevious) {
        ForEachLinePixel(previousEnd.x, previousEnd.y, firstStart.x, firstStart.y, true, width,
                         height, plot);
    }
    for (std::size_t k = 0; k < std::size(kPieces); ++k) {
        if (ranges[k].first > ranges[k].last) continue;
        if (small) {
            WalkPiece<std::uint64_t, std::int64_t>(canvas, outline, sweep, kPieces[k], ranges[k]);
        } else {
            WalkPiece<UInt128, Int128>(canvas, outline, sweep, kPieces[k], ranges[k]);
        }
    }
}

}  // namespace canvas_detail

void Canvas::Arc(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom,
                 std::int32_t xStart, std::int32_t yStart, std::int32_t xEnd, std::int32_t yEnd) {
    using canvas_detail::Vec;
    const std::int64_t l = left < right ? left : right;
    const std::int64_t r = left < right ? right : left;
    const std::int64_t t = top < bottom ? top : bottom;
    const std::int64_t b = top < bottom ? bottom : top;
    if (!HasSurface() || l == r || t == b) return;
    ++m_revision;

    const canvas_detail::EllipseOutline outline(l, t, r, b);
    const Vec c2 = outline.Center2();
    const canvas_detail::Sweep sweep(
        Vec{2 * std::int64_t{xStart} - c2.x, 2 * std::int64_t{yStart} - c2.y},
        Vec{2 * std::int64_t{xEnd} - c2.x, 2 * std::int64_t{yEnd} - c2.y},
        m_arcDirection == kArcClockwise);
    if (!canvas_detail::DrawArcWalk(*this, outline, sweep)) {
        canvas_detail::DrawArcClipped(*this, outline, sweep);
    }
}
