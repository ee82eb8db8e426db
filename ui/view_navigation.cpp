#include "ui/view_navigation.h"

#include <algorithm>
#include <bit>

namespace {

// Rounds towards minus infinity; divisor > 0.
std::int64_t FloorDiv(std::int64_t value, std::int64_t divisor) {
    return value / divisor - (value % divisor < 0 ? 1 : 0);
}

std::int64_t CeilDiv(std::int64_t value, std::int64_t divisor) {
    return -FloorDiv(-value, divisor);
}

}  // namespace

ViewZoom ZoomIn(ViewZoom zoom) {
    if (zoom.pixelsPerDot > 1) {
        return {1, std::min(zoom.pixelsPerDot * 2, ViewNavigator::kMaxPixelsPerDot)};
    }
    if (zoom.dotsPerPixel <= 1) return {1, 2};
    // The largest power of two below K.
    const auto k = static_cast<std::uint64_t>(zoom.dotsPerPixel);
    return {static_cast<std::int64_t>(std::bit_floor(k - 1)), 1};
}

ViewZoom ZoomOut(ViewZoom zoom) {
    if (zoom.pixelsPerDot > 2) return {1, zoom.pixelsPerDot / 2};
    if (zoom.pixelsPerDot == 2) return {1, 1};
    // The smallest power of two above K.
    const auto k = static_cast<std::uint64_t>(zoom.dotsPerPixel);
    return {
        std::min(static_cast<std::int64_t>(std::bit_ceil(k + 1)), ViewNavigator::kMaxDotsPerPixel),
        1};
}

void ViewNavigator::SetBed(std::int64_t widthDots, std::int64_t heightDots) {
    m_bedWidth = std::max<std::int64_t>(widthDots, 1);
    m_bedHeight = std::max<std::int64_t>(heightDots, 1);
}

void ViewNavigator::SetWindow(std::int64_t widthPixels, std::int64_t heightPixels) {
    m_width = std::max<std::int64_t>(widthPixels, 1);
    m_height = std::max<std::int64_t>(heightPixels, 1);
}

void ViewNavigator::Fit() {
    const std::int64_t k =
        std::max({CeilDiv(m_bedWidth, m_width), CeilDiv(m_bedHeight, m_height), std::int64_t{1}});
    m_zoom = {std::min(k, kMaxDotsPerPixel), 1};
    m_x0 = FloorDiv(m_bedWidth - DotsAcross(m_width), 2);
    m_y1 = m_bedHeight + CeilDiv(DotsAcross(m_height) - m_bedHeight, 2);
    m_restX = m_restY = 0;
}

void ViewNavigator::CentreOn(DotPosition dot, ViewZoom zoom) {
    m_zoom = zoom;
    m_x0 = dot.x - DotsOfPixels(m_width / 2);
    m_y1 = dot.y + DotsOfPixels(m_height / 2);
    m_restX = m_restY = 0;
}

void ViewNavigator::ZoomAbout(std::int64_t px, std::int64_t py, bool in) {
    const DotPosition dot = DotAt(px, py);
    m_zoom = in ? ZoomIn(m_zoom) : ZoomOut(m_zoom);
    m_x0 = dot.x - DotsOfPixels(px);
    m_y1 = dot.y + DotsOfPixels(py);
    m_restX = m_restY = 0;
}

void ViewNavigator::Pan(std::int64_t dx, std::int64_t dy) {
    // Moving the picture right brings dots from the left into view.
    const std::int64_t m = m_zoom.pixelsPerDot;
    m_restX += dx;
    m_restY += dy;
    const std::int64_t dotsX = m == 1 ? m_restX * m_zoom.dotsPerPixel : FloorDiv(m_restX, m);
    const std::int64_t dotsY = m == 1 ? m_restY * m_zoom.dotsPerPixel : FloorDiv(m_restY, m);
    m_restX = m == 1 ? 0 : m_restX - dotsX * m;
    m_restY = m == 1 ? 0 : m_restY - dotsY * m;
    m_x0 -= dotsX;
    m_y1 += dotsY;
}

DotPosition ViewNavigator::DotAt(std::int64_t px, std::int64_t py) const {
    return {m_x0 + DotsOfPixels(px), m_y1 - DotsOfPixels(py)};
}

std::int64_t ViewNavigator::DotsAcross(std::int64_t pixels) const {
    return m_zoom.pixelsPerDot > 1 ? CeilDiv(pixels, m_zoom.pixelsPerDot)
                                   : pixels * m_zoom.dotsPerPixel;
}

std::int64_t ViewNavigator::DotsOfPixels(std::int64_t pixels) const {
    return m_zoom.pixelsPerDot > 1 ? FloorDiv(pixels, m_zoom.pixelsPerDot)
                                   : pixels * m_zoom.dotsPerPixel;
}
