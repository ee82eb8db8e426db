// The on-screen face of the display's off-screen canvas: a widget that shows
// the canvas 1:1 on device pixels.
#pragma once

#include <QWidget>
#include <cstdint>
#include <functional>
#include <vector>

#include "display/canvas_types.h"

class Canvas;

class CanvasView : public QWidget {
public:
    // Shows canvas (owned by the display, which outlives this widget's use).
    CanvasView(const Canvas* canvas, QWidget* parent);

    // Sizes the widget so the canvas covers exactly its pixel count.
    void FitToCanvas();

    // Repaints at once, before returning, the part of the rectangle whose
    // pixels differ from those on screen: an animation presents the whole
    // canvas after many a step that changed a few pixels, and repainting
    // all of it each time would cost a core.
    void Present(const Canvas& canvas, const CanvasRect& rect);

    // Called with the canvas pixel double-clicked.
    void SetDoubleClickHandler(std::function<void(std::int32_t x, std::int32_t y)> handler) {
        m_onDoubleClick = std::move(handler);
    }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    // The part of rect, in canvas pixels, that differs from m_shown; false
    // when none does.
    bool ChangedPart(const CanvasRect& rect, CanvasRect* changed) const;

    const Canvas* m_canvas;
    // The canvas bytes as last painted, row for row.
    std::vector<std::uint8_t> m_shown;
    std::function<void(std::int32_t, std::int32_t)> m_onDoubleClick;
};
