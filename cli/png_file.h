// The rendered canvas as an 8-bit RGB PNG file, for lumikor-cli render.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "io/file_identity.h"

class Canvas;

// Writes the top-left width x height pixels of the canvas as a PNG file,
// atomically. Returns 1 when the file is complete; 0 when the area is empty
// or larger than the canvas, or the file cannot be encoded or written, with
// the reason in *error. A path that leads to one of inputs is refused.
int WriteCanvasPng(const Canvas& canvas, std::int32_t width, std::int32_t height,
                   const std::string& path, std::string* error,
                   std::span<const FileIdentity> inputs = {});
