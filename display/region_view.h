// Region views: a rectangle of the bed in machine dots drawn at an integer
// zoom (view_mapping.h), exact to the dot. The part of the bed inside the
// view is white and the rest grey, as on the main canvas; whatever lies off
// the bed is drawn where it is. The raster comes first (region_raster.h),
// then the vector paths in stream order, mapped through the same integers
// and drawn with the same canvas primitives and colour modes as on the main
// canvas, so cuts show on top of the engraving.
#pragma once

#include <atomic>
#include <cstdint>

#include "display/canvas.h"
#include "display/display_modes.h"
#include "display/job_index.h"
#include "display/model_info.h"
#include "display/region_raster.h"
#include "display/view_mapping.h"

// The main canvas's options that a view follows, and the view itself.
struct RegionViewSettings {
    ViewMapping view;
    ViewShade shade = ViewShade::kAny;
    ModelInfo model = DefaultModel();
    std::int32_t displayMode = displaymode::kAll;
    std::int32_t colorMode = colormode::kFile;
    std::int32_t offsetX = 0;
    std::int32_t offsetY = 0;
    std::int32_t showCutPath = 0;
    std::int32_t showStartPoint = 0;
};

enum class ViewOutcome { kDrawn, kNotDrawable, kCancelled, kOutOfMemory };

// Draws the view of the indexed job into *image (replaced by a canvas of the
// view's size). kNotDrawable when the view is outside its limits or too
// large a picture, or the model has no usable bed; kCancelled when cancel
// became true on the way (polled often, so a newer view can take over);
// kOutOfMemory when memory ran out for the picture or its work, or for the
// job's index (a view without some of the job would pass for the job's).
ViewOutcome DrawRegionView(const JobIndex& job, const RegionViewSettings& settings, Canvas* image,
                           const std::atomic<bool>* cancel = nullptr);
