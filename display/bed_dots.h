// The bed of a model in machine dots.
#pragma once

#include <cstdint>
#include <limits>

// Bed side in dots: millimetres times dots per inch over 25.4, truncated.
// The product is taken in 64 bits; 0 stands for a side that is empty or does
// not fit a signed 32-bit value.
inline std::int32_t BedDots(std::int32_t millimetres, std::int32_t resolution) {
    const double dots = static_cast<double>(std::int64_t{millimetres} * resolution) / 25.4;
    if (dots < 1.0 || dots > static_cast<double>(std::numeric_limits<std::int32_t>::max())) {
        return 0;
    }
    return static_cast<std::int32_t>(dots);
}
