// The part of the canvas a picture file holds: its top-left width x height
// pixels. One check for every writer, so they refuse the same areas with the
// same words.
#pragma once

#include <cstdint>
#include <string>

#include "display/canvas.h"

// True when the area is not empty and lies on the canvas; otherwise false,
// with the reason in *error (when given).
inline bool CheckImageArea(const Canvas& canvas, std::int32_t width, std::int32_t height,
                           std::string* error) {
    if (width >= 1 && height >= 1 && width <= canvas.Width() && height <= canvas.Height()) {
        return true;
    }
    if (error != nullptr) *error = "no image of that size on the canvas";
    return false;
}
