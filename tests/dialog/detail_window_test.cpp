// The Detail window driven as a user would, on Qt's offscreen platform: opened
// from the main canvas, zoomed with the wheel, saved, and following loads.
#include "app/detail_window.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QFileDialog>
#include <QImage>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "app/lumikor_dlg.h"
#include "cli/cli_app.h"
#include "cli/render_command.h"
#include "tests/support/job_writer.h"
#include "tests/support/temp_dir.h"
#include "ui/dialog_template.h"

namespace {

// A dithered square (pen 1) with a cut line and a circle across it (pen 2).
JobWriter PatternJob(std::int32_t shift) {
    JobWriter job;
    job.Magic().Pen(1).DotStep(1);
    for (std::int32_t y = 12000; y < 12400; ++y) {
        std::vector<std::uint8_t> row(60);
        for (std::size_t i = 0; i < row.size(); ++i) {
            row[i] = static_cast<std::uint8_t>((y + shift) % 3 == 0 ? 0x55 : 0x80 >> (i % 8));
        }
        job.Raster(y % 2 == 0 ? '0' : '1', 20000 + (y % 2) * 479, y, row);
    }
    job.Pen(2).MoveAbsolute(19900, 11900).LineRelative(700, 600).ArcC(0, 0, -150, -150);
    job.Trailer();
    return job;
}

// Pictures compared pixel by pixel, whatever their format and colour space.
testing::AssertionResult SamePixels(const QImage& a, const QImage& b) {
    if (a.size() != b.size()) return testing::AssertionFailure() << "sizes differ";
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            if (a.pixel(x, y) != b.pixel(x, y)) {
                return testing::AssertionFailure() << "at (" << x << ", " << y << ") " << std::hex
                                                   << a.pixel(x, y) << " vs " << b.pixel(x, y);
            }
        }
    }
    return testing::AssertionSuccess();
}

class DetailWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_dialog.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&m_dialog));
        // The canvas lies above every control, from the display area's corner.
        m_canvas = m_dialog.childAt(m_dialog.GetDlgItem(IDC_DISPLAY_AREA)->pos());
        ASSERT_NE(m_canvas, nullptr);
        ASSERT_NE(m_dialog.DetailWindow(), nullptr);
    }

    void Load(const JobWriter& job, const std::string& name) {
        const auto& bytes = job.Bytes();
        const std::string path = m_dir.Write(name, std::string(bytes.begin(), bytes.end()));
        static_cast<QLineEdit*>(m_dialog.GetDlgItem(IDC_JOB_PATH))
            ->setText(QString::fromStdString(path));
        m_dialog.OnBnClickedRedraw();
        m_jobPath = path;
    }

    CDetailWindow& Detail() { return *m_dialog.DetailWindow(); }
    QWidget* DetailCanvasWidget() {
        return Detail().findChild<QWidget*>(QStringLiteral("detailCanvas"));
    }

    void Wheel(QWidget* target, QPoint at, int delta) {
        QWheelEvent event(QPointF(at), QPointF(target->mapToGlobal(at)), QPoint(), QPoint(0, delta),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(target, &event);
    }

    // The current view of job, drawn as the window draws it.
    QImage ExpectedView(const JobWriter& job) {
        JobIndex index;
        index.Build(job.Bytes().data(), job.Size());
        Canvas expected;
        if (DrawRegionView(index, Detail().CurrentSettings(), &expected) != ViewOutcome::kDrawn) {
            return {};
        }
        return QImage(expected.Row(0), expected.Width(), expected.Height(), expected.Stride(),
                      QImage::Format_BGR888)
            .convertToFormat(QImage::Format_RGB888);
    }

    QImage SavedView() {
        const QString path = QString::fromStdString((m_dir.Path() / "saved.png").string());
        QString error;
        if (!Detail().SaveView(path, &error)) return {};
        return QImage(path).convertToFormat(QImage::Format_RGB888);
    }

    // Waits for the worker's picture of the current view.
    bool WaitForPicture() {
        return QTest::qWaitFor([this] { return Detail().PictureIsCurrent(); }, 10000);
    }

    TempDir m_dir;
    CLumikorDlg m_dialog;
    QWidget* m_canvas = nullptr;
    std::string m_jobPath;
};

TEST_F(DetailWindowTest, DoubleClickOpensTheWindowCentredOnThatDotAtOneDotPerPixel) {
    Load(PatternJob(0), "pattern.prn");
    EXPECT_FALSE(Detail().isVisible());
    const QPoint pixel(458, 303);
    QTest::mouseDClick(m_canvas, Qt::LeftButton, Qt::NoModifier, pixel);
    ASSERT_TRUE(Detail().isVisible());
    const ViewNavigator& nav = Detail().Navigator();
    EXPECT_EQ(nav.Zoom(), (ViewZoom{1, 1}));
    const DotPosition centre = nav.DotAt(nav.WindowWidth() / 2, nav.WindowHeight() / 2);
    // The main canvas maps that dot onto the pixel clicked.
    const CJobDisplay& display = m_dialog.Display();
    EXPECT_EQ(static_cast<int>(static_cast<float>(centre.x) * display.GetScale()), pixel.x());
    EXPECT_EQ(static_cast<int>(static_cast<float>(display.GetBedHeightDots() - centre.y) *
                               display.GetScale()),
              pixel.y());
    // The whole bed, fitted, by the shortcut.
    QTest::keyClick(&m_dialog, Qt::Key_D, Qt::ControlModifier);
    EXPECT_EQ(nav.Zoom().pixelsPerDot, 1);
    EXPECT_LE(nav.X0(), 0);
    EXPECT_GE(nav.X1(), display.GetBedWidthDots());
    EXPECT_LE(nav.Y0(), 0);
    EXPECT_GE(nav.Y1(), display.GetBedHeightDots());
    const ViewZoom fitted = nav.Zoom();
    // One dot per pixel less and the bed would not fit.
    EXPECT_TRUE(nav.WindowWidth() * (fitted.dotsPerPixel - 1) < display.GetBedWidthDots() ||
                nav.WindowHeight() * (fitted.dotsPerPixel - 1) < display.GetBedHeightDots());
}

TEST_F(DetailWindowTest, AWheelStepZoomsOneLevelAboutTheCursor) {
    Load(PatternJob(0), "pattern.prn");
    QTest::mouseDClick(m_canvas, Qt::LeftButton, Qt::NoModifier, QPoint(458, 303));
    QWidget* canvas = DetailCanvasWidget();
    ASSERT_NE(canvas, nullptr);
    const ViewNavigator& nav = Detail().Navigator();
    const QPoint cursor(123, 77);
    const DotPosition under = nav.DotAt(cursor.x(), cursor.y());
    Wheel(canvas, cursor, 120);
    EXPECT_EQ(nav.Zoom(), (ViewZoom{1, 2}));
    EXPECT_EQ(nav.DotAt(cursor.x(), cursor.y()).x, under.x);
    EXPECT_EQ(nav.DotAt(cursor.x(), cursor.y()).y, under.y);
    Wheel(canvas, cursor, -120);
    Wheel(canvas, cursor, -120);
    EXPECT_EQ(nav.Zoom(), (ViewZoom{2, 1}));
    EXPECT_EQ(nav.DotAt(cursor.x(), cursor.y()).x, under.x);
    EXPECT_EQ(nav.DotAt(cursor.x(), cursor.y()).y, under.y);
    // Half a notch does nothing yet; the other half makes one level.
    Wheel(canvas, cursor, 60);
    EXPECT_EQ(nav.Zoom(), (ViewZoom{2, 1}));
    Wheel(canvas, cursor, 60);
    EXPECT_EQ(nav.Zoom(), (ViewZoom{1, 1}));
}

TEST_F(DetailWindowTest, SaveViewWritesThePixelsOfTheCommandLineWithTheSameView) {
    static_cast<QCheckBox*>(m_dialog.GetDlgItem(IDC_SHOW_START_POINT))->click();
    static_cast<QCheckBox*>(m_dialog.GetDlgItem(IDC_SHOW_CUT_PATH))->click();
    Load(PatternJob(0), "pattern.prn");
    QTest::mouseDClick(m_canvas, Qt::LeftButton, Qt::NoModifier, QPoint(458, 303));
    QWidget* canvas = DetailCanvasWidget();
    Wheel(canvas, QPoint(40, 30), -120);
    Wheel(canvas, QPoint(40, 30), -120);  // 4 dots per pixel
    Detail().findChild<QCheckBox*>()->setChecked(true);
    const std::string saved = (m_dir.Path() / "view.png").string();
    QString error;
    ASSERT_TRUE(Detail().SaveView(QString::fromStdString(saved), &error)) << error.toStdString();

    const ViewMapping view = Detail().CurrentSettings().view;
    const std::string cli = (m_dir.Path() / "cli.png").string();
    std::vector<std::string> args = {"lumikor-cli",
                                     "render",
                                     m_jobPath,
                                     "-o",
                                     cli,
                                     "--view",
                                     std::to_string(view.x0) + "," + std::to_string(view.y0) + "," +
                                         std::to_string(view.x1) + "," + std::to_string(view.y1),
                                     "--dots-per-pixel",
                                     "4",
                                     "--shade",
                                     "coverage",
                                     "--start-points",
                                     "--cut-path"};
    std::vector<const char*> argv;
    for (const std::string& a : args) argv.push_back(a.c_str());
    std::ostringstream out;
    std::ostringstream err;
    CliContext context{out, err};
    ASSERT_EQ(RunCli(static_cast<int>(argv.size()), argv.data(), context,
                     [](CLI::App& app, CliContext& c) { RegisterRenderCommand(app, c); }),
              kExitOk)
        << err.str();
    const QImage a(QString::fromStdString(saved));
    const QImage b(QString::fromStdString(cli));
    ASSERT_FALSE(a.isNull());
    EXPECT_EQ(a.size(), QSize(static_cast<int>(view.Width()), static_cast<int>(view.Height())));
    EXPECT_TRUE(SamePixels(a, b));

    // The button's save is confirmed on the main window's status line.
    const QString clicked = QString::fromStdString((m_dir.Path() / "clicked.png").string());
    auto* timer = new QTimer(&m_dialog);
    QObject::connect(timer, &QTimer::timeout, [timer, clicked] {
        auto* files = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (files == nullptr || !files->isVisible()) return;
        timer->stop();
        files->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(clicked);
        QMetaObject::invokeMethod(files, "accept");
    });
    timer->start(10);
    for (QPushButton* button : Detail().findChildren<QPushButton*>()) {
        if (button->text().startsWith("Save View")) button->click();
    }
    EXPECT_EQ(m_dialog.StatusText(), "Saved " + clicked);
}

TEST_F(DetailWindowTest, FollowsEachLoadAndShowsTheLatestOfManyViews) {
    Load(PatternJob(0), "a.prn");
    QTest::mouseDClick(m_canvas, Qt::LeftButton, Qt::NoModifier, QPoint(458, 303));
    QWidget* canvas = DetailCanvasWidget();
    // A burst of zooms and drags: each replaces the view still being drawn.
    for (int i = 0; i < 12; ++i) Wheel(canvas, QPoint(200, 150), i % 3 == 0 ? 120 : -120);
    QTest::mousePress(canvas, Qt::LeftButton, Qt::NoModifier, QPoint(100, 100));
    QTest::mouseMove(canvas, QPoint(160, 130));
    QTest::mouseRelease(canvas, Qt::LeftButton, Qt::NoModifier, QPoint(160, 130));
    Load(PatternJob(1), "b.prn");  // another job, drawn where the window looks
    ASSERT_TRUE(WaitForPicture());

    const QImage shown = canvas->grab().toImage().convertToFormat(QImage::Format_RGB888);
    const QImage want = ExpectedView(PatternJob(1));
    ASSERT_GE(want.width(), shown.width());
    ASSERT_GE(want.height(), shown.height());
    EXPECT_TRUE(SamePixels(shown, want.copy(0, 0, shown.width(), shown.height())));
}

TEST_F(DetailWindowTest, ShowsTheBytesTheMainWindowDrewUntilTheFileIsLoadedAgain) {
    Load(PatternJob(0), "gen.prn");
    const QImage mainBefore = m_canvas->grab().toImage();
    // A generator replaces the file by a job of nothing before the window
    // is opened.
    JobWriter empty;
    empty.Magic().Trailer();
    const std::string part =
        m_dir.Write("gen.prn.part", std::string(empty.Bytes().begin(), empty.Bytes().end()));
    std::filesystem::rename(part, m_jobPath);
    Detail().OpenFitted(DefaultModel());
    const QImage drawn = ExpectedView(PatternJob(0));
    ASSERT_FALSE(drawn.isNull());
    ASSERT_NE(drawn, ExpectedView(empty));  // else the check below proves nothing
    EXPECT_TRUE(SamePixels(SavedView(), drawn));

    m_dialog.OnBnClickedRedraw();
    EXPECT_NE(m_canvas->grab().toImage(), mainBefore);
    EXPECT_TRUE(SamePixels(SavedView(), ExpectedView(empty)));
    ASSERT_TRUE(WaitForPicture());
    const QImage shown =
        DetailCanvasWidget()->grab().toImage().convertToFormat(QImage::Format_RGB888);
    EXPECT_TRUE(SamePixels(shown, ExpectedView(empty).copy(0, 0, shown.width(), shown.height())));
}

}  // namespace
