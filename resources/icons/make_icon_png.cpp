// Build tool: writes the program's icon as a PNG file for the desktop entry.
// Usage: lumikor-icon-png SIZE OUTPUT.png
#include <png.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "ui/icon_art.h"

namespace {

bool WritePng(const char* path, int size, const std::vector<std::uint32_t>& argb) {
    std::FILE* file = std::fopen(path, "wb");
    if (file == nullptr) return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
    bool ok = info != nullptr;
    std::vector<png_byte> row(static_cast<std::size_t>(size) * 4);
    // libpng reports errors by longjmp; nothing here needs unwinding.
    if (ok && setjmp(png_jmpbuf(png)) == 0) {
        png_init_io(png, file);
        png_set_IHDR(png, info, size, size, 8, PNG_COLOR_TYPE_RGBA, PNG_INTERLACE_NONE,
                     PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
        png_write_info(png, info);
        for (int y = 0; y < size; ++y) {
            for (int x = 0; x < size; ++x) {
                const std::uint32_t p = argb[static_cast<std::size_t>(y) * size + x];
                png_byte* out = &row[static_cast<std::size_t>(x) * 4];
                out[0] = static_cast<png_byte>(p >> 16);
                out[1] = static_cast<png_byte>(p >> 8);
                out[2] = static_cast<png_byte>(p);
                out[3] = static_cast<png_byte>(p >> 24);
            }
            png_write_row(png, row.data());
        }
        png_write_end(png, nullptr);
    } else {
        ok = false;
    }
    png_destroy_write_struct(&png, &info);
    return std::fclose(file) == 0 && ok;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s SIZE OUTPUT.png\n", argv[0]);
        return 2;
    }
    const int size = std::atoi(argv[1]);
    const std::vector<std::uint32_t> pixels = DrawAppIcon(size);
    if (pixels.empty() || !WritePng(argv[2], size, pixels)) {
        std::fprintf(stderr, "cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
