#include "app/view_renderer.h"

#include "display/canvas.h"

QImage CanvasToImage(const Canvas& canvas) {
    return QImage(canvas.Row(0), canvas.Width(), canvas.Height(), canvas.Stride(),
                  QImage::Format_BGR888)
        .copy();
}

ViewRenderer::ViewRenderer(QObject* receiver, Done done)
    : m_receiver(receiver), m_done(std::move(done)), m_thread([this] { Run(); }) {}

ViewRenderer::~ViewRenderer() {
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_stop = true;
        m_cancel = true;
    }
    m_wake.notify_one();
    m_thread.join();
}

std::uint64_t ViewRenderer::Request(std::shared_ptr<const JobDocument> job,
                                    const RegionViewSettings& settings) {
    std::uint64_t number = 0;
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        number = ++m_lastNumber;
        m_pending = Pending{number, std::move(job), settings};
        m_cancel = true;
    }
    m_wake.notify_one();
    return number;
}

void ViewRenderer::Run() {
    for (;;) {
        Pending request;
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            m_wake.wait(lock, [this] { return m_stop || m_pending.has_value(); });
            if (m_stop) return;
            request = std::move(*m_pending);
            m_pending.reset();
            m_cancel = false;
        }
        Canvas canvas;
        const ViewOutcome outcome =
            DrawRegionView(JobDocument::IndexOf(request.job), request.settings, &canvas, &m_cancel);
        if (outcome != ViewOutcome::kDrawn && outcome != ViewOutcome::kOutOfMemory) continue;
        // Qt gives a null image when it cannot allocate the copy.
        QImage image = outcome == ViewOutcome::kDrawn ? CanvasToImage(canvas) : QImage();
        QMetaObject::invokeMethod(
            m_receiver,
            [done = m_done, number = request.number, view = request.settings.view,
             image = std::move(image)] { done(number, view, image); },
            Qt::QueuedConnection);
    }
}
