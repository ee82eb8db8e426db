// Loading the job of a subcommand: a regular file, a pipe, or "-" for
// standard input.
#pragma once

#include <ostream>
#include <string>

#include "io/job_file.h"

// On failure writes "lumikor-cli: cannot read 'PATH': REASON" to err and
// returns false.
bool LoadJob(const std::string& path, JobFile& job, std::ostream& err,
             JobSource source = JobSource::kFileOrStream);

// After the last read of the job: false, with the same message naming
// kJobChanged, when the file changed while it was read.
bool JobReadWhole(const JobFile& job, const std::string& path, std::ostream& err);
