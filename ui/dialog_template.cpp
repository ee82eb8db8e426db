#include "ui/dialog_template.h"

namespace {

// a * b / c rounded to nearest, halves away from zero; 64-bit so no
// intermediate overflows.
std::int32_t ScaleRounded(std::int32_t a, std::int32_t b, std::int32_t c) {
    const std::int64_t product = std::int64_t{a} * b;
    const std::int64_t half = c / 2;
    return static_cast<std::int32_t>(product >= 0 ? (product + half) / c : (product - half) / c);
}

}  // namespace

PixelRect DialogUnitsToPixels(std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h,
                              DialogBaseUnits units) {
    return {ScaleRounded(x, units.x, 4), ScaleRounded(y, units.y, 8), ScaleRounded(w, units.x, 4),
            ScaleRounded(h, units.y, 8)};
}

const DialogItem* FindControlSpec(std::int32_t id) {
    for (const DialogItem& item : kMainDialogControls) {
        if (item.id == id) return &item;
    }
    return nullptr;
}
