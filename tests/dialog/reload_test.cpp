// The drawn job is drawn again when its file changes on disk, once the
// writing has settled, and only then.
#include <gtest/gtest.h>

#include <QPushButton>
#include <QTest>
#include <filesystem>
#include <fstream>

#include "app/status_text.h"
#include "tests/dialog/dialog_fixture.h"

namespace {

JobWriter LineJob(std::int32_t dx, std::int32_t dy) {
    JobWriter job;
    job.Magic().MoveAbsolute(1000, 1000).PenDown().LineRelative(dx, dy).PenUp().Trailer();
    return job;
}

class ReloadTest : public DialogTest {
protected:
    void SetUp() override {
        m_path = WriteJob("gen.prn", LineJob(20000, 0));
        SetText(IDC_JOB_PATH, QString::fromStdString(m_path));
        Click(IDC_REDRAW);
    }
    std::vector<std::uint8_t> Drawn(const JobWriter& job) {
        Reference reference(DefaultModel());
        return reference.Draw(job.Bytes());
    }
    // Waits for the canvas to show job; false when it does not within a
    // generous time (the settle time is 200 ms).
    bool WaitForCanvas(const JobWriter& job) {
        const std::vector<std::uint8_t> wanted = Drawn(job);
        return QTest::qWaitFor([&] { return CanvasBytes() == wanted; }, 5000);
    }
    // Waits well past the settle time and says whether anything redrew.
    bool RedrawsWithin(int milliseconds) {
        const std::vector<std::uint8_t> before = CanvasBytes();
        const QString status = Dialog().StatusText();
        QTest::qWait(milliseconds);
        return CanvasBytes() != before || Dialog().StatusText() != status;
    }
    std::string m_path;
};

TEST_F(ReloadTest, ARewrittenFileIsDrawnAgainOnce) {
    const JobWriter rewritten = LineJob(0, 15000);
    {
        // Written in pieces with pauses shorter than the settle time: one
        // reload after the last piece.
        std::ofstream out(m_path, std::ios::binary | std::ios::trunc);
        const auto& bytes = rewritten.Bytes();
        const std::size_t half = bytes.size() / 2;
        out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(half)).flush();
        QTest::qWait(80);
        out.write(reinterpret_cast<const char*>(bytes.data() + half),
                  std::streamsize(bytes.size() - half));
    }
    ASSERT_TRUE(WaitForCanvas(rewritten));
    WaitForFit();
    EXPECT_TRUE(Dialog().StatusText().endsWith(" · reloaded"))
        << Dialog().StatusText().toStdString();
    EXPECT_EQ(Text(IDC_JOB_PATH).toStdString(), m_path);

    // Once: a second reload would draw with the option changed since.
    Choose(IDC_DISPLAY_MODE, 1);  // raster only: the line would vanish
    EXPECT_FALSE(RedrawsWithin(700));
    // Another file of the folder changing is no change of the job.
    m_dir.Write("other.prn", "x");
    EXPECT_FALSE(RedrawsWithin(700));
}

TEST_F(ReloadTest, AFileRenamedOverTheJobIsDrawnAgain) {
    for (const JobWriter& next : {LineJob(0, 15000), LineJob(-800, 9000)}) {
        const std::string temporary = WriteJob("gen.prn.part", next);
        std::filesystem::rename(temporary, m_path);
        ASSERT_TRUE(WaitForCanvas(next));
        EXPECT_TRUE(Dialog().StatusText().endsWith(" · reloaded"));
    }
}

TEST_F(ReloadTest, AVanishedFileLeavesThePictureAndSaysSo) {
    const std::vector<std::uint8_t> drawn = CanvasBytes();
    std::filesystem::remove(m_path);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return Dialog().StatusText() == VanishedText(QString::fromStdString(m_path)); },
        5000))
        << Dialog().StatusText().toStdString();
    EXPECT_EQ(CanvasBytes(), drawn);

    // Written again later, it is drawn again.
    const JobWriter back = LineJob(0, 15000);
    WriteJob("gen.prn", back);
    ASSERT_TRUE(WaitForCanvas(back));
}

TEST_F(ReloadTest, AChangeDuringALoadIsDrawnAfterIt) {
    const JobWriter rewritten = LineJob(0, 15000);
    Click(IDC_SHOW_CUT_PROCESS);
    SetText(IDC_CUT_DELAY, "600000");
    LoseFocus(IDC_CUT_DELAY);
    bool loadRanThrough = false;
    QTimer::singleShot(50, &Dialog(), [&] {
        ASSERT_TRUE(Dialog().IsLoading());
        // Replaced by rename, as generators do: the load goes on with the
        // file it mapped, while the watcher sees the new one.
        std::filesystem::rename(WriteJob("gen.prn.part", rewritten), m_path);
        QTest::qWait(600);  // past the settle time, inside the load
        loadRanThrough = Dialog().IsLoading();
        Dialog().StopButton()->click();
    });
    Click(IDC_REDRAW);
    Click(IDC_SHOW_CUT_PROCESS);  // the reload to come draws at once
    EXPECT_TRUE(loadRanThrough);
    EXPECT_EQ(CanvasBytes(), Drawn(LineJob(20000, 0)));  // as read when the load began
    ASSERT_TRUE(WaitForCanvas(rewritten));
}

TEST_F(ReloadTest, ANewModelStopsTheWatch) {
    Click(IDC_SETTING);
    WriteJob("gen.prn", LineJob(0, 15000));
    EXPECT_FALSE(RedrawsWithin(700));
}

}  // namespace
