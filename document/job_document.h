// One load of one job file, shared by everything that shows or reads the job:
// the bytes stay mapped for as long as any holder keeps the document, so
// every window draws the same bytes even when the file is replaced on disk;
// the next load's document replaces it and the mapping ends with the last
// holder. Nothing changes after the load.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <span>
#include <string>

#include "display/job_index.h"
#include "io/job_file.h"

class JobDocument {
public:
    // Null when the file cannot be loaded, with the reason in *error when
    // error is not null; errno is left as the failed open set it.
    static std::shared_ptr<const JobDocument> Load(const std::string& path, JobSource source,
                                                   std::string* error);
    JobDocument(const JobDocument&) = delete;
    JobDocument& operator=(const JobDocument&) = delete;

    const std::uint8_t* Data() const { return m_file.Data(); }
    std::uint32_t Size() const { return m_file.Size(); }
    std::span<const std::uint8_t> Bytes() const { return m_file.Bytes(); }
    // True when the file was truncated or rewritten while it was loaded or
    // first read (JobFile::Changed).
    bool Changed() const { return m_file.Changed(); }
    // The file read, so that no output is written over it.
    FileIdentity Identity() const { return m_file.Identity(); }

    // The command index, built by the first caller (a full parse, which a
    // job that is only drawn once never needs) and the same for every later
    // one, whatever thread asks.
    const JobIndex& Index() const;

    // The index of a document, or that of no job (a view of the bed alone).
    static const JobIndex& IndexOf(const std::shared_ptr<const JobDocument>& document);

private:
    JobDocument() = default;

    JobFile m_file;
    mutable std::once_flag m_indexBuilt;
    mutable JobIndex m_index;
};
