// The screen the dialog's display draws to. Presenting repaints the canvas
// view at once; pausing keeps the window alive: events are handled while the
// pause lasts, so the window repaints, moves and takes Escape, Stop or the
// close box. Once stopped, the rest of the load runs without pauses and
// without presenting, so it is drawn at once; the dialog presents the whole
// canvas when the load ends.
#pragma once

#include <cstdint>
#include <functional>

#include "display/screen.h"

class CanvasView;
class QEventLoop;

class InterruptibleScreen : public Screen {
public:
    explicit InterruptibleScreen(CanvasView* view) : m_view(view) {}

    // Called as each pause begins, with the pauses begun in this load and
    // the sum of their delays.
    using StepHandler = std::function<void(std::uint64_t steps, std::uint64_t milliseconds)>;
    void SetStepHandler(StepHandler handler) { m_onStep = std::move(handler); }

    // Pauses wait and presents show again, and the count of pauses starts
    // over: at the start and the end of a load.
    void Resume();
    // Ends the pause that runs, if any, and every pause until Begin.
    void Stop();
    bool Stopped() const { return m_stopped; }

    void Present(const Canvas& canvas, const CanvasRect& rect) override;
    void Pause(std::uint32_t milliseconds) override;

private:
    CanvasView* m_view;
    bool m_stopped = false;
    QEventLoop* m_pauseLoop = nullptr;  // the loop of the pause that runs
    StepHandler m_onStep;
    std::uint64_t m_steps = 0;
    std::uint64_t m_stepMilliseconds = 0;
};
