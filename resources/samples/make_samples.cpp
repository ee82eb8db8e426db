// Writes the sample jobs that ship with Lumikor into the directory given as
// the only argument: sample.prn (an engraved badge with its cut outline),
// engrave.prn (8-bit grey raster only) and cut.plt (vector cutting only).
// All are drawn on the default 1000 x 600 mm bed at 1000 dpi.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "tests/support/job_writer.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
constexpr double kPi = 3.14159265358979323846;
constexpr int kDotsPerMm = 1000 * 10 / 254;  // 39, near enough for placing shapes

// 5 x 7 glyphs for the badge's lettering, one row per string, '#' set.
struct Glyph {
    char letter;
    const char* rows[7];
};
constexpr Glyph kGlyphs[] = {
    {'L', {"#....", "#....", "#....", "#....", "#....", "#....", "#####"}},
    {'U', {"#...#", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."}},
    {'M', {"#...#", "##.##", "#.#.#", "#.#.#", "#...#", "#...#", "#...#"}},
    {'I', {"#####", "..#..", "..#..", "..#..", "..#..", "..#..", "#####"}},
    {'K', {"#...#", "#..#.", "#.#..", "##...", "#.#..", "#..#.", "#...#"}},
    {'O', {".###.", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."}},
    {'R', {"####.", "#...#", "#...#", "####.", "#.#..", "#..#.", "#...#"}},
};

bool TextPixel(const std::string& text, int col, int row) {
    // Glyph cells are 6 columns wide (one blank column between letters).
    if (row < 0 || row >= 7 || col < 0) return false;
    const std::size_t index = static_cast<std::size_t>(col / 6);
    if (index >= text.size() || col % 6 == 5) return false;
    for (const Glyph& g : kGlyphs) {
        if (g.letter == text[index]) return g.rows[row][col % 6] == '#';
    }
    return false;
}

// Ordered dithering: a 4 x 4 Bayer threshold for a grey level 0..1.
bool Dither(double grey, int col, int row) {
    static constexpr int kBayer[4][4] = {
        {0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
    return grey * 16.0 > kBayer[row & 3][col & 3] + 0.5;
}

// Packs pixels into bytes, first pixel in the high bit. '1' lines run towards
// smaller x, so their pixels are taken from the right.
Bytes PackBits(const std::vector<bool>& pixels, bool backwards) {
    Bytes bytes((pixels.size() + 7) / 8, 0);
    for (std::size_t i = 0; i < pixels.size(); ++i) {
        const bool on = backwards ? pixels[pixels.size() - 1 - i] : pixels[i];
        if (on) bytes[i / 8] |= static_cast<std::uint8_t>(0x80 >> (i % 8));
    }
    return bytes;
}

// Engraves a round badge, dithered darker towards its rim, with lettering
// across the middle. Lines alternate direction like a real engraver's.
void EngraveBadge(JobWriter& w, int left, int bottom, int diameter, int step) {
    const int pixelsAcross = diameter / step;
    const double radius = pixelsAcross / 2.0;
    const std::string text = "LUMIKOR";
    const int textScale = pixelsAcross / 48;
    const int textCols = static_cast<int>(text.size()) * 6 - 1;
    const int textLeft = static_cast<int>(radius) - textCols * textScale / 2;
    const int textBottom = static_cast<int>(radius) - 7 * textScale / 2;
    for (int row = 0; row < pixelsAcross; ++row) {
        std::vector<bool> pixels(static_cast<std::size_t>(pixelsAcross));
        for (int col = 0; col < pixelsAcross; ++col) {
            const double dx = col + 0.5 - radius;
            const double dy = row + 0.5 - radius;
            const double r = std::sqrt(dx * dx + dy * dy) / radius;
            const bool inText = TextPixel(text, (col - textLeft) / std::max(textScale, 1),
                                          6 - (row - textBottom) / std::max(textScale, 1)) &&
                                row >= textBottom;
            const bool ring = r > 0.86 && r <= 0.93;
            bool on = false;
            if (r <= 1.0) on = ring || (!inText && r <= 0.8 && Dither(0.15 + 0.6 * r, col, row));
            pixels[static_cast<std::size_t>(col)] = on;
        }
        const bool backwards = row % 2 == 1;
        const int y = bottom + row * step;
        const int x = backwards ? left + (pixelsAcross - 1) * step : left;
        w.Raster(backwards ? '1' : '0', x, y, PackBits(pixels, backwards));
    }
}

// A closed rounded rectangle cut from its lower-left straight edge, with
// quarter arcs (ArcC) at the corners.
void CutRoundedRectangle(JobWriter& w, int left, int bottom, int width, int height, int corner) {
    w.PenUp().MoveAbsolute(left + corner, bottom).PenDown();
    w.LineRelative(width - 2 * corner, 0).ArcC(corner, corner, 0, corner);
    w.LineRelative(0, height - 2 * corner).ArcC(-corner, corner, -corner, 0);
    w.LineRelative(-(width - 2 * corner), 0).ArcC(-corner, -corner, 0, -corner);
    w.LineRelative(0, -(height - 2 * corner)).ArcC(corner, -corner, corner, 0);
    w.PenUp();
}

// A full circle as two half arcs, started at its leftmost point.
void CutCircle(JobWriter& w, int centreX, int centreY, int radius, char prefix = 'G') {
    w.PenUp(prefix).MoveAbsolute(centreX - radius, centreY, prefix).PenDown(prefix);
    w.ArcB(2 * radius, 0, radius, 0, prefix).ArcB(-2 * radius, 0, -radius, 0, prefix);
    w.PenUp(prefix);
}

// A five-pointed star of straight cuts.
void CutStar(JobWriter& w, int centreX, int centreY, int outer, int inner) {
    int lastX = centreX;
    int lastY = centreY + outer;
    w.PenUp().MoveAbsolute(lastX, lastY).PenDown();
    for (int i = 1; i <= 10; ++i) {
        const double angle = kPi / 2 + i * kPi / 5;
        const int r = i % 2 == 0 ? outer : inner;
        const int x = centreX + static_cast<int>(std::lround(r * std::cos(angle)));
        const int y = centreY + static_cast<int>(std::lround(r * std::sin(angle)));
        w.LineRelative(x - lastX, y - lastY);
        lastX = x;
        lastY = y;
    }
    w.PenUp();
}

void JobHeader(JobWriter& w, const std::string& name) {
    w.Magic().FileName(name).EscY(0).EscH(1000).EscR(1000).DotStep(1).RleBase(0);
}

// The parts sheet of cut.plt: a plate with four holes and a star.
void CutPartsSheet(JobWriter& w) {
    w.Pen(5).EscJ(30).EscS(100).EscP(100);
    CutRoundedRectangle(w, 600 * kDotsPerMm, 100 * kDotsPerMm, 300 * kDotsPerMm, 180 * kDotsPerMm,
                        20 * kDotsPerMm);
    w.Pen(6);
    for (int i = 0; i < 4; ++i) {
        CutCircle(w, (650 + 67 * i) * kDotsPerMm, 240 * kDotsPerMm, 15 * kDotsPerMm, 'P');
    }
    w.Pen(7);
    CutStar(w, 750 * kDotsPerMm, 160 * kDotsPerMm, 45 * kDotsPerMm, 18 * kDotsPerMm);
}

JobWriter SampleBadge() {
    JobWriter w;
    JobHeader(w, "badge.prn");
    const int left = 120 * kDotsPerMm;
    const int bottom = 220 * kDotsPerMm;
    const int diameter = 260 * kDotsPerMm;
    const int step = 12;
    w.Pen(1).BitMode(0).DotStep(step).EscJ(300).EscS(100).EscP(60);
    EngraveBadge(w, left, bottom, diameter, step);
    w.EscV();
    w.Pen(2).EscJ(40).EscS(90).EscP(100);
    CutCircle(w, left + diameter / 2, bottom + diameter / 2, diameter / 2 + 5 * kDotsPerMm);
    w.Pen(3).EscJ(20).EscS(100).EscP(100);
    const int margin = 25 * kDotsPerMm;
    CutRoundedRectangle(w, left - margin, bottom - margin, diameter + 2 * margin,
                        diameter + 2 * margin, 30 * kDotsPerMm);
    CutCircle(w, left + diameter / 2, bottom + diameter + margin / 2, 6 * kDotsPerMm, 'P');
    CutPartsSheet(w);
    w.VectorF();
    return w.Trailer();
}

JobWriter SampleGreyEngraving() {
    JobWriter w;
    JobHeader(w, "gradient.prn");
    const int left = 300 * kDotsPerMm;
    const int bottom = 150 * kDotsPerMm;
    const int width = 400;  // bytes per line, one byte per pixel in 8-bit mode
    const int lines = 300;
    const int step = 25;
    w.Pen(4).BitMode(2).DotStep(step).EscJ(250);
    for (int row = 0; row < lines; ++row) {
        Bytes line(width);
        for (int col = 0; col < width; ++col) {
            // Concentric rings fading from left to right; runs compress well.
            const double dx = col - width / 2.0;
            const double dy = row - lines / 2.0;
            const double ring = 0.5 + 0.5 * std::cos(std::sqrt(dx * dx + dy * dy) / 12.0);
            line[static_cast<std::size_t>(col)] =
                static_cast<std::uint8_t>(std::lround(255 * ring * col / (width - 1)) & 0xF0);
        }
        w.Raster('0', left, bottom + row * step, line);
    }
    w.EscV();
    return w.Trailer();
}

JobWriter SampleCutting() {
    JobWriter w;
    JobHeader(w, "parts.plt");
    CutPartsSheet(w);
    w.VectorJ();
    return w.Trailer();
}

bool WriteJob(const std::string& path, const JobWriter& job) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return false;
    const bool written = std::fwrite(job.Bytes().data(), 1, job.Size(), file) == job.Size();
    return std::fclose(file) == 0 && written;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_samples OUTPUT_DIRECTORY\n");
        return 2;
    }
    const std::string dir = argv[1];
    const bool ok = WriteJob(dir + "/sample.prn", SampleBadge()) &&
                    WriteJob(dir + "/engrave.prn", SampleGreyEngraving()) &&
                    WriteJob(dir + "/cut.plt", SampleCutting());
    if (!ok) std::fprintf(stderr, "make_samples: cannot write the sample jobs to %s\n", argv[1]);
    return ok ? 0 : 1;
}
