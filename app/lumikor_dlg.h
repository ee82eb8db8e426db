// CLumikorDlg: the program's only window. It owns the machine models, the one
// job display and the file dialog, and turns the user's actions into calls on
// the display. Handlers keep the names of the dialog's message map.
#pragma once

#include <QDialog>
#include <QString>
#include <array>
#include <memory>
#include <string>
#include <vector>

#include "app/digit_key_filter.h"
#include "display/job_display.h"
#include "display/model_info.h"

class CanvasView;
class QCheckBox;
class QComboBox;
class QFileDialog;
class QLineEdit;

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
    // read (nothing changes), else 1.
    int LoadAndDraw(const QString& path);
    void ApplyModelEdits();
    void FillModelCombo();
    void LoadModelList();

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void CreateControls();
    void ConnectHandlers();
    void OnInitDialog();

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
    CanvasView* m_canvasView = nullptr;  // shows m_display's canvas over m_displayArea

    DigitKeyFilter m_digitKeyFilter;
    // Controls in template order; index i belongs to the table's entry i.
    std::vector<QWidget*> m_controls;
};
