// The status line and the names the dialog gives its pictures: what each
// load, model change and save says, and that an image is only ever named
// after the job it shows.
#include <gtest/gtest.h>

#include <QFileDialog>
#include <QImage>
#include <QImageReader>
#include <QLabel>
#include <QRegularExpression>
#include <QToolTip>
#include <filesystem>
#include <fstream>

#include "app/status_text.h"
#include "tests/dialog/dialog_fixture.h"

namespace {

// The status text with the load time, which varies, as "T ms".
std::string StatusWithoutTime(const CLumikorDlg& dialog) {
    QString text = dialog.StatusText();
    text.replace(QRegularExpression(QStringLiteral(" · \\d+ ms · ")), QStringLiteral(" · T ms · "));
    return text.toStdString();
}

std::string ReadAll(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

TEST_F(DialogTest, StatusLineSaysWhatEachLoadFound) {
    EXPECT_EQ(Dialog().StatusText(), "1000 × 600 mm at 1000 dpi: 39370 × 23622 dots");

    JobWriter unknown;
    unknown.Magic().Raw({0x01, 0x02}).MoveAbsolute(10, 10).Raw({0x03}).Trailer();
    JobWriter broken;
    broken.Magic().MoveAbsolute(10, 10).Raw({0x01}).Trailer(0x1234, 99);
    JobWriter head;
    head.Magic().MoveAbsolute(1000, 1000).PenDown();
    JobWriter cutShort = head;
    cutShort.LineRelative(10000, 0);
    const std::vector<std::uint8_t>& whole = cutShort.Bytes();
    const std::vector<std::uint8_t> cutBytes(whole.begin(), whole.end() - 3);
    JobWriter offRight;
    offRight.Magic().MoveAbsolute(39000, 1000).PenDown().LineRelative(410, 0).PenUp().Trailer();
    JobWriter notAJob;
    notAJob.Raw("\x89PNG\r\n").MoveAbsolute(10, 10);

    const struct {
        const char* name;
        std::vector<std::uint8_t> bytes;
        std::string findings;
    } cases[] = {
        {"square.prn", SquareJob().Bytes(), "valid"},
        {"unknown.prn", unknown.Bytes(), "3 unknown bytes"},
        // The length field after a bad checksum is the trailer's, not junk in the job.
        {"broken.prn", broken.Bytes(),
         "a trailer's checksum differs from the computed sum; 4 bytes left over by a failed "
         "trailer check; 1 unknown byte"},
        {"cut.prn", cutBytes,
         "cut short at byte " + std::to_string(head.Bytes().size()) +
             ", 7 bytes dropped; no trailer"},
        {"right.prn", offRight.Bytes(), "does not fit: cuts reach 1.0 mm past the right edge"},
        {"picture.png", notAJob.Bytes(),
         "not a laser job (it does not start with LTT); nothing drawn"},
        {"empty.prn", {}, "not a laser job (it does not start with LTT); nothing drawn"},
    };
    for (const auto& c : cases) {
        SetText(IDC_JOB_PATH, QString::fromStdString(m_dir.Write(
                                  c.name, std::string(c.bytes.begin(), c.bytes.end()))));
        Click(IDC_REDRAW);
        WaitForFit();
        EXPECT_EQ(StatusWithoutTime(Dialog()), std::string(c.name) + " · " +
                                                   SizeText(c.bytes.size()).toStdString() +
                                                   " · T ms · " + c.findings);
    }
    Click(IDC_SAVE_IMAGE);
    EXPECT_EQ(Dialog().StatusText(), NothingToSaveText())
        << "a file that is not a job draws nothing";

    // The sample cut to 60 % of its length, and whole on a bed it lies off.
    std::ifstream in(LUMIKOR_SAMPLE_JOB, std::ios::binary);
    const std::string sample{std::istreambuf_iterator<char>(in), {}};
    SetText(IDC_JOB_PATH, QString::fromStdString(m_dir.Write("half.prn", sample.substr(0, 21232))));
    Click(IDC_REDRAW);
    WaitForFit();
    EXPECT_EQ(StatusWithoutTime(Dialog()),
              "half.prn · 21.2 KB · T ms · cut short at byte 21223 (a raster line runs past the "
              "end), 9 bytes dropped; no trailer");
    SetText(IDC_JOB_PATH, LUMIKOR_SAMPLE_JOB);
    Click(IDC_REDRAW);
    WaitForFit();
    SetText(IDC_WIDTH, "400");
    SetText(IDC_HEIGHT, "300");
    SetText(IDC_RESOLUTION, "500");
    Click(IDC_SETTING);
    EXPECT_EQ(Dialog().StatusText(),
              "400 × 300 mm at 500 dpi: 7874 × 5905 dots · the picture of sample.prn was cleared; "
              "Redraw draws it on the new bed");
    Click(IDC_REDRAW);
    WaitForFit();
    EXPECT_EQ(
        StatusWithoutTime(Dialog()),
        "sample.prn · 35.4 KB · T ms · wholly off the bed: cuts reach 1383.1 mm past the right "
        "edge (engraved dots 334.0 mm, travel moves 1256.3 mm) and cuts reach 700.5 mm past "
        "the top edge (engraved dots 632.1 mm, travel moves 675.7 mm)");
    // Longer than the line: a click shows all of it.
    auto* line = Dialog().findChild<QLabel*>("statusLine");
    Dialog().show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&Dialog()));
    EXPECT_NE(line->text(), Dialog().StatusText());
    QTest::mouseClick(line, Qt::LeftButton);
    EXPECT_TRUE(QToolTip::isVisible());
    EXPECT_EQ(QToolTip::text(), Dialog().StatusText());
    QToolTip::hideText();
    SetText(IDC_WIDTH, "1000");
    SetText(IDC_HEIGHT, "600");
    SetText(IDC_RESOLUTION, "1000");
    Click(IDC_SETTING);

    // Files that cannot be read say why, and leave the picture.
    const std::vector<std::uint8_t> drawn = CanvasBytes();
    const std::string missing = (m_dir.Path() / "missing.prn").string();
    SetText(IDC_JOB_PATH, QString::fromStdString(missing));
    Click(IDC_REDRAW);
    WaitForFit();
    EXPECT_EQ(Dialog().StatusText().toStdString(),
              "Cannot open " + missing + ": No such file or directory");
    SetText(IDC_JOB_PATH, QString::fromStdString(m_dir.Path().string()));
    Click(IDC_REDRAW);
    WaitForFit();
    EXPECT_TRUE(Dialog().StatusText().startsWith(
        "Cannot open " + QString::fromStdString(m_dir.Path().string()) + ": "));
    EXPECT_EQ(CanvasBytes(), drawn);
}

TEST(StatusTextTest, SizesAndFindingsReadAsWords) {
    EXPECT_EQ(SizeText(0), "0 bytes");
    EXPECT_EQ(SizeText(1), "1 byte");
    EXPECT_EQ(SizeText(999), "999 bytes");
    EXPECT_EQ(SizeText(1000), "1.0 KB");
    EXPECT_EQ(SizeText(1'449'999), "1.4 MB");
    EXPECT_EQ(SizeText(999'960), "1.0 MB");  // never "1000.0 KB"
    EXPECT_EQ(SizeText(238'000'000), "238.0 MB");
    EXPECT_EQ(SizeText(4'294'967'295u), "4.3 GB");

    // Everything at once: how the findings join.
    LoadFindings findings;
    findings.errorFlags = 0x8;
    findings.warnings = {JobWarning{JobWarningKind::kBytesAfterTrailer, 90, 1}};
    findings.trailerLeftoverBytes = 1;
    findings.unknownBytes = 4;
    findings.bedBlank = true;
    findings.SetFit(
        {"cuts reach 1.0 mm past the left edge", "cuts reach 2.0 mm past the top edge"});
    EXPECT_EQ(LoadedText({"part.prn", 1'400'000, 12345, findings, true, true}),
              "part.prn · 1.4 MB · 12.3 s · a trailer's checksum differs from the computed sum; "
              "1 byte after the final trailer; 1 byte left over by a failed trailer check; 4 "
              "unknown bytes; wholly off the bed: cuts reach 1.0 mm past the left edge and cuts "
              "reach 2.0 mm past the top edge · animation stopped, the rest drawn at once · "
              "reloaded");
}

TEST_F(DialogTest, ThePictureCarriesTheNameOfTheJobItShows) {
    const std::string first = WriteJob("first.prn", SquareJob());
    JobWriter other;
    other.Magic().MoveAbsolute(0, 0).PenDown().LineRelative(20000, 20000).PenUp().Trailer();
    const std::string second = WriteJob("engrave.prn", other);
    const std::filesystem::path firstImage = m_dir.Path() / "first.bmp";
    const std::filesystem::path secondImage = m_dir.Path() / "engrave.bmp";

    Click(IDC_SAVE_IMAGE);  // nothing drawn yet
    EXPECT_EQ(Dialog().StatusText(), NothingToSaveText());
    EXPECT_EQ(Dialog().windowTitle(), "Lumikor 20140527");

    SetText(IDC_JOB_PATH, QString::fromStdString(first));
    Click(IDC_REDRAW);
    EXPECT_EQ(Dialog().windowTitle(), "Lumikor 20140527 — first.prn");

    // A path typed but not loaded does not rename the picture.
    SetText(IDC_JOB_PATH, QString::fromStdString(second));
    Click(IDC_SAVE_IMAGE);
    EXPECT_FALSE(std::filesystem::exists(secondImage));
    ASSERT_TRUE(std::filesystem::exists(firstImage));
    const std::string firstBytes = ReadAll(firstImage);

    // Nor does a load that failed: the old picture keeps its own name.
    SetText(IDC_JOB_PATH, QString::fromStdString((m_dir.Path() / "doesnotexist.prn").string()));
    Click(IDC_REDRAW);
    Click(IDC_SAVE_IMAGE);
    EXPECT_FALSE(std::filesystem::exists(m_dir.Path() / "doesnotexist.bmp"));
    EXPECT_EQ(ReadAll(firstImage), firstBytes);
    EXPECT_EQ(Dialog().windowTitle(), "Lumikor 20140527 — first.prn");

    SetText(IDC_JOB_PATH, QString::fromStdString(second));
    Click(IDC_REDRAW);
    Click(IDC_SAVE_IMAGE);
    ASSERT_TRUE(std::filesystem::exists(secondImage));
    EXPECT_NE(ReadAll(secondImage), firstBytes);
    EXPECT_EQ(Dialog().windowTitle(), "Lumikor 20140527 — engrave.prn");

    // A file that is not a job, whose picture would take the same name, leaves it alone.
    const std::string secondBytes = ReadAll(secondImage);
    SetText(IDC_JOB_PATH, QString::fromStdString(m_dir.Write("engrave.png", "\x89PNG\r\n")));
    Click(IDC_REDRAW);
    Click(IDC_SAVE_IMAGE);
    EXPECT_EQ(ReadAll(secondImage), secondBytes);
    EXPECT_EQ(Dialog().StatusText(), NothingToSaveText());
    SetText(IDC_JOB_PATH, QString::fromStdString(second));
    Click(IDC_REDRAW);

    // A new model wipes the job: the empty bed is nobody's picture.
    std::filesystem::remove(secondImage);
    Click(IDC_SETTING);
    Click(IDC_SAVE_IMAGE);
    EXPECT_FALSE(std::filesystem::exists(secondImage));
    EXPECT_EQ(Dialog().StatusText(), NothingToSaveText());
    EXPECT_EQ(Dialog().windowTitle(), "Lumikor 20140527");
}

TEST_F(DialogTest, SaveImageAsWritesTheBedAsBitmapOrPng) {
    Dialog().show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&Dialog()));
    QTest::keyClick(&Dialog(), Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(Dialog().StatusText(), NothingToSaveText());
    SetText(IDC_JOB_PATH, QString::fromStdString(WriteJob("square.prn", SquareJob())));
    Click(IDC_REDRAW);
    Click(IDC_SAVE_IMAGE);
    const QImage bitmap((m_dir.Path() / "square.bmp").c_str());
    ASSERT_FALSE(bitmap.isNull());

    // The name's own extension decides the format; without one, the chosen filter does.
    const struct {
        const char* typed;
        const char* filter;
        const char* written;
        const char* format;
    } cases[] = {
        {"a.png", "BMP (*.bmp)", "a.png", "png"},
        {"b", "PNG (*.png)", "b.png", "png"},
        {"c", "BMP (*.bmp)", "c.bmp", "bmp"},
        {"d.BMP", "PNG (*.png)", "d.BMP", "bmp"},
    };
    for (const auto& c : cases) {
        const QString typed = QString::fromUtf8(c.typed);
        WhenModal<QFileDialog>([&](QFileDialog* files) {
            // Chosen as the user does, from the list of types.
            auto* types = files->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
            ASSERT_NE(types, nullptr);
            const int type = types->findText(QString::fromUtf8(c.filter));
            types->setCurrentIndex(type);
            emit types->activated(type);
            emit types->textActivated(types->itemText(type));
            files->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(typed);
            QMetaObject::invokeMethod(files, "accept");
        });
        Dialog().activateWindow();  // the chooser took the activation with it
        ASSERT_TRUE(QTest::qWaitForWindowActive(&Dialog()));
        QTest::keyClick(&Dialog(), Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
        const std::filesystem::path written = m_dir.Path() / c.written;
        EXPECT_EQ(Dialog().StatusText().toStdString(), "Saved " + written.string());
        QImageReader reader(QString::fromStdString(written.string()));
        EXPECT_EQ(reader.format().toStdString(), c.format) << c.typed;
        EXPECT_EQ(reader.read().convertToFormat(bitmap.format()), bitmap) << c.typed;
    }
    EXPECT_TRUE(Control<QWidget>(IDC_SAVE_IMAGE)->toolTip().contains("Ctrl+Shift+S"));
}

TEST_F(DialogTest, FileDialogOpensInTheFolderOfTheDrawnJob) {
    std::filesystem::create_directory(m_dir.Path() / "jobs");
    SetText(IDC_JOB_PATH, QString::fromStdString(WriteJob("jobs/square.prn", SquareJob())));
    Click(IDC_REDRAW);
    QString shown;
    WhenModal<QFileDialog>([&shown](QFileDialog* files) {
        shown = files->directory().absolutePath();
        QMetaObject::invokeMethod(files, "reject");
    });
    Click(IDC_OPEN_FILE);
    EXPECT_EQ(shown.toStdString(), (m_dir.Path() / "jobs").string());
}

}  // namespace
