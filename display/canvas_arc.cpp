// Canvas::Arc, and the arc drawn pixel by pixel from each column or row
// alone: the exact rule that holds for every outline, however large or far
// off the surface.
#include "display/canvas_arc.h"

#include <algorithm>
#include <cstdint>

#include "display/canvas.h"
#include "display/canvas_line.h"

namespace canvas_detail {
namespace {

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

// The part of [from, to] where the piece's minor coordinate lies on the
// surface. A piece of a huge ellipse can span the surface's columns while
// passing it by, or touch it along a few of them; its minor coordinate is
// monotone in p (every step of MinorAt is, rounding included), so the
// stretch on the surface is found by bisection instead of pixel by pixel.
MajorRange OnSurface(const EllipseOutline& outline, const Piece& piece, std::int64_t from,
                     std::int64_t to, std::int64_t minorExtent) {
    if (from > to) return {};
    const auto minor = [&](std::int64_t p) { return outline.MinorAt(piece, p); };
    if (minor(from) <= minor(to)) {
        const std::int64_t first =
            FirstWhere(from, to, [&](std::int64_t p) { return minor(p) >= 0; });
        const std::int64_t end =
            FirstWhere(first, to, [&](std::int64_t p) { return minor(p) >= minorExtent; });
        return {first, end - 1};
    }
    const std::int64_t first =
        FirstWhere(from, to, [&](std::int64_t p) { return minor(p) < minorExtent; });
    const std::int64_t end = FirstWhere(first, to, [&](std::int64_t p) { return minor(p) < 0; });
    return {first, end - 1};
}

}  // namespace

void DrawArcExact(Canvas& canvas, const EllipseOutline& outline, const Sweep& sweep) {
    const std::int64_t width = canvas.Width();
    const std::int64_t height = canvas.Height();
    const Vec c2 = outline.Center2();
    const auto plot = [&](std::int64_t x, std::int64_t y) {
        if (x < 0 || y < 0 || x >= width || y >= height) return;
        if (!sweep.Contains(Vec{2 * x - c2.x, 2 * y - c2.y})) return;
        canvas.SetPixel(static_cast<std::int32_t>(x), static_cast<std::int32_t>(y),
                        canvas.PenColor());
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
        const std::int64_t from = std::max<std::int64_t>(first, 0);
        const std::int64_t to = std::min<std::int64_t>(last, majorExtent - 1);
        const MajorRange onSurface = OnSurface(outline, piece, from, to, minorExtent);
        for (std::int64_t p = onSurface.first; p <= onSurface.last; ++p) {
            const Pixel pixel = outline.At(piece, p);
            plot(pixel.x, pixel.y);
        }
    }
    if (havePrevious) {
        ForEachLinePixel(previousEnd.x, previousEnd.y, firstStart.x, firstStart.y, true, width,
                         height, plot);
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
        canvas_detail::DrawArcExact(*this, outline, sweep);
    }
}
