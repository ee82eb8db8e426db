#include "app/animation_steps.h"

#include "display/job_display.h"
#include "display/screen.h"

namespace {

class CountingScreen : public Screen {
public:
    void Present(const Canvas& /*canvas*/, const CanvasRect& /*rect*/) override {}
    void Pause(std::uint32_t milliseconds) override {
        ++m_steps.count;
        m_steps.milliseconds += milliseconds;
    }
    const AnimationSteps& Steps() const { return m_steps; }

private:
    AnimationSteps m_steps;
};

}  // namespace

AnimationSteps CountAnimationSteps(const CJobDisplay& display, const AnimationSwitches& switches,
                                   const ModelInfo& model, std::span<const std::uint8_t> job) {
    CountingScreen screen;
    const Canvas& canvas = display.GetCanvas();
    const CanvasDesc desc{canvas.Width(), canvas.Height(), &screen, 0};
    CJobDisplay counter;
    if (!counter.SetCanvas(&desc) || !counter.SetModel(&model)) return {};
    counter.SetOffset(display.GetOffsetX(), display.GetOffsetY());
    counter.SetDisplayMode(display.GetDisplayMode());
    counter.SetColorMode(display.GetColorMode());
    counter.SetShowStartPoint(display.GetShowStartPoint());
    counter.SetShowCutPath(display.GetShowCutPath());
    counter.SetShowCutProcess(switches.cutProcess);
    counter.SetShowPR(switches.showPR);
    counter.SetShowEngraveProcess(switches.engraveProcess);
    counter.SetCutDelay(display.GetCutDelay());
    counter.SetEngraveDelay(display.GetEngraveDelay());
    counter.DrawJob(job.data(), static_cast<std::uint32_t>(job.size()));
    return screen.Steps();
}
