// Both picture writers take the same area of the canvas: a part that is
// empty or larger than the canvas is refused, with the same reason, and
// leaves no file.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "cli/png_file.h"
#include "display/bitmap_file.h"
#include "display/canvas.h"
#include "tests/cli/png_reader.h"

namespace {

namespace fs = std::filesystem;

TEST(PictureWritersTest, RefuseTheSameAreasAndWriteTheRest) {
    const fs::path folder =
        fs::temp_directory_path() / ("lumikor-writers-" + std::to_string(::getpid()));
    fs::create_directories(folder);
    Canvas canvas;
    ASSERT_TRUE(canvas.Create(30, 20));
    using Writer = int (*)(const Canvas&, std::int32_t, std::int32_t, const std::string&,
                           std::string*, std::span<const FileIdentity>);
    for (const Writer write : {Writer{WriteCanvasBitmap}, Writer{WriteCanvasPng}}) {
        const std::string path = (folder / "out.img").string();
        struct Area {
            std::int32_t width;
            std::int32_t height;
        };
        for (const Area area :
             {Area{0, 20}, Area{30, 0}, Area{-1, 5}, Area{31, 20}, Area{30, 21}}) {
            std::string error;
            EXPECT_EQ(write(canvas, area.width, area.height, path, &error, {}), 0)
                << area.width << " x " << area.height;
            EXPECT_EQ(error, "no image of that size on the canvas");
            EXPECT_FALSE(fs::exists(path));
        }
        // The whole canvas and its smallest part are pictures.
        std::string error;
        EXPECT_EQ(write(canvas, 30, 20, path, &error, {}), 1) << error;
        EXPECT_EQ(write(canvas, 1, 1, path, nullptr, {}), 1);
        fs::remove(path);
    }
    fs::remove_all(folder);
}

// Flat pictures fit the first buffer the encoder tries; noise does not, and
// takes the second encode. Both decode to the canvas's pixels.
TEST(PictureWritersTest, PngHoldsTheCanvasPixelsHoweverItCompresses) {
    const fs::path folder =
        fs::temp_directory_path() / ("lumikor-png-" + std::to_string(::getpid()));
    fs::create_directories(folder);
    std::mt19937 random(7);
    for (const bool noise : {false, true}) {
        Canvas canvas;
        ASSERT_TRUE(canvas.Create(301, 203));
        std::vector<std::uint8_t> expected;
        for (std::int32_t y = 0; y < canvas.Height(); ++y) {
            std::uint8_t* row = canvas.Row(y);
            for (std::int32_t i = 0; i < canvas.Width() * 3; ++i) {
                row[i] = noise                  ? static_cast<std::uint8_t>(random())
                         : (i / 3 + y) % 7 == 0 ? 0
                                                : 255;
                expected.push_back(row[i]);
            }
        }
        const std::string path = (folder / "out.png").string();
        std::string error;
        ASSERT_EQ(WriteCanvasPng(canvas, canvas.Width(), canvas.Height(), path, &error), 1)
            << error;
        std::ifstream in(path, std::ios::binary);
        const std::vector<std::uint8_t> file{std::istreambuf_iterator<char>(in), {}};
        std::uint32_t width = 0;
        std::uint32_t height = 0;
        EXPECT_EQ(DecodePng(file, &width, &height), expected) << "noise " << noise;
        EXPECT_EQ(width, 301u);
        EXPECT_EQ(height, 203u);
        // Noise needs more than the encoder's first buffer (64 KiB here).
        EXPECT_EQ(file.size() > 64u * 1024u, noise);
    }
    fs::remove_all(folder);
}

}  // namespace
