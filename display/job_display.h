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
#include "display/model_info.h"
#include "parser/base_job_parser.h"

class Screen;

// The canvas the display draws on. The parent window is the screen the
// canvas is presented on (null: nowhere); the control id names the control
// whose top-left corner is the canvas origin.
struct CanvasDesc {
    std::int32_t width = 0;
    std::int32_t height = 0;
    Screen* parentWnd = nullptr;
    std::int32_t ctrlId = 0;
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
    // 1, or the bed in dots would be 0 or not fit a signed 32-bit value.
    int SetModel(const ModelInfo* model);

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
    void SetColorMode(std::int32_t mode);  // 3 or more (as unsigned) is ignored
    void SetShowStartPoint(std::int32_t flag);
    void SetShowCutPath(std::int32_t flag);
    void SetShowCutProcess(std::int32_t flag);
    void SetShowPR(std::int32_t flag);
    void SetShowEngraveProcess(std::int32_t flag);
    void SetCutDelay(std::int32_t milliseconds);
    void SetEngraveDelay(std::int32_t milliseconds);
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

    // The private operations of the raster and vector halves, and the fields
    // in declaration order, follow here.
};

// Replaces what follows the first '.' of the file name (the last path
// component), unless that '.' is its first character, by ext. Returns 0,
// leaving path unchanged, when path or ext is null or there is no such '.'.
int ReplaceExtension(std::string* path, const char* ext);
