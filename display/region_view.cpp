#include "display/region_view.h"

#include <algorithm>
#include <memory>
#include <new>
#include <utility>

#include "display/job_display.h"

namespace {

constexpr Color kOffBedGrey = 0xB4B4B4;
constexpr Color kBedWhite = 0xFFFFFF;
// How many commands are replayed between looks at the cancel flag.
constexpr std::size_t kCancelPollInterval = 4096;

// The main canvas's drawing of vector commands, replayed from the index
// through the view's mapping onto a canvas of the view's size.
class CRegionView : public CJobDisplay {
public:
    ViewOutcome Draw(const JobIndex& job, const RegionViewSettings& settings,
                     const std::atomic<bool>* cancel) {
        m_mapping = settings.view;
        const CanvasDesc desc{static_cast<std::int32_t>(m_mapping.Width()),
                              static_cast<std::int32_t>(m_mapping.Height()), nullptr, 0};
        // The mapping first: the view's canvas does not fit the bed.
        SetViewMapping(&m_mapping);
        // The view's size is checked already: only memory can be missing.
        if (SetCanvas(&desc) == 0) return ViewOutcome::kOutOfMemory;
        if (SetModel(&settings.model) == 0) return ViewOutcome::kNotDrawable;
        SetDisplayMode(settings.displayMode);
        SetColorMode(settings.colorMode);
        SetOffset(settings.offsetX, settings.offsetY);
        SetShowCutPath(settings.showCutPath);
        SetShowStartPoint(settings.showStartPoint);
        DrawBed();
        if ((settings.displayMode & displaymode::kRaster) != 0) {
            const RasterFrame frame{settings.offsetX, settings.offsetY, GetBedWidthDots(),
                                    settings.shade};
            RegionRaster raster;
            if (!raster.Draw(job, m_mapping, frame, &Surface(), cancel)) {
                return ViewOutcome::kCancelled;
            }
        }
        return ReplayVectors(job, cancel) ? ViewOutcome::kDrawn : ViewOutcome::kCancelled;
    }

    Canvas TakeImage() { return std::move(Surface()); }

private:
    void DrawBed() {
        Canvas& surface = Surface();
        surface.FillSolidRect(0, 0, surface.Width(), surface.Height(), kOffBedGrey);
        // The bed's dots inside the view, 0 <= x < width and 0 < y <= height,
        // through the same mapping as everything else.
        const std::int64_t left = std::max<std::int64_t>(m_mapping.x0, 0);
        const std::int64_t right = std::min<std::int64_t>(m_mapping.x1, GetBedWidthDots());
        const std::int64_t bottom = std::max<std::int64_t>(m_mapping.y0, 0);
        const std::int64_t top = std::min<std::int64_t>(m_mapping.y1, GetBedHeightDots());
        if (left >= right || bottom >= top) return;
        const std::int64_t m = m_mapping.pixelsPerDot;
        const std::int64_t x = m_mapping.ColumnOf(left);
        const std::int64_t y = m_mapping.RowOf(top);
        surface.FillSolidRect(static_cast<std::int32_t>(x), static_cast<std::int32_t>(y),
                              static_cast<std::int32_t>(m_mapping.ColumnOf(right - 1) + m - x),
                              static_cast<std::int32_t>(m_mapping.RowOf(bottom + 1) + m - y),
                              kBedWhite);
    }

    // The hooks read their command from the parser's descriptor, so each is
    // pointed at the indexed command first. The raster is drawn already.
    bool ReplayVectors(const JobIndex& job, const std::atomic<bool>* cancel) {
        Attach(job.Data(), job.Size());
        OnParseBegin();
        Canvas& surface = Surface();
        // A fresh main canvas starts at its top-left corner, the bed's
        // top-left dot; ESC 'V' goes back there.
        const auto home = [&] {
            surface.MoveTo(m_mapping.PathColumn(0), m_mapping.PathRow(GetBedHeightDots()));
        };
        home();
        const std::deque<IndexedCommand>& commands = job.Commands();
        for (std::size_t i = 0; i < commands.size(); ++i) {
            if (i % kCancelPollInterval == 0 && cancel != nullptr &&
                cancel->load(std::memory_order_relaxed)) {
                return false;
            }
            const IndexedCommand& command = commands[i];
            m_cmdStart = command.params;
            m_cmdPrefix = 0;
            m_penNumber = command.penNumber;
            switch (command.kind) {
                case IndexedCommand::kRasterLine:
                    break;
                case IndexedCommand::kMove:
                    OnMoveAbsolute();
                    break;
                case IndexedCommand::kLine:
                    OnLineRelative();
                    break;
                case IndexedCommand::kArcClockwise:
                    OnArcB();
                    break;
                case IndexedCommand::kArcCounterClockwise:
                    OnArcC();
                    break;
                case IndexedCommand::kPenSelect:
                    OnPenSelect();
                    break;
                case IndexedCommand::kEndSpeedSlow:
                    OnVectorF();
                    break;
                case IndexedCommand::kEndSpeedFast:
                    OnVectorJ();
                    break;
                case IndexedCommand::kHome:
                    home();
                    break;
            }
        }
        return true;
    }

    ViewMapping m_mapping;
};

}  // namespace

ViewOutcome DrawRegionView(const JobIndex& job, const RegionViewSettings& settings, Canvas* image,
                           const std::atomic<bool>* cancel) {
    if (!settings.view.Drawable()) return ViewOutcome::kNotDrawable;
    if (job.OutOfMemory()) return ViewOutcome::kOutOfMemory;
    // The work's allocations (the display's buffers, the lines of the view)
    // are the calls here that throw.
    try {
        // On the heap: the display carries a decode buffer of 64 KiB.
        const auto view = std::make_unique<CRegionView>();
        const ViewOutcome outcome = view->Draw(job, settings, cancel);
        if (outcome == ViewOutcome::kDrawn) *image = view->TakeImage();
        return outcome;
    } catch (const std::bad_alloc&) {
        return ViewOutcome::kOutOfMemory;
    }
}
