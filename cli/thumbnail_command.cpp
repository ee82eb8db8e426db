#include "cli/thumbnail_command.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <vector>

#include "cli/load_job.h"
#include "cli/png_file.h"
#include "cli/terminal_text.h"
#include "cli/time_limit.h"
#include "display/job_display.h"
#include "parser/job_format.h"

namespace {

bool HasMagic(std::span<const std::uint8_t> job) {
    return job.size() >= jobformat::kMagicSize &&
           std::equal(job.begin(), job.begin() + jobformat::kMagicSize, jobformat::kMagic);
}

int Fail(std::ostream& err, int status, const std::string& message) {
    err << "lumikor-cli thumbnail: " << TerminalText(message) << '\n';
    return status;
}

// Reads and draws the job; the part of the run the time limit covers.
int DrawThumbnail(const ThumbnailOptions& options, std::shared_ptr<const JobDocument>& job,
                  CJobDisplay& display, std::ostream& err) {
    job = LoadJob(options.jobPath, err, JobSource::kRegularFile);
    if (!job) return kExitCannotRead;
    // A file without the magic draws an empty bed: a picture of nothing is
    // no thumbnail, so the file manager had better show its generic icon.
    if (!HasMagic(job->Bytes())) {
        return Fail(err, kExitJobErrors, "'" + options.jobPath + "' is not a laser job");
    }

    // The canvas is the thumbnail's square; the bed fills it along its longer
    // side, so lines are drawn at the thumbnail's own scale, not shrunk.
    const CanvasDesc desc{options.size, options.size, nullptr, 0};
    const ModelInfo model =
        MakeModel(kDefaultModelWidth, kDefaultModelHeight, kDefaultModelResolution);
    if (display.SetCanvas(&desc) == 0 || display.SetModel(&model) == 0) {
        return Fail(err, kExitCannotRead,
                    "no canvas of " + std::to_string(options.size) + " pixels");
    }
    display.DrawJob(job->Data(), job->Size());
    return JobReadWhole(*job, options.jobPath, err) ? kExitOk : kExitCannotRead;
}

}  // namespace

int RunThumbnail(const ThumbnailOptions& options, std::ostream& err) {
    if (options.size < kThumbnailMinSize || options.size > kThumbnailMaxSize) {
        return Fail(err, kExitUsage,
                    "--size must be " + std::to_string(kThumbnailMinSize) + " to " +
                        std::to_string(kThumbnailMaxSize));
    }
    std::shared_ptr<const JobDocument> job;
    auto display = std::make_unique<CJobDisplay>();
    {
        // Not over the write: the limit must never cut a save short and
        // leave its temporary file behind.
        const TimeLimit limit(options.timeLimitMs,
                              "lumikor-cli thumbnail: '" + TerminalText(options.jobPath) +
                                  "' took too long (over " + std::to_string(options.timeLimitMs) +
                                  " ms); no thumbnail written");
        if (const int status = DrawThumbnail(options, job, *display, err); status != kExitOk) {
            return status;
        }
    }
    std::string error;
    const FileIdentity inputs[] = {job->Identity()};
    if (WriteCanvasPng(display->GetCanvas(), display->GetImageWidth(), display->GetImageHeight(),
                       options.outPath, &error, inputs) == 0) {
        return Fail(err, kExitCannotWrite, error);
    }
    return kExitOk;
}

void RegisterThumbnailCommand(CLI::App& app, CliContext& context) {
    auto options = std::make_shared<ThumbnailOptions>();
    CLI::App* thumbnail =
        app.add_subcommand("thumbnail", "Write the picture a file manager shows for a job");
    thumbnail->add_option("JOB", options->jobPath, "Job file (.prn, .plt)")->required();
    thumbnail->add_option("OUT", options->outPath, "PNG file to write")->required();
    thumbnail->add_option("--size", options->size, "Longest side of the picture in pixels")
        ->capture_default_str();
    thumbnail->callback(
        [options, &context] { context.status = RunThumbnail(*options, context.err); });
}
