#include "cli/render_command.h"

#include <array>
#include <cctype>
#include <cstdint>
#include <memory>
#include <vector>

#include "cli/describe.h"
#include "cli/load_job.h"
#include "cli/option_values.h"
#include "cli/png_file.h"
#include "cli/render_view.h"
#include "cli/terminal_text.h"
#include "display/bitmap_file.h"
#include "display/job_display.h"

namespace {

int UsageError(std::ostream& err, const std::string& message) {
    err << "lumikor-cli render: " << TerminalText(message) << '\n';
    return kExitUsage;
}

std::int32_t DisplayModeOf(const std::string& name) {
    if (name == "raster") return displaymode::kRaster;
    if (name == "vector") return displaymode::kVector;
    return displaymode::kAll;
}

std::int32_t ColorModeOf(const std::string& name) {
    if (name == "type") return colormode::kType;
    if (name == "end-speed") return colormode::kEndSpeed;
    return colormode::kFile;
}

}  // namespace

ImageFormat ImageFormatOf(const std::string& path) {
    const std::size_t dot = path.rfind('.');
    if (dot == std::string::npos) return ImageFormat::kNone;
    std::string ext = path.substr(dot + 1);
    for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (ext == "bmp") return ImageFormat::kBmp;
    if (ext == "png") return ImageFormat::kPng;
    return ImageFormat::kNone;
}

int SetUpRender(const RenderOptions& options, CJobDisplay& display, RegionViewSettings& settings,
                std::ostream& err) {
    std::array<std::int32_t, 2> canvasSize{};
    std::array<std::int32_t, 2> offset{};
    BedModel bed;
    std::string error;
    if (!ReadModelOption(options.model, bed, error) ||
        !ReadIntOption("--canvas", options.canvas, "WIDTH,HEIGHT", canvasSize, error) ||
        !ReadIntOption("--offset", options.offset, "X,Y", offset, error)) {
        return UsageError(err, error);
    }

    // The order of the main dialog's load: canvas, model, options, clear, parse.
    const CanvasDesc desc{canvasSize[0], canvasSize[1], nullptr, 1015};
    if (display.SetCanvas(&desc) == 0) {
        return UsageError(err, "canvas " + options.canvas + " is not a drawable size");
    }
    // The display refuses a bed whose fitted image is under a pixel on a
    // side; say so before it does, naming the canvas.
    const std::int64_t width = bed.model.width;
    const std::int64_t height = bed.model.height;
    if (width > 0 && height > 0 &&
        (canvasSize[0] * height < width || canvasSize[1] * width < height)) {
        return UsageError(err, "canvas " + options.canvas +
                                   " leaves no room for the bed of model " + options.model);
    }
    if (display.SetModel(&bed.model) == 0) {
        return UsageError(err, "model " + options.model + " has no usable bed");
    }
    settings.model = bed.model;
    settings.displayMode = DisplayModeOf(options.display);
    settings.colorMode = ColorModeOf(options.color);
    settings.offsetX = offset[0];
    settings.offsetY = offset[1];
    settings.showCutPath = options.cutPath ? 1 : 0;
    settings.showStartPoint = options.startPoints ? 1 : 0;
    display.SetDisplayMode(settings.displayMode);
    display.SetColorMode(settings.colorMode);
    display.SetOffset(settings.offsetX, settings.offsetY);
    display.SetShowCutPath(settings.showCutPath);
    display.SetShowStartPoint(settings.showStartPoint);
    return kExitOk;
}

int RunRender(const RenderOptions& options, std::ostream& /*out*/, std::ostream& err) {
    const ImageFormat format = ImageFormatOf(options.outPath);
    if (format == ImageFormat::kNone) return UsageError(err, "OUT must end in .bmp or .png");
    auto display = std::make_unique<CJobDisplay>();
    RegionViewSettings settings;
    if (const int status = SetUpRender(options, *display, settings, err); status != kExitOk) {
        return status;
    }
    if (WantsView(options)) return RunRenderView(options, settings, *display, err);

    const std::shared_ptr<const JobDocument> job = LoadJob(options.jobPath, err);
    if (!job) return kExitCannotRead;
    display->DrawJob(job->Data(), job->Size());
    if (!JobReadWhole(*job, options.jobPath, err)) return kExitCannotRead;

    WarnOfParseErrors(options.jobPath, display->GetErrorFlags(), err);
    const std::vector<JobWarning> warnings = display->GetWarnings();
    WriteWarnings(options.jobPath, warnings, err);
    const Canvas& canvas = display->GetCanvas();
    const std::int32_t width = options.wholeCanvas ? canvas.Width() : display->GetImageWidth();
    const std::int32_t height = options.wholeCanvas ? canvas.Height() : display->GetImageHeight();
    const FileIdentity inputs[] = {job->Identity()};
    const int written = WritePicture(canvas, width, height, options.outPath, inputs, err);
    if (written != kExitOk) return written;
    return options.strict && !warnings.empty() ? kExitStrict : kExitOk;
}

void WarnOfParseErrors(const std::string& jobPath, std::uint32_t errorFlags, std::ostream& err) {
    if (errorFlags == 0) return;
    err << "lumikor-cli: warning: '" << TerminalText(jobPath) << "' has parse errors:";
    const std::vector<std::string> words = ErrorBitWords(errorFlags);
    for (std::size_t i = 0; i < words.size(); ++i) err << (i == 0 ? " " : "; ") << words[i];
    err << '\n';
}

int WritePicture(const Canvas& canvas, std::int32_t width, std::int32_t height,
                 const std::string& path, std::span<const FileIdentity> inputs, std::ostream& err) {
    std::string error;
    const int written = ImageFormatOf(path) == ImageFormat::kBmp
                            ? WriteCanvasBitmap(canvas, width, height, path, &error, inputs)
                            : WriteCanvasPng(canvas, width, height, path, &error, inputs);
    if (written == 0) {
        err << "lumikor-cli: " << TerminalText(error) << '\n';
        return kExitCannotWrite;
    }
    return kExitOk;
}

void RegisterRenderCommand(CLI::App& app, CliContext& context) {
    auto options = std::make_shared<RenderOptions>();
    CLI::App* render =
        app.add_subcommand("render", "Draw a job as the preview does and save the picture");
    render->add_option("JOB", options->jobPath, "Job file (.prn, .plt)")->required();
    render->add_option("-o,--output", options->outPath, "Picture to write (.bmp or .png)")
        ->required();
    render->add_option("--model", options->model, "Bed WIDTH,HEIGHT in mm and DPI")
        ->capture_default_str();
    render->add_option("--canvas", options->canvas, "Canvas WIDTH,HEIGHT in pixels")
        ->capture_default_str();
    render->add_option("--display", options->display, "What to draw")
        ->check(CLI::IsMember({"all", "raster", "vector"}))
        ->capture_default_str();
    render->add_option("--color", options->color, "How vector segments are coloured")
        ->check(CLI::IsMember({"file", "type", "end-speed"}))
        ->capture_default_str();
    render->add_option("--offset", options->offset, "Displacement X,Y in dots")
        ->capture_default_str();
    render->add_flag("--cut-path", options->cutPath, "Draw travel moves as grey lines");
    render->add_flag("--start-points", options->startPoints, "Mark where each cut starts");
    render->add_flag("--strict", options->strict,
                     "Exit 4 when the job has warnings (the picture is still written)");
    render->add_flag("--whole-canvas", options->wholeCanvas,
                     "Save the whole canvas, grey frame included");
    RegisterViewOptions(render, *options);
    render->callback(
        [options, &context] { context.status = RunRender(*options, context.out, context.err); });
}
