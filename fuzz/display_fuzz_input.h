// The options block that opens every input of the load-and-render fuzz
// target: a fixed number of bytes read as the model, the canvas size and the
// dialog's options; the rest of the input is the job. Shared by the target,
// the seed generator and the regression tests, so that all three read an
// input alike.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "display/job_display.h"

struct DisplayFuzzOptions {
    std::int32_t canvasWidth = kDefaultCanvasWidth;  // 1 to kMaxCanvasSide
    std::int32_t canvasHeight = kDefaultCanvasHeight;
    std::int32_t modelWidth = kDefaultModelWidth;  // passed as they are: SetModel may refuse
    std::int32_t modelHeight = kDefaultModelHeight;
    std::int32_t resolution = kDefaultModelResolution;
    std::uint8_t displayMode = displaymode::kAll;
    std::int8_t colorMode = 0;  // signed, so negative modes are tried too
    std::uint8_t flags = 0;     // kShow* bits
    std::int32_t cutDelay = 1;
    std::int32_t engraveDelay = 1;
    std::int32_t offsetX = 0;
    std::int32_t offsetY = 0;

    // Sides up to 1024 hold the dialog's 910 x 620 canvas and keep clearing
    // a canvas cheap enough for many runs a second.
    static constexpr std::uint32_t kMaxCanvasSide = 1024;
    static constexpr std::size_t kSize = 2 + 2 + 4 + 4 + 4 + 1 + 1 + 1 + 4 + 4 + 4 + 4;

    static constexpr std::uint8_t kShowPR = 1;
    static constexpr std::uint8_t kShowCutPath = 2;
    static constexpr std::uint8_t kShowStartPoint = 4;
    static constexpr std::uint8_t kShowCutProcess = 8;
    static constexpr std::uint8_t kShowEngraveProcess = 16;

    std::int32_t Flag(std::uint8_t bit) const { return (flags & bit) != 0 ? 1 : 0; }

    // Reads the block from the first kSize bytes; a shorter input is read as
    // if padded with zeros.
    static DisplayFuzzOptions Read(const std::uint8_t* data, std::size_t size);
    // Appends the block in the layout Read expects.
    void Write(std::vector<std::uint8_t>* out) const;

    // Gives the display its canvas on screen, the model and the options, as
    // the dialog would. False when the display refuses the canvas or model.
    bool Apply(CJobDisplay* display, Screen* screen) const;
};

// Little-endian, fixed layout; inline so that both programs share one copy
// without a library of their own.
inline DisplayFuzzOptions DisplayFuzzOptions::Read(const std::uint8_t* data, std::size_t size) {
    std::size_t pos = 0;
    auto next = [&](int bytes) {
        std::uint32_t value = 0;
        for (int i = 0; i < bytes; ++i, ++pos) {
            const std::uint32_t byte = pos < size ? data[pos] : 0;
            value |= byte << (8 * i);
        }
        return value;
    };
    DisplayFuzzOptions o;
    o.canvasWidth = static_cast<std::int32_t>(1 + next(2) % kMaxCanvasSide);
    o.canvasHeight = static_cast<std::int32_t>(1 + next(2) % kMaxCanvasSide);
    o.modelWidth = static_cast<std::int32_t>(next(4));
    o.modelHeight = static_cast<std::int32_t>(next(4));
    o.resolution = static_cast<std::int32_t>(next(4));
    o.displayMode = static_cast<std::uint8_t>(next(1));
    o.colorMode = static_cast<std::int8_t>(next(1));
    o.flags = static_cast<std::uint8_t>(next(1));
    o.cutDelay = static_cast<std::int32_t>(next(4));
    o.engraveDelay = static_cast<std::int32_t>(next(4));
    o.offsetX = static_cast<std::int32_t>(next(4));
    o.offsetY = static_cast<std::int32_t>(next(4));
    return o;
}

inline void DisplayFuzzOptions::Write(std::vector<std::uint8_t>* out) const {
    auto put = [out](std::uint32_t value, int bytes) {
        for (int i = 0; i < bytes; ++i) out->push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    };
    put(static_cast<std::uint32_t>(canvasWidth - 1), 2);  // Read adds the 1 back
    put(static_cast<std::uint32_t>(canvasHeight - 1), 2);
    put(static_cast<std::uint32_t>(modelWidth), 4);
    put(static_cast<std::uint32_t>(modelHeight), 4);
    put(static_cast<std::uint32_t>(resolution), 4);
    put(displayMode, 1);
    put(static_cast<std::uint8_t>(colorMode), 1);
    put(flags, 1);
    put(static_cast<std::uint32_t>(cutDelay), 4);
    put(static_cast<std::uint32_t>(engraveDelay), 4);
    put(static_cast<std::uint32_t>(offsetX), 4);
    put(static_cast<std::uint32_t>(offsetY), 4);
}

inline bool DisplayFuzzOptions::Apply(CJobDisplay* display, Screen* screen) const {
    const CanvasDesc desc{canvasWidth, canvasHeight, screen, 1015};
    if (display->SetCanvas(&desc) != 1) return false;
    const ModelInfo model = MakeModel(modelWidth, modelHeight, resolution);
    if (display->SetModel(&model) != 1) return false;
    display->SetDisplayMode(displayMode);
    display->SetColorMode(colorMode);
    display->SetShowPR(Flag(kShowPR));
    display->SetShowCutPath(Flag(kShowCutPath));
    display->SetShowStartPoint(Flag(kShowStartPoint));
    display->SetShowCutProcess(Flag(kShowCutProcess));
    display->SetShowEngraveProcess(Flag(kShowEngraveProcess));
    display->SetCutDelay(cutDelay);
    display->SetEngraveDelay(engraveDelay);
    display->SetOffset(offsetX, offsetY);
    return true;
}
