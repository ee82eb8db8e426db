#include "app/lumikor_dlg.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QCompleter>
#include <QCoreApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QShortcut>
#include <QSignalBlocker>
#include <QStyle>
#include <QTimer>
#include <QToolTip>
#include <QUrl>
#include <algorithm>
#include <cerrno>
#include <cstring>

#include "app/animation_steps.h"
#include "app/app_icon.h"
#include "app/bed_png.h"
#include "app/canvas_view.h"
#include "app/control_tips.h"
#include "app/detail_window.h"
#include "app/dialog_font.h"
#include "app/fit_measurer.h"
#include "app/frame_fit.h"
#include "app/interruptible_screen.h"
#include "app/job_watcher.h"
#include "app/load_findings.h"
#include "io/atomic_file.h"
#include "settings/leading_int.h"
#include "settings/model_list.h"
#include "settings/settings_location.h"

namespace {

constexpr int IDCANCEL = 2;

const QString kCaption = QStringLiteral("Lumikor 20140527");

// The status line sits under the display area's frame, as wide as the frame;
// the dialog grows by its height and nothing else moves.
constexpr std::int32_t kStatusTopDu = 498;
constexpr std::int32_t kStatusHeightDu = 12;
constexpr std::int32_t kStopWidthDu = 40;
constexpr std::int32_t kDialogWithStatusHeightDu = kStatusTopDu + kStatusHeightDu + 4;
// The room between a frame and the controls it holds.
constexpr std::int32_t kFrameMarginDu = 3;

// A command message posted to the dialog, delivered by the event loop.
class CommandEvent : public QEvent {
public:
    CommandEvent(quintptr wParam, qintptr lParam)
        : QEvent(Kind()), m_wParam(wParam), m_lParam(lParam) {}
    static QEvent::Type Kind() {
        static const auto kind = static_cast<QEvent::Type>(QEvent::registerEventType());
        return kind;
    }
    quintptr WParam() const { return m_wParam; }
    qintptr LParam() const { return m_lParam; }

private:
    quintptr m_wParam;
    qintptr m_lParam;
};

QWidget* CreateControl(const DialogItem& item, QWidget* parent) {
    const QString caption = QString::fromUtf8(item.caption);
    switch (item.kind) {
        case ControlKind::PushButton: {
            auto* button = new QPushButton(caption, parent);
            // Enter is routed by the dialog itself (keyPressEvent).
            button->setAutoDefault(false);
            button->setDefault(item.style & kStyleDefault);
            return button;
        }
        case ControlKind::CheckBox: {
            auto* box = new QCheckBox(caption, parent);
            box->setAutoFillBackground(true);  // opaque, as a button control is
            return box;
        }
        case ControlKind::Edit:
            return new QLineEdit(parent);
        case ControlKind::DropDownList:
            return new QComboBox(parent);
        case ControlKind::GroupBox:
            return new QGroupBox(caption, parent);
        case ControlKind::Label: {
            auto* label = new QLabel(caption, parent);
            label->setAlignment(((item.style & kStyleRightAlign) ? Qt::AlignRight : Qt::AlignLeft) |
                                Qt::AlignTop);
            return label;
        }
        case ControlKind::Static:
            return new QWidget(parent);
    }
    return nullptr;
}

// Frames and labels neither take clicks nor cover the controls beside them.
bool IsBackdrop(ControlKind kind) {
    return kind == ControlKind::GroupBox || kind == ControlKind::Label ||
           kind == ControlKind::Static;
}

QString ToText(std::int32_t value) { return QString::number(value); }

// Why a job could not be loaded: the system's reason when it set one;
// otherwise the file opened but is not one a job is read from.
QString OpenFailureReason(int error) {
    if (error != 0) return QString::fromLocal8Bit(std::strerror(error));
    return QStringLiteral("not a regular file of less than 4 GiB");
}

// The one local file a drag carries, or an empty string.
QString DraggedFile(const QMimeData* data) {
    if (data == nullptr || !data->hasUrls()) return {};
    const QList<QUrl> urls = data->urls();
    if (urls.size() != 1 || !urls.front().isLocalFile()) return {};
    return urls.front().toLocalFile();
}

}  // namespace

std::int32_t GetWindowInt(const QLineEdit* edit) {
    return WindowTextToInt(
        edit->text().left(static_cast<qsizetype>(kWindowTextLimit)).toStdString());
}

CLumikorDlg::CLumikorDlg(QWidget* parent) : QDialog(parent) {
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setWindowTitle(QStringLiteral("Lumikor"));
    setAcceptDrops(true);
    m_watcher =
        std::make_unique<JobWatcher>([this](const FileStamp& now) { OnJobFileChanged(now); });
    m_fitMeasurer = std::make_unique<FitMeasurer>(
        this, [this](std::uint64_t request, std::vector<std::string> overhangs) {
            OnFitMeasured(request, std::move(overhangs));
        });
    CreateControls();
    ConnectHandlers();
    OnInitDialog();
}

CLumikorDlg::~CLumikorDlg() {
    // Focus changes while the children go away must not reach the handlers.
    for (QLineEdit* edit : {m_cutDelayEdit, m_engraveDelayEdit, m_offsetXEdit, m_offsetYEdit}) {
        edit->removeEventFilter(this);
    }
}

void CLumikorDlg::CreateControls() {
    const QFont font = ChooseDialogFont();
    setFont(font);
    const DialogBaseUnits units = MeasureBaseUnits(font);
    const PixelRect client =
        DialogUnitsToPixels(0, 0, kDialogWidthDu, kDialogWithStatusHeightDu, units);
    setFixedSize(client.w, client.h);

    for (const DialogItem& item : kMainDialogControls) {
        QWidget* control = CreateControl(item, this);
        control->setFont(font);
        PixelRect rect = DialogUnitsToPixels(item.x, item.y, item.w, item.h, units);
        // A list's rectangle includes its opened list; the closed box is as
        // tall as the font needs.
        if (item.kind == ControlKind::DropDownList) rect.h = control->sizeHint().height();
        // The fallback fonts set Latin text wider than the template's face;
        // texts grow away from their aligned edge instead of being cut.
        if (item.kind == ControlKind::Label || item.kind == ControlKind::CheckBox) {
            const int needed = control->sizeHint().width();
            if (needed > rect.w) {
                if (item.style & kStyleRightAlign) rect.x -= needed - rect.w;
                rect.w = needed;
            }
        }
        control->setGeometry(rect.x, rect.y, rect.w, rect.h);
        if (item.style & kStyleHidden) control->hide();
        if (IsBackdrop(item.kind)) {
            control->setAttribute(Qt::WA_TransparentForMouseEvents);
            control->setFocusPolicy(Qt::NoFocus);
        }
        if (item.style & kStyleDigitsOnly) control->installEventFilter(&m_digitKeyFilter);
        if (const char* tip = ControlTip(item.id)) control->setToolTip(QString::fromUtf8(tip));
        m_controls.push_back(control);
    }
    const int margin = DialogUnitsToPixels(0, 0, kFrameMarginDu, 0, units).w;
    FitFramesToContents(kMainDialogControls, m_controls, margin);
    for (std::size_t i = 0; i < m_controls.size(); ++i) {
        if (IsBackdrop(kMainDialogControls[i].kind)) m_controls[i]->lower();
    }

    m_modelCombo = static_cast<QComboBox*>(GetDlgItem(IDC_MODEL));
    m_displayModeCombo = static_cast<QComboBox*>(GetDlgItem(IDC_DISPLAY_MODE));
    m_colorModeCombo = static_cast<QComboBox*>(GetDlgItem(IDC_COLOR_MODE));
    m_jobPathEdit = static_cast<QLineEdit*>(GetDlgItem(IDC_JOB_PATH));
    m_cutDelayEdit = static_cast<QLineEdit*>(GetDlgItem(IDC_CUT_DELAY));
    m_engraveDelayEdit = static_cast<QLineEdit*>(GetDlgItem(IDC_ENGRAVE_DELAY));
    m_resolutionEdit = static_cast<QLineEdit*>(GetDlgItem(IDC_RESOLUTION));
    m_heightEdit = static_cast<QLineEdit*>(GetDlgItem(IDC_HEIGHT));
    m_widthEdit = static_cast<QLineEdit*>(GetDlgItem(IDC_WIDTH));
    m_offsetXEdit = static_cast<QLineEdit*>(GetDlgItem(IDC_OFFSET_X));
    m_offsetYEdit = static_cast<QLineEdit*>(GetDlgItem(IDC_OFFSET_Y));
    m_startPointCheck = static_cast<QCheckBox*>(GetDlgItem(IDC_SHOW_START_POINT));
    m_cutPathCheck = static_cast<QCheckBox*>(GetDlgItem(IDC_SHOW_CUT_PATH));
    m_cutProcessCheck = static_cast<QCheckBox*>(GetDlgItem(IDC_SHOW_CUT_PROCESS));
    m_showPRCheck = static_cast<QCheckBox*>(GetDlgItem(IDC_SHOW_PR));
    m_engraveProcessCheck = static_cast<QCheckBox*>(GetDlgItem(IDC_SHOW_ENGRAVE_PROCESS));
    m_displayArea = GetDlgItem(IDC_DISPLAY_AREA);

    // The canvas is far larger than its anchor control and covers the
    // dialog from the anchor's corner, above every control; it scrolls
    // when the screen is too small for all of it.
    m_canvasView = new CanvasView(&m_display.GetCanvas(), this);
    m_canvasScroll = new QScrollArea(this);
    m_canvasScroll->setFrameShape(QFrame::NoFrame);
    m_canvasScroll->setFocusPolicy(Qt::NoFocus);
    m_canvasScroll->setWidget(m_canvasView);
    m_canvasScroll->move(m_displayArea->pos());
    m_canvasScroll->raise();
    // The Detail window: a double-click centres it on that dot, Ctrl+D fits the bed.
    m_detailWindow = new CDetailWindow(m_display, this);
    m_canvasView->SetDoubleClickHandler([this](std::int32_t x, std::int32_t y) {
        m_detailWindow->OpenAtCanvasPixel(x, y, m_currentModel);
    });
    m_detailWindow->SetSaveReporter([this](const QString& text) { SetStatus(text); });
    new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_D), this,
                  [this] { m_detailWindow->OpenFitted(m_currentModel); });

    m_screen = std::make_unique<InterruptibleScreen>(m_canvasView);
    m_screen->SetStepHandler([this](std::uint64_t steps, std::uint64_t milliseconds) {
        OnAnimationStep(steps, milliseconds);
    });
    CreateStatusLine(units);
    RecordNaturalLayout(margin);
}

void CLumikorDlg::RecordNaturalLayout(int margin) {
    m_natural.window = size();
    m_natural.areaFrame = GetDlgItem(1014)->geometry();
    m_natural.statusLine = m_statusLine->geometry();
    m_natural.stopButton = m_stopButton->geometry();
    m_natural.margin = margin;
    // The frame may give up the room right of and below every other
    // control: the left column, the file row and its buttons.
    int right = 0;
    int bottom = 0;
    for (std::size_t i = 0; i < m_controls.size(); ++i) {
        const int id = kMainDialogControls[i].id;
        if (id == 1014 || id == IDC_DISPLAY_AREA || m_controls[i]->isHidden()) continue;
        right = std::max(right, m_controls[i]->geometry().right());
        bottom = std::max(bottom, m_controls[i]->geometry().bottom());
    }
    m_natural.mostShrink = QSize(std::max(0, m_natural.areaFrame.right() - right - margin),
                                 std::max(0, m_natural.areaFrame.bottom() - bottom - margin));
}

void CLumikorDlg::FitToScreen(const QRect& available, const QMargins& frame) {
    const QSize room = available.size().shrunkBy(frame);
    const QSize shrink(
        std::clamp(m_natural.window.width() - room.width(), 0, m_natural.mostShrink.width()),
        std::clamp(m_natural.window.height() - room.height(), 0, m_natural.mostShrink.height()));
    setFixedSize(m_natural.window - shrink);
    const QRect area = m_natural.areaFrame.adjusted(0, 0, -shrink.width(), -shrink.height());
    GetDlgItem(1014)->setGeometry(area);
    m_statusLine->setGeometry(
        m_natural.statusLine.translated(0, -shrink.height()).adjusted(0, 0, -shrink.width(), 0));
    m_stopButton->setGeometry(m_natural.stopButton.translated(-shrink.width(), -shrink.height()));
    SetStatus(m_statusText);  // elided anew for the line's width

    // As much of the canvas as the frame holds, with room for a scroll bar
    // along a side that is cut.
    const QSize canvas = m_canvasView->size();
    const QPoint corner = m_canvasScroll->pos();
    const QSize inside(area.right() - m_natural.margin - corner.x(),
                       area.bottom() - m_natural.margin - corner.y());
    QSize shown(std::min(canvas.width(), inside.width()),
                std::min(canvas.height(), inside.height()));
    if (shrink.isNull()) shown = canvas;
    const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, m_canvasScroll);
    if (shown.height() < canvas.height())
        shown.rwidth() = std::min(canvas.width() + bar, inside.width());
    if (shown.width() < canvas.width())
        shown.rheight() = std::min(canvas.height() + bar, inside.height());
    m_canvasScroll->resize(shown);
}

void CLumikorDlg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FitToOwnScreen();
    // The window manager frames and places the window after it is shown:
    // each move it makes then is fitted again, the user's later ones not.
    m_beingPlaced = true;
    QTimer::singleShot(1000, this, [this] {
        m_beingPlaced = false;
        FitToOwnScreen();
    });
}

void CLumikorDlg::moveEvent(QMoveEvent* event) {
    QDialog::moveEvent(event);
    if (m_beingPlaced) FitToOwnScreen();
}

void CLumikorDlg::FitToOwnScreen() {
    const QScreen* own = screen();
    if (own == nullptr) return;
    const QRect available = own->availableGeometry();
    const QRect outer = frameGeometry();
    const QRect inner = geometry();
    QMargins frame(inner.left() - outer.left(), inner.top() - outer.top(),
                   outer.right() - inner.right(), outer.bottom() - inner.bottom());
    if (frame.isNull()) {
        // Not framed yet: a title bar and thin borders, as most window managers draw them.
        const int title = style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, this);
        frame = QMargins(4, title + 4, 4, 4);
    }
    FitToScreen(available, frame);
    const QSize whole = size().grownBy(frame);
    const QPoint corner = frameGeometry().topLeft();
    const QPoint inside(
        std::clamp(corner.x(), available.left(),
                   std::max(available.left(), available.right() + 1 - whole.width())),
        std::clamp(corner.y(), available.top(),
                   std::max(available.top(), available.bottom() + 1 - whole.height())));
    if (inside != corner) move(inside);
}

void CLumikorDlg::CreateStatusLine(const DialogBaseUnits& units) {
    // As wide as the display area's frame, as it stands after fitting.
    const QRect frame = GetDlgItem(1014)->geometry();
    const PixelRect row =
        DialogUnitsToPixels(0, kStatusTopDu, kStopWidthDu, kStatusHeightDu, units);
    const int gap = DialogUnitsToPixels(0, 0, 4, 0, units).w;
    m_statusLine = new QLabel(this);
    m_statusLine->setObjectName(QStringLiteral("statusLine"));
    m_statusLine->setGeometry(frame.x(), row.y, frame.width() - row.w - gap, row.h);
    m_statusLine->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_statusLine->setTextFormat(Qt::PlainText);
    m_statusLine->installEventFilter(this);

    m_stopButton = new QPushButton(QStringLiteral("Stop"), this);
    m_stopButton->setAutoDefault(false);
    m_stopButton->setGeometry(frame.right() + 1 - row.w, row.y, row.w, row.h);
    m_stopButton->setToolTip(
        QStringLiteral("End the animation and draw the rest at once (Escape)"));
    m_stopButton->hide();
}

QWidget* CLumikorDlg::GetDlgItem(int id) const {
    for (std::size_t i = 0; i < m_controls.size(); ++i) {
        if (kMainDialogControls[i].id == id) return m_controls[i];
    }
    return nullptr;
}

void CLumikorDlg::ConnectHandlers() {
    const auto onClick = [this](int id, void (CLumikorDlg::*handler)()) {
        connect(static_cast<QAbstractButton*>(GetDlgItem(id)), &QAbstractButton::clicked, this,
                [this, handler] { (this->*handler)(); });
    };
    connect(static_cast<QAbstractButton*>(GetDlgItem(IDOK)), &QAbstractButton::clicked, this,
            [this] { OnCommand(IDOK, 0); });
    onClick(IDC_TEST, &CLumikorDlg::OnBnClickedTest);
    onClick(IDC_OPEN_FILE, &CLumikorDlg::OnBnClickedOpenFile);
    onClick(IDC_SETTING, &CLumikorDlg::OnBnClickedSetting);
    onClick(IDC_SAVE_IMAGE, &CLumikorDlg::OnBnClickedSaveImage);
    onClick(IDC_REDRAW, &CLumikorDlg::OnBnClickedRedraw);
    onClick(IDC_SHOW_START_POINT, &CLumikorDlg::OnBnClickedShowStartPoint);
    onClick(IDC_SHOW_CUT_PATH, &CLumikorDlg::OnBnClickedShowCutPath);
    onClick(IDC_SHOW_CUT_PROCESS, &CLumikorDlg::OnBnClickedShowCutProcess);
    onClick(IDC_SHOW_PR, &CLumikorDlg::OnBnClickedShowPR);
    onClick(IDC_SHOW_ENGRAVE_PROCESS, &CLumikorDlg::OnBnClickedShowEngraveProcess);

    // activated: only the user's choice, never a change made by the program.
    connect(m_modelCombo, &QComboBox::activated, this, [this] { OnCbnSelendokModel(); });
    connect(m_displayModeCombo, &QComboBox::activated, this,
            [this] { OnCbnSelendokDisplayMode(); });
    connect(m_colorModeCombo, &QComboBox::activated, this, [this] { OnCbnSelendokColorMode(); });

    // "Lost focus" is watched as the focus-out event itself: editingFinished
    // would also fire on Enter and skip an unchanged text.
    for (QLineEdit* edit : {m_cutDelayEdit, m_engraveDelayEdit, m_offsetXEdit, m_offsetYEdit}) {
        edit->installEventFilter(this);
    }
    connect(m_stopButton, &QPushButton::clicked, this, [this] { m_screen->Stop(); });
    CreateShortcuts();
}

void CLumikorDlg::CreateShortcuts() {
    const auto add = [this](QKeySequence keys, void (CLumikorDlg::*handler)()) {
        connect(new QShortcut(keys, this), &QShortcut::activated, this,
                [this, handler] { (this->*handler)(); });
    };
    add(QKeySequence(Qt::CTRL | Qt::Key_O), &CLumikorDlg::OnBnClickedOpenFile);
    add(QKeySequence(Qt::Key_F5), &CLumikorDlg::OnBnClickedRedraw);
    add(QKeySequence(Qt::CTRL | Qt::Key_R), &CLumikorDlg::OnBnClickedRedraw);
    add(QKeySequence(Qt::CTRL | Qt::Key_S), &CLumikorDlg::OnBnClickedSaveImage);
    add(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S), &CLumikorDlg::OnBnClickedSaveImageAs);
    connect(new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q), this), &QShortcut::activated, this,
            [this] { OnCommand(IDCANCEL, 0); });
}

void CLumikorDlg::OnInitDialog() {
    const QIcon icon = MakeAppIcon();
    setWindowIcon(icon);
    setWindowTitle(kCaption);
    // No length limit: the path is as long as the directory needs.
    m_iniPath = QFile::decodeName(QByteArray::fromStdString(SettingsFilePath()));
    LoadModelList();

    m_canvasDesc =
        CanvasDesc{kDefaultCanvasWidth, kDefaultCanvasHeight, m_screen.get(), IDC_DISPLAY_AREA};
    m_display.SetCanvas(&m_canvasDesc);
    m_canvasView->FitToCanvas();
    m_display.ClearCanvas();
    FillModelCombo();

    m_widthEdit->setText(ToText(kDefaultModelWidth));
    m_heightEdit->setText(ToText(kDefaultModelHeight));
    m_resolutionEdit->setText(ToText(kDefaultModelResolution));
    ApplyModelEdits();

    {
        const QSignalBlocker blocker(m_displayModeCombo);
        m_displayModeCombo->addItems(
            {QStringLiteral("All"), QStringLiteral("Raster"), QStringLiteral("Vector")});
        m_displayModeCombo->setCurrentIndex(0);
    }
    m_offsetXEdit->setText(ToText(0));
    m_offsetYEdit->setText(ToText(0));
    {
        const QSignalBlocker blocker(m_colorModeCombo);
        m_colorModeCombo->addItems(
            {QStringLiteral("File"), QStringLiteral("Type"), QStringLiteral("End Speed")});
        m_colorModeCombo->setCurrentIndex(0);
    }
    m_cutDelayEdit->setText(ToText(m_display.GetCutDelay()));
    m_engraveDelayEdit->setText(ToText(m_display.GetEngraveDelay()));

    m_pFileDialog = std::make_unique<QFileDialog>();
    m_pFileDialog->setAcceptMode(QFileDialog::AcceptOpen);
    m_pFileDialog->setFileMode(QFileDialog::ExistingFile);
    m_pFileDialog->setNameFilters({QStringLiteral("PRN (*.prn)"), QStringLiteral("PLT (*.plt)")});
    m_pFileDialog->setDirectory(QDir::currentPath());
    m_pFileDialog->setWindowIcon(icon);

    GetDlgItem(IDC_OPEN_FILE)->setFocus();
}

void CLumikorDlg::LoadModelList() {
    ::LoadModelList(QFile::encodeName(m_iniPath).toStdString(), &m_models);
}

void CLumikorDlg::FillModelCombo() {
    const QSignalBlocker blocker(m_modelCombo);
    m_modelCombo->clear();
    for (const ModelInfo& model : m_models) {
        m_modelCombo->addItem(
            QString::fromUtf8(model.Name().data(), static_cast<qsizetype>(model.Name().size())));
    }
    m_modelCombo->setCurrentIndex(-1);
}

bool CLumikorDlg::event(QEvent* event) {
    if (event->type() == CommandEvent::Kind()) {
        const auto* command = static_cast<CommandEvent*>(event);
        OnCommand(command->WParam(), command->LParam());
        return true;
    }
    return QDialog::event(event);
}

int CLumikorDlg::OnCommand(quintptr wParam, qintptr lParam) {
    if (wParam == ID_LOAD_JOB) {
        if (lParam == 1) LoadAndDraw(m_jobPathEdit->text());
        return 1;
    }
    if (wParam == IDOK) {
        accept();
        return 1;
    }
    if (wParam == IDCANCEL) {
        reject();
        return 1;
    }
    return 0;
}

bool CLumikorDlg::eventFilter(QObject* watched, QEvent* event) {
    // A click on the status line shows its whole text, as its tooltip does.
    if (watched == m_statusLine && event->type() == QEvent::MouseButtonRelease) {
        QToolTip::showText(static_cast<QMouseEvent*>(event)->globalPosition().toPoint(),
                           m_statusText, m_statusLine);
        return true;
    }
    if (event->type() == QEvent::FocusOut && !m_loading) {
        if (watched == m_cutDelayEdit) OnEnKillfocusCutDelay();
        if (watched == m_engraveDelayEdit) OnEnKillfocusEngraveDelay();
        if (watched == m_offsetXEdit || watched == m_offsetYEdit) OnEnKillfocusOffset();
    }
    return QDialog::eventFilter(watched, event);
}

void CLumikorDlg::keyPressEvent(QKeyEvent* event) {
    if (m_loading) {
        // Escape stops the animation instead of closing; Enter waits for the
        // load to end.
        if (event->key() == Qt::Key_Escape) m_screen->Stop();
        if (event->key() == Qt::Key_Escape || event->key() == Qt::Key_Return ||
            event->key() == Qt::Key_Enter) {
            return;
        }
    }
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        // Enter presses the push button that has the focus, else the
        // (hidden) default button.
        auto* focused = qobject_cast<QPushButton*>(focusWidget());
        if (focused != nullptr && focused->isVisible()) {
            focused->click();
        } else {
            static_cast<QPushButton*>(GetDlgItem(IDOK))->click();
        }
        return;
    }
    QDialog::keyPressEvent(event);
}

void CLumikorDlg::done(int result) {
    if (m_loading) m_screen->Stop();
    QDialog::done(result);
}

void CLumikorDlg::dragEnterEvent(QDragEnterEvent* event) {
    if (!m_loading && !DraggedFile(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void CLumikorDlg::dropEvent(QDropEvent* event) {
    const QString path = DraggedFile(event->mimeData());
    if (m_loading || path.isEmpty()) return;
    event->acceptProposedAction();
    OpenJob(path);
}

void CLumikorDlg::OpenJob(const QString& path) {
    m_jobPathEdit->setText(path);
    QCoreApplication::postEvent(this, new CommandEvent(ID_LOAD_JOB, 1));
}

void CLumikorDlg::OnBnClickedOpenFile() {
    if (m_loading || !m_pFileDialog) return;
    // The chooser opens where the drawn job lies; with none, where it was.
    if (!m_drawnJobPath.isEmpty()) {
        m_pFileDialog->setDirectory(QFileInfo(m_drawnJobPath).absolutePath());
    }
    const int result = m_pFileDialog->exec();
    // A list of completions still open when Enter took the name would stay
    // on screen over the canvas and take every mouse event (tooltips too).
    for (QCompleter* completer : m_pFileDialog->findChildren<QCompleter*>()) {
        completer->popup()->hide();
    }
    if (result != QDialog::Accepted) return;
    const QStringList chosen = m_pFileDialog->selectedFiles();
    if (chosen.isEmpty()) return;
    m_jobPathEdit->setText(chosen.front());
    QCoreApplication::postEvent(this, new CommandEvent(ID_LOAD_JOB, 1));
}

void CLumikorDlg::OnBnClickedRedraw() { LoadAndDraw(m_jobPathEdit->text()); }

int CLumikorDlg::LoadAndDraw(const QString& path) { return Load(path, false); }

int CLumikorDlg::Load(const QString& path, bool reload) {
    // No load inside another: whatever reaches here while a job is drawn (a
    // posted command, a shortcut, a file notice) is dropped.
    if (m_loading) return 0;
    QElapsedTimer clock;
    clock.start();
    // Taken before the read, so that a change while the job is drawn is a
    // change still to be shown.
    const FileStamp stamp = FileStamp::Of(path);
    errno = 0;
    std::shared_ptr<const JobDocument> document =
        JobDocument::Load(QFile::encodeName(path).toStdString(), JobSource::kRegularFile, nullptr);
    if (!document) {
        SetStatus(CannotOpenText(path, OpenFailureReason(errno)));
        return 0;
    }
    // The previous job's mapping ends here, unless a window still draws it.
    m_document = std::move(document);
    const QString fileName = QFileInfo(path).fileName();
    const std::span<const std::uint8_t> job = m_document->Bytes();
    BeginLoad(fileName, job);
    m_display.DrawJob(m_document->Data(), m_document->Size());
    const bool stopped = m_screen->Stopped();
    EndLoad();
    // A stopped animation presented nothing after the stop.
    if (stopped) m_display.PresentAll();
    LoadFindings findings = ExamineLoad(m_display, job);
    const bool drawn = !findings.notAJob;
    m_fitPending = drawn;
    if (drawn) {
        m_fitRequest = m_fitMeasurer->Request(
            {m_document, m_currentModel, m_display.GetBedWidthDots(), m_display.GetBedHeightDots(),
             m_display.GetOffsetX(), m_display.GetOffsetY()});
    }
    SetDrawnJob(path, stamp, drawn);
    m_lastLoad = {fileName, m_document->Size(), clock.elapsed(), std::move(findings), stopped,
                  reload};
    SetStatus(LoadedText(m_lastLoad));
    m_detailWindow->JobLoaded(path, m_document, m_currentModel);
    return 1;
}

void CLumikorDlg::BeginLoad(const QString& fileName, std::span<const std::uint8_t> job) {
    m_focusBeforeLoad = focusWidget();
    SetStatus(DrawingText(fileName));
    // An animation tells how far it has got; its steps are counted first.
    const bool rows = m_engraveProcessCheck->isChecked() &&
                      (m_display.GetDisplayMode() & displaymode::kRaster) != 0;
    const bool commands =
        m_cutProcessCheck->isChecked() && (m_display.GetDisplayMode() & displaymode::kVector) != 0;
    m_progress = AnimationProgress{fileName, {}};
    if (rows || commands) {
        const AnimationSteps steps = CountAnimationSteps(
            m_display, {m_cutProcessCheck->isChecked(), m_showPRCheck->isChecked(), rows},
            m_currentModel, job);
        m_progress.total = steps.count;
        m_progressMilliseconds = steps.milliseconds;
        m_progress.stepWords = rows && commands ? QStringLiteral("rows and commands")
                               : rows           ? QStringLiteral("rows")
                                                : QStringLiteral("commands");
    }
    m_progressClock.invalidate();
    m_stopButton->show();
    // Before the controls go off, so that an edit left now still hands its
    // value to the display for this load.
    m_stopButton->setFocus();
    for (std::size_t i = 0; i < m_controls.size(); ++i) {
        if (!IsBackdrop(kMainDialogControls[i].kind)) m_controls[i]->setEnabled(false);
    }
    m_loading = true;
    m_screen->Resume();
}

void CLumikorDlg::OnAnimationStep(std::uint64_t steps, std::uint64_t milliseconds) {
    if (m_progress.total == 0) return;
    // A few times a second is enough to read, and costs the animation nothing.
    constexpr qint64 kProgressIntervalMs = 100;
    if (m_progressClock.isValid() && m_progressClock.elapsed() < kProgressIntervalMs) return;
    m_progressClock.start();
    m_progress.done = std::min(steps, m_progress.total);
    m_progress.millisecondsLeft =
        m_progressMilliseconds > milliseconds ? m_progressMilliseconds - milliseconds : 0;
    SetStatus(AnimationText(m_progress));
}

void CLumikorDlg::OnFitMeasured(std::uint64_t request, std::vector<std::string> overhangs) {
    if (!m_fitPending || request != m_fitRequest) return;
    m_fitPending = false;
    const QString before = LoadedText(m_lastLoad);
    m_lastLoad.findings.SetFit(std::move(overhangs));
    // Only while the line still tells that load: a later action's text stays.
    if (m_statusText == before) SetStatus(LoadedText(m_lastLoad));
}

void CLumikorDlg::EndLoad() {
    m_loading = false;
    m_screen->Resume();
    for (std::size_t i = 0; i < m_controls.size(); ++i) m_controls[i]->setEnabled(true);
    m_stopButton->hide();
    if (m_focusBeforeLoad) m_focusBeforeLoad->setFocus();
}

void CLumikorDlg::SetDrawnJob(const QString& path, const FileStamp& stamp, bool drawn) {
    m_drawnJobPath = drawn ? path : QString();
    if (path.isEmpty()) {
        setWindowTitle(kCaption);
        m_watcher->Forget();
        return;
    }
    setWindowTitle(drawn ? kCaption + QStringLiteral(" — ") + QFileInfo(path).fileName()
                         : kCaption);
    m_watcher->Watch(path, stamp);
}

void CLumikorDlg::OnJobFileChanged(const FileStamp& now) {
    if (m_loading) {
        m_watcher->Retry();
        return;
    }
    const QString path = m_watcher->Path();
    if (!now.exists) {
        m_watcher->Acknowledge(now);
        SetStatus(VanishedText(path));
        return;
    }
    // A file that cannot be read now is reported once; its next change is
    // tried again.
    if (!Load(path, true)) m_watcher->Acknowledge(now);
}

void CLumikorDlg::SetStatus(const QString& text) {
    m_statusText = text;
    m_statusLine->setText(
        m_statusLine->fontMetrics().elidedText(text, Qt::ElideRight, m_statusLine->width()));
    m_statusLine->setToolTip(text);
}

void CLumikorDlg::ApplyModelEdits() {
    if (m_loading) return;
    if (GetWindowInt(m_widthEdit) == 0 || GetWindowInt(m_heightEdit) == 0 ||
        GetWindowInt(m_resolutionEdit) == 0) {
        return;
    }
    ModelInfo model = m_currentModel;
    model.width = GetWindowInt(m_widthEdit);
    model.height = GetWindowInt(m_heightEdit);
    model.resolution = GetWindowInt(m_resolutionEdit);
    model.resolutionY = model.resolution;
    // A model the display refuses leaves the model in force and the canvas.
    if (!m_display.SetModel(&model)) return;
    m_currentModel = model;
    m_display.ClearCanvas();
    m_display.ClearBed();
    m_display.PresentAll();
    const QString cleared =
        m_drawnJobPath.isEmpty() ? QString() : QFileInfo(m_drawnJobPath).fileName();
    // The bed is empty now: no job's name belongs on its picture.
    SetDrawnJob({}, {});
    SetStatus(ModelText(model, m_display.GetBedWidthDots(), m_display.GetBedHeightDots(), cleared));
}

void CLumikorDlg::OnCbnSelendokModel() {
    const int index = m_modelCombo->currentIndex();
    if (index < 0 || static_cast<std::size_t>(index) >= m_models.size()) return;
    const ModelInfo& model = m_models[static_cast<std::size_t>(index)];
    m_widthEdit->setText(ToText(model.width));
    m_heightEdit->setText(ToText(model.height));
    m_resolutionEdit->setText(ToText(model.resolution));
    ApplyModelEdits();
}

void CLumikorDlg::OnCbnSelendokDisplayMode() {
    static constexpr std::array<std::int32_t, 3> kModes{displaymode::kAll, displaymode::kRaster,
                                                        displaymode::kVector};
    const int index = m_displayModeCombo->currentIndex();
    if (index >= 0 && index < static_cast<int>(kModes.size()))
        m_display.SetDisplayMode(kModes[index]);
}

void CLumikorDlg::OnCbnSelendokColorMode() {
    const int index = m_colorModeCombo->currentIndex();
    if (index >= 0 && index < colormode::kCount) m_display.SetColorMode(index);
}

void CLumikorDlg::OnBnClickedShowStartPoint() {
    m_display.SetShowStartPoint(m_startPointCheck->isChecked());
}
void CLumikorDlg::OnBnClickedShowCutPath() {
    m_display.SetShowCutPath(m_cutPathCheck->isChecked());
}
void CLumikorDlg::OnBnClickedShowCutProcess() {
    m_display.SetShowCutProcess(m_cutProcessCheck->isChecked());
}
void CLumikorDlg::OnBnClickedShowPR() { m_display.SetShowPR(m_showPRCheck->isChecked()); }
void CLumikorDlg::OnBnClickedShowEngraveProcess() {
    m_display.SetShowEngraveProcess(m_engraveProcessCheck->isChecked());
}

void CLumikorDlg::OnEnKillfocusCutDelay() { m_display.SetCutDelay(GetWindowInt(m_cutDelayEdit)); }
void CLumikorDlg::OnEnKillfocusEngraveDelay() {
    m_display.SetEngraveDelay(GetWindowInt(m_engraveDelayEdit));
}

void CLumikorDlg::OnEnKillfocusOffset() {
    const std::int32_t x = GetWindowInt(m_offsetXEdit);
    m_offsetXEdit->setText(ToText(x));
    const std::int32_t y = GetWindowInt(m_offsetYEdit);
    m_offsetYEdit->setText(ToText(y));
    m_display.SetOffset(x, y);
}

void CLumikorDlg::OnBnClickedSaveImage() {
    if (m_loading) return;
    // Named after the job on the canvas, never after a path typed since.
    if (m_drawnJobPath.isEmpty()) {
        SetStatus(NothingToSaveText());
        return;
    }
    std::string path = QFile::encodeName(m_drawnJobPath).toStdString();
    if (!ReplaceExtension(&path, "bmp")) {
        SetStatus(NoImageNameText(m_drawnJobPath));
        return;
    }
    SaveBedImage(QFile::decodeName(path.c_str()), false);
}

void CLumikorDlg::OnBnClickedSaveImageAs() {
    if (m_loading) return;
    if (m_drawnJobPath.isEmpty()) {
        SetStatus(NothingToSaveText());
        return;
    }
    const QString bmp = QStringLiteral("BMP (*.bmp)");
    const QString png = QStringLiteral("PNG (*.png)");
    const QFileInfo job(m_drawnJobPath);
    QFileDialog chooser(
        this, QStringLiteral("Save Image As"),
        job.path() + QLatin1Char('/') + job.completeBaseName() + QStringLiteral(".bmp"));
    chooser.setAcceptMode(QFileDialog::AcceptSave);
    chooser.setNameFilters({bmp, png});
    chooser.setDefaultSuffix(QStringLiteral("bmp"));
    // The suffix follows the format chosen, so the file is named what it holds.
    connect(&chooser, &QFileDialog::filterSelected, &chooser, [&](const QString& filter) {
        chooser.setDefaultSuffix(filter == png ? QStringLiteral("png") : QStringLiteral("bmp"));
    });
    if (chooser.exec() != QDialog::Accepted || chooser.selectedFiles().isEmpty()) return;
    const QString imagePath = chooser.selectedFiles().front();
    // A name's own extension decides the format; without one, the filter.
    const QString suffix = QFileInfo(imagePath).suffix().toLower();
    const bool asPng = suffix == QStringLiteral("png") ||
                       (suffix != QStringLiteral("bmp") && chooser.selectedNameFilter() == png);
    SaveBedImage(imagePath, asPng);
}

void CLumikorDlg::SaveBedImage(const QString& imagePath, bool png) {
    const std::string path = QFile::encodeName(imagePath).toStdString();
    std::string error;
    // A job named x.bmp, or linked under its picture's name, is not replaced by its preview.
    if (NamesSameFile(QFile::encodeName(m_drawnJobPath).toStdString(), path)) {
        error = "That is the job file itself; it is not overwritten.";
    } else if (png ? SaveBedPng(m_display, path, &error)
                   : m_display.SaveImage(path.c_str(), &error) != 0) {
        SetStatus(SavedText(imagePath));
        return;
    }
    SetStatus(NotSavedText(imagePath));
    QMessageBox::critical(this, kCaption,
                          QStringLiteral("The image could not be saved to %1.\n%2")
                              .arg(imagePath, QString::fromStdString(error)));
}
