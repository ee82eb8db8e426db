// CLumikorDlg: the program's only window. It owns the machine models, the one
// job display and the file dialog, and turns the user's actions into calls on
// the display. Handlers keep the names of the dialog's message map. Beside
// the template's controls it has a status line that says what each action
// did, shortcuts, and it redraws the drawn job when its file changes.
#pragma once

#include <QDialog>
#include <QPointer>
#include <QString>
#include <array>
#include <memory>
#include <string>
#include <vector>

#include "app/digit_key_filter.h"
#include "display/job_display.h"
#include "display/model_info.h"
#include "ui/dialog_template.h"

class CanvasView;
class InterruptibleScreen;
class JobWatcher;
class CDetailWindow;
class QCheckBox;
class QComboBox;
class QFileDialog;
class QLabel;
class QLineEdit;
class QPushButton;
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

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void CreateControls();
    void CreateStatusLine(const DialogBaseUnits& units);
    void ConnectHandlers();
    void CreateShortcuts();
    void OnInitDialog();

    int Load(const QString& path, bool reload);
    // The controls that could start a load or change the display are off
    // while a load runs; Stop takes the focus.
    void BeginLoad(const QString& fileName);
    void EndLoad();
    // The job whose picture the canvas shows: Save Image names the bitmap
    // after it, the title shows it, and its file is watched for changes.
    void SetDrawnJob(const QString& path, const FileStamp& stamp);
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
    std::unique_ptr<InterruptibleScreen> m_screen;  // what m_display presents to
    QLabel* m_statusLine = nullptr;
    QPushButton* m_stopButton = nullptr;
    QString m_statusText;
    QString m_drawnJobPath;  // empty while the canvas shows no job
    std::unique_ptr<JobWatcher> m_watcher;
    bool m_loading = false;
    QPointer<QWidget> m_focusBeforeLoad;
    CDetailWindow* m_detailWindow = nullptr;

    DigitKeyFilter m_digitKeyFilter;
    // Controls in template order; index i belongs to the table's entry i.
    std::vector<QWidget*> m_controls;
};
