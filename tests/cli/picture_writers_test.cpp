// Both picture writers take the same area of the canvas: a part that is
// empty or larger than the canvas is refused, with the same reason, and
// leaves no file.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <string>

#include "cli/png_file.h"
#include "display/bitmap_file.h"
#include "display/canvas.h"

namespace {

namespace fs = std::filesystem;

TEST(PictureWritersTest, RefuseTheSameAreasAndWriteTheRest) {
    const fs::path folder =
        fs::temp_directory_path() / ("lumikor-writers-" + std::to_string(::getpid()));
    fs::create_directories(folder);
    Canvas canvas;
    ASSERT_TRUE(canvas.Create(30, 20));
    using Writer =
        int (*)(const Canvas&, std::int32_t, std::int32_t, const std::string&, std::string*);
    for (const Writer write : {Writer{WriteCanvasBitmap}, Writer{WriteCanvasPng}}) {
        const std::string path = (folder / "out.img").string();
        struct Area {
            std::int32_t width;
            std::int32_t height;
        };
        for (const Area area :
             {Area{0, 20}, Area{30, 0}, Area{-1, 5}, Area{31, 20}, Area{30, 21}}) {
            std::string error;
            EXPECT_EQ(write(canvas, area.width, area.height, path, &error), 0)
                << area.width << " x " << area.height;
            EXPECT_EQ(error, "no image of that size on the canvas");
            EXPECT_FALSE(fs::exists(path));
        }
        // The whole canvas and its smallest part are pictures.
        std::string error;
        EXPECT_EQ(write(canvas, 30, 20, path, &error), 1) << error;
        EXPECT_EQ(write(canvas, 1, 1, path, nullptr), 1);
        fs::remove(path);
    }
    fs::remove_all(folder);
}

}  // namespace
