// The screen the dialog's display draws to. Presenting repaints the canvas
// view at once; pausing keeps the window alive: events are handled while the
// pause lasts, so the window repaints, moves and takes Escape, Stop or the
// close box. Once stopped, the rest of the load runs without pauses and
// without presenting, so it is drawn at once; the dialog presents the whole
// canvas when the load ends.
#pragma once

#include <cstdint>

#include "display/screen.h"

class CanvasView;
class QEventLoop;

class InterruptibleScreen : public Screen {
public:
    explicit InterruptibleScreen(CanvasView* view) : m_view(view) {}

    // Pauses wait and presents show again: at the start and the end of a load.
    void Resume() { m_stopped = false; }
    // Ends the pause that runs, if any, and every pause until Begin.
    void Stop();
    bool Stopped() const { return m_stopped; }

    void Present(const Canvas& canvas, const CanvasRect& rect) override;
    void Pause(std::uint32_t milliseconds) override;

private:
    CanvasView* m_view;
    bool m_stopped = false;
    QEventLoop* m_pauseLoop = nullptr;  // the loop of the pause that runs
};
