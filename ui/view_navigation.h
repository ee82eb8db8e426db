// Where the Detail window looks: the view's top-left dot, its integer zoom
// and the window's size in pixels, and how zooming, panning and fitting move
// them. Pixel column px shows dots from x0 + px * K (or dot x0 + px / M);
// pixel row py dots from y1 - py * K downwards (y grows upwards on the bed).
#pragma once

#include <cstdint>

struct ViewZoom {
    std::int64_t dotsPerPixel = 1;  // K
    std::int64_t pixelsPerDot = 1;  // M; K is then 1
    bool operator==(const ViewZoom&) const = default;
};

// One level in (larger) or out: ... 64, 32, ..., 2, 1 dots per pixel, then
// 2, 4, 8, 16 pixels per dot. A K between two levels goes to the next one.
ViewZoom ZoomIn(ViewZoom zoom);
ViewZoom ZoomOut(ViewZoom zoom);

struct DotPosition {
    std::int64_t x = 0;
    std::int64_t y = 0;
};

class ViewNavigator {
public:
    // Zooming out stops here, well past the widest bed at a window's width.
    static constexpr std::int64_t kMaxDotsPerPixel = std::int64_t{1} << 20;
    static constexpr std::int64_t kMaxPixelsPerDot = 16;

    void SetBed(std::int64_t widthDots, std::int64_t heightDots);
    // Keeps the top-left dot where it is.
    void SetWindow(std::int64_t widthPixels, std::int64_t heightPixels);

    // The whole bed, centred, at the smallest K that fits it.
    void Fit();
    // The dot at the window's centre pixel, at the zoom.
    void CentreOn(DotPosition dot, ViewZoom zoom);
    // One level in or out, keeping the dot under pixel (px, py) there.
    void ZoomAbout(std::int64_t px, std::int64_t py, bool in);
    // Moves the picture by (dx, dy) pixels: right and down are positive.
    void Pan(std::int64_t dx, std::int64_t dy);

    // The dot that pixel (px, py) shows (the first of its block).
    DotPosition DotAt(std::int64_t px, std::int64_t py) const;
    ViewZoom Zoom() const { return m_zoom; }
    std::int64_t WindowWidth() const { return m_width; }
    std::int64_t WindowHeight() const { return m_height; }
    // The view: x0 <= x < x1, y0 < y <= y1, filling the window.
    std::int64_t X0() const { return m_x0; }
    std::int64_t Y1() const { return m_y1; }
    std::int64_t X1() const { return m_x0 + DotsAcross(m_width); }
    std::int64_t Y0() const { return m_y1 - DotsAcross(m_height); }

private:
    std::int64_t DotsAcross(std::int64_t pixels) const;
    std::int64_t DotsOfPixels(std::int64_t pixels) const;

    std::int64_t m_bedWidth = 1;
    std::int64_t m_bedHeight = 1;
    std::int64_t m_width = 1;
    std::int64_t m_height = 1;
    std::int64_t m_x0 = 0;
    std::int64_t m_y1 = 1;
    ViewZoom m_zoom;
    // Pixels panned at M pixels per dot that do not make a whole dot yet.
    std::int64_t m_restX = 0;
    std::int64_t m_restY = 0;
};
