// The seam between the off-screen canvas and a real screen. The desktop
// program implements it with a widget that repaints synchronously; headless
// drivers pass none; tests count the calls.
#pragma once

#include <cstdint>

#include "display/canvas_types.h"

class Canvas;

class Screen {
public:
    virtual ~Screen() = default;

    // Copies the rectangle of the canvas (right and bottom inclusive, already
    // clipped to the canvas) to the same place on screen, before returning.
    virtual void Present(const Canvas& canvas, const CanvasRect& rect) = 0;

    // Blocks for the given time; the display never passes a negative value.
    virtual void Pause(std::uint32_t milliseconds) = 0;
};
