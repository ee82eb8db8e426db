// Reading a canvas back as a set of painted pixels, for the canvas tests.
#pragma once

#include <cstdint>
#include <set>
#include <utility>
#include <vector>

#include "display/canvas.h"

using PixelSet = std::set<std::pair<std::int64_t, std::int64_t>>;

// Every pixel that is not black.
inline PixelSet Painted(const Canvas& canvas) {
    PixelSet pixels;
    for (std::int32_t y = 0; y < canvas.Height(); ++y) {
        for (std::int32_t x = 0; x < canvas.Width(); ++x) {
            if (canvas.GetPixel(x, y) != 0) pixels.emplace(x, y);
        }
    }
    return pixels;
}

// Whether the pixels form one piece when diagonal neighbours count as joined.
inline bool EightConnected(const PixelSet& pixels) {
    if (pixels.empty()) return true;
    PixelSet seen{*pixels.begin()};
    std::vector<std::pair<std::int64_t, std::int64_t>> open{*pixels.begin()};
    while (!open.empty()) {
        const auto [x, y] = open.back();
        open.pop_back();
        for (std::int64_t dy = -1; dy <= 1; ++dy) {
            for (std::int64_t dx = -1; dx <= 1; ++dx) {
                const std::pair<std::int64_t, std::int64_t> next{x + dx, y + dy};
                if (pixels.count(next) != 0 && seen.insert(next).second) open.push_back(next);
            }
        }
    }
    return seen.size() == pixels.size();
}
