#include "cli/render_command.h"

#include <array>
#include <cctype>
#include <charconv>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "cli/describe.h"
#include "cli/png_file.h"
#include "cli/read_file.h"
#include "cli/render_view.h"
#include "display/bitmap_file.h"
#include "display/job_display.h"

namespace {

enum class ImageFormat { kNone, kBmp, kPng };

ImageFormat FormatOf(const std::string& path) {
    const std::size_t dot = path.rfind('.');
    if (dot == std::string::npos) return ImageFormat::kNone;
    std::string ext = path.substr(dot + 1);
    for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (ext == "bmp") return ImageFormat::kBmp;
    if (ext == "png") return ImageFormat::kPng;
    return ImageFormat::kNone;
}

// Exactly values.size() comma-separated 32-bit integers, nothing else.
bool ParseIntList(const std::string& text, std::span<std::int32_t> values) {
    const char* p = text.data();
    const char* const end = text.data() + text.size();
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (i > 0) {
            if (p == end || *p != ',') return false;
            ++p;
        }
        const auto [next, ec] = std::from_chars(p, end, values[i]);
        if (ec != std::errc()) return false;
        p = next;
    }
    return p == end;
}

int UsageError(std::ostream& err, const std::string& message) {
    err << "lumikor-cli render: " << message << '\n';
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

int RunRender(const RenderOptions& options, std::ostream& /*out*/, std::ostream& err) {
    const ImageFormat format = FormatOf(options.outPath);
    if (format == ImageFormat::kNone) return UsageError(err, "OUT must end in .bmp or .png");
    std::array<std::int32_t, 3> model{};
    std::array<std::int32_t, 2> canvasSize{};
    std::array<std::int32_t, 2> offset{};
    if (!ParseIntList(options.model, model)) {
        return UsageError(err, "--model takes WIDTH,HEIGHT,DPI as integers");
    }
    if (!ParseIntList(options.canvas, canvasSize)) {
        return UsageError(err, "--canvas takes WIDTH,HEIGHT as integers");
    }
    if (!ParseIntList(options.offset, offset)) {
        return UsageError(err, "--offset takes X,Y as integers");
    }

    // The order of the main dialog's load: canvas, model, options, clear, parse.
    auto display = std::make_unique<CJobDisplay>();
    const CanvasDesc desc{canvasSize[0], canvasSize[1], nullptr, 1015};
    if (display->SetCanvas(&desc) == 0) {
        return UsageError(err, "canvas " + options.canvas + " is not a drawable size");
    }
    const ModelInfo modelInfo = MakeModel(model[0], model[1], model[2]);
    if (display->SetModel(&modelInfo) == 0) {
        return UsageError(err, "model " + options.model + " has no usable bed");
    }
    display->SetDisplayMode(DisplayModeOf(options.display));
    display->SetColorMode(ColorModeOf(options.color));
    display->SetOffset(offset[0], offset[1]);
    display->SetShowCutPath(options.cutPath ? 1 : 0);
    display->SetShowStartPoint(options.startPoints ? 1 : 0);
    if (WantsView(options)) {
        RegionViewSettings settings;
        settings.model = modelInfo;
        settings.displayMode = DisplayModeOf(options.display);
        settings.colorMode = ColorModeOf(options.color);
        settings.offsetX = offset[0];
        settings.offsetY = offset[1];
        settings.showCutPath = options.cutPath ? 1 : 0;
        settings.showStartPoint = options.startPoints ? 1 : 0;
        return RunRenderView(options, settings, *display, err);
    }

    std::vector<std::uint8_t> job;
    if (!LoadJob(options.jobPath, job, err)) return kExitCannotRead;
    display->DrawJob(job.data(), static_cast<std::uint32_t>(job.size()));

    WarnOfParseErrors(options.jobPath, display->GetErrorFlags(), err);
    const Canvas& canvas = display->GetCanvas();
    const std::int32_t width = options.wholeCanvas ? canvas.Width() : display->GetImageWidth();
    const std::int32_t height = options.wholeCanvas ? canvas.Height() : display->GetImageHeight();
    return WritePicture(canvas, width, height, options.outPath, err);
}

void WarnOfParseErrors(const std::string& jobPath, std::uint32_t errorFlags, std::ostream& err) {
    if (errorFlags == 0) return;
    err << "lumikor-cli: warning: '" << jobPath << "' has parse errors:";
    const std::vector<std::string> words = ErrorBitWords(errorFlags);
    for (std::size_t i = 0; i < words.size(); ++i) err << (i == 0 ? " " : "; ") << words[i];
    err << '\n';
}

int WritePicture(const Canvas& canvas, std::int32_t width, std::int32_t height,
                 const std::string& path, std::ostream& err) {
    std::string error;
    const int written = FormatOf(path) == ImageFormat::kBmp
                            ? WriteCanvasBitmap(canvas, width, height, path, &error)
                            : WriteCanvasPng(canvas, width, height, path, &error);
    if (written == 0) {
        err << "lumikor-cli: " << error << '\n';
        return kExitCannotRead;
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
    render->add_flag("--whole-canvas", options->wholeCanvas,
                     "Save the whole canvas, grey frame included");
    RegisterViewOptions(render, *options);
    render->callback(
        [options, &context] { context.status = RunRender(*options, context.out, context.err); });
}
