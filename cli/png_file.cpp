#include "cli/png_file.h"

#include <png.h>

#include <cstring>
#include <vector>

#include "display/canvas.h"
#include "display/image_area.h"
#include "io/atomic_file.h"

namespace {

// libpng's simplified interface reports failure through the image, without
// jumping over our frames.
bool EncodePng(png_image& image, const Canvas& canvas, std::vector<std::uint8_t>& encoded,
               std::string* error) {
    // The canvas rows are blue-green-red and top-down: libpng reads them in
    // place, with the canvas stride.
    const void* pixels = canvas.Row(0);
    const png_int_32 stride = canvas.Stride();
    png_alloc_size_t size = 0;
    if (png_image_write_get_memory_size(image, size, 0, pixels, stride, nullptr) != 0) {
        encoded.resize(size);
        if (png_image_write_to_memory(&image, encoded.data(), &size, 0, pixels, stride, nullptr) !=
            0) {
            encoded.resize(size);
            return true;
        }
    }
    if (error != nullptr) *error = std::string("cannot encode PNG: ") + image.message;
    return false;
}

}  // namespace

int WriteCanvasPng(const Canvas& canvas, std::int32_t width, std::int32_t height,
                   const std::string& path, std::string* error) {
    if (!CheckImageArea(canvas, width, height, error)) return 0;
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(width);
    image.height = static_cast<png_uint_32>(height);
    image.format = PNG_FORMAT_BGR;

    std::vector<std::uint8_t> encoded;
    const bool encodedOk = EncodePng(image, canvas, encoded, error);
    png_image_free(&image);
    if (!encodedOk) return 0;

    AtomicFile file;
    if (!file.Open(path, error) || !file.Write(encoded.data(), encoded.size(), error)) return 0;
    return file.Commit(error) ? 1 : 0;
}
