// The on-screen face of the display's off-screen canvas: a widget that shows
// the canvas 1:1 on device pixels.
#pragma once

#include <QWidget>
#include <functional>

#include "display/canvas_types.h"

class Canvas;

class CanvasView : public QWidget {
public:
    // Shows canvas (owned by the display, which outlives this widget's use).
    CanvasView(const Canvas* canvas, QWidget* parent);

    // Sizes the widget so the canvas covers exactly its pixel count.
    void FitToCanvas();

    // Repaints the rectangle at once, before returning.
    void Present(const Canvas& canvas, const CanvasRect& rect);

    // Called with the canvas pixel double-clicked.
    void SetDoubleClickHandler(std::function<void(std::int32_t x, std::int32_t y)> handler) {
        m_onDoubleClick = std::move(handler);
    }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    const Canvas* m_canvas;
    std::function<void(std::int32_t, std::int32_t)> m_onDoubleClick;
};
