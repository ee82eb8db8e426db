// The status line and the names the dialog gives its pictures: what each
// load, model change and save says, and that an image is only ever named
// after the job it shows.
#include <gtest/gtest.h>

#include <QFileDialog>
#include <QRegularExpression>
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

    const auto load = [this](const std::string& name, const JobWriter& job) {
        SetText(IDC_JOB_PATH, QString::fromStdString(WriteJob(name, job)));
        Click(IDC_REDRAW);
        return StatusWithoutTime(Dialog());
    };
    const JobWriter square = SquareJob();
    EXPECT_EQ(load("square.prn", square),
              "square.prn · " + std::to_string(square.Bytes().size()) + " bytes · T ms · valid");

    JobWriter unknown;
    unknown.Magic().Raw({0x01, 0x02}).MoveAbsolute(10, 10).Raw({0x03}).Trailer();
    EXPECT_EQ(load("unknown.prn", unknown), "unknown.prn · " +
                                                std::to_string(unknown.Bytes().size()) +
                                                " bytes · T ms · valid; 3 unknown bytes");

    JobWriter broken;
    broken.Magic().MoveAbsolute(10, 10).Raw({0x01}).Trailer(0x1234, 99);
    EXPECT_EQ(load("broken.prn", broken),
              "broken.prn · " + std::to_string(broken.Bytes().size()) +
                  " bytes · T ms · a trailer's checksum differs from the computed sum; 5 unknown "
                  "bytes")
        << "one byte and the trailer's length field, read as bytes after the bad checksum";

    JobWriter badMagic;
    badMagic.Raw("LTX").MoveAbsolute(10, 10);
    EXPECT_EQ(load("magic.prn", badMagic), "magic.prn · 13 bytes · T ms · the magic is not 'LTT'");

    // Files that cannot be read say why, and leave the picture.
    const std::vector<std::uint8_t> drawn = CanvasBytes();
    const std::string missing = (m_dir.Path() / "missing.prn").string();
    SetText(IDC_JOB_PATH, QString::fromStdString(missing));
    Click(IDC_REDRAW);
    EXPECT_EQ(Dialog().StatusText().toStdString(),
              "Cannot open " + missing + ": No such file or directory");
    SetText(IDC_JOB_PATH, QString::fromStdString(m_dir.Path().string()));
    Click(IDC_REDRAW);
    EXPECT_TRUE(Dialog().StatusText().startsWith(
        "Cannot open " + QString::fromStdString(m_dir.Path().string()) + ": "));
    EXPECT_EQ(CanvasBytes(), drawn);

    SetText(IDC_WIDTH, "400");
    SetText(IDC_HEIGHT, "300");
    SetText(IDC_RESOLUTION, "500");
    Click(IDC_SETTING);
    EXPECT_EQ(Dialog().StatusText(), "400 × 300 mm at 500 dpi: 7874 × 5905 dots");
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

    LoadReport report{"part.prn", 1'400'000, 38, 0x9, 4, false, false};
    EXPECT_EQ(LoadedText(report),
              "part.prn · 1.4 MB · 38 ms · the magic is not 'LTT'; a trailer's checksum differs "
              "from the computed sum; 4 unknown bytes");
    report = {"part.prn", 10, 12345, 0, 0, true, true};
    EXPECT_EQ(LoadedText(report),
              "part.prn · 10 bytes · 12.3 s · valid · animation stopped, the rest drawn at once · "
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

    // A new model wipes the job: the empty bed is nobody's picture.
    std::filesystem::remove(secondImage);
    Click(IDC_SETTING);
    Click(IDC_SAVE_IMAGE);
    EXPECT_FALSE(std::filesystem::exists(secondImage));
    EXPECT_EQ(Dialog().StatusText(), NothingToSaveText());
    EXPECT_EQ(Dialog().windowTitle(), "Lumikor 20140527");
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
