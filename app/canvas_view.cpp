#include "app/canvas_view.h"

#include <QImage>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QtMath>

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
    // Canvas pixels to logical coordinates, widened to whole logical pixels.
    const qreal ratio = devicePixelRatioF();
    const int left = qFloor(rect.left / ratio);
    const int top = qFloor(rect.top / ratio);
    const int right = qCeil((rect.right + 1) / ratio);
    const int bottom = qCeil((rect.bottom + 1) / ratio);
    repaint(left, top, right - left, bottom - top);
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
}

void CanvasView::mouseDoubleClickEvent(QMouseEvent* event) {
    if (!m_onDoubleClick || event->button() != Qt::LeftButton) return;
    const qreal ratio = devicePixelRatioF();
    m_onDoubleClick(qFloor(event->position().x() * ratio), qFloor(event->position().y() * ratio));
}
