// The values of the display's two mode options, as the dialog's lists and the
// command line offer them.
#pragma once

#include <cstdint>

// What is drawn: a bit set.
namespace displaymode {
inline constexpr std::int32_t kRaster = 1;
inline constexpr std::int32_t kVector = 2;
inline constexpr std::int32_t kAll = kRaster | kVector;
}  // namespace displaymode

// How vector segments are coloured.
namespace colormode {
inline constexpr std::int32_t kFile = 0;      // the layer colour of the job's pen
inline constexpr std::int32_t kType = 1;      // by the 'F' / 'J' segment type
inline constexpr std::int32_t kEndSpeed = 2;  // by the speed the segment ends at
inline constexpr std::int32_t kCount = 3;
}  // namespace colormode
