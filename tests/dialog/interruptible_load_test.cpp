// Loads with the animation on: the window keeps answering, Escape, Stop and
// the close box end the animation with the rest drawn at once, and no load
// starts inside another.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QTest>
#include <functional>

#include "tests/dialog/dialog_fixture.h"

namespace {

// Long enough that a pause which is not ended would outlast the test's
// watchdog many times over.
constexpr const char* kEndlessDelay = "600000";

// Twenty engraved rows, far enough apart to close a canvas row each.
void AddRows(JobWriter& job) {
    const std::vector<std::uint8_t> dots(60, 0xFF);
    for (int row = 0; row < 20; ++row) job.Raster('0', 2000, 2000 + row * 400, dots);
}

// Moves, lines and arcs, every one of them a step of the cutting animation.
void AddCuts(JobWriter& job) {
    for (int i = 0; i < 20; ++i) {
        job.MoveAbsolute(1000 + i * 1500, 1000).PenDown().LineRelative(800, 6000);
        job.ArcB(0, 2000, 0, 1000).PenUp();
    }
}

JobWriter JobOf(std::initializer_list<void (*)(JobWriter&)> parts) {
    JobWriter job;
    job.Magic();
    for (const auto part : parts) part(job);
    job.Trailer();
    return job;
}

JobWriter EngravingJob() { return JobOf({AddRows}); }
JobWriter CuttingJob() { return JobOf({AddCuts}); }

class InterruptibleLoadTest : public DialogTest {
protected:
    // Runs action once, as soon as a load is running (from inside one of
    // its pauses). A watchdog stops a load that does not end by itself, so
    // that a broken stop fails the test instead of hanging it.
    void DuringLoad(std::function<void()> action) {
        auto* timer = new QTimer;
        timer->setInterval(5);
        QObject::connect(timer, &QTimer::timeout, [this, timer, action] {
            if (!Dialog().IsLoading()) return;
            timer->stop();
            timer->deleteLater();
            action();
        });
        timer->start();
        QTimer::singleShot(10000, &Dialog(), [this] {
            if (!Dialog().IsLoading()) return;
            m_watchdogFired = true;
            Dialog().StopButton()->click();
        });
    }
    void Animate(int checkId, int delayId) {
        Click(checkId);
        SetText(delayId, kEndlessDelay);
        LoseFocus(delayId);
    }
    void Load(const JobWriter& job) {
        SetText(IDC_JOB_PATH, QString::fromStdString(WriteJob("job.prn", job)));
        Click(IDC_REDRAW);
    }
    bool m_watchdogFired = false;
};

TEST_F(InterruptibleLoadTest, EscapeEndsTheEngravingAnimationWithTheRestDrawnAtOnce) {
    const JobWriter job = EngravingJob();
    Animate(IDC_SHOW_ENGRAVE_PROCESS, IDC_ENGRAVE_DELAY);
    Dialog().show();
    bool stopOffered = false;
    DuringLoad([&] {
        stopOffered = Dialog().StopButton()->isVisible();
        QTest::keyClick(Dialog().StopButton(), Qt::Key_Escape);
    });
    Load(job);
    EXPECT_FALSE(m_watchdogFired);
    EXPECT_TRUE(stopOffered);
    EXPECT_FALSE(Dialog().StopButton()->isVisible());
    EXPECT_TRUE(Dialog().isVisible()) << "Escape during a load does not close the window";
    EXPECT_TRUE(Dialog().StatusText().contains("animation stopped"))
        << Dialog().StatusText().toStdString();

    Reference reference(DefaultModel());
    EXPECT_EQ(CanvasBytes(), reference.Draw(job.Bytes()));
}

TEST_F(InterruptibleLoadTest, StopEndsTheCuttingAnimationWithTheRestDrawnAtOnce) {
    const JobWriter job = CuttingJob();
    Animate(IDC_SHOW_CUT_PROCESS, IDC_CUT_DELAY);
    Click(IDC_SHOW_PR);
    Dialog().show();
    DuringLoad([&] { Dialog().StopButton()->click(); });
    Load(job);
    EXPECT_FALSE(m_watchdogFired);
    Reference reference(DefaultModel());
    reference.display.SetShowPR(1);
    EXPECT_EQ(CanvasBytes(), reference.Draw(job.Bytes()));
}

TEST_F(InterruptibleLoadTest, NoLoadStartsInsideAnotherAndTheControlsComeBack) {
    const JobWriter job = CuttingJob();
    Animate(IDC_SHOW_CUT_PROCESS, IDC_CUT_DELAY);
    Dialog().show();
    const std::string other = WriteJob("other.prn", SquareJob());
    std::vector<int> enabledDuringLoad;
    int nestedLoad = -1;
    DuringLoad([&] {
        for (const DialogItem& item : kMainDialogControls) {
            if (Dialog().GetDlgItem(item.id)->isEnabled() && item.kind != ControlKind::GroupBox &&
                item.kind != ControlKind::Label && item.kind != ControlKind::Static) {
                enabledDuringLoad.push_back(item.id);
            }
        }
        Click(IDC_REDRAW);
        QTest::keyClick(Dialog().StopButton(), Qt::Key_F5);
        Dialog().OnCommand(ID_LOAD_JOB, 1);
        nestedLoad = Dialog().LoadAndDraw(QString::fromStdString(other));
        Dialog().OnBnClickedSetting();
        Dialog().StopButton()->click();
    });
    Load(job);
    EXPECT_FALSE(m_watchdogFired);
    EXPECT_EQ(enabledDuringLoad, std::vector<int>{});
    EXPECT_EQ(nestedLoad, 0);
    EXPECT_EQ(Dialog().windowTitle(), "Lumikor 20140527 — job.prn");
    Reference reference(DefaultModel());
    EXPECT_EQ(CanvasBytes(), reference.Draw(job.Bytes()));
    for (const int id : {IDC_OPEN_FILE, IDC_REDRAW, IDC_SETTING, IDC_SHOW_CUT_PROCESS}) {
        EXPECT_TRUE(Dialog().GetDlgItem(id)->isEnabled()) << id;
    }
}

TEST_F(InterruptibleLoadTest, TheCloseBoxEndsTheDialogDuringAnAnimation) {
    Animate(IDC_SHOW_ENGRAVE_PROCESS, IDC_ENGRAVE_DELAY);
    Dialog().show();
    DuringLoad([&] { Dialog().close(); });
    Load(EngravingJob());
    EXPECT_FALSE(m_watchdogFired);
    EXPECT_FALSE(Dialog().isVisible());
    EXPECT_EQ(Dialog().result(), QDialog::Rejected);
}

TEST_F(InterruptibleLoadTest, TheStatusLineCountsTheStepsDoneAndTheTimeLeft) {
    Dialog().show();
    const auto setChecked = [this](int id, bool on) {
        if (Control<QCheckBox>(id)->isChecked() != on) Click(id);
    };
    SetText(IDC_ENGRAVE_DELAY, kEndlessDelay);
    LoseFocus(IDC_ENGRAVE_DELAY);
    SetText(IDC_CUT_DELAY, "1500");
    LoseFocus(IDC_CUT_DELAY);
    // Every step of the count pauses: the time left is the rest's delays.
    const struct {
        JobWriter job;
        bool engrave, cut, pr;
        std::string progress;
    } cases[] = {
        {EngravingJob(), true, false, false, "1 of 20 rows · 190 min left"},
        {CuttingJob(), false, true, true, "1 of 60 commands · 2 min left"},
        {CuttingJob(), false, true, false, "1 of 40 commands · 58.5 s left"},
        {JobOf({AddRows, AddCuts}), true, true, false, "1 of 60 rows and commands · 191 min left"},
    };
    for (const auto& c : cases) {
        setChecked(IDC_SHOW_ENGRAVE_PROCESS, c.engrave);
        setChecked(IDC_SHOW_CUT_PROCESS, c.cut);
        setChecked(IDC_SHOW_PR, c.pr);
        QString shown;
        DuringLoad([&] {
            shown = Dialog().StatusText();
            Dialog().StopButton()->click();
        });
        Load(c.job);
        EXPECT_EQ(shown.toStdString(), "Drawing job.prn … " + c.progress +
                                           " at the set delay · Escape or Stop ends the animation");
    }
}

// What the screen shows is the canvas, though each present repaints only
// what changed: one job animated over another, on the platform's own pixels.
TEST_F(InterruptibleLoadTest, TheScreenShowsTheCanvasAfterAnimatedLoads) {
    Dialog().show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&Dialog()));
    Load(SquareJob());
    Click(IDC_SHOW_CUT_PROCESS);
    Click(IDC_SHOW_PR);
    Click(IDC_SHOW_ENGRAVE_PROCESS);
    for (const int delay : {IDC_CUT_DELAY, IDC_ENGRAVE_DELAY}) {
        SetText(delay, "0");
        LoseFocus(delay);
    }
    for (const JobWriter& job : {JobOf({AddCuts}), JobOf({AddRows, AddCuts}), SquareJob()}) {
        Load(job);
        QWidget* view = Dialog().CanvasScrollArea()->widget();
        const Canvas& canvas = Dialog().Display().GetCanvas();
        const QImage expected = QImage(canvas.Row(0), canvas.Width(), canvas.Height(),
                                       canvas.Stride(), QImage::Format_BGR888)
                                    .convertToFormat(QImage::Format_RGB32);
        const QPoint at = view->mapTo(&Dialog(), QPoint(0, 0));
        const QImage shown =
            Dialog()
                .screen()
                ->grabWindow(Dialog().winId(), at.x(), at.y(), canvas.Width(), canvas.Height())
                .toImage()
                .convertToFormat(QImage::Format_RGB32);
        EXPECT_EQ(shown, expected);
    }
}

TEST_F(InterruptibleLoadTest, PausesOfZeroOrNegativeDelaysStillDrawEverything) {
    const JobWriter job = CuttingJob();
    Click(IDC_SHOW_CUT_PROCESS);
    SetText(IDC_CUT_DELAY, "-5");
    LoseFocus(IDC_CUT_DELAY);
    Load(job);
    Reference reference(DefaultModel());
    EXPECT_EQ(CanvasBytes(), reference.Draw(job.Bytes()));
    EXPECT_FALSE(Dialog().StatusText().contains("stopped"));
}

}  // namespace
