#include "cli/png_file.h"

#include <png.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "display/canvas.h"
#include "display/image_area.h"
#include "io/atomic_file.h"

namespace {

// libpng's simplified interface reports failure through the image, without
// jumping over our frames.
//
// One encode, into a buffer that bed pictures fit: they are mostly flat
// colour. Only a picture that compresses worse is encoded a second time, into
// the size libpng then asks for. (Asking for the size first would encode
// every picture twice, which was most of the time of writing a large view.)
bool EncodePng(png_image& image, const Canvas& canvas, std::vector<std::uint8_t>& encoded,
               std::string* error) {
    // The canvas rows are blue-green-red and top-down: libpng reads them in
    // place, with the canvas stride.
    const void* pixels = canvas.Row(0);
    const png_int_32 stride = canvas.Stride();
    const png_alloc_size_t raw = png_alloc_size_t{image.width} * image.height * 3;
    png_alloc_size_t capacity = std::max<png_alloc_size_t>(raw / 4, 64 * 1024);
    for (int attempt = 0; attempt < 2; ++attempt) {
        encoded.resize(capacity);
        png_alloc_size_t size = capacity;
        if (png_image_write_to_memory(&image, encoded.data(), &size, 0, pixels, stride, nullptr) !=
            0) {
            encoded.resize(size);
            return true;
        }
        // A size that changed is the one the picture needs; one that did not
        // means the encode itself failed.
        if (size <= capacity) break;
        capacity = size;
    }
    if (error != nullptr) *error = std::string("cannot encode PNG: ") + image.message;
    return false;
}

}  // namespace

int WriteCanvasPng(const Canvas& canvas, std::int32_t width, std::int32_t height,
                   const std::string& path, std::string* error,
                   std::span<const FileIdentity> inputs) {
    if (!CheckImageArea(canvas, width, height, error)) return 0;
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(width);
    image.height = static_cast<png_uint_32>(height);
    image.format = PNG_FORMAT_BGR;
    // libpng's fast setting suits these pictures: on a 4921 x 2953 coverage
    // view of a photo it took a third of the time and wrote a smaller file.
    image.flags = PNG_IMAGE_FLAG_FAST;

    std::vector<std::uint8_t> encoded;
    const bool encodedOk = EncodePng(image, canvas, encoded, error);
    png_image_free(&image);
    if (!encodedOk) return 0;

    AtomicFile file;
    if (!file.Open(path, error, inputs) || !file.Write(encoded.data(), encoded.size(), error))
        return 0;
    return file.Commit(error) ? 1 : 0;
}
