// CDetailWindow: a second, non-modal and resizable window that shows the job
// last loaded in the main dialog exactly, dot for dot, at an integer zoom
// (region_view.h). The wheel and + / - zoom one level about the cursor,
// dragging and the arrow keys pan, Home fits the bed; a readout gives the
// cursor's dot and millimetres and the zoom; "Shade by coverage" mixes each
// pixel by the share of its dots that are set; "Save View..." writes the
// view as a PNG file.
#pragma once

#include <QImage>
#include <QString>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <memory>

#include "app/view_renderer.h"
#include "display/model_info.h"
#include "display/region_view.h"
#include "document/job_document.h"
#include "ui/view_navigation.h"

class CJobDisplay;
class QCheckBox;
class QLabel;
class DetailCanvas;

class CDetailWindow : public QWidget {
public:
    // Takes the display options from display at each load.
    CDetailWindow(const CJobDisplay& display, QWidget* parent);
    ~CDetailWindow() override;

    // After each load or redraw of the main dialog: the job the main canvas
    // drew from path, drawn with this model and the display's options as they
    // are now. The file is not read again: what it holds now may differ.
    void JobLoaded(const QString& path, std::shared_ptr<const JobDocument> job,
                   const ModelInfo& model);

    // Opens (or raises) the window centred on the dot under a pixel of the
    // main canvas, at 1 dot per pixel; or with the whole bed fitted. model
    // is the one in force, for when no job has been loaded yet.
    void OpenAtCanvasPixel(std::int32_t x, std::int32_t y, const ModelInfo& model);
    void OpenFitted(const ModelInfo& model);

    // Writes the current view as a PNG file, replacing it only when complete.
    bool SaveView(const QString& path, QString* error) const;
    // Told what each "Save View" did, for the main window's status line.
    void SetSaveReporter(std::function<void(const QString& text)> reporter) {
        m_reportSave = std::move(reporter);
    }

    const ViewNavigator& Navigator() const { return m_navigator; }
    // The view being shown, with the options it is drawn with.
    RegionViewSettings CurrentSettings() const;
    // Whether the picture on screen is that of the current view.
    bool PictureIsCurrent() const;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    friend class DetailCanvas;

    void Open(const ModelInfo& model);
    void ReadOptions(const ModelInfo& model);
    void CanvasResized();
    void ViewChanged();
    void PictureDrawn(std::uint64_t request, const ViewMapping& view, const QImage& image);
    void ShowReadout(std::int64_t px, std::int64_t py);
    void OnBnClickedSaveView();

    const CJobDisplay& m_display;
    std::function<void(const QString&)> m_reportSave;
    RegionViewSettings m_options;  // the view part is filled in when drawn
    QString m_jobPath;
    std::shared_ptr<const JobDocument> m_job;
    ViewNavigator m_navigator;
    DetailCanvas* m_canvas = nullptr;
    QLabel* m_readout = nullptr;
    QCheckBox* m_shadeCheck = nullptr;
    // The last picture drawn, with the view it shows; null, with the flag
    // set, when memory ran out for it.
    QImage m_picture;
    bool m_outOfMemory = false;
    ViewMapping m_pictureView;
    std::uint64_t m_lastRequest = 0;
    std::uint64_t m_pictureRequest = 0;
    std::unique_ptr<ViewRenderer> m_renderer;
};
