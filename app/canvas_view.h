// The on-screen face of the display's off-screen canvas: a widget that shows
// the canvas 1:1 on device pixels.
#pragma once

#include <QWidget>

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

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const Canvas* m_canvas;
};
