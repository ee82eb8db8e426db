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

// The model the program starts with.
inline constexpr std::int32_t kDefaultModelWidth = 1000;       // mm
inline constexpr std::int32_t kDefaultModelHeight = 600;       // mm
inline constexpr std::int32_t kDefaultModelResolution = 1000;  // dots per inch

// An unnamed model; like every model filled in, its resolutionY is its resolution.
inline ModelInfo MakeModel(std::int32_t width, std::int32_t height, std::int32_t resolution) {
    ModelInfo model;
    model.width = width;
    model.height = height;
    model.resolution = resolution;
    model.resolutionY = resolution;
    return model;
}

inline ModelInfo DefaultModel() {
    return MakeModel(kDefaultModelWidth, kDefaultModelHeight, kDefaultModelResolution);
}
