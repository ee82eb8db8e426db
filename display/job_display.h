// CJobDisplay: the job parser that draws. It overrides the parser's hooks and
// turns them into pixels on an off-screen canvas: raster engraving lines are
// decoded and plotted row by row (raster_preview.cpp), vector moves, lines and
// arcs are stroked with the current pen (vector_preview.cpp), and the bed
// image can be saved as a bitmap file (bitmap_export.cpp). This file holds the
// canvas, the geometry that maps machine dots onto it, pens and the options.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "display/canvas.h"
#include "display/canvas_types.h"
#include "display/display_modes.h"
#include "display/model_info.h"
#include "display/raster_rows.h"
#include "parser/base_job_parser.h"

class Screen;
struct ViewMapping;

// The canvas the display draws on. The parent window is the screen the
// canvas is presented on (null: nowhere); the control id names the control
// whose top-left corner is the canvas origin.
struct CanvasDesc {
    std::int32_t width = 0;
    std::int32_t height = 0;
    Screen* parentWnd = nullptr;
    std::int32_t ctrlId = 0;
};

// The canvas of the desktop program, which the command line and the
// benchmarks take by default too.
inline constexpr std::int32_t kDefaultCanvasWidth = 910;
inline constexpr std::int32_t kDefaultCanvasHeight = 620;

// A point or rectangle in machine dots. 64 bits, so that displacements,
// relative moves and arc geometry never overflow (a job of at most 2^32
// bytes cannot drive a sum of s32 values past 2^62).
struct DotPoint {
    std::int64_t x = 0;
    std::int64_t y = 0;
};
struct DotRect {
    std::int64_t left = 0;
    std::int64_t top = 0;
    std::int64_t right = 0;
    std::int64_t bottom = 0;
};

// The eight layer colours, indexed by the job's pen number.
extern const std::array<Color, 8> g_penColors;

class CJobDisplay : public CBaseJobParser {
public:
    CJobDisplay();
    ~CJobDisplay() override;

    // Copies the description and creates the canvas and the display row.
    // Returns 0 (changing nothing) for a null pointer or a size the canvas
    // refuses, else 1.
    int SetCanvas(const CanvasDesc* desc);

    // Computes the bed in dots, the fit, the scale and the image size.
    // Returns 0 and changes nothing when width, height or resolution is below
    // 1, the bed in dots would be 0 or not fit a signed 32-bit value, or there
    // is no canvas yet (the fit needs the canvas size).
    int SetModel(const ModelInfo* model);

    // One load as the desktop program does it: the canvas grey and the bed
    // white, shown; the job attached and parsed, which draws it; the whole
    // canvas shown again. The job is borrowed for the call; a null job is
    // drawn as an empty one.
    void DrawJob(const std::uint8_t* job, std::uint32_t size);

    void ClearCanvas();
    void ClearBed();
    void Present(const CanvasRect& rect);  // right and bottom inclusive
    void PresentAll();
    void SelectPenColor(Color color);

    // Writes the bed image as an uncompressed 24-bit bitmap file. Returns 1
    // when the file is complete; 0 for a null path, or when it could not be
    // written, with the reason in *error (when given). A failed save leaves
    // any earlier file of that name untouched.
    int SaveImage(const char* path, std::string* error = nullptr) const;

    // Options, as the main dialog passes them.
    void SetOffset(std::int32_t x, std::int32_t y);
    void SetDisplayMode(std::int32_t mode);
    void SetColorMode(std::int32_t mode);  // colormode::kCount or more (as unsigned) is ignored
    void SetShowStartPoint(std::int32_t flag);
    void SetShowCutPath(std::int32_t flag);
    void SetShowCutProcess(std::int32_t flag);
    void SetShowPR(std::int32_t flag);
    void SetShowEngraveProcess(std::int32_t flag);
    void SetCutDelay(std::int32_t milliseconds);
    void SetEngraveDelay(std::int32_t milliseconds);
    std::int32_t GetDisplayMode() const { return m_displayMode; }
    std::int32_t GetColorMode() const { return m_colorMode; }
    std::int32_t GetOffsetX() const { return m_offsetX; }
    std::int32_t GetOffsetY() const { return m_offsetY; }
    std::int32_t GetShowCutPath() const { return m_showCutPath; }
    std::int32_t GetShowStartPoint() const { return m_showStartPoint; }
    std::int32_t GetCutDelay() const { return m_cutDelay; }
    std::int32_t GetEngraveDelay() const { return m_engraveDelay; }

    // Read access for drivers and tests.
    const Canvas& GetCanvas() const { return m_memDC; }
    std::int32_t GetImageWidth() const { return m_imageWidth; }
    std::int32_t GetImageHeight() const { return m_imageHeight; }
    std::int32_t GetBedWidthDots() const { return m_bedWidthDots; }
    std::int32_t GetBedHeightDots() const { return m_bedHeightDots; }
    float GetScale() const { return m_scale; }
    std::uint32_t GetErrorFlags() const { return m_errorFlags; }

protected:
    // For views of part of the bed (region_view.h): with a mapping set,
    // vector positions go through it instead of the canvas scale, and the
    // view draws its raster straight onto the surface.
    void SetViewMapping(const ViewMapping* mapping) { m_viewMapping = mapping; }
    Canvas& Surface() { return m_memDC; }

    void OnVectorF() override;
    void OnVectorJ() override;
    void OnEscV() override;
    void OnJobEnd() override;
    void OnParseBegin() override;
    void OnRasterLine() override;
    void OnArcB() override;
    void OnArcC() override;
    void OnPenSelect() override;
    void OnLineRelative() override;
    void OnMoveAbsolute() override;

private:
    // Canvas and screen (job_display.cpp).
    void Pause(std::int32_t milliseconds);
    RowGeometry Geometry() const;

    // Raster engraving (raster_preview.cpp).
    RasterLineInput ReadRasterLine(std::uint32_t cmdStart) const;
    void FlushRasterRow();

    // Vector cutting (vector_preview.cpp).
    CanvasPoint MapToCanvas(const DotPoint& dots) const;
    std::int32_t MapXToCanvas(std::int64_t x) const;
    std::int32_t MapYToCanvas(std::int64_t y) const;
    std::int32_t ReadVectorParam(int index) const;
    void ReadArcParams();
    void SetupArc();
    void ArcToCanvas();
    void DrawArc(int direction);
    void SelectTypeColor(int type);

    std::int32_t m_offsetX = 0;
    std::int32_t m_offsetY = 0;
    std::int32_t m_showPR = 0;
    std::int32_t m_cutDelay = 1;
    std::int32_t m_engraveDelay = 1;
    std::int32_t m_showCutProcess = 0;
    std::int32_t m_showEngraveProcess = 0;
    std::int32_t m_markerWidth = 5;
    std::int32_t m_markerHeight = 5;
    std::int32_t m_colorMode = colormode::kFile;
    std::int32_t m_showCutPath = 0;
    std::int32_t m_showStartPoint = 0;
    std::int32_t m_displayMode = displaymode::kAll;
    std::uint16_t m_penIndex = 0;
    // The raster rows being gathered (raster_rows.h).
    RasterRows m_rasterRows;
    DotRect m_arcRect;
    CanvasPoint m_displayPos;
    DotPoint m_machinePos;
    DotPoint m_arcStart;
    DotPoint m_arcEnd;
    DotPoint m_arcCenter;
    std::int32_t m_penWidth = 1;
    std::int32_t m_bedWidthDots = 0;
    std::int32_t m_bedHeightDots = 0;
    float m_scale = 0.0f;
    std::int32_t m_imageWidth = 0;
    std::int32_t m_imageHeight = 0;
    Canvas m_memDC;
    std::int32_t m_canvasWidth = 0;
    std::int32_t m_canvasHeight = 0;
    Screen* m_hParentWnd = nullptr;
    const ViewMapping* m_viewMapping = nullptr;
};

// Replaces what follows the first '.' of the file name (the last path
// component), unless that '.' is its first character, by ext. Returns 0,
// leaving path unchanged, when path or ext is null or there is no such '.'.
int ReplaceExtension(std::string* path, const char* ext);
