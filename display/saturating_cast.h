// Conversions that the preview's geometry needs to be defined for every input:
// float to integer truncates toward zero, saturates at the type's limits and
// maps NaN to 0, so hostile coordinates land far off the canvas instead of
// being undefined behaviour.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

inline std::int64_t TruncateToInt64(float value) {
    if (std::isnan(value)) return 0;
    // 2^63 is exactly representable as a float; anything at or beyond it saturates.
    constexpr float kLimit = 9223372036854775808.0f;
    if (value >= kLimit) return std::numeric_limits<std::int64_t>::max();
    if (value < -kLimit) return std::numeric_limits<std::int64_t>::min();
    return static_cast<std::int64_t>(value);
}

inline std::int32_t SaturateToInt32(std::int64_t value) {
    if (value > std::numeric_limits<std::int32_t>::max()) {
        return std::numeric_limits<std::int32_t>::max();
    }
    if (value < std::numeric_limits<std::int32_t>::min()) {
        return std::numeric_limits<std::int32_t>::min();
    }
    return static_cast<std::int32_t>(value);
}

inline std::int32_t TruncateToInt32(float value) { return SaturateToInt32(TruncateToInt64(value)); }
