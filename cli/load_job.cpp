#include "cli/load_job.h"

#include "cli/terminal_text.h"

namespace {

void CannotRead(const std::string& path, const std::string& reason, std::ostream& err) {
    err << "lumikor-cli: cannot read '" << TerminalText(path) << "': " << reason << '\n';
}

}  // namespace

bool LoadJob(const std::string& path, JobFile& job, std::ostream& err, JobSource source) {
    std::string error;
    if (job.Open(path, source, &error)) return true;
    CannotRead(path, error, err);
    return false;
}

bool JobReadWhole(const JobFile& job, const std::string& path, std::ostream& err) {
    if (!job.Changed()) return true;
    CannotRead(path, kJobChanged, err);
    return false;
}
