// The arc as it was first drawn: every pixel computed from its column or row
// alone with a square root, and each piece's stretch on the surface found by
// bisection. Slow but plainly right, it is what the stepping routines must
// match pixel for pixel.
#pragma once

#include <algorithm>
#include <cstdint>

#include "display/canvas.h"
#include "display/canvas_arc.h"
#include "display/canvas_line.h"

namespace reference_arc {

using canvas_detail::EllipseOutline;
using canvas_detail::kPieces;
using canvas_detail::Piece;
using canvas_detail::Pixel;
using canvas_detail::Sweep;
using canvas_detail::Vec;

struct MajorRange {
    std::int64_t first = 0;
    std::int64_t last = -1;
};

// The first p in [low, high] for which holds(p), or high + 1.
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

inline MajorRange OnSurface(const EllipseOutline& outline, const Piece& piece, std::int64_t from,
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

inline void DrawArc(Canvas& canvas, const EllipseOutline& outline, const Sweep& sweep) {
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
            canvas_detail::ForEachLinePixel(previousEnd.x, previousEnd.y, start.x, start.y, true,
                                            width, height, plot);
        } else {
            firstStart = start;
        }
        havePrevious = true;
        previousEnd = end;
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
        canvas_detail::ForEachLinePixel(previousEnd.x, previousEnd.y, firstStart.x, firstStart.y,
                                        true, width, height, plot);
    }
}

}  // namespace reference_arc
