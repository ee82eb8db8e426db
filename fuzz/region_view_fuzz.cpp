// Region views of any job against the tests' dot oracle
// (tests/display/region_view_oracle.h): a view, zoom, shading, offsets and
// bed read from the first bytes, the job from the rest. The raster view must
// equal the oracle's picture; the view with every display mode is drawn too,
// for the sanitizers. scripts/fuzz runs it under a per-allocation limit, so
// work that grows with the job's dots rather than the picture fails it.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "display/bed_dots.h"
#include "display/region_view.h"
#include "tests/display/region_view_oracle.h"

namespace {

// The oracle keeps a record per dot of the view.
constexpr std::int64_t kMaxViewDots = std::int64_t{1} << 16;
constexpr std::int64_t kMaxPixels = std::int64_t{1} << 16;

class InputReader {
public:
    InputReader(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}

    std::uint32_t Unsigned(int bytes) {
        std::uint32_t value = 0;
        for (int i = 0; i < bytes; ++i) {
            value = value << 8 | (m_at < m_size ? m_data[m_at] : 0);
            ++m_at;
        }
        return value;
    }
    std::int32_t Signed16() { return static_cast<std::int16_t>(Unsigned(2)); }
    std::size_t Consumed() const { return m_at < m_size ? m_at : m_size; }

private:
    const std::uint8_t* m_data;
    std::size_t m_size;
    std::size_t m_at = 0;
};

void Require(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    InputReader input(data, size);
    RegionViewSettings settings;
    settings.model = MakeModel(static_cast<std::int32_t>(input.Unsigned(2)),
                               static_cast<std::int32_t>(input.Unsigned(2)),
                               static_cast<std::int32_t>(input.Unsigned(2)));
    ViewMapping& view = settings.view;
    view.x0 = input.Signed16();
    view.y0 = input.Signed16();
    view.x1 = view.x0 + 1 + input.Unsigned(2) * 16;
    view.y1 = view.y0 + 1 + input.Unsigned(2);
    const std::uint32_t zoom = input.Unsigned(1);
    if ((zoom & 0x80) != 0) {
        view.pixelsPerDot = 2 + (zoom & 0x0F);
    } else {
        view.dotsPerPixel = 1 + (zoom * zoom) / 4;  // up to 4033
    }
    settings.shade = (input.Unsigned(1) & 1) != 0 ? ViewShade::kCoverage : ViewShade::kAny;
    settings.offsetX = static_cast<std::int8_t>(input.Unsigned(1));
    settings.offsetY = static_cast<std::int8_t>(input.Unsigned(1));
    const std::uint32_t displayMode = input.Unsigned(1);
    settings.colorMode = static_cast<std::int8_t>(input.Unsigned(1));
    const std::uint32_t flags = input.Unsigned(1);
    settings.showCutPath = static_cast<std::int32_t>(flags & 1);
    settings.showStartPoint = static_cast<std::int32_t>(flags >> 1 & 1);

    const std::vector<std::uint8_t> job(data + input.Consumed(), data + size);
    static constexpr std::uint8_t kNoBytes = 0;
    const std::uint8_t* bytes = job.empty() ? &kNoBytes : job.data();
    const auto jobSize = static_cast<std::uint32_t>(job.size());
    const std::int64_t bedWidth = BedDots(settings.model.width, settings.model.resolution);
    const std::int64_t bedHeight = BedDots(settings.model.height, settings.model.resolution);
    if (!view.Drawable() || bedWidth == 0 || bedHeight == 0 ||
        (view.x1 - view.x0) * (view.y1 - view.y0) > kMaxViewDots ||
        view.Width() * view.Height() > kMaxPixels) {
        return -1;
    }

    JobIndex index;
    Require(index.Build(bytes, jobSize));
    settings.displayMode = displaymode::kRaster;
    Canvas got;
    Require(DrawRegionView(index, settings, &got) == ViewOutcome::kDrawn);
    DotOracle oracle(settings, bedWidth, bedHeight);
    oracle.Attach(bytes, jobSize);
    oracle.Parse();
    const Canvas want = oracle.Picture();
    Require(got.Width() == want.Width() && got.Height() == want.Height());
    for (std::int32_t y = 0; y < got.Height(); ++y) {
        Require(std::memcmp(got.Row(y), want.Row(y), static_cast<std::size_t>(got.Stride())) == 0);
    }

    settings.displayMode = static_cast<std::int32_t>(displayMode & 3);
    Require(DrawRegionView(index, settings, &got) == ViewOutcome::kDrawn);
    return 0;
}
