// What the dialog tests share: a fixture that runs each test in a fresh
// current directory with one dialog, a way to act on modal windows, a small
// job, and the display built headlessly as the reference a load must match.
#pragma once

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QFocusEvent>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/lumikor_dlg.h"
#include "tests/support/job_writer.h"
#include "tests/support/temp_dir.h"
#include "ui/dialog_template.h"

inline constexpr char kExampleIni[] =
    "[MODEL_LIST]\nNo=4\nItem_1=Desk 400\nItem_2=Bench 1000\nItem_4=Spare\n"
    "[Desk 400]\nWidth=400\nHeight=300\nResolution=500\n"
    "[Zero]\nWidth=0\n";

// Acts on the modal window of type T as soon as it shows, from inside its
// event loop.
template <typename T>
void WhenModal(std::function<void(T*)> action) {
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, action] {
        auto* window = qobject_cast<T*>(QApplication::activeModalWidget());
        if (window == nullptr || !window->isVisible()) return;
        timer->stop();
        timer->deleteLater();
        action(window);
    });
    timer->start();
}

// Runs each test in a fresh current directory (where the dialog looks for
// its settings file) and restores the old one afterwards.
class DialogTest : public testing::Test {
protected:
    DialogTest() : m_previous(std::filesystem::current_path()) {
        std::filesystem::current_path(m_dir.Path());
    }
    ~DialogTest() override { std::filesystem::current_path(m_previous); }

    CLumikorDlg& Dialog() {
        if (!m_dialog) m_dialog.emplace();
        return *m_dialog;
    }
    template <typename T>
    T* Control(int id) {
        auto* control = qobject_cast<T*>(Dialog().GetDlgItem(id));
        EXPECT_NE(control, nullptr) << id;
        return control;
    }
    QString Text(int id) { return Control<QLineEdit>(id)->text(); }
    void SetText(int id, const QString& text) { Control<QLineEdit>(id)->setText(text); }
    void Click(int id) { Control<QAbstractButton>(id)->click(); }
    // Until the last load's fit on the bed is measured, and said.
    void WaitForFit() {
        EXPECT_TRUE(QTest::qWaitFor([this] { return !Dialog().FitPending(); }, 10000));
    }
    void LoseFocus(int id) {
        QFocusEvent focusOut(QEvent::FocusOut, Qt::TabFocusReason);
        QApplication::sendEvent(Control<QLineEdit>(id), &focusOut);
    }
    // Chooses a list entry as the user does: the keyboard moves the selection
    // and the list reports it as activated.
    void Choose(int id, int index) {
        auto* combo = Control<QComboBox>(id);
        combo->setCurrentIndex(index - 1);
        QTest::keyClick(combo, index == 0 ? Qt::Key_Home : Qt::Key_Down);
        ASSERT_EQ(combo->currentIndex(), index);
    }

    std::vector<std::uint8_t> CanvasBytes() {
        const Canvas& canvas = Dialog().Display().GetCanvas();
        const std::uint8_t* first = canvas.Row(0);
        return {first, first + std::size_t(canvas.Stride()) * canvas.Height()};
    }
    Color Pixel(int x, int y) { return Dialog().Display().GetCanvas().GetPixel(x, y); }

    std::string WriteJob(const std::string& name, const JobWriter& job) {
        const auto& bytes = job.Bytes();
        return m_dir.Write(name, std::string(bytes.begin(), bytes.end()));
    }

    TempDir m_dir;

private:
    std::filesystem::path m_previous;
    std::optional<CLumikorDlg> m_dialog;
};

inline constexpr Color kGrey = 0xB4B4B4;  // the canvas outside the bed (BGR bytes 180)
inline constexpr Color kWhite = 0xFFFFFF;

// A cut square from (1000, 1000) to (11000, 11000) dots.
inline JobWriter SquareJob() {
    JobWriter job;
    job.Magic()
        .MoveAbsolute(1000, 1000)
        .PenDown()
        .LineRelative(10000, 0)
        .LineRelative(0, 10000)
        .LineRelative(-10000, 0)
        .LineRelative(0, -10000)
        .PenUp()
        .Trailer();
    return job;
}

// The display the dialog drives, built headlessly and driven the same way.
struct Reference {
    CanvasDesc desc{kDefaultCanvasWidth, kDefaultCanvasHeight, nullptr, IDC_DISPLAY_AREA};
    CJobDisplay display;
    explicit Reference(const ModelInfo& model) {
        display.SetCanvas(&desc);
        display.SetModel(&model);
    }
    std::vector<std::uint8_t> Draw(const std::vector<std::uint8_t>& job) {
        display.DrawJob(job.data(), static_cast<std::uint32_t>(job.size()));
        const Canvas& canvas = display.GetCanvas();
        return {canvas.Row(0), canvas.Row(0) + std::size_t(canvas.Stride()) * canvas.Height()};
    }
};
