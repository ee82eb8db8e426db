// Draws region views on a worker thread, so the Detail window stays
// responsive: a new request replaces one still waiting and cancels one being
// drawn. The finished picture is handed to the receiver's thread.
#pragma once

#include <QImage>
#include <QObject>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

#include "display/region_view.h"
#include "document/job_document.h"

class Canvas;

// The canvas's pixels as an image of its own.
QImage CanvasToImage(const Canvas& canvas);

class ViewRenderer {
public:
    using Done =
        std::function<void(std::uint64_t request, const ViewMapping& view, const QImage& image)>;

    // done runs on the receiver's thread, for each request drawn to its end,
    // with a null image when memory ran out for the view.
    ViewRenderer(QObject* receiver, Done done);
    ~ViewRenderer();
    ViewRenderer(const ViewRenderer&) = delete;
    ViewRenderer& operator=(const ViewRenderer&) = delete;

    // Returns the request's number; numbers grow.
    std::uint64_t Request(std::shared_ptr<const JobDocument> job,
                          const RegionViewSettings& settings);

private:
    struct Pending {
        std::uint64_t number = 0;
        std::shared_ptr<const JobDocument> job;
        RegionViewSettings settings;
    };

    void Run();

    QObject* m_receiver;
    Done m_done;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::optional<Pending> m_pending;
    std::uint64_t m_lastNumber = 0;
    bool m_stop = false;
    std::atomic<bool> m_cancel{false};
    std::thread m_thread;
};
