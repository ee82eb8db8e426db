#include "ui/icon_art.h"

#include <algorithm>
#include <cmath>

namespace {

struct Rgba {
    float r, g, b, a;
};

constexpr Rgba kClear{0, 0, 0, 0};

bool Inside(float u, float v, float left, float top, float right, float bottom) {
    return u >= left && u < right && v >= top && v < bottom;
}

// The picture as a function of the unit square, painted back to front.
Rgba Sample(float u, float v) {
    Rgba colour = kClear;
    // The bed: a light plate with a darker grid, slightly inset from the edges.
    if (Inside(u, v, 0.06f, 0.56f, 0.94f, 0.94f)) {
        const float gu = std::fmod((u - 0.06f) / 0.11f, 1.0f);
        const float gv = std::fmod((v - 0.56f) / 0.095f, 1.0f);
        const bool grid = gu < 0.14f || gv < 0.16f;
        colour = grid ? Rgba{0.42f, 0.47f, 0.53f, 1} : Rgba{0.86f, 0.89f, 0.92f, 1};
        if (!Inside(u, v, 0.085f, 0.585f, 0.915f, 0.915f)) colour = {0.20f, 0.24f, 0.30f, 1};
    }
    // The rail the head rides on.
    if (Inside(u, v, 0.04f, 0.10f, 0.96f, 0.18f)) colour = {0.25f, 0.29f, 0.35f, 1};
    // The head: a carriage and a nozzle narrowing downwards.
    if (Inside(u, v, 0.34f, 0.14f, 0.66f, 0.36f)) colour = {0.95f, 0.62f, 0.10f, 1};
    if (Inside(u, v, 0.37f, 0.17f, 0.63f, 0.22f)) colour = {1.0f, 0.80f, 0.35f, 1};
    const float half = 0.10f - (v - 0.36f) * 0.55f;
    if (v >= 0.36f && v < 0.46f && std::fabs(u - 0.5f) < half) colour = {0.30f, 0.33f, 0.38f, 1};
    // The beam and the spot it burns into the bed.
    if (v >= 0.46f && v < 0.74f && std::fabs(u - 0.5f) < 0.022f) colour = {1.0f, 0.18f, 0.12f, 1};
    const float du = u - 0.5f;
    const float dv = (v - 0.74f) * 1.6f;
    const float r2 = du * du + dv * dv;
    if (r2 < 0.010f) {
        const float glow = 1.0f - r2 / 0.010f;
        const Rgba spot{1.0f, 0.25f + 0.6f * glow, 0.15f + 0.5f * glow, 1};
        colour = r2 < 0.0016f ? Rgba{1, 0.95f, 0.85f, 1} : spot;
    }
    return colour;
}

std::uint32_t ToArgb(const Rgba& sum, int samples) {
    const float a = sum.a / static_cast<float>(samples);
    if (a <= 0.0f) return 0;
    // The sums are premultiplied by coverage; divide it out for straight alpha.
    const auto channel = [&](float premultiplied) {
        const float value = premultiplied / sum.a;
        return static_cast<std::uint32_t>(std::clamp(value, 0.0f, 1.0f) * 255.0f + 0.5f);
    };
    const auto alpha = static_cast<std::uint32_t>(std::clamp(a, 0.0f, 1.0f) * 255.0f + 0.5f);
    return alpha << 24 | channel(sum.r) << 16 | channel(sum.g) << 8 | channel(sum.b);
}

}  // namespace

std::vector<std::uint32_t> DrawAppIcon(std::int32_t size) {
    if (size < 1 || size > 1024) return {};
    constexpr int kGrid = 4;  // 4 x 4 samples per pixel smooth the edges
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(size) * size);
    for (std::int32_t y = 0; y < size; ++y) {
        for (std::int32_t x = 0; x < size; ++x) {
            Rgba sum = kClear;
            for (int sy = 0; sy < kGrid; ++sy) {
                for (int sx = 0; sx < kGrid; ++sx) {
                    const float u = (static_cast<float>(x) + (sx + 0.5f) / kGrid) / size;
                    const float v = (static_cast<float>(y) + (sy + 0.5f) / kGrid) / size;
                    const Rgba s = Sample(u, v);
                    sum = {sum.r + s.r * s.a, sum.g + s.g * s.a, sum.b + s.b * s.a, sum.a + s.a};
                }
            }
            pixels[static_cast<std::size_t>(y) * size + x] = ToArgb(sum, kGrid * kGrid);
        }
    }
    return pixels;
}
