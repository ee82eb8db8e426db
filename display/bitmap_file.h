// The saved picture: an uncompressed 24-bit bitmap file (14-byte file header,
// 40-byte information header, rows bottom-up, blue-green-red, each row padded
// with zeros to a multiple of 4 bytes), little-endian throughout.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>

#include "io/file_identity.h"

class Canvas;

inline constexpr std::uint32_t kBitmapHeadersSize = 54;

// Both headers for an image of width x height pixels (each at least 1).
std::array<std::uint8_t, kBitmapHeadersSize> BitmapHeaders(std::int32_t width, std::int32_t height);

// Writes the top-left width x height pixels of the canvas as a bitmap file,
// atomically. Returns 1 when the file is complete; 0 when the area is empty
// or larger than the canvas, or the file cannot be written, with the reason
// in *error (when given). A path that leads to one of inputs is refused.
int WriteCanvasBitmap(const Canvas& canvas, std::int32_t width, std::int32_t height,
                      const std::string& path, std::string* error,
                      std::span<const FileIdentity> inputs = {});
