#include "display/bitmap_file.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

#include "display/canvas.h"
#include "display/image_area.h"
#include "io/atomic_file.h"

namespace {

void PutU16(std::uint8_t* out, std::uint32_t value) {
    out[0] = static_cast<std::uint8_t>(value);
    out[1] = static_cast<std::uint8_t>(value >> 8);
}

void PutU32(std::uint8_t* out, std::uint32_t value) {
    PutU16(out, value & 0xFFFF);
    PutU16(out + 2, value >> 16);
}

// Large enough that a canvas goes out in a write or two, small enough not to
// matter next to the canvas itself.
constexpr std::size_t kChunkBytes = std::size_t{1} << 20;

}  // namespace

std::array<std::uint8_t, kBitmapHeadersSize> BitmapHeaders(std::int32_t width,
                                                           std::int32_t height) {
    const auto imageSize = static_cast<std::uint32_t>(Canvas::StrideFor(width) * height);
    std::array<std::uint8_t, kBitmapHeadersSize> headers{};
    std::uint8_t* h = headers.data();
    h[0] = 'B';
    h[1] = 'M';
    PutU32(h + 2, imageSize + kBitmapHeadersSize);  // whole file
    PutU32(h + 10, kBitmapHeadersSize);             // pixels follow the headers
    PutU32(h + 14, 40);
    PutU32(h + 18, static_cast<std::uint32_t>(width));
    PutU32(h + 22, static_cast<std::uint32_t>(height));  // positive: bottom-up
    PutU16(h + 26, 1);
    PutU16(h + 28, 24);
    PutU32(h + 34, imageSize);
    // Compression, resolutions and colour counts stay 0.
    return headers;
}

int WriteCanvasBitmap(const Canvas& canvas, std::int32_t width, std::int32_t height,
                      const std::string& path, std::string* error,
                      std::span<const FileIdentity> inputs) {
    if (!CheckImageArea(canvas, width, height, error)) return 0;
    const auto stride = static_cast<std::size_t>(Canvas::StrideFor(width));
    const std::size_t pixelBytes = static_cast<std::size_t>(width) * 3;
    // Rows go out a chunk at a time, a few large writes instead of one per
    // row. The chunk is zeroed once: the row padding is never written over.
    const std::size_t chunkRows =
        std::min(static_cast<std::size_t>(height), std::max<std::size_t>(1, kChunkBytes / stride));
    std::unique_ptr<std::uint8_t[]> chunk(new (std::nothrow) std::uint8_t[chunkRows * stride]());
    if (!chunk) {
        if (error != nullptr) *error = "out of memory";
        return 0;
    }

    AtomicFile file;
    const auto headers = BitmapHeaders(width, height);
    if (!file.Open(path, error, inputs) || !file.Write(headers.data(), headers.size(), error))
        return 0;
    // The canvas is stored top-down, the file bottom-up.
    std::size_t filled = 0;
    for (std::int32_t y = height - 1; y >= 0; --y) {
        std::memcpy(chunk.get() + filled * stride, canvas.Row(y), pixelBytes);
        if (++filled < chunkRows && y > 0) continue;
        if (!file.Write(chunk.get(), filled * stride, error)) return 0;
        filled = 0;
    }
    return file.Commit(error) ? 1 : 0;
}
