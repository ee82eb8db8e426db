// The whole load and render, as the dialog runs it: model, canvas size and
// options come from the first bytes of the input (display_fuzz_input.h), the
// job from the rest. The job is drawn twice, so state carried over from one
// parse into the next is covered too. The screen checks what the display
// hands it: rectangles inside the canvas, pauses that are not negative.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <memory>

#include "display/canvas.h"
#include "display/job_display.h"
#include "display/screen.h"
#include "fuzz/display_fuzz_input.h"
#include "fuzz/keep_value.h"

namespace {

class CheckingScreen : public Screen {
public:
    void Present(const Canvas& canvas, const CanvasRect& rect) override {
        if (rect.left < 0 || rect.top < 0 || rect.left > rect.right || rect.top > rect.bottom ||
            rect.right >= canvas.Width() || rect.bottom >= canvas.Height()) {
            std::abort();
        }
        // Reading the corners lets ASan vouch for the rows behind them.
        m_sum += canvas.Row(rect.top)[rect.left * 3] + canvas.Row(rect.bottom)[rect.right * 3 + 2];
        ++m_presents;
    }
    void Pause(std::uint32_t milliseconds) override {
        if (milliseconds > static_cast<std::uint32_t>(std::numeric_limits<std::int32_t>::max())) {
            std::abort();
        }
        ++m_pauses;
    }

    std::uint64_t Total() const { return m_sum + m_presents + m_pauses; }

private:
    std::uint64_t m_sum = 0;
    std::uint64_t m_presents = 0;
    std::uint64_t m_pauses = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const DisplayFuzzOptions options = DisplayFuzzOptions::Read(data, size);
    const std::size_t jobStart =
        size < DisplayFuzzOptions::kSize ? size : DisplayFuzzOptions::kSize;

    CheckingScreen screen;
    CJobDisplay display;
    if (!options.Apply(&display, &screen)) return -1;

    // An exactly-sized copy, so that ASan sees any read past the job; never
    // null, even when empty, as a loaded file's buffer is not.
    const std::size_t jobSize = size - jobStart;
    const std::unique_ptr<std::uint8_t[]> job(new std::uint8_t[jobSize]);
    std::copy(data + jobStart, data + size, job.get());
    for (int pass = 0; pass < 2; ++pass) {
        display.DrawJob(job.get(), static_cast<std::uint32_t>(jobSize));
    }
    KeepValue(screen.Total());
    return 0;
}
