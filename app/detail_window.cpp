#include "app/detail_window.h"

#include <QCheckBox>
#include <QCursor>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QSaveFile>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <QtMath>

#include "app/status_text.h"
#include "display/job_display.h"

namespace {

constexpr QRgb kOffBedGrey = 0xB4B4B4;
// A wheel notch; finer wheels and touchpads add up to it.
constexpr int kWheelStep = 120;
// The arrow keys pan by this share of the window.
constexpr std::int64_t kArrowPanDivisor = 8;
const QString kNoMemoryText = QStringLiteral("Not enough memory for this view.");

QString ZoomText(ViewZoom zoom) {
    if (zoom.pixelsPerDot > 1) return QStringLiteral("%1 pixels per dot").arg(zoom.pixelsPerDot);
    if (zoom.dotsPerPixel == 1) return QStringLiteral("1 dot per pixel");
    return QStringLiteral("%1 dots per pixel").arg(zoom.dotsPerPixel);
}

}  // namespace

// The picture area: shows the last picture drawn, shifted to where its view
// lies in the current one while a newer picture is being drawn, and turns
// the wheel and dragging into zooming and panning.
class DetailCanvas : public QWidget {
public:
    explicit DetailCanvas(CDetailWindow* window) : QWidget(window), m_window(window) {
        setObjectName(QStringLiteral("detailCanvas"));
        setMouseTracking(true);
        setAttribute(Qt::WA_OpaquePaintEvent);
        setMinimumSize(64, 64);
        setCursor(Qt::OpenHandCursor);
    }

    // Device pixels, as the pictures are drawn 1:1 on them.
    QPoint DevicePixel(QPointF position) const {
        const qreal ratio = devicePixelRatioF();
        return {qFloor(position.x() * ratio), qFloor(position.y() * ratio)};
    }
    QSize DeviceSize() const {
        const qreal ratio = devicePixelRatioF();
        return {qCeil(width() * ratio), qCeil(height() * ratio)};
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), QColor::fromRgb(kOffBedGrey));
        const QImage& picture = m_window->m_picture;
        if (m_window->m_outOfMemory) {
            painter.drawText(rect(), Qt::AlignCenter, kNoMemoryText);
            return;
        }
        if (picture.isNull()) return;
        const ViewMapping& shown = m_window->m_pictureView;
        const ViewNavigator& now = m_window->m_navigator;
        const ViewZoom zoom = now.Zoom();
        if (shown.dotsPerPixel != zoom.dotsPerPixel || shown.pixelsPerDot != zoom.pixelsPerDot) {
            return;
        }
        const std::int64_t k = zoom.dotsPerPixel;
        const std::int64_t m = zoom.pixelsPerDot;
        const auto offset = [&](std::int64_t dots) {
            return static_cast<qreal>(dots / k * m) / devicePixelRatioF();
        };
        QImage scaled = picture;
        scaled.setDevicePixelRatio(devicePixelRatioF());
        painter.drawImage(QPointF(offset(shown.x0 - now.X0()), offset(now.Y1() - shown.y1)),
                          scaled);
    }

    void resizeEvent(QResizeEvent*) override { m_window->CanvasResized(); }

    void wheelEvent(QWheelEvent* event) override {
        m_wheelRest += event->angleDelta().y();
        const QPoint at = DevicePixel(event->position());
        while (m_wheelRest >= kWheelStep || m_wheelRest <= -kWheelStep) {
            const bool in = m_wheelRest > 0;
            m_wheelRest += in ? -kWheelStep : kWheelStep;
            m_window->m_navigator.ZoomAbout(at.x(), at.y(), in);
            m_window->ViewChanged();
        }
        m_window->ShowReadout(at.x(), at.y());
        event->accept();
    }

    void mousePressEvent(QMouseEvent* event) override {
        if (event->button() != Qt::LeftButton) return;
        m_dragFrom = DevicePixel(event->position());
        m_dragging = true;
        setCursor(Qt::ClosedHandCursor);
    }

    void mouseMoveEvent(QMouseEvent* event) override {
        const QPoint at = DevicePixel(event->position());
        if (m_dragging && at != m_dragFrom) {
            m_window->m_navigator.Pan(at.x() - m_dragFrom.x(), at.y() - m_dragFrom.y());
            m_dragFrom = at;
            m_window->ViewChanged();
        }
        m_window->ShowReadout(at.x(), at.y());
    }

    void mouseReleaseEvent(QMouseEvent* event) override {
        if (event->button() != Qt::LeftButton) return;
        m_dragging = false;
        setCursor(Qt::OpenHandCursor);
    }

private:
    CDetailWindow* m_window;
    int m_wheelRest = 0;
    bool m_dragging = false;
    QPoint m_dragFrom;
};

CDetailWindow::CDetailWindow(const CJobDisplay& display, QWidget* parent)
    : QWidget(parent, Qt::Window), m_display(display) {
    setWindowTitle(QStringLiteral("Detail"));
    setFocusPolicy(Qt::StrongFocus);
    m_canvas = new DetailCanvas(this);
    m_readout = new QLabel(this);
    m_readout->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_shadeCheck = new QCheckBox(QStringLiteral("Shade by coverage"), this);
    m_shadeCheck->setToolTip(
        QStringLiteral("Mix each pixel's colour with white by the share of its dots that are set"));
    auto* save = new QPushButton(QStringLiteral("Save View…"), this);
    save->setToolTip(QStringLiteral("Write this view, pixel for pixel, as a PNG file"));
    for (QWidget* control : std::initializer_list<QWidget*>{m_shadeCheck, save}) {
        control->setFocusPolicy(Qt::NoFocus);
    }
    auto* bar = new QHBoxLayout;
    bar->addWidget(m_readout, 1);
    bar->addWidget(m_shadeCheck);
    bar->addWidget(save);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 6);
    layout->addWidget(m_canvas, 1);
    bar->setContentsMargins(8, 0, 8, 0);
    layout->addLayout(bar);
    resize(960, 720);

    connect(m_shadeCheck, &QCheckBox::toggled, this, [this] { ViewChanged(); });
    connect(save, &QPushButton::clicked, this, [this] { OnBnClickedSaveView(); });
    m_renderer = std::make_unique<ViewRenderer>(
        this, [this](std::uint64_t request, const ViewMapping& view, const QImage& image) {
            PictureDrawn(request, view, image);
        });
    ReadOptions(DefaultModel());
}

CDetailWindow::~CDetailWindow() = default;

void CDetailWindow::ReadOptions(const ModelInfo& model) {
    m_options.model = model;
    m_options.displayMode = m_display.GetDisplayMode();
    m_options.colorMode = m_display.GetColorMode();
    m_options.offsetX = m_display.GetOffsetX();
    m_options.offsetY = m_display.GetOffsetY();
    m_options.showCutPath = m_display.GetShowCutPath();
    m_options.showStartPoint = m_display.GetShowStartPoint();
    m_navigator.SetBed(m_display.GetBedWidthDots(), m_display.GetBedHeightDots());
}

void CDetailWindow::JobLoaded(const QString& path, std::shared_ptr<const JobDocument> job,
                              const ModelInfo& model) {
    m_jobPath = path;
    m_job = std::move(job);
    ReadOptions(model);
    setWindowTitle(QStringLiteral("Detail — %1").arg(QFileInfo(path).fileName()));
    if (isVisible()) ViewChanged();
}

void CDetailWindow::Open(const ModelInfo& model) {
    if (m_jobPath.isEmpty()) ReadOptions(model);
    show();
    raise();
    activateWindow();
    layout()->activate();
    const QSize size = m_canvas->DeviceSize();
    m_navigator.SetWindow(size.width(), size.height());
}

void CDetailWindow::OpenAtCanvasPixel(std::int32_t x, std::int32_t y, const ModelInfo& model) {
    Open(model);
    // The middle of the pixel, mapped back through the main canvas's scale.
    const float scale = m_display.GetScale();
    const DotPosition dot{static_cast<std::int64_t>((static_cast<float>(x) + 0.5f) / scale),
                          m_display.GetBedHeightDots() -
                              static_cast<std::int64_t>((static_cast<float>(y) + 0.5f) / scale)};
    m_navigator.CentreOn(dot, ViewZoom{1, 1});
    ViewChanged();
}

void CDetailWindow::OpenFitted(const ModelInfo& model) {
    Open(model);
    m_navigator.Fit();
    ViewChanged();
}

RegionViewSettings CDetailWindow::CurrentSettings() const {
    RegionViewSettings settings = m_options;
    settings.view.x0 = m_navigator.X0();
    settings.view.y0 = m_navigator.Y0();
    settings.view.x1 = m_navigator.X1();
    settings.view.y1 = m_navigator.Y1();
    settings.view.dotsPerPixel = m_navigator.Zoom().dotsPerPixel;
    settings.view.pixelsPerDot = m_navigator.Zoom().pixelsPerDot;
    settings.shade = m_shadeCheck->isChecked() ? ViewShade::kCoverage : ViewShade::kAny;
    return settings;
}

bool CDetailWindow::PictureIsCurrent() const { return m_pictureRequest == m_lastRequest; }

void CDetailWindow::CanvasResized() {
    const QSize size = m_canvas->DeviceSize();
    m_navigator.SetWindow(size.width(), size.height());
    if (isVisible()) ViewChanged();
}

void CDetailWindow::ViewChanged() {
    m_lastRequest = m_renderer->Request(m_job, CurrentSettings());
    m_canvas->update();
}

void CDetailWindow::PictureDrawn(std::uint64_t request, const ViewMapping& view,
                                 const QImage& image) {
    if (request < m_pictureRequest) return;
    m_pictureRequest = request;
    m_picture = image;
    m_outOfMemory = image.isNull();
    m_pictureView = view;
    m_canvas->update();
}

void CDetailWindow::ShowReadout(std::int64_t px, std::int64_t py) {
    const DotPosition dot = m_navigator.DotAt(px, py);
    const double millimetresPerDot = 25.4 / std::max(m_options.model.resolution, 1);
    m_readout->setText(QStringLiteral("x %1 dots (%2 mm)   y %3 dots (%4 mm)   %5")
                           .arg(dot.x)
                           .arg(static_cast<double>(dot.x) * millimetresPerDot, 0, 'f', 2)
                           .arg(dot.y)
                           .arg(static_cast<double>(dot.y) * millimetresPerDot, 0, 'f', 2)
                           .arg(ZoomText(m_navigator.Zoom())));
}

void CDetailWindow::keyPressEvent(QKeyEvent* event) {
    const QPoint cursor = m_canvas->mapFromGlobal(QCursor::pos());
    const QPoint at = m_canvas->rect().contains(cursor)
                          ? m_canvas->DevicePixel(cursor)
                          : QPoint(static_cast<int>(m_navigator.WindowWidth() / 2),
                                   static_cast<int>(m_navigator.WindowHeight() / 2));
    const std::int64_t stepX =
        std::max<std::int64_t>(m_navigator.WindowWidth() / kArrowPanDivisor, 1);
    const std::int64_t stepY =
        std::max<std::int64_t>(m_navigator.WindowHeight() / kArrowPanDivisor, 1);
    switch (event->key()) {
        case Qt::Key_Plus:
        case Qt::Key_Equal:
            m_navigator.ZoomAbout(at.x(), at.y(), true);
            break;
        case Qt::Key_Minus:
            m_navigator.ZoomAbout(at.x(), at.y(), false);
            break;
        case Qt::Key_Left:
            m_navigator.Pan(stepX, 0);
            break;
        case Qt::Key_Right:
            m_navigator.Pan(-stepX, 0);
            break;
        case Qt::Key_Up:
            m_navigator.Pan(0, stepY);
            break;
        case Qt::Key_Down:
            m_navigator.Pan(0, -stepY);
            break;
        case Qt::Key_Home:
            m_navigator.Fit();
            break;
        default:
            QWidget::keyPressEvent(event);
            return;
    }
    ViewChanged();
    ShowReadout(at.x(), at.y());
}

bool CDetailWindow::SaveView(const QString& path, QString* error) const {
    Canvas canvas;
    const ViewOutcome outcome =
        DrawRegionView(JobDocument::IndexOf(m_job), CurrentSettings(), &canvas);
    if (outcome != ViewOutcome::kDrawn) {
        if (error != nullptr) {
            *error = outcome == ViewOutcome::kOutOfMemory
                         ? kNoMemoryText
                         : QStringLiteral("The view cannot be drawn.");
        }
        return false;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || !CanvasToImage(canvas).save(&file, "PNG") ||
        !file.commit()) {
        if (error != nullptr) {
            *error = QStringLiteral("Cannot write '%1': %2").arg(path, file.errorString());
        }
        return false;
    }
    return true;
}

void CDetailWindow::OnBnClickedSaveView() {
    const QString suggested = m_jobPath.isEmpty() ? QString()
                                                  : QFileInfo(m_jobPath).path() + QLatin1Char('/') +
                                                        QFileInfo(m_jobPath).completeBaseName() +
                                                        QStringLiteral("-view.png");
    const QString path = QFileDialog::getSaveFileName(this, QStringLiteral("Save View"), suggested,
                                                      QStringLiteral("PNG (*.png)"));
    if (path.isEmpty()) return;
    QString error;
    const bool saved = SaveView(path, &error);
    if (m_reportSave) m_reportSave(saved ? SavedText(path) : NotSavedText(path));
    if (!saved) QMessageBox::critical(this, QStringLiteral("Save View"), error);
}
