// Loading the job of a subcommand: a regular file, a pipe, or "-" for
// standard input.
#pragma once

#include <memory>
#include <ostream>
#include <string>

#include "document/job_document.h"

// On failure writes "lumikor-cli: cannot read 'PATH': REASON" to err and
// returns null.
std::shared_ptr<const JobDocument> LoadJob(const std::string& path, std::ostream& err,
                                           JobSource source = JobSource::kFileOrStream);

// After the last read of the job: false, with the same message naming
// kJobChanged, when the file changed while it was read.
bool JobReadWhole(const JobDocument& job, const std::string& path, std::ostream& err);
