// The on-screen face of the display's off-screen canvas: a widget that shows
// the canvas 1:1 on device pixels, and the Screen the display presents to.
#pragma once

#include <QWidget>

#include "display/screen.h"

class Canvas;

class CanvasView : public QWidget, public Screen {
public:
    // Shows canvas (owned by the display, which outlives this widget's use).
    CanvasView(const Canvas* canvas, QWidget* parent);

    // Sizes the widget so the canvas covers exactly its pixel count.
    void FitToCanvas();

    // Repaints the rectangle at once, before returning.
    void Present(const Canvas& canvas, const CanvasRect& rect) override;
    void Pause(std::uint32_t milliseconds) override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const Canvas* m_canvas;
};
