#include "cli/picture_diff.h"

#include <algorithm>
#include <cmath>

#include "cli/png_file.h"
#include "cli/terminal_text.h"
#include "display/canvas.h"
#include "display/job_display.h"

namespace {

using Json = nlohmann::ordered_json;

constexpr Color kBedWhite = 0xFFFFFF;
constexpr Color kCanvasGrey = 0xB4B4B4;
constexpr Color kOnlyInA = 0x0000FF;  // red
constexpr Color kOnlyInB = 0x00B000;  // green

bool OnBed(const CJobDisplay& display, std::int32_t x, std::int32_t y) {
    return x < display.GetImageWidth() && y < display.GetImageHeight();
}

// Whether the job drew the pixel: it is not what the canvas shows before a
// job is drawn there.
bool Drawn(const CJobDisplay& display, std::int32_t x, std::int32_t y) {
    const Color background = OnBed(display, x, y) ? kBedWhite : kCanvasGrey;
    return display.GetCanvas().GetPixel(x, y) != background;
}

// The compared area: both bed images, within both canvases.
std::int32_t AreaWidth(const CJobDisplay& a, const CJobDisplay& b) {
    return std::min({std::max(a.GetImageWidth(), b.GetImageWidth()), a.GetCanvas().Width(),
                     b.GetCanvas().Width()});
}

std::int32_t AreaHeight(const CJobDisplay& a, const CJobDisplay& b) {
    return std::min({std::max(a.GetImageHeight(), b.GetImageHeight()), a.GetCanvas().Height(),
                     b.GetCanvas().Height()});
}

Color Faded(Color color) {
    // Three quarters of the way to white, channel by channel.
    Color faded = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        const Color channel = (color >> shift) & 0xFF;
        faded |= (channel + 3 * 0xFF) / 4 << shift;
    }
    return faded;
}

}  // namespace

PictureDiff ComparePictures(CJobDisplay& a, std::span<const std::uint8_t> jobA, CJobDisplay& b,
                            std::span<const std::uint8_t> jobB) {
    a.DrawJob(jobA.data(), static_cast<std::uint32_t>(jobA.size()));
    b.DrawJob(jobB.data(), static_cast<std::uint32_t>(jobB.size()));
    PictureDiff diff;
    const std::int32_t width = AreaWidth(a, b);
    const std::int32_t height = AreaHeight(a, b);
    for (std::int32_t y = 0; y < height; ++y) {
        for (std::int32_t x = 0; x < width; ++x) {
            if (a.GetCanvas().GetPixel(x, y) == b.GetCanvas().GetPixel(x, y)) continue;
            if (diff.differingPixels++ == 0) {
                diff.left = diff.right = x;
                diff.top = diff.bottom = y;
            }
            diff.left = std::min(diff.left, x);
            diff.right = std::max(diff.right, x);
            diff.bottom = y;
        }
    }
    return diff;
}

Json PictureJson(const PictureDiff& diff, const CJobDisplay& b) {
    Json json{{"differingPixels", diff.differingPixels}};
    if (diff.differingPixels == 0) return json;
    // Canvas column c shows the dots x with c <= x * scale < c + 1; row r
    // the dots y with r <= (height - y) * scale < r + 1.
    const double scale = b.GetScale();
    const double height = b.GetBedHeightDots();
    const auto firstDot = [scale](std::int32_t column) {
        return static_cast<std::int64_t>(std::ceil(column / scale));
    };
    json["pixels"] = Json{
        {"left", diff.left}, {"top", diff.top}, {"right", diff.right}, {"bottom", diff.bottom}};
    json["dots"] = Json{
        {"left", firstDot(diff.left)},
        {"bottom", static_cast<std::int64_t>(std::floor(height - (diff.bottom + 1) / scale)) + 1},
        {"right", firstDot(diff.right + 1) - 1},
        {"top", static_cast<std::int64_t>(std::floor(height - diff.top / scale))},
    };
    return json;
}

void WritePictureText(const Json& pictures, std::ostream& out) {
    if (pictures["differingPixels"] == 0) {
        out << "Pictures:       same\n";
    } else {
        const Json& p = pictures["pixels"];
        const Json& d = pictures["dots"];
        out << "Pictures:       " << pictures["differingPixels"] << " bed pixels differ, x "
            << p["left"] << " to " << p["right"] << ", y " << p["top"] << " to " << p["bottom"]
            << " (dots x " << d["left"] << " to " << d["right"] << ", y " << d["bottom"] << " to "
            << d["top"] << ")\n";
    }
    if (pictures.contains("image")) {
        out << "  picture: " << TerminalText(pictures["image"].get<std::string>())
            << " (B's bed; red: only in A, green: only in B)\n";
    }
}

bool WriteDiffImage(const CJobDisplay& a, const CJobDisplay& b, const std::string& path,
                    std::span<const FileIdentity> inputs, std::string& error) {
    Canvas picture;
    const std::int32_t width = b.GetImageWidth();
    const std::int32_t height = std::min(b.GetImageHeight(), b.GetCanvas().Height());
    if (!picture.Create(width, height)) {
        error = "no picture of " + std::to_string(width) + " x " + std::to_string(height) +
                " pixels can be made";
        return false;
    }
    for (std::int32_t y = 0; y < height; ++y) {
        for (std::int32_t x = 0; x < width; ++x) {
            const Color colourA = a.GetCanvas().GetPixel(x, y);
            const Color colourB = b.GetCanvas().GetPixel(x, y);
            Color shown = Faded(colourB);
            if (colourA != colourB) shown = Drawn(b, x, y) ? kOnlyInB : kOnlyInA;
            picture.SetPixel(x, y, shown);
        }
    }
    return WriteCanvasPng(picture, width, height, path, &error, inputs) != 0;
}
