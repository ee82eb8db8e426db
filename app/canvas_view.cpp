#include "app/canvas_view.h"

#include <QImage>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QtMath>
#include <algorithm>
#include <cstring>

#include "display/canvas.h"

CanvasView::CanvasView(const Canvas* canvas, QWidget* parent) : QWidget(parent), m_canvas(canvas) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::NoFocus);
}

void CanvasView::FitToCanvas() {
    const qreal ratio = devicePixelRatioF();
    resize(qCeil(m_canvas->Width() / ratio), qCeil(m_canvas->Height() / ratio));
}

void CanvasView::Present(const Canvas& canvas, const CanvasRect& rect) {
    if (&canvas != m_canvas) return;
    CanvasRect changed;
    if (!ChangedPart(rect, &changed)) return;
    // Canvas pixels to logical coordinates, widened to whole logical pixels.
    const qreal ratio = devicePixelRatioF();
    const int left = qFloor(changed.left / ratio);
    const int top = qFloor(changed.top / ratio);
    const int right = qCeil((changed.right + 1) / ratio);
    const int bottom = qCeil((changed.bottom + 1) / ratio);
    repaint(left, top, right - left, bottom - top);
}

bool CanvasView::ChangedPart(const CanvasRect& rect, CanvasRect* changed) const {
    const auto stride = static_cast<std::size_t>(m_canvas->Stride());
    if (!m_canvas->HasSurface() || m_shown.size() != stride * std::size_t(m_canvas->Height())) {
        *changed = rect;
        return true;
    }
    constexpr int kBytesPerPixel = 3;
    const auto from = static_cast<std::size_t>(rect.left) * kBytesPerPixel;
    const auto to = static_cast<std::size_t>(rect.right + 1) * kBytesPerPixel;
    bool any = false;
    for (std::int32_t y = rect.top; y <= rect.bottom; ++y) {
        const std::uint8_t* now = m_canvas->Row(y);
        const std::uint8_t* shown = m_shown.data() + stride * std::size_t(y);
        if (std::memcmp(now + from, shown + from, to - from) == 0) continue;
        std::size_t first = from;
        while (now[first] == shown[first]) ++first;
        std::size_t last = to - 1;
        while (now[last] == shown[last]) --last;
        const auto left = static_cast<std::int32_t>(first / kBytesPerPixel);
        const auto right = static_cast<std::int32_t>(last / kBytesPerPixel);
        if (!any) *changed = CanvasRect{left, y, right, y};
        changed->left = std::min(changed->left, left);
        changed->right = std::max(changed->right, right);
        changed->bottom = y;
        any = true;
    }
    return any;
}

void CanvasView::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    if (!m_canvas->HasSurface()) {
        painter.fillRect(event->rect(), palette().window());
        return;
    }
    // Wraps the rows of the part asked for without copying; the image lives
    // only while painting, when the display is not drawing. Only that part is
    // converted and drawn: an animation presents one row or segment at a
    // time, and converting the whole canvas for each would cost a core.
    const qreal ratio = devicePixelRatioF();
    const QRect asked =
        QRect(qFloor(event->rect().x() * ratio), qFloor(event->rect().y() * ratio),
              qCeil(event->rect().width() * ratio), qCeil(event->rect().height() * ratio)) &
        QRect(0, 0, m_canvas->Width(), m_canvas->Height());
    if (asked.isEmpty()) return;
    QImage part(m_canvas->Row(asked.y()) + std::ptrdiff_t{asked.x()} * 3, asked.width(),
                asked.height(), m_canvas->Stride(), QImage::Format_BGR888);
    part.setDevicePixelRatio(ratio);
    painter.drawImage(QPointF(asked.x() / ratio, asked.y() / ratio), part);

    const auto stride = static_cast<std::size_t>(m_canvas->Stride());
    m_shown.resize(stride * std::size_t(m_canvas->Height()));
    for (int y = asked.top(); y <= asked.bottom(); ++y) {
        const std::uint8_t* row = m_canvas->Row(y) + std::ptrdiff_t{asked.x()} * 3;
        std::copy(row, row + std::ptrdiff_t{asked.width()} * 3,
                  m_shown.data() + stride * std::size_t(y) + std::size_t(asked.x()) * 3);
    }
}

void CanvasView::mouseDoubleClickEvent(QMouseEvent* event) {
    if (!m_onDoubleClick || event->button() != Qt::LeftButton) return;
    const qreal ratio = devicePixelRatioF();
    m_onDoubleClick(qFloor(event->position().x() * ratio), qFloor(event->position().y() * ratio));
}
