#include "cli/load_job.h"

#include "cli/terminal_text.h"

namespace {

void CannotRead(const std::string& path, const std::string& reason, std::ostream& err) {
    err << "lumikor-cli: cannot read '" << TerminalText(path) << "': " << reason << '\n';
}

}  // namespace

std::shared_ptr<const JobDocument> LoadJob(const std::string& path, std::ostream& err,
                                           JobSource source) {
    std::string error;
    std::shared_ptr<const JobDocument> job = JobDocument::Load(path, source, &error);
    if (!job) CannotRead(path, error, err);
    return job;
}

bool JobReadWhole(const JobDocument& job, const std::string& path, std::ostream& err) {
    if (!job.Changed()) return true;
    CannotRead(path, kJobChanged, err);
    return false;
}
