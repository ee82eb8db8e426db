// Small value types shared by the drawing surface and the job display.
#pragma once

#include <cstdint>

// A colour as 0x00BBGGRR: red in the low byte.
using Color = std::uint32_t;

struct CanvasPoint {
    std::int32_t x = 0;
    std::int32_t y = 0;
};

// Left, top, right, bottom. Whether right and bottom are inside depends on
// the operation, as documented where the rectangle is used.
struct CanvasRect {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;
};

// The direction later arcs are drawn in, as seen on the surface with y down.
inline constexpr int kArcCounterClockwise = 1;
inline constexpr int kArcClockwise = 2;
