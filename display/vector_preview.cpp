// Vector cutting: 'A' moves, 'R' lines and 'B' / 'C' arcs are kept in machine
// dots, mapped onto the canvas (scaled, y flipped) and stroked with the
// current pen; the colour mode decides which pen each segment gets.
#include <algorithm>
#include <array>
#include <cmath>

#include "display/display_modes.h"
#include "display/job_display.h"
#include "display/saturating_cast.h"
#include "display/view_mapping.h"
#include "parser/byte_readers.h"

namespace {

constexpr Color kTravelGrey = 0xB4B4B4;
constexpr Color kMarkerGrey = 0x323232;
constexpr Color kEndSpeedSlow = 0x000000;  // after 'F'
constexpr Color kEndSpeedFast = 0x0000FF;  // after 'J'
// Type mode colours, by segment type: 'R' line, 'B' arc, 'C' arc.
constexpr std::array<Color, 3> kTypeColors = {0x000000, 0x0000FF, 0x00FF00};

// A rectangle of the given size centred on (cx, cy), in y-up terms: its top
// is the larger y. Halves truncate toward zero.
void CenterRect(std::int64_t cx, std::int64_t cy, std::int64_t width, std::int64_t height,
                DotRect* rect) {
    rect->left = cx - width / 2;
    rect->right = cx + width / 2;
    rect->top = cy + height / 2;
    rect->bottom = cy - height / 2;
}

double VectorLength(std::int64_t dx, std::int64_t dy) {
    const auto x = static_cast<double>(dx);
    const auto y = static_cast<double>(dy);
    return std::sqrt(x * x + y * y);
}

void BoundingRect(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2,
                  CanvasRect* rect) {
    if (rect == nullptr) return;
    rect->left = std::min(x1, x2);
    rect->right = std::max(x1, x2);
    rect->top = std::min(y1, y2);
    rect->bottom = std::max(y1, y2);
}

// TruncateToInt32, with the common in-range case first: every vector
// command maps several values.
std::int32_t ToCanvas(float value) {
    if (value >= -2147483648.0f && value < 2147483648.0f) return static_cast<std::int32_t>(value);
    return TruncateToInt32(value);
}

}  // namespace

std::int32_t CJobDisplay::MapXToCanvas(std::int64_t x) const {
    if (m_viewMapping != nullptr) return m_viewMapping->PathColumn(x);
    return ToCanvas(static_cast<float>(x) * m_scale);
}

std::int32_t CJobDisplay::MapYToCanvas(std::int64_t y) const {
    if (m_viewMapping != nullptr) return m_viewMapping->PathRow(y);
    return ToCanvas(static_cast<float>(std::int64_t{m_bedHeightDots} - y) * m_scale);
}

CanvasPoint CJobDisplay::MapToCanvas(const DotPoint& dots) const {
    return CanvasPoint{MapXToCanvas(dots.x), MapYToCanvas(dots.y)};
}

std::int32_t CJobDisplay::ReadVectorParam(int index) const {
    const std::uint32_t p = m_cmdStart + m_cmdPrefix;
    return ReadS32BE(m_data, p + 4 * static_cast<std::uint32_t>(index));
}

void CJobDisplay::OnMoveAbsolute() {
    if ((m_displayMode & displaymode::kVector) == 0) return;
    m_machinePos = DotPoint{std::int64_t{ReadVectorParam(0)} + m_offsetX,
                            std::int64_t{ReadVectorParam(1)} + m_offsetY};
    m_displayPos = MapToCanvas(m_machinePos);
    // Travel line and marker borrow a grey pen; OnPenSelect puts the layer
    // pen back (in colour mode "File" only).
    if (m_showCutPath == 1) {
        SelectPenColor(kTravelGrey);
        m_memDC.LineTo(m_displayPos.x, m_displayPos.y);
        OnPenSelect();
    } else {
        m_memDC.MoveTo(m_displayPos.x, m_displayPos.y);
    }
    if (m_showStartPoint == 1) {
        SelectPenColor(kMarkerGrey);
        DotRect marker;
        CenterRect(m_displayPos.x, m_displayPos.y, m_markerWidth, m_markerHeight, &marker);
        m_memDC.Rectangle(SaturateToInt32(marker.left), SaturateToInt32(marker.top),
                          SaturateToInt32(marker.right), SaturateToInt32(marker.bottom));
        OnPenSelect();
    }
    if (m_showCutProcess != 0) {
        PresentAll();
        Pause(m_cutDelay);
    }
}

void CJobDisplay::OnLineRelative() {
    if ((m_displayMode & displaymode::kVector) == 0) return;
    const CanvasPoint from = m_displayPos;
    m_machinePos.x += ReadVectorParam(0);
    m_machinePos.y += ReadVectorParam(1);
    m_displayPos = MapToCanvas(m_machinePos);
    SelectTypeColor(0);
    m_memDC.LineTo(m_displayPos.x, m_displayPos.y);
    // Only the segment's own box is copied, so long runs of short lines
    // animate cheaply.
    if (m_showCutProcess != 0 && m_showPR != 0) {
        CanvasRect box;
        BoundingRect(from.x, from.y, m_displayPos.x, m_displayPos.y, &box);
        Present(box);
        Pause(m_cutDelay);
    }
}

void CJobDisplay::OnArcB() { DrawArc(kArcClockwise); }

void CJobDisplay::OnArcC() { DrawArc(kArcCounterClockwise); }

void CJobDisplay::ReadArcParams() {
    m_arcEnd = DotPoint{ReadVectorParam(0), ReadVectorParam(1)};
    m_arcCenter = DotPoint{ReadVectorParam(2), ReadVectorParam(3)};
}

void CJobDisplay::SetupArc() {
    const double radius = VectorLength(m_arcCenter.x, m_arcCenter.y);
    m_arcCenter.x += m_machinePos.x;
    m_arcCenter.y += m_machinePos.y;
    // Truncate first, then double: the side is always even.
    const std::int64_t side = 2 * static_cast<std::int64_t>(radius);
    CenterRect(m_arcCenter.x, m_arcCenter.y, side, side, &m_arcRect);
    m_arcStart = m_machinePos;
    m_arcEnd.x += m_machinePos.x;
    m_arcEnd.y += m_machinePos.y;
}

void CJobDisplay::ArcToCanvas() {
    m_arcStart = DotPoint{MapXToCanvas(m_arcStart.x), MapYToCanvas(m_arcStart.y)};
    m_arcEnd = DotPoint{MapXToCanvas(m_arcEnd.x), MapYToCanvas(m_arcEnd.y)};
    // The dots-top (larger y) becomes the smaller canvas y, so the
    // rectangle comes out ordered.
    m_arcRect = DotRect{MapXToCanvas(m_arcRect.left), MapYToCanvas(m_arcRect.top),
                        MapXToCanvas(m_arcRect.right), MapYToCanvas(m_arcRect.bottom)};
}

void CJobDisplay::DrawArc(int direction) {
    if ((m_displayMode & displaymode::kVector) == 0) return;
    ReadArcParams();
    SetupArc();
    // The end point is taken as given, on the circle or not.
    m_machinePos = m_arcEnd;
    ArcToCanvas();
    m_memDC.SetArcDirection(direction);
    SelectTypeColor(direction == kArcCounterClockwise ? 2 : 1);
    // After ArcToCanvas every value is a saturated 32-bit canvas coordinate.
    const auto x = [](std::int64_t v) { return static_cast<std::int32_t>(v); };
    m_memDC.Arc(x(m_arcRect.left), x(m_arcRect.top), x(m_arcRect.right), x(m_arcRect.bottom),
                x(m_arcStart.x), x(m_arcStart.y), x(m_arcEnd.x), x(m_arcEnd.y));
    m_displayPos = CanvasPoint{x(m_arcEnd.x), x(m_arcEnd.y)};
    m_memDC.MoveTo(m_displayPos.x, m_displayPos.y);
    if (m_showCutProcess != 0) {
        PresentAll();
        Pause(m_cutDelay);
    }
}

void CJobDisplay::SelectTypeColor(int type) {
    if (m_colorMode != colormode::kType) return;
    if (type < 0 || type >= static_cast<int>(kTypeColors.size())) return;
    SelectPenColor(kTypeColors[static_cast<std::size_t>(type)]);
}

void CJobDisplay::OnVectorF() {
    if (m_colorMode == colormode::kEndSpeed) SelectPenColor(kEndSpeedSlow);
}

void CJobDisplay::OnVectorJ() {
    if (m_colorMode == colormode::kEndSpeed) SelectPenColor(kEndSpeedFast);
}
