#include "display/job_display.h"

#include <algorithm>
#include <utility>

#include "display/bed_dots.h"
#include "display/screen.h"

namespace {

constexpr Color kCanvasGrey = 0xB4B4B4;
constexpr Color kBedWhite = 0xFFFFFF;

}  // namespace

const std::array<Color, 8> g_penColors = {0x000000, 0x0000FF, 0x00FF00, 0x00FFFF,
                                          0xFF0000, 0xFF00FF, 0xFFFF00, 0x0080FF};

CJobDisplay::CJobDisplay() = default;

CJobDisplay::~CJobDisplay() = default;

int CJobDisplay::SetCanvas(const CanvasDesc* desc) {
    if (desc == nullptr) return 0;
    Canvas canvas;
    if (!canvas.Create(desc->width, desc->height)) return 0;
    if (!m_rasterRows.Resize(desc->width)) return 0;

    // The new surface keeps the pen and arc direction, as a drawing context
    // does when another bitmap is selected into it.
    canvas.SelectPen(m_memDC.PenColor(), m_memDC.PenWidth());
    canvas.SetArcDirection(m_memDC.ArcDirection());
    m_memDC = std::move(canvas);
    m_canvasWidth = desc->width;
    m_canvasHeight = desc->height;
    m_hParentWnd = desc->parentWnd;
    m_rasterRows.SetGeometry(Geometry());
    return 1;
}

int CJobDisplay::SetModel(const ModelInfo* model) {
    if (model == nullptr || !m_memDC.HasSurface()) return 0;
    if (model->width < 1 || model->height < 1 || model->resolution < 1) return 0;
    const std::int32_t bedWidthDots = BedDots(model->width, model->resolution);
    const std::int32_t bedHeightDots = BedDots(model->height, model->resolution);
    if (bedWidthDots == 0 || bedHeightDots == 0) return 0;
    // The fitted image is as wide or as tall as the canvas and scales the
    // other side; under one pixel there it could be neither seen nor saved.
    // A view maps dots itself and has no fitted image.
    if (m_viewMapping == nullptr && (std::int64_t{m_canvasWidth} * model->height < model->width ||
                                     std::int64_t{m_canvasHeight} * model->width < model->height)) {
        return 0;
    }

    m_bedWidthDots = bedWidthDots;
    m_bedHeightDots = bedHeightDots;

    // The image size comes from the millimetres, the scale from the dots.
    const float bedRatio = static_cast<float>(model->width) / static_cast<float>(model->height);
    const float canvasRatio =
        static_cast<float>(m_canvasWidth) / static_cast<float>(m_canvasHeight);
    if (bedRatio > canvasRatio) {
        m_imageWidth = m_canvasWidth;
        m_imageHeight =
            static_cast<std::int32_t>(std::int64_t{m_canvasWidth} * model->height / model->width);
        m_scale = static_cast<float>(m_canvasWidth) / static_cast<float>(m_bedWidthDots);
    } else {
        m_imageHeight = m_canvasHeight;
        m_imageWidth =
            static_cast<std::int32_t>(std::int64_t{m_canvasHeight} * model->width / model->height);
        m_scale = static_cast<float>(m_canvasHeight) / static_cast<float>(m_bedHeightDots);
    }
    m_rasterRows.SetGeometry(Geometry());
    return 1;
}

RowGeometry CJobDisplay::Geometry() const {
    return RowGeometry{m_scale,      m_bedWidthDots, m_bedHeightDots,
                       m_imageWidth, m_imageHeight,  m_canvasWidth};
}

void CJobDisplay::DrawJob(const std::uint8_t* job, std::uint32_t size) {
    static constexpr std::uint8_t kNoBytes = 0;
    ClearCanvas();
    ClearBed();
    PresentAll();
    if (job == nullptr) {
        Attach(&kNoBytes, 0);
    } else {
        Attach(job, size);
    }
    Parse();
    PresentAll();
}

void CJobDisplay::ClearCanvas() {
    if (!m_memDC.HasSurface()) return;
    m_memDC.FillSolidRect(0, 0, m_canvasWidth, m_canvasHeight, kCanvasGrey);
}

void CJobDisplay::ClearBed() {
    if (!m_memDC.HasSurface()) return;
    m_memDC.FillSolidRect(0, 0, m_imageWidth, m_imageHeight, kBedWhite);
}

void CJobDisplay::Present(const CanvasRect& rect) {
    if (m_hParentWnd == nullptr || !m_memDC.HasSurface()) return;
    const CanvasRect clipped{std::max(rect.left, 0), std::max(rect.top, 0),
                             std::min(rect.right, m_canvasWidth - 1),
                             std::min(rect.bottom, m_canvasHeight - 1)};
    if (clipped.left > clipped.right || clipped.top > clipped.bottom) return;
    m_hParentWnd->Present(m_memDC, clipped);
}

void CJobDisplay::PresentAll() { Present(CanvasRect{0, 0, m_canvasWidth - 1, m_canvasHeight - 1}); }

void CJobDisplay::SelectPenColor(Color color) { m_memDC.SelectPen(color, m_penWidth); }

void CJobDisplay::Pause(std::int32_t milliseconds) {
    if (m_hParentWnd == nullptr) return;
    m_hParentWnd->Pause(static_cast<std::uint32_t>(std::max(milliseconds, 0)));
}

void CJobDisplay::OnParseBegin() {
    m_rasterRows.Begin();
    SelectPenColor(0x000000);
}

void CJobDisplay::SetOffset(std::int32_t x, std::int32_t y) {
    m_offsetX = x;
    m_offsetY = y;
}

void CJobDisplay::SetDisplayMode(std::int32_t mode) { m_displayMode = mode; }

void CJobDisplay::SetColorMode(std::int32_t mode) {
    if (static_cast<std::uint32_t>(mode) >= colormode::kCount) return;
    m_colorMode = mode;
}

void CJobDisplay::SetShowStartPoint(std::int32_t flag) { m_showStartPoint = flag; }
void CJobDisplay::SetShowCutPath(std::int32_t flag) { m_showCutPath = flag; }
void CJobDisplay::SetShowCutProcess(std::int32_t flag) { m_showCutProcess = flag; }
void CJobDisplay::SetShowPR(std::int32_t flag) { m_showPR = flag; }
void CJobDisplay::SetShowEngraveProcess(std::int32_t flag) { m_showEngraveProcess = flag; }
void CJobDisplay::SetCutDelay(std::int32_t milliseconds) { m_cutDelay = milliseconds; }
void CJobDisplay::SetEngraveDelay(std::int32_t milliseconds) { m_engraveDelay = milliseconds; }
