// CLumikorDlg: the program's only window. It owns the machine models, the one
// job display and the file dialog, and turns the user's actions into calls on
// the display. Handlers keep the names of the dialog's message map. Beside
// the template's controls it has a status line that says what each action
// did, shortcuts, and it redraws the drawn job when its file changes.
#pragma once

#include <QDialog>
#include <QElapsedTimer>
#include <QMargins>
#include <QPointer>
#include <QRect>
#include <QString>
#include <array>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "app/digit_key_filter.h"
#include "app/status_text.h"
#include "display/job_display.h"
#include "display/model_info.h"
#include "document/job_document.h"
#include "ui/dialog_template.h"

class CanvasView;
class FitMeasurer;
class InterruptibleScreen;
class JobWatcher;
class CDetailWindow;
class QCheckBox;
class QComboBox;
class QFileDialog;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollArea;
struct FileStamp;

// The private command the dialog posts itself to load the chosen job once
// the file dialog has closed.
inline constexpr quintptr ID_LOAD_JOB = 9000;

// GetWindowInt: an edit's text read as a number (see WindowTextToInt).
std::int32_t GetWindowInt(const QLineEdit* edit);

class CLumikorDlg : public QDialog {
public:
    explicit CLumikorDlg(QWidget* parent = nullptr);
    ~CLumikorDlg() override;

    // The control of an identifier, as the template creates it (null for an
    // unknown one).
    QWidget* GetDlgItem(int id) const;

    const CJobDisplay& Display() const { return m_display; }
    const QString& IniPath() const { return m_iniPath; }
    // The whole text of the status line (the line itself may shorten it).
    const QString& StatusText() const { return m_statusText; }
    // The button the status line offers while a load runs.
    QPushButton* StopButton() const { return m_stopButton; }
    bool IsLoading() const { return m_loading; }
    // Whether the last load's fit on the bed is still being measured.
    bool FitPending() const { return m_fitPending; }

    // Puts path into the path edit and loads it as the posted load command
    // does, once the event loop runs: a job named on the command line or
    // dropped onto the window is drawn exactly as Redraw draws it.
    void OpenJob(const QString& path);
    CDetailWindow* DetailWindow() const { return m_detailWindow; }

    // Handles a command: the private load command, else OK and Cancel.
    // Returns 1 when handled, else 0.
    int OnCommand(quintptr wParam, qintptr lParam);

    // The handlers of the message map.
    void OnBnClickedTest() {}
    void OnBnClickedOpenFile();
    void OnBnClickedSetting() { ApplyModelEdits(); }
    void OnBnClickedSaveImage();
    // Ctrl+Shift+S: the bed picture under a name and format (BMP or PNG)
    // the user chooses.
    void OnBnClickedSaveImageAs();
    void OnCbnSelendokModel();
    void OnBnClickedRedraw();
    void OnBnClickedShowStartPoint();
    void OnBnClickedShowCutPath();
    void OnBnClickedShowCutProcess();
    void OnEnKillfocusCutDelay();
    void OnBnClickedShowPR();
    void OnBnClickedShowEngraveProcess();
    void OnEnKillfocusEngraveDelay();
    void OnCbnSelendokColorMode();
    void OnCbnSelendokDisplayMode();
    void OnEnKillfocusOffset();

    // Reads the job file at path and draws it. Returns 0 when it cannot be
    // read (the picture stays; the status line says why) or when a load
    // runs already, else 1.
    int LoadAndDraw(const QString& path);
    void ApplyModelEdits();
    void FillModelCombo();
    void LoadModelList();

    // Ends the dialog; during a load the animation stops first, so the
    // program ends at once.
    void done(int result) override;

    // Sizes the window to lie wholly inside available, a screen's free
    // area, with frame (the window manager's decoration) around it: on a
    // screen too small for the whole canvas the display area shrinks and
    // its canvas scrolls, shown 1:1; the controls keep their places.
    void FitToScreen(const QRect& available, const QMargins& frame);
    // The part of the display area that shows the canvas.
    QScrollArea* CanvasScrollArea() const { return m_canvasScroll; }

protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void CreateControls();
    void CreateStatusLine(const DialogBaseUnits& units);
    void RecordNaturalLayout(int margin);
    // FitToScreen on the window's own screen, then into its free area.
    void FitToOwnScreen();
    void ConnectHandlers();
    void CreateShortcuts();
    void OnInitDialog();

    int Load(const QString& path, bool reload);
    // The controls that could start a load or change the display are off
    // while a load runs; Stop takes the focus.
    void BeginLoad(const QString& fileName, std::span<const std::uint8_t> job);
    void OnAnimationStep(std::uint64_t steps, std::uint64_t milliseconds);
    void OnFitMeasured(std::uint64_t request, std::vector<std::string> overhangs);
    void EndLoad();
    // The job whose picture the canvas shows: Save Image names the bitmap
    // after it, the title shows it, and its file is watched for changes.
    // A file that is not a job is watched, but nothing is drawn from it.
    void SetDrawnJob(const QString& path, const FileStamp& stamp, bool drawn = true);
    // Writes the bed picture to imagePath, as a PNG or a bitmap, and says so.
    void SaveBedImage(const QString& imagePath, bool png);
    void OnJobFileChanged(const FileStamp& now);
    void SetStatus(const QString& text);

    std::vector<ModelInfo> m_models;
    QComboBox* m_modelCombo = nullptr;
    QComboBox* m_displayModeCombo = nullptr;
    QComboBox* m_colorModeCombo = nullptr;
    QString m_iniPath;
    std::unique_ptr<QFileDialog> m_pFileDialog;
    QLineEdit* m_jobPathEdit = nullptr;
    QLineEdit* m_cutDelayEdit = nullptr;
    QLineEdit* m_engraveDelayEdit = nullptr;
    QLineEdit* m_resolutionEdit = nullptr;
    QLineEdit* m_heightEdit = nullptr;
    QLineEdit* m_widthEdit = nullptr;
    QLineEdit* m_offsetXEdit = nullptr;
    QLineEdit* m_offsetYEdit = nullptr;
    QCheckBox* m_startPointCheck = nullptr;
    QCheckBox* m_cutPathCheck = nullptr;
    QCheckBox* m_cutProcessCheck = nullptr;
    QCheckBox* m_showPRCheck = nullptr;
    QCheckBox* m_engraveProcessCheck = nullptr;
    QWidget* m_displayArea = nullptr;
    ModelInfo m_currentModel;
    CanvasDesc m_canvasDesc;
    CJobDisplay m_display;
    CanvasView* m_canvasView = nullptr;             // shows m_display's canvas over m_displayArea
    QScrollArea* m_canvasScroll = nullptr;          // holds m_canvasView
    std::unique_ptr<InterruptibleScreen> m_screen;  // what m_display presents to
    QLabel* m_statusLine = nullptr;
    QPushButton* m_stopButton = nullptr;
    QString m_statusText;
    QString m_drawnJobPath;  // empty while the canvas shows no job
    // The animation that runs: its steps, and when the status last told them.
    AnimationProgress m_progress;
    std::uint64_t m_progressMilliseconds = 0;
    QElapsedTimer m_progressClock;
    // Where the window's parts lie on a screen that holds it all, and how
    // far the display area may shrink before it would cross a control.
    struct NaturalLayout {
        QSize window;
        QRect areaFrame;
        QRect statusLine;
        QRect stopButton;
        QSize mostShrink;
        int margin = 0;
    } m_natural;
    bool m_beingPlaced = false;  // shown, and the window manager may still move it
    std::unique_ptr<JobWatcher> m_watcher;
    // The last load's report, completed when its fit is measured.
    LoadReport m_lastLoad;
    // The job last read, kept while it is shown: the Detail window and the
    // fit measure read these bytes, not the file again.
    std::shared_ptr<const JobDocument> m_document;
    std::unique_ptr<FitMeasurer> m_fitMeasurer;
    std::uint64_t m_fitRequest = 0;
    bool m_fitPending = false;
    bool m_loading = false;
    QPointer<QWidget> m_focusBeforeLoad;
    CDetailWindow* m_detailWindow = nullptr;

    DigitKeyFilter m_digitKeyFilter;
    // Controls in template order; index i belongs to the table's entry i.
    std::vector<QWidget*> m_controls;
};
