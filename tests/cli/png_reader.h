// Reads a PNG file's pixels back, for tests of the pictures lumikor-cli writes.
#pragma once

#include <png.h>

#include <cstdint>
#include <cstring>
#include <vector>

// The PNG's pixels as blue-green-red rows, top-down, without padding.
inline std::vector<std::uint8_t> DecodePng(const std::vector<std::uint8_t>& file,
                                           std::uint32_t* width, std::uint32_t* height) {
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (png_image_begin_read_from_memory(&image, file.data(), file.size()) == 0) return {};
    image.format = PNG_FORMAT_BGR;
    std::vector<std::uint8_t> pixels(PNG_IMAGE_SIZE(image));
    if (png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr) == 0) return {};
    *width = image.width;
    *height = image.height;
    return pixels;
}
