// The integer mapping of a region view: machine dots X0 <= x < X1,
// Y0 < y <= Y1 onto an image of whole pixels, either K dots per pixel or M
// pixels per dot. Integers only, so a view is exact and a view of a
// sub-rectangle aligned to K is the crop of the larger one.
#pragma once

#include <algorithm>
#include <cstdint>

#include "display/canvas.h"
#include "display/saturating_cast.h"

// Rounds towards minus infinity; divisor > 0.
inline std::int64_t FloorDivide(std::int64_t value, std::int64_t divisor) {
    const std::int64_t quotient = value / divisor;
    return quotient - (value % divisor < 0 ? 1 : 0);
}

struct ViewMapping {
    // Dots beyond this distance from the view are far outside any image, and
    // clamping them there keeps the products below from overflowing.
    static constexpr std::int64_t kFar = std::int64_t{1} << 40;
    // Limits of a view's corners (well past any dot a job can reach) and
    // zoom (so that K * K times a colour channel fits 64 bits).
    static constexpr std::int64_t kMaxCorner = std::int64_t{1} << 36;
    static constexpr std::int64_t kMaxDotsPerPixel = std::int64_t{1} << 24;
    static constexpr std::int64_t kMaxPixelsPerDot = 16;

    std::int64_t x0 = 0;
    std::int64_t y0 = 0;
    std::int64_t x1 = 1;
    std::int64_t y1 = 1;
    std::int64_t dotsPerPixel = 1;  // K, when pixelsPerDot is 1
    std::int64_t pixelsPerDot = 1;  // M; K is then 1

    std::int64_t Width() const { return Pixels(x1 - x0); }
    std::int64_t Height() const { return Pixels(y1 - y0); }

    // The pixel column and row a dot lands on (its block's first for M).
    std::int64_t ColumnOf(std::int64_t x) const { return ToPixels(x - x0); }
    std::int64_t RowOf(std::int64_t y) const { return ToPixels(y1 - y); }

    // Where vector paths pass a dot: the pixel it lands on, or the middle of
    // its block, so that paths run through the dots' centres.
    std::int32_t PathColumn(std::int64_t x) const { return PathPixel(x - x0); }
    std::int32_t PathRow(std::int64_t y) const { return PathPixel(y1 - y); }

    // Whether the corners and zoom are within their limits and the image
    // fits a canvas.
    bool Drawable() const {
        const auto corner = [](std::int64_t v) { return v >= -kMaxCorner && v <= kMaxCorner; };
        if (!corner(x0) || !corner(y0) || !corner(x1) || !corner(y1) || x0 >= x1 || y0 >= y1) {
            return false;
        }
        if (dotsPerPixel < 1 || dotsPerPixel > kMaxDotsPerPixel || pixelsPerDot < 1 ||
            pixelsPerDot > kMaxPixelsPerDot || (dotsPerPixel > 1 && pixelsPerDot > 1)) {
            return false;
        }
        return FitsCanvas(Width(), Height());
    }

    static bool FitsCanvas(std::int64_t width, std::int64_t height) {
        return width >= 1 && height >= 1 && width <= Canvas::kMaxSide &&
               height <= Canvas::kMaxSide && Canvas::StrideFor(width) * height <= Canvas::kMaxBytes;
    }

private:
    std::int64_t Pixels(std::int64_t dots) const {
        if (dotsPerPixel > 1) return FloorDivide(dots + dotsPerPixel - 1, dotsPerPixel);
        return std::min(dots, kFar) * pixelsPerDot;
    }
    std::int64_t ToPixels(std::int64_t distance) const {
        const std::int64_t clamped = std::clamp(distance, -kFar, kFar);
        return dotsPerPixel > 1 ? FloorDivide(clamped, dotsPerPixel) : clamped * pixelsPerDot;
    }
    std::int32_t PathPixel(std::int64_t distance) const {
        return SaturateToInt32(ToPixels(distance) + pixelsPerDot / 2);
    }
};
