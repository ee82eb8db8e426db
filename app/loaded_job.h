// A job file read for the Detail window, with its index: read once per load
// of the main dialog and shared, unchanged, with the thread that draws views.
#pragma once

#include <QString>
#include <cstdint>
#include <memory>

#include "display/job_index.h"

class LoadedJob {
public:
    // Null when the file cannot be read.
    static std::shared_ptr<const LoadedJob> Load(const QString& path);
    ~LoadedJob();
    LoadedJob(const LoadedJob&) = delete;
    LoadedJob& operator=(const LoadedJob&) = delete;

    const JobIndex& Index() const { return m_index; }

    // The index of a loaded job, or that of no job (a view of the bed alone).
    static const JobIndex& IndexOf(const std::shared_ptr<const LoadedJob>& job);

private:
    LoadedJob() = default;

    std::uint8_t* m_buffer = nullptr;
    JobIndex m_index;
};
