// Measures on a worker thread whether a job fits the bed, as lumikor-cli
// info measures it: the measure decodes every raster line unclipped and can
// take several times as long as the drawing, so the picture and the rest of
// the status are shown first. A new request replaces one still waiting and
// makes one being measured skip its remaining raster lines. The sentences
// are handed to the receiver's thread.
#pragma once

#include <QObject>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "display/model_info.h"
#include "document/job_document.h"

struct FitJob {
    std::shared_ptr<const JobDocument> document;  // kept alive until measured
    ModelInfo model;
    std::int32_t bedWidthDots = 0;
    std::int32_t bedHeightDots = 0;
    std::int32_t offsetX = 0;
    std::int32_t offsetY = 0;
};

class FitMeasurer {
public:
    // One sentence per bed edge the job reaches past (none: it fits).
    using Done = std::function<void(std::uint64_t request, std::vector<std::string> overhangs)>;

    // done runs on the receiver's thread, for each request measured to its end.
    FitMeasurer(QObject* receiver, Done done);
    ~FitMeasurer();
    FitMeasurer(const FitMeasurer&) = delete;
    FitMeasurer& operator=(const FitMeasurer&) = delete;

    // Returns the request's number; numbers grow.
    std::uint64_t Request(FitJob job);

private:
    void Run();

    QObject* m_receiver;
    Done m_done;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::optional<std::pair<std::uint64_t, FitJob>> m_pending;
    std::uint64_t m_lastNumber = 0;
    bool m_stop = false;
    std::atomic<bool> m_cancel{false};
    std::thread m_thread;
};
