// The display's fast raster path against the straightforward rules kept as
// the tests' oracle (tests/display/reference_raster.h): on any options block
// and job both must leave the same canvas, present the same rectangles and
// pause the same delays. Only what the oracle draws is compared: raster
// lines, and travel moves when vectors are shown; a job with other vector
// drawing is compared with vectors off.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "display/job_display.h"
#include "fuzz/display_fuzz_input.h"
#include "parser/base_job_parser.h"
#include "tests/display/display_harness.h"
#include "tests/display/reference_raster.h"

namespace {

// The oracle keeps a bed-wide machine row; wider beds only time its memset.
constexpr std::int32_t kMaxOracleBedWidth = 1 << 16;

// Whether the job draws vectors the oracle does not know.
class VectorDrawingFinder : public CBaseJobParser {
public:
    bool found = false;

protected:
    void OnLineRelative() override { found = true; }
    void OnArcB() override { found = true; }
    void OnArcC() override { found = true; }
};

void Require(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    DisplayFuzzOptions options = DisplayFuzzOptions::Read(data, size);
    const std::size_t jobStart =
        size < DisplayFuzzOptions::kSize ? size : DisplayFuzzOptions::kSize;
    const std::vector<std::uint8_t> job(data + jobStart, data + size);
    static constexpr std::uint8_t kNoBytes = 0;
    const std::uint8_t* bytes = job.empty() ? &kNoBytes : job.data();
    const auto jobSize = static_cast<std::uint32_t>(job.size());

    VectorDrawingFinder finder;
    finder.Attach(bytes, jobSize);
    finder.Parse();
    if (finder.found) options.displayMode &= ~2u;
    // Vector colours, markers and per-segment presents are the oracle's blind spots.
    options.colorMode = 0;
    options.flags &= DisplayFuzzOptions::kShowCutPath | DisplayFuzzOptions::kShowEngraveProcess;

    RecordingScreen screen;
    CJobDisplay display;
    if (!options.Apply(&display, &screen)) return -1;
    if (display.GetBedWidthDots() > kMaxOracleBedWidth) return -1;

    display.ClearCanvas();
    display.ClearBed();
    ReferenceRasterOptions referenceOptions;
    referenceOptions.offsetX = options.offsetX;
    referenceOptions.offsetY = options.offsetY;
    referenceOptions.displayMode = options.displayMode;
    referenceOptions.showEngraveProcess = options.Flag(DisplayFuzzOptions::kShowEngraveProcess);
    referenceOptions.engraveDelay = options.engraveDelay;
    referenceOptions.showCutPath = options.Flag(DisplayFuzzOptions::kShowCutPath);
    ReferenceRaster reference(display, referenceOptions);

    display.Attach(bytes, jobSize);
    display.Parse();
    reference.Attach(bytes, jobSize);
    reference.Parse();

    const Canvas& got = display.GetCanvas();
    const Canvas& want = reference.GetCanvas();
    for (std::int32_t y = 0; y < got.Height(); ++y) {
        Require(std::memcmp(got.Row(y), want.Row(y), static_cast<std::size_t>(got.Stride())) == 0);
    }
    Require(screen.presents.size() == reference.presents.size());
    for (std::size_t i = 0; i < screen.presents.size(); ++i) {
        const CanvasRect& a = screen.presents[i];
        const CanvasRect& b = reference.presents[i];
        Require(a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom);
    }
    Require(screen.pauses == reference.pauses);
    return 0;
}
