#include "document/job_document.h"

std::shared_ptr<const JobDocument> JobDocument::Load(const std::string& path, JobSource source,
                                                     std::string* error) {
    std::shared_ptr<JobDocument> document(new JobDocument);
    if (!document->m_file.Open(path, source, error)) return nullptr;
    return document;
}

const JobIndex& JobDocument::Index() const {
    std::call_once(m_indexBuilt, [this] { m_index.Build(Data(), Size()); });
    return m_index;
}

const JobIndex& JobDocument::IndexOf(const std::shared_ptr<const JobDocument>& document) {
    static const JobIndex kNoJob;
    return document ? document->Index() : kNoJob;
}
