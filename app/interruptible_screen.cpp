#include "app/interruptible_screen.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <climits>

#include "app/canvas_view.h"

void InterruptibleScreen::Resume() {
    m_stopped = false;
    m_steps = 0;
    m_stepMilliseconds = 0;
}

void InterruptibleScreen::Stop() {
    m_stopped = true;
    if (m_pauseLoop != nullptr) m_pauseLoop->quit();
}

void InterruptibleScreen::Present(const Canvas& canvas, const CanvasRect& rect) {
    if (!m_stopped) m_view->Present(canvas, rect);
}

void InterruptibleScreen::Pause(std::uint32_t milliseconds) {
    if (m_stopped) return;
    ++m_steps;
    m_stepMilliseconds += milliseconds;
    if (m_onStep) m_onStep(m_steps, m_stepMilliseconds);
    if (milliseconds == 0) {
        // No wait, but the window still answers between the steps.
        QCoreApplication::processEvents();
        return;
    }
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    // Longer than a timer takes is as good as endless: only Stop ends it.
    timer.start(static_cast<int>(std::min<std::uint32_t>(milliseconds, INT_MAX)));
    m_pauseLoop = &loop;
    loop.exec();
    m_pauseLoop = nullptr;
}
