#include "cli/render_view.h"

#include <algorithm>
#include <string>
#include <vector>

#include "cli/load_job.h"
#include "cli/terminal_text.h"
#include "display/job_display.h"

namespace {

int ViewUsageError(std::ostream& err, const std::string& message) {
    err << "lumikor-cli render: " << TerminalText(message) << '\n';
    return kExitUsage;
}

}  // namespace

void RegisterViewOptions(CLI::App* render, RenderOptions& options) {
    render->add_option("--view", options.view, "Region X0,Y0,X1,Y1 in dots (default: the bed)")
        ->delimiter(',')
        ->expected(4);
    CLI::Option* perPixel = render
                                ->add_option("--dots-per-pixel", options.dotsPerPixel,
                                             "Draw the view at K dots per pixel (default 1)")
                                ->check(CLI::Range(std::int64_t{1}, ViewMapping::kMaxDotsPerPixel));
    render
        ->add_option("--pixels-per-dot", options.pixelsPerDot,
                     "Draw the view at M pixels per dot (2 to 16)")
        ->check(CLI::Range(std::int64_t{2}, ViewMapping::kMaxPixelsPerDot))
        ->excludes(perPixel);
    render->add_option("--shade", options.shade, "Pixels of the view: any set dot, or coverage")
        ->check(CLI::IsMember({"any", "coverage"}));
}

bool WantsView(const RenderOptions& options) {
    return !options.view.empty() || options.dotsPerPixel != 0 || options.pixelsPerDot != 0 ||
           !options.shade.empty();
}

int RunRenderView(const RenderOptions& options, RegionViewSettings settings,
                  const CJobDisplay& display, std::ostream& err) {
    if (options.wholeCanvas) return ViewUsageError(err, "--whole-canvas does not go with a view");
    ViewMapping& view = settings.view;
    // Corners are checked before any arithmetic on them: near the ends of
    // the 64-bit range a difference would overflow.
    const auto inRange = [](std::int64_t v) {
        return v >= -ViewMapping::kMaxCorner && v <= ViewMapping::kMaxCorner;
    };
    if (!std::all_of(options.view.begin(), options.view.end(), inRange)) {
        return ViewUsageError(err, "--view corners must lie within -" +
                                       std::to_string(ViewMapping::kMaxCorner) + " to " +
                                       std::to_string(ViewMapping::kMaxCorner) + " dots");
    }
    if (options.view.size() == 4) {
        view.x0 = options.view[0];
        view.y0 = options.view[1];
        view.x1 = options.view[2];
        view.y1 = options.view[3];
    } else {
        view.x1 = display.GetBedWidthDots();
        view.y1 = display.GetBedHeightDots();
    }
    view.dotsPerPixel = options.dotsPerPixel != 0 ? options.dotsPerPixel : 1;
    view.pixelsPerDot = options.pixelsPerDot != 0 ? options.pixelsPerDot : 1;
    settings.shade = options.shade == "coverage" ? ViewShade::kCoverage : ViewShade::kAny;
    if (view.x0 >= view.x1 || view.y0 >= view.y1) {
        return ViewUsageError(err, "--view needs X0 < X1 and Y0 < Y1");
    }
    if (!view.Drawable()) {
        return ViewUsageError(err,
                              "the view would be " + std::to_string(view.Width()) + " x " +
                                  std::to_string(view.Height()) +
                                  " pixels; a picture may have at most 16384 a side and 256 MiB "
                                  "(choose a smaller --view or a larger --dots-per-pixel)");
    }

    const std::shared_ptr<const JobDocument> job = LoadJob(options.jobPath, err);
    if (!job) return kExitCannotRead;
    const JobIndex& index = job->Index();
    if (index.OutOfMemory()) {
        err << "lumikor-cli render: not enough memory for the index of the job's commands\n";
        return kExitCannotRead;
    }
    WarnOfParseErrors(options.jobPath, index.ErrorFlags(), err);
    Canvas image;
    switch (DrawRegionView(index, settings, &image)) {
        case ViewOutcome::kDrawn:
            break;
        case ViewOutcome::kOutOfMemory:
            err << "lumikor-cli render: not enough memory for the view of " << view.Width() << " x "
                << view.Height() << " pixels\n";
            return kExitCannotRead;
        default:
            return ViewUsageError(err, "the view cannot be drawn");
    }
    if (!JobReadWhole(*job, options.jobPath, err)) return kExitCannotRead;
    const FileIdentity inputs[] = {job->Identity()};
    return WritePicture(image, image.Width(), image.Height(), options.outPath, inputs, err);
}
