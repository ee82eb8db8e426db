#include "app/loaded_job.h"

#include <QFile>

#include "io/file_buffer.h"

std::shared_ptr<const LoadedJob> LoadedJob::Load(const QString& path) {
    std::uint32_t length = 0;
    std::uint8_t* buffer = LoadFileToBuffer(QFile::encodeName(path).constData(), &length);
    if (buffer == nullptr) return nullptr;
    std::shared_ptr<LoadedJob> job(new LoadedJob);
    job->m_buffer = buffer;
    job->m_index.Build(buffer, length);
    return job;
}

LoadedJob::~LoadedJob() { FreeFileBuffer(m_buffer); }

const JobIndex& LoadedJob::IndexOf(const std::shared_ptr<const LoadedJob>& job) {
    static const JobIndex kNoJob;
    return job ? job->m_index : kNoJob;
}
