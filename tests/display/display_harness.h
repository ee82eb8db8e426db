// Test harness for the job display: a screen that records what it is asked
// to show, a display on a chosen canvas and model, and a runner that parses a
// job from an exactly-sized heap buffer (so ASan sees any read past its end)
// the way the main dialog loads a job.
#pragma once

#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "display/canvas.h"
#include "display/job_display.h"
#include "display/screen.h"
#include "tests/support/job_writer.h"

class RecordingScreen : public Screen {
public:
    void Present(const Canvas&, const CanvasRect& rect) override { presents.push_back(rect); }
    void Pause(std::uint32_t milliseconds) override { pauses.push_back(milliseconds); }

    std::vector<CanvasRect> presents;
    std::vector<std::uint32_t> pauses;
};

inline constexpr Color kWhite = 0xFFFFFF;
inline constexpr Color kGrey = 0xB4B4B4;
inline constexpr Color kBlack = 0x000000;
inline constexpr Color kRed = 0x0000FF;
inline constexpr Color kGreen = 0x00FF00;
inline constexpr Color kYellow = 0x00FFFF;

class DisplayHarness {
public:
    // Default: the dialog's 910 x 620 canvas with the 1000 x 600 mm, 1000 dpi model.
    explicit DisplayHarness(std::int32_t canvasWidth = kDefaultCanvasWidth,
                            std::int32_t canvasHeight = kDefaultCanvasHeight,
                            const ModelInfo& model = DefaultModel()) {
        const CanvasDesc desc{canvasWidth, canvasHeight, &screen, 1015};
        setCanvas = display.SetCanvas(&desc);
        setModel = display.SetModel(&model);
    }

    // Draws the job as one load. The recorded screen calls are the parse's
    // own: the whole-canvas presents that open and close every load are left
    // out when they are there (DrawJobTest checks them).
    void Run(const JobWriter& job) { Run(job.Bytes()); }
    void Run(const std::vector<std::uint8_t>& bytes) {
        screen.presents.clear();
        screen.pauses.clear();
        m_job = std::make_unique<std::uint8_t[]>(bytes.size());
        if (!bytes.empty()) std::memcpy(m_job.get(), bytes.data(), bytes.size());
        display.DrawJob(m_job.get(), static_cast<std::uint32_t>(bytes.size()));
        std::vector<CanvasRect>& presents = screen.presents;
        if (presents.size() >= 2 && IsWholeCanvas(presents.front()) &&
            IsWholeCanvas(presents.back())) {
            presents.erase(presents.begin());
            presents.pop_back();
        }
    }

    bool IsWholeCanvas(const CanvasRect& rect) const {
        return rect.left == 0 && rect.top == 0 && rect.right == display.GetCanvas().Width() - 1 &&
               rect.bottom == display.GetCanvas().Height() - 1;
    }

    Color Pixel(std::int32_t x, std::int32_t y) const { return display.GetCanvas().GetPixel(x, y); }

    // Columns of canvas row y, from 0 to width - 1, that hold the colour.
    std::vector<std::int32_t> ColumnsOf(std::int32_t y, Color color) const {
        std::vector<std::int32_t> columns;
        for (std::int32_t x = 0; x < display.GetCanvas().Width(); ++x) {
            if (Pixel(x, y) == color) columns.push_back(x);
        }
        return columns;
    }

    RecordingScreen screen;
    CJobDisplay display;
    int setCanvas = 0;
    int setModel = 0;

private:
    std::unique_ptr<std::uint8_t[]> m_job;
};

// A bed of exactly one canvas pixel per dot: 254 dpi is 10 dots per mm.
inline ModelInfo UnitScaleModel(std::int32_t widthDots, std::int32_t heightDots) {
    return MakeModel(widthDots / 10, heightDots / 10, 254);
}
