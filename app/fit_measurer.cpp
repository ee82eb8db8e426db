#include "app/fit_measurer.h"

#include "display/fit_words.h"
#include "display/job_extents.h"

namespace {

// Once cancelled, the rest of the job is only parsed, not decoded: the
// expensive part of the measure ends at once and its result is dropped.
class CancellableExtents : public CJobExtents {
public:
    explicit CancellableExtents(const std::atomic<bool>& cancel) : m_cancel(cancel) {}

protected:
    void OnRasterLine() override {
        if (!m_cancel) CJobExtents::OnRasterLine();
    }

private:
    const std::atomic<bool>& m_cancel;
};

}  // namespace

FitMeasurer::FitMeasurer(QObject* receiver, Done done)
    : m_receiver(receiver), m_done(std::move(done)), m_thread([this] { Run(); }) {}

FitMeasurer::~FitMeasurer() {
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_stop = true;
        m_cancel = true;
    }
    m_wake.notify_one();
    m_thread.join();
}

std::uint64_t FitMeasurer::Request(FitJob job) {
    std::uint64_t number = 0;
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        number = ++m_lastNumber;
        m_pending.emplace(number, std::move(job));
        m_cancel = true;
    }
    m_wake.notify_one();
    return number;
}

void FitMeasurer::Run() {
    for (;;) {
        std::pair<std::uint64_t, FitJob> request;
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            m_wake.wait(lock, [this] { return m_stop || m_pending.has_value(); });
            if (m_stop) return;
            request = std::move(*m_pending);
            m_pending.reset();
            m_cancel = false;
        }
        const FitJob& job = request.second;
        CancellableExtents measure(m_cancel);
        measure.SetOffset(job.offsetX, job.offsetY);
        measure.Attach(job.document->Data(), job.document->Size());
        measure.Parse();
        if (m_cancel) continue;
        std::vector<std::string> overhangs = OverhangSentences(
            FitOnBed(measure.GetExtents(), job.bedWidthDots, job.bedHeightDots), job.model, "");
        QMetaObject::invokeMethod(
            m_receiver,
            [done = m_done, number = request.first, overhangs = std::move(overhangs)]() mutable {
                done(number, std::move(overhangs));
            },
            Qt::QueuedConnection);
    }
}
