// Canvas: the off-screen drawing surface of the preview, standing in for a
// 24-bit device-independent bitmap selected into a memory drawing context.
//
// Written by hand because the preview depends on the exact pixel rules of
// that drawing context (lines that leave their end pixel unpainted, arcs
// between two rays in a chosen direction, rectangles that exclude their right
// and bottom edges, a current point and a selected pen), which no drawing
// library reproduces.
//
// Pixels are 24-bit BGR, stored top-down (row 0 first), each row padded to a
// multiple of 4 bytes. Every operation is clipped to the surface analytically:
// its cost is bounded by the surface size, never by its coordinates.
#pragma once

#include <cstdint>
#include <vector>

#include "display/canvas_types.h"

class Canvas {
public:
    // Largest surface accepted by Create, per side and in bytes.
    static constexpr std::int32_t kMaxSide = 16384;
    static constexpr std::int64_t kMaxBytes = std::int64_t{256} << 20;

    // Row length in bytes for a width, rounded up to a multiple of 4.
    static std::int64_t StrideFor(std::int64_t width) {
        return ((width * 24 + 31) >> 3) & ~std::int64_t{3};
    }

    Canvas() = default;

    // Replaces the surface by a new one of width x height pixels (all black),
    // with the current point at (0, 0). Returns false, leaving no surface,
    // when a side is below 1, above kMaxSide, or the pixels need more than
    // kMaxBytes. The selected pen and arc direction are kept.
    bool Create(std::int32_t width, std::int32_t height);

    bool HasSurface() const { return !m_pixels.empty(); }
    std::int32_t Width() const { return m_width; }
    std::int32_t Height() const { return m_height; }
    std::int32_t Stride() const { return m_stride; }
    const std::uint8_t* Row(std::int32_t y) const {
        return m_pixels.data() + std::int64_t{y} * m_stride;
    }
    std::uint8_t* Row(std::int32_t y) { return m_pixels.data() + std::int64_t{y} * m_stride; }

    // Grows with every drawing operation (and with Create), so a caller can
    // tell whether anything may have been drawn since it last looked. Writes
    // through Row() or StorePixel are the caller's own business.
    std::uint64_t Revision() const { return m_revision; }

    // Writes a colour (0x00BBGGRR) into the 3 bytes of a pixel, which the
    // surface stores as blue, green, red.
    static void StorePixel(std::uint8_t* pixel, Color color) {
        pixel[0] = static_cast<std::uint8_t>(color >> 16);
        pixel[1] = static_cast<std::uint8_t>(color >> 8);
        pixel[2] = static_cast<std::uint8_t>(color);
    }

    // Whether the pixel lies on the surface.
    bool Contains(CanvasPoint p) const {
        return p.x >= 0 && p.y >= 0 && p.x < m_width && p.y < m_height;
    }

    // The colour at (x, y); 0 outside the surface.
    Color GetPixel(std::int32_t x, std::int32_t y) const;

    void FillSolidRect(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height,
                       Color color);
    void SetPixel(std::int32_t x, std::int32_t y, Color color);

    // Selects a solid pen; later lines, arcs and rectangle outlines use it.
    // Every width is drawn as 1 pixel: the preview only uses width 1.
    void SelectPen(Color color, std::int32_t width);
    Color PenColor() const { return m_penColor; }
    std::int32_t PenWidth() const { return m_penWidth; }

    void MoveTo(std::int32_t x, std::int32_t y);
    // Draws from the current point up to (x, y), leaving (x, y) itself
    // unpainted, then makes (x, y) the current point. 8-connected, one pixel
    // per step along the longer axis, each the nearest to the ideal line; a
    // tie goes to the pixel nearer (x, y). Equal points paint nothing.
    void LineTo(std::int32_t x, std::int32_t y);
    CanvasPoint CurrentPosition() const { return m_current; }

    // kArcCounterClockwise or kArcClockwise; any other value is ignored.
    void SetArcDirection(int direction);
    int ArcDirection() const { return m_arcDirection; }

    // The part of the ellipse inscribed in the rectangle that runs, in the
    // current arc direction, from the ray through (xStart, yStart) to the ray
    // through (xEnd, yEnd), both from the ellipse's centre; the whole ellipse
    // when the rays coincide. Neither uses nor moves the current point.
    // After ordering the corners the ellipse spans the pixels left..right-1
    // and top..bottom-1: centre ((left + right - 1) / 2, (top + bottom - 1) / 2),
    // radii (right - left - 1) / 2 and (bottom - top - 1) / 2. A rectangle of
    // zero width or height draws nothing; a point on the centre stands for
    // the ray towards +x. The outline is 8-connected, every pixel within one
    // pixel of the ideal ellipse.
    void Arc(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom,
             std::int32_t xStart, std::int32_t yStart, std::int32_t xEnd, std::int32_t yEnd);

    // Orders the corners, outlines with the pen and fills the inside white;
    // the right and bottom edges are excluded, so the outline runs over
    // left..right-1 and top..bottom-1. Zero width or height draws nothing.
    // Does not touch the current point.
    void Rectangle(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom);

private:
    // Fills [left, right) x [top, bottom), clipped; wide enough for any
    // rectangle spanned by 32-bit corners.
    void FillClipped(std::int64_t left, std::int64_t top, std::int64_t right, std::int64_t bottom,
                     Color color);

    std::vector<std::uint8_t> m_pixels;
    std::int32_t m_width = 0;
    std::int32_t m_height = 0;
    std::int32_t m_stride = 0;
    CanvasPoint m_current;
    Color m_penColor = 0;
    std::int32_t m_penWidth = 1;
    int m_arcDirection = kArcCounterClockwise;
    std::uint64_t m_revision = 0;
};
