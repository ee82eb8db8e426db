// CJobExtents: the parser that measures a job instead of drawing it. It
// decodes raster lines by the preview's rules, but does not clip them to the
// bed width, so a line running off the bed is measured where it is; it
// follows the head through moves, lines and arcs (arcs by the part of the
// circle they sweep, not their bounding square), and totals each layer's
// engraved dots and cut length.
#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "parser/base_job_parser.h"

// An inclusive box in machine dots, y growing upwards; empty until a first
// point is added.
struct DotBox {
    bool empty = true;
    std::int64_t left = 0;
    std::int64_t bottom = 0;
    std::int64_t right = 0;
    std::int64_t top = 0;

    void Add(std::int64_t x, std::int64_t y);
    bool operator==(const DotBox&) const = default;
};

struct LayerTotals {
    std::uint64_t dots = 0;  // set raster pixels
    double cutDots = 0.0;    // length of lines and arcs, in dots
};

struct JobExtents {
    // Set raster pixels: the dot of each, and the row (y) of its line.
    DotBox dots;
    // Lines and arcs.
    DotBox cuts;
    // 'A' moves: their targets and where each move starts once the head has
    // a position of the job's own.
    DotBox travel;
    // By the layer (pen number 0 to 7) in force when the command is read.
    std::array<LayerTotals, 8> layers{};
};

// How far each kind reaches past each edge of a bed, in dots (0: not past).
struct EdgeOverhang {
    double left = 0.0;
    double right = 0.0;
    double top = 0.0;
    double bottom = 0.0;

    bool Any() const { return left > 0 || right > 0 || top > 0 || bottom > 0; }
};

struct BedFit {
    EdgeOverhang dots;
    EdgeOverhang cuts;
    EdgeOverhang travel;

    bool Fits() const { return !dots.Any() && !cuts.Any() && !travel.Any(); }
};

// The preview plots dot x on the bed for 0 <= x < width and a raster line
// at y for 0 < y <= height (the row of y = 0 is the first below the image);
// positions of the head are on the bed from 0 to the width and height.
BedFit FitOnBed(const JobExtents& extents, std::int32_t bedWidthDots, std::int32_t bedHeightDots);

class CJobExtents : public CBaseJobParser {
public:
    CJobExtents();
    ~CJobExtents() override;

    // The displacement the preview adds to raster lines and 'A' targets.
    void SetOffset(std::int32_t x, std::int32_t y);

    // What the last Parse measured.
    const JobExtents& GetExtents() const { return m_extents; }

protected:
    void OnParseBegin() override;
    void OnRasterLine() override;
    void OnPenSelect() override;
    void OnMoveAbsolute() override;
    void OnLineRelative() override;
    void OnArcB() override;
    void OnArcC() override;

private:
    std::int32_t ReadVectorParam(int index) const;
    void MeasureArc(bool clockwise);

    std::int32_t m_offsetX = 0;
    std::int32_t m_offsetY = 0;
    std::uint16_t m_layer = 0;
    std::int64_t m_headX = 0;
    std::int64_t m_headY = 0;
    bool m_headPlaced = false;  // a vector command of this job has set the position
    JobExtents m_extents;
    std::unique_ptr<std::uint8_t[]> m_decodeBuffer;
};
