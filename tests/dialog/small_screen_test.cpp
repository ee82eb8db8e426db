// The window on screens smaller than it, and after the Open File dialog.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFileDialog>
#include <QHelpEvent>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <QToolTip>

#include "tests/dialog/dialog_fixture.h"

namespace {

TEST_F(DialogTest, TheWindowFitsSmallScreensAndItsCanvasScrolls) {
    CLumikorDlg& dialog = Dialog();
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    QTest::qWait(300);  // the fit to its own screen, once framed, is done
    std::vector<QRect> placed;
    for (const DialogItem& item : kMainDialogControls) {
        if (item.id != 1014) placed.push_back(dialog.GetDlgItem(item.id)->geometry());
    }
    const QSize natural = dialog.size();
    const QMargins frame(1, 24, 1, 1);
    // Screens: the laptop of the complaint, one a little short, one that holds it all.
    for (const QSize screen : {QSize(1366, 768), QSize(1280, 720), QSize(1920, 1080)}) {
        dialog.FitToScreen(QRect(QPoint(0, 0), screen), frame);
        const bool fits = natural.grownBy(frame).height() <= screen.height();
        EXPECT_LE(dialog.height() + frame.top() + frame.bottom(), screen.height())
            << screen.height();
        EXPECT_EQ(dialog.size() == natural, fits);
        // The controls keep their places, the canvas its size; the status line stays under the
        // display area.
        std::size_t i = 0;
        for (const DialogItem& item : kMainDialogControls) {
            if (item.id != 1014) {
                EXPECT_EQ(dialog.GetDlgItem(item.id)->geometry(), placed[i++]) << item.id;
            }
        }
        QScrollArea* area = dialog.CanvasScrollArea();
        EXPECT_EQ(area->widget()->size(), QSize(kDefaultCanvasWidth, kDefaultCanvasHeight));
        const QRect frameBox = dialog.GetDlgItem(1014)->geometry();
        EXPECT_TRUE(frameBox.contains(area->geometry()) || fits);
        EXPECT_EQ(area->verticalScrollBar()->maximum() > 0, !fits) << screen.height();
        EXPECT_EQ(area->horizontalScrollBar()->maximum(), 0);
        const QWidget* status = dialog.findChild<QLabel*>("statusLine");
        EXPECT_GT(status->y(), frameBox.bottom());
        EXPECT_LE(status->geometry().bottom(), dialog.height());
        EXPECT_LE(dialog.StopButton()->geometry().bottom(), dialog.height());
    }
}

// Typing a name in the Open File dialog and pressing Enter leaves no list
// of completions behind, and tooltips show afterwards.
TEST_F(DialogTest, TheOpenFileDialogLeavesNoPopupAndTooltipsKeepWorking) {
    const std::string path = WriteJob("square.prn", SquareJob());
    WriteJob("square2.prn", SquareJob());
    CLumikorDlg& dialog = Dialog();
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    WhenModal<QFileDialog>([](QFileDialog* files) {
        auto* name = files->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        ASSERT_NE(name, nullptr);
        name->setFocus();
        QTest::keyClicks(name, QStringLiteral("squa"));
        QTest::qWait(300);  // the folder is read and the completions offered
        QTest::keyClicks(name, QStringLiteral("re.prn"));
        QTest::keyClick(name, Qt::Key_Return);
    });
    Click(IDC_OPEN_FILE);
    QTest::qWait(300);  // completions that arrive late must not show either
    EXPECT_EQ(Text(IDC_JOB_PATH).toStdString(), path);
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        EXPECT_FALSE(widget->isVisible() && widget->windowType() == Qt::Popup)
            << widget->metaObject()->className();
    }

    QWidget* redraw = dialog.GetDlgItem(IDC_REDRAW);
    const QPoint at = redraw->rect().center();
    QHelpEvent help(QEvent::ToolTip, at, redraw->mapToGlobal(at));
    QApplication::sendEvent(redraw, &help);
    EXPECT_TRUE(QToolTip::isVisible());
    EXPECT_EQ(QToolTip::text(), redraw->toolTip());
    QToolTip::hideText();
}

}  // namespace
