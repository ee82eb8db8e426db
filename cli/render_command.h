// lumikor-cli render JOB -o OUT [...]: draws a job as the desktop program
// does for one load and writes the picture as a bitmap or PNG file.
#pragma once

#include <cstdint>
#include <ostream>
#include <span>
#include <string>
#include <vector>

#include "cli/cli_app.h"
#include "display/job_display.h"
#include "display/region_view.h"
#include "io/file_identity.h"

struct RenderOptions {
    std::string jobPath;
    std::string outPath;  // .bmp or .png
    std::string model = std::to_string(kDefaultModelWidth) + ',' +
                        std::to_string(kDefaultModelHeight) + ',' +
                        std::to_string(kDefaultModelResolution);  // mm, mm, dots per inch
    std::string canvas =
        std::to_string(kDefaultCanvasWidth) + ',' + std::to_string(kDefaultCanvasHeight);  // pixels
    std::string display = "all";  // all, raster, vector
    std::string color = "file";   // file, type, end-speed
    std::string offset = "0,0";   // dots
    bool cutPath = false;
    bool startPoints = false;
    bool strict = false;       // a job with warnings fails, once the picture is written
    bool wholeCanvas = false;  // the whole canvas, grey frame included, not just the bed
    // A region view instead (render_view.h); empty or 0 when not given.
    std::vector<std::int64_t> view;  // X0, Y0, X1, Y1 in dots
    std::int64_t dotsPerPixel = 0;
    std::int64_t pixelsPerDot = 0;
    std::string shade;  // any, coverage
};

enum class ImageFormat { kNone, kBmp, kPng };

// The picture format named by the path's extension, in any case.
ImageFormat ImageFormatOf(const std::string& path);

// Sets the display up as render draws for these options (canvas, model, what
// is drawn and how) and fills settings with the same choices for a region
// view. A usage error (also a canvas that leaves no room for the bed) is
// written to err and returns kExitUsage; else kExitOk.
int SetUpRender(const RenderOptions& options, CJobDisplay& display, RegionViewSettings& settings,
                std::ostream& err);

// Exit status: 0 when written (a job with error bits too, with a warning),
// 1 when the job cannot be read or OUT cannot be written, 2 on a usage error;
// with strict, 4 for a job with warnings (after the picture is written).
int RunRender(const RenderOptions& options, std::ostream& out, std::ostream& err);

void RegisterRenderCommand(CLI::App& app, CliContext& context);

class Canvas;

// The job's error bits as one warning on err, when there are any.
void WarnOfParseErrors(const std::string& jobPath, std::uint32_t errorFlags, std::ostream& err);

// Writes the top-left width x height pixels as .bmp or .png, by the path's
// extension, never over one of the run's inputs; returns the exit status,
// with the reason on err.
int WritePicture(const Canvas& canvas, std::int32_t width, std::int32_t height,
                 const std::string& path, std::span<const FileIdentity> inputs, std::ostream& err);
