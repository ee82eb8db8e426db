// One machine model: bed size in millimetres and resolution in dots per inch.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

struct ModelInfo {
    std::array<char, 128> name{};  // zero-terminated, at most 127 characters
    std::int32_t width = 0;        // mm
    std::int32_t height = 0;       // mm
    std::int32_t resolution = 0;   // dots per inch
    std::int32_t resolutionY = 0;  // always equal to resolution

    std::string_view Name() const { return std::string_view(name.data()); }
};
