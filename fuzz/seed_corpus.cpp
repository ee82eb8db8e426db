// Writes the seed corpora of the fuzz targets into a directory, one
// subdirectory per target: jobs built with the job writer (every command,
// right and wrong trailers, every raster mode and threshold, arcs, commands
// cut short, huge lengths), settings files and texts. Run at build time, so
// the seeds follow the job writer and are never checked in.
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/display_fuzz_input.h"
#include "tests/support/job_writer.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
namespace fs = std::filesystem;

constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();

class SeedDir {
public:
    explicit SeedDir(fs::path dir) : m_dir(std::move(dir)) { fs::create_directories(m_dir); }

    void Add(const Bytes& bytes) {
        char name[32];
        std::snprintf(name, sizeof name, "seed-%04d", m_count++);
        std::ofstream out(m_dir / name, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
        if (!out) {
            std::fprintf(stderr, "cannot write %s\n", (m_dir / name).c_str());
            std::exit(1);
        }
    }
    void Add(std::string_view text) { Add(Bytes(text.begin(), text.end())); }

private:
    fs::path m_dir;
    int m_count = 0;
};

Bytes Ramp(std::size_t size, std::uint8_t step) {
    Bytes row(size);
    for (std::size_t i = 0; i < size; ++i) row[i] = static_cast<std::uint8_t>(i * step);
    return row;
}

// One of every command, in a job with a correct trailer.
JobWriter EveryCommand(char prefix) {
    JobWriter job;
    job.Magic()
        .FileName("part")
        .EscE({1, 2, 3, 4, 5, 6, 7})
        .EscH(1000)
        .EscI(std::array<std::uint8_t, 3>{1, 2, 3})
        .EscJ(7)
        .EscL({1, 2, 3})
        .BitMode(0x12)
        .Pen(3)
        .EscO(0x11)
        .EscP(100)
        .EscQ(1, 2)
        .EscR(300)
        .EscS(400)
        .EscT({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16})
        .EscV()
        .EscW()
        .EscY(5)
        .EscLowA(1)
        .EscLowF(2)
        .EscLowL({})
        .EscLowN({})
        .EscLowV({1, 2, 3})
        .RleBase(200)
        .DotStep(1)
        .Raster('0', 100, 200, Ramp(40, 7))
        .Raster('1', 2000, 210, Ramp(40, 13))
        .PenUp(prefix)
        .MoveAbsolute(1000, 1000, prefix)
        .PenDown(prefix)
        .LineRelative(500, 0, prefix)
        .LineRelative(0, -500, prefix)
        .ArcB(200, 200, 100, 100, prefix)
        .ArcC(-200, 0, -100, 0, prefix)
        .VectorF(prefix)
        .VectorJ(prefix)
        .VectorE(1, 2, prefix)
        .VectorLowS(3, prefix)
        .VectorS(prefix)
        .Trailer();
    return job;
}

void AddJobs(SeedDir* parser, std::vector<Bytes>* jobs) {
    auto add = [&](const Bytes& job) {
        parser->Add(job);
        jobs->push_back(job);
    };
    add({});
    add({'L', 'T'});
    add({'L', 'T', 'X'});
    add(JobWriter().Magic().Bytes());
    add(JobWriter().Magic().Trailer().Bytes());

    // Trailers: right, wrong checksum, wrong length, wrong tag, cut short.
    const JobWriter full = EveryCommand('G');
    add(full.Bytes());
    add(EveryCommand('P').Bytes());
    add(JobWriter().Magic().Pen(1).Trailer(0x1234, 19).Bytes());
    add(JobWriter().Magic().Pen(1).Trailer(0, 7).Bytes());
    add(JobWriter().Magic().Raw({27, 'B', 'X', 'E', 0, 0}).Bytes());
    for (std::size_t cut = 1; cut < 10; ++cut) {
        Bytes bytes = JobWriter().Magic().Trailer().Bytes();
        bytes.resize(bytes.size() - cut);
        add(bytes);
    }
    // Every command cut short: the full job ended at many points.
    for (std::size_t end = 4; end < full.Size(); end += 7) {
        add(Bytes(full.Bytes().begin(), full.Bytes().begin() + static_cast<std::ptrdiff_t>(end)));
    }

    // Raster: every bit mode, threshold and a few dot steps, both directions.
    for (std::uint8_t mode = 0; mode < 4; ++mode) {
        for (std::uint8_t base : {0, 1, 128, 192, 254, 255}) {
            JobWriter job;
            job.Magic().BitMode(mode).RleBase(base).DotStep(mode == 0 ? 0 : mode + 1);
            for (std::uint8_t pen = 0; pen < 9; ++pen) {
                job.Pen(pen).Raster(pen % 2 == 0 ? '0' : '1', 50 * pen, 10 * (pen / 2),
                                    Ramp(64, pen + 1));
            }
            add(job.Trailer().Bytes());
        }
    }
    for (std::uint32_t n = 0; n < 8; ++n) {
        add(JobWriter().Magic().RasterBlock('0', n, Ramp(n, 1)).Pen(2).Trailer().Bytes());
    }
    add(JobWriter().Magic().RasterBlock('1', 0xFFFFFFFF, Ramp(16, 1)).Bytes());
    add(JobWriter().Magic().RasterBlock('0', 0x7FFFFFFF, Ramp(16, 1)).Bytes());
    add(JobWriter().Magic().DotStep(1).Raster('0', 0, 0, Bytes(70000, 9)).Trailer().Bytes());
    add(JobWriter().Magic().DotStep(1).RasterCompressed('0', 0, 0, Bytes(40, 255)).Bytes());
    add(JobWriter().Magic().DotStep(3).Raster('0', kMax - 10, kMin, Ramp(32, 3)).Bytes());
    add(JobWriter().Magic().DotStep(3).Raster('1', kMin, kMax, Ramp(32, 3)).Bytes());

    // Vectors: extreme positions, zero and enormous radii, long relative runs.
    JobWriter far;
    far.Magic().MoveAbsolute(kMax, kMax).LineRelative(kMax, kMin).LineRelative(kMin, kMax);
    far.ArcB(kMax, kMin, kMin, kMax).ArcC(0, 0, 0, 0).ArcB(1, 0, 0, 0).ArcC(0, 0, kMax, 0);
    far.MoveAbsolute(kMin, kMin).ArcC(kMin, kMin, kMax, kMax);
    add(far.Trailer().Bytes());
    JobWriter arcs;
    arcs.Magic().MoveAbsolute(20000, 15000);
    for (std::int32_t r = 1; r < 40000; r *= 3) {
        arcs.ArcB(2 * r, 0, r, 0).ArcC(-2 * r, 0, -r, 0).ArcB(r, r, 0, r).LineRelative(r, -r);
    }
    add(arcs.Trailer().Bytes());
}

DisplayFuzzOptions Options(std::int32_t width, std::int32_t height, std::int32_t resolution,
                           std::uint8_t displayMode, std::int8_t colorMode, std::uint8_t flags) {
    DisplayFuzzOptions options;
    options.modelWidth = width;
    options.modelHeight = height;
    options.resolution = resolution;
    options.displayMode = displayMode;
    options.colorMode = colorMode;
    options.flags = flags;
    return options;
}

// Each job once with the dialog's defaults, and again with options taken in
// turn from a list that covers every display and colour mode, the show
// flags, delays, displacements, odd canvases and models.
void AddDisplaySeeds(SeedDir* display, const std::vector<Bytes>& jobs) {
    std::vector<DisplayFuzzOptions> variants = {
        Options(1000, 600, 1000, 1, 1, 0x1F), Options(1000, 600, 1000, 2, 2, 0x0F),
        Options(400, 300, 500, 3, 1, 0x06),   Options(2000, 50, 254, 3, 2, 0x10),
        Options(1, 1, 1, 3, 0, 0x1F),         Options(600, 600, 4000, 3, -1, 0x09),
    };
    variants[1].cutDelay = -5;
    variants[1].engraveDelay = kMin;
    variants[2].offsetX = -3000;
    variants[2].offsetY = 2000;
    variants[3].offsetX = kMax;
    variants[3].offsetY = kMin;
    variants[4].canvasWidth = 1;
    variants[4].canvasHeight = 1024;
    variants[5].canvasWidth = 1024;
    variants[5].canvasHeight = 3;
    for (std::size_t i = 0; i < jobs.size(); ++i) {
        for (const DisplayFuzzOptions& options :
             {DisplayFuzzOptions(), variants[i % variants.size()]}) {
            Bytes input;
            options.Write(&input);
            input.insert(input.end(), jobs[i].begin(), jobs[i].end());
            display->Add(input);
        }
    }
}

// The region view target's first bytes: model, view corner, span (x in
// steps of 16 dots), zoom, shading, offsets, display mode, colour mode and
// show flags, as fuzz/region_view_fuzz.cpp reads them.
struct RegionViewSeed {
    std::uint16_t width, height, resolution;
    std::int16_t x0, y0;
    std::uint16_t spanX, spanY;
    std::uint8_t zoom, shade, offsetX, offsetY, displayMode, colorMode, flags;
};

void AddRegionViewSeeds(SeedDir* regionView, const std::vector<Bytes>& jobs) {
    // Each within the target's 65,536 dots and pixels.
    const std::vector<RegionViewSeed> headers = {
        {100, 60, 254, 0, 300, 15, 240, 0, 0, 0, 0, 3, 0, 0},       // a small bed, 1:1
        {100, 60, 254, -20, 350, 16, 250, 3, 1, 5, 0xFB, 3, 1, 3},  // K 3, coverage
        {1000, 600, 1000, 0, 999, 2460, 0, 8, 1, 0, 0, 3, 2, 1},    // a row across the bed, K 17
        {50, 50, 254, 100, 100, 2, 30, 0x83, 0, 0, 0, 2, 0, 2},     // 5 pixels a dot
    };
    const auto add = [&](const RegionViewSeed& h, const Bytes& job) {
        Bytes input;
        for (const std::uint16_t value :
             {h.width, h.height, h.resolution, static_cast<std::uint16_t>(h.x0),
              static_cast<std::uint16_t>(h.y0), h.spanX, h.spanY}) {
            input.push_back(static_cast<std::uint8_t>(value >> 8));
            input.push_back(static_cast<std::uint8_t>(value));
        }
        input.insert(input.end(),
                     {h.zoom, h.shade, h.offsetX, h.offsetY, h.displayMode, h.colorMode, h.flags});
        input.insert(input.end(), job.begin(), job.end());
        regionView->Add(input);
    };
    for (std::size_t i = 0; i < jobs.size(); ++i) add(headers[i % headers.size()], jobs[i]);
    // Two full lines on the one dot row of a view 65,521 dots wide: a copy
    // of either line more is a dot row whose dots no longer fit in a list.
    JobWriter overlapping;
    overlapping.Magic().DotStep(1);
    for (int i = 0; i < 2; ++i) overlapping.Raster('0', 0, 1000, Bytes(8190, 0xFF));
    add({2000, 600, 1000, 0, 999, 4095, 0, 16, 1, 0, 0, 1, 0, 0}, overlapping.Bytes());
}

void AddSettingsSeeds(SeedDir* settings) {
    settings->Add("");
    settings->Add(
        "[MODEL_LIST]\nNo=4\nItem_1=Desk 400\nItem_2=Bench 1000\nItem_4=Spare\n\n"
        "[Desk 400]\nWidth=400\nHeight=300\nResolution=500\n\n"
        "[Bench 1000]\nWidth=1000\nHeight=600\nResolution=1000\n");
    settings->Add(
        "\xEF\xBB\xBF[model_list]\r\nno = 2\r\nitem_1 = \"A 100%\"\r\nITEM_2='B'\r\n"
        "[a 100%]\r\nwidth=-5\r\nheight=0\r\nresolution=99999999999\r\n");
    settings->Add(
        "[MODEL_LIST]\nNo=2147483647\nItem_2147483647=Last\nItem_01=Zero\nItem_1=\n"
        "; comment\n# comment\nItem_3=x;y\n[Last]\nWidth=+12\n[Last]\nWidth=13\n");
    settings->Add("[MODEL_LIST]\nNo=-1\nItem_1=Neg\n");
    settings->Add("[MODEL_LIST\nNo=1\nItem_1=[x]]\n[[x]]]\nWidth=7\n=novalue\nnoequals\n");
    settings->Add("[MODEL_LIST]\nNo=1\nItem_1=" + std::string(200, 'n') + "\n[" +
                  std::string(127, 'n') + "]\nWidth=3\n");
}

void AddTextSeeds(SeedDir* text) {
    for (std::string_view seed : {"0", "1000", "  -42abc", "\t+7", "99999999999", "-2147483648",
                                  "2147483648", "+", "-", " \n\v\f\r12", "abc"}) {
        text->Add(seed);
    }
    using namespace std::string_literals;
    for (const std::string& seed :
         {"/jobs/part.prn\0bmp"s, "/jobs/part.prn.old\0bmp"s, "/rev.2/part\0bmp"s,
          "./part.prn\0bmp"s, "part.\0bmp"s, "part\0bmp"s, ".hidden\0bmp"s, "dir/..\0bmp"s,
          "dir/.\0bmp"s, "a/b.c/\0bmp"s, std::string(300, 'x') + ".prn\0bmp"s}) {
        text->Add(seed);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_DIR\n", argv[0]);
        return 2;
    }
    const fs::path out = argv[1];
    fs::remove_all(out);
    SeedDir parser(out / "parser");
    SeedDir display(out / "display");
    SeedDir settings(out / "settings");
    SeedDir text(out / "text");
    SeedDir cli(out / "cli");
    SeedDir rasterDiff(out / "raster_diff");
    SeedDir diff(out / "diff");
    SeedDir regionView(out / "region_view");

    std::vector<Bytes> jobs;
    AddJobs(&parser, &jobs);
    // The command line reads the same jobs; the raster comparison the same
    // options blocks and jobs as the display.
    for (const Bytes& job : jobs) cli.Add(job);
    // diff: each job against itself with one byte changed, and against
    // itself inserted into itself a third of the way in.
    for (const Bytes& job : jobs) {
        const std::size_t size = job.size();
        const std::size_t at = size / 3;
        Bytes changed = {0, 0, static_cast<std::uint8_t>(size >> 8),
                         static_cast<std::uint8_t>(size)};
        changed.insert(changed.end(), job.begin(), job.end());
        changed.insert(changed.end(), job.begin(), job.end());
        if (size > 0) changed[4 + size + size / 2] ^= 1;
        diff.Add(changed);
        Bytes doubled = {static_cast<std::uint8_t>(at >> 8), static_cast<std::uint8_t>(at), 0, 0};
        doubled.insert(doubled.end(), job.begin(), job.end());
        doubled.insert(doubled.end(), job.begin(), job.end());
        diff.Add(doubled);
    }
    AddDisplaySeeds(&display, jobs);
    AddDisplaySeeds(&rasterDiff, jobs);
    AddRegionViewSeeds(&regionView, jobs);
    AddSettingsSeeds(&settings);
    AddTextSeeds(&text);
    // Any bytes make a layout for the writer; a few varied ones to start.
    SeedDir writer(out / "writer");
    for (const std::uint8_t step : {1, 37, 101}) writer.Add(Ramp(96, step));
    return 0;
}
