// lumikor-cli thumbnail JOB OUT.png [--size N]: the picture a file manager
// shows for a job, the bed drawn with the default model and fitted into
// N x N pixels. Run by the desktop's thumbnailer in a sandbox that reads
// only the job and writes only OUT, so it needs nothing else: no settings
// file, no home folder, no display.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>

#include "cli/cli_app.h"

struct ThumbnailOptions {
    std::string jobPath;
    std::string outPath;
    std::int32_t size = 256;  // the longer side of the picture, in pixels
    // A file manager waits for the thumbnail: past this, none is written.
    std::uint32_t timeLimitMs = 2000;
};

inline constexpr std::int32_t kThumbnailMinSize = 16;
inline constexpr std::int32_t kThumbnailMaxSize = 4096;

// Exit status: 0 when OUT is written; 1 when the job cannot be read or OUT
// cannot be written; 2 on a usage error; 3 when the file is not a job at all
// (too short for the magic, or another magic), which has nothing to show.
// On failure OUT is left as it was. JOB must be a regular file (a pipe could
// keep the caller waiting). When reading and drawing the job take longer
// than the time limit, the program ends at once with status 1 ("took too
// long"), OUT as it was.
int RunThumbnail(const ThumbnailOptions& options, std::ostream& err);

void RegisterThumbnailCommand(CLI::App& app, CliContext& context);
