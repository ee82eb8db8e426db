// The ways to a job besides the path edit: the command line, a file dropped
// onto the window, and the keyboard shortcuts.
#include <gtest/gtest.h>

#include <QDropEvent>
#include <QFileDialog>
#include <QMimeData>
#include <QUrl>
#include <filesystem>

#include "app/command_line.h"
#include "app/lumikor_app.h"
#include "tests/dialog/dialog_fixture.h"

namespace {

// A drag of the given files over the window, entered and then dropped.
bool Drop(QWidget* window, const QList<QUrl>& urls) {
    QMimeData data;
    data.setUrls(urls);
    const QPointF where(window->width() / 2.0, window->height() / 2.0);
    QDragEnterEvent enter(where.toPoint(), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window, &enter);
    if (!enter.isAccepted()) return false;
    QDropEvent drop(where, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window, &drop);
    QApplication::processEvents();
    return drop.isAccepted();
}

class OpenJobTest : public DialogTest {
protected:
    // What Redraw draws for the job at path, in a dialog of its own.
    std::vector<std::uint8_t> RedrawnBytes(const std::string& path) {
        CLumikorDlg other;
        static_cast<QLineEdit*>(other.GetDlgItem(IDC_JOB_PATH))
            ->setText(QString::fromStdString(path));
        other.OnBnClickedRedraw();
        const Canvas& canvas = other.Display().GetCanvas();
        return {canvas.Row(0), canvas.Row(0) + std::size_t(canvas.Stride()) * canvas.Height()};
    }
};

TEST_F(OpenJobTest, AJobOnTheCommandLineAndADropDrawWhatRedrawDraws) {
    const std::string path = WriteJob("square.prn", SquareJob());
    const std::vector<std::uint8_t> redrawn = RedrawnBytes(path);

    std::vector<std::uint8_t> started;
    QString shownPath;
    WhenModal<QDialog>([&](QDialog* window) {
        auto* dialog = static_cast<CLumikorDlg*>(window);
        QApplication::processEvents();  // the posted load
        const Canvas& canvas = dialog->Display().GetCanvas();
        started.assign(canvas.Row(0),
                       canvas.Row(0) + std::size_t(canvas.Stride()) * canvas.Height());
        shownPath = static_cast<QLineEdit*>(dialog->GetDlgItem(IDC_JOB_PATH))->text();
        dialog->close();
    });
    CLumikorApp app;
    EXPECT_EQ(app.InitInstance(QString::fromStdString(path)), 0);
    EXPECT_EQ(shownPath.toStdString(), path);
    EXPECT_EQ(started, redrawn);

    const std::vector<std::uint8_t> empty = CanvasBytes();
    // Two files, or something that is no local file, are not taken.
    EXPECT_FALSE(Drop(&Dialog(), {QUrl::fromLocalFile(QString::fromStdString(path)),
                                  QUrl::fromLocalFile(QString::fromStdString(path))}));
    EXPECT_FALSE(Drop(&Dialog(), {QUrl(QStringLiteral("https://example.org/a.prn"))}));
    EXPECT_EQ(CanvasBytes(), empty);
    EXPECT_TRUE(Drop(&Dialog(), {QUrl::fromLocalFile(QString::fromStdString(path))}));
    EXPECT_EQ(Text(IDC_JOB_PATH).toStdString(), path);
    EXPECT_EQ(CanvasBytes(), redrawn);
}

TEST(CommandLineTest, HelpVersionAndUsageErrorsOpenNoWindow) {
    const CommandLine job = ParseCommandLine({"lumikor", "part.prn"});
    EXPECT_TRUE(job.openWindow);
    EXPECT_EQ(job.jobPath, "part.prn");
    EXPECT_TRUE(ParseCommandLine({"lumikor"}).jobPath.isEmpty());

    for (const char* option : {"--help", "-h"}) {
        const CommandLine help = ParseCommandLine({"lumikor", option});
        EXPECT_FALSE(help.openWindow);
        EXPECT_EQ(help.exitStatus, 0);
        EXPECT_TRUE(help.out.startsWith("Usage: lumikor [OPTION]... [JOB]\n"));
        EXPECT_TRUE(AsksForHelpOrVersion({"lumikor", "-platform", "xcb", option}));
    }
    const CommandLine version = ParseCommandLine({"lumikor", "--version"});
    EXPECT_FALSE(version.openWindow);
    EXPECT_EQ(version.out, "lumikor 1.0\n");
    EXPECT_FALSE(AsksForHelpOrVersion({"lumikor", "part.prn"}));

    for (const QStringList& wrong :
         {QStringList{"lumikor", "--bogus"}, QStringList{"lumikor", "a.prn", "b.prn"}}) {
        const CommandLine usage = ParseCommandLine(wrong);
        EXPECT_FALSE(usage.openWindow);
        EXPECT_EQ(usage.exitStatus, 2);
        EXPECT_TRUE(usage.out.isEmpty());
        EXPECT_TRUE(usage.err.startsWith("lumikor: ")) << usage.err.toStdString();
    }
}

TEST_F(OpenJobTest, ShortcutsReachTheirHandlers) {
    const std::string path = WriteJob("square.prn", SquareJob());
    CLumikorDlg& dialog = Dialog();
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    SetText(IDC_JOB_PATH, QString::fromStdString(path));
    const std::vector<std::uint8_t> empty = CanvasBytes();

    QTest::keyClick(&dialog, Qt::Key_F5);
    EXPECT_NE(CanvasBytes(), empty);
    Click(IDC_SETTING);  // wipes the picture
    QTest::keyClick(&dialog, Qt::Key_R, Qt::ControlModifier);
    EXPECT_NE(CanvasBytes(), empty);

    QTest::keyClick(&dialog, Qt::Key_S, Qt::ControlModifier);
    EXPECT_TRUE(std::filesystem::exists(m_dir.Path() / "square.bmp"));

    bool chooserShown = false;
    WhenModal<QFileDialog>([&](QFileDialog* files) {
        chooserShown = true;
        QMetaObject::invokeMethod(files, "reject");
    });
    QTest::keyClick(&dialog, Qt::Key_O, Qt::ControlModifier);
    EXPECT_TRUE(chooserShown);

    // Every control a user works says what it does, with its shortcut.
    for (const DialogItem& item : kMainDialogControls) {
        const bool works = item.kind != ControlKind::GroupBox && item.kind != ControlKind::Label &&
                           item.kind != ControlKind::Static && !(item.style & kStyleHidden);
        if (works) {
            EXPECT_FALSE(dialog.GetDlgItem(item.id)->toolTip().isEmpty()) << item.id;
        }
    }
    EXPECT_TRUE(dialog.GetDlgItem(IDC_REDRAW)->toolTip().contains("F5"));
    dialog.activateWindow();  // the chooser took the activation with it
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    QTest::keyClick(&dialog, Qt::Key_Q, Qt::ControlModifier);
    EXPECT_FALSE(dialog.isVisible());
}

}  // namespace
