// The main dialog driven as a user would, on Qt's offscreen platform.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <filesystem>
#include <fstream>

#include "tests/dialog/dialog_fixture.h"

namespace {

TEST_F(DialogTest, StartsWithTheDefaultModelWhateverTheSettingsList) {
    m_dir.Write("Lumikor.ini", kExampleIni);
    CLumikorDlg& dialog = Dialog();
    EXPECT_EQ(dialog.windowTitle(), "Lumikor 20140527");
    EXPECT_EQ(dialog.IniPath(), QDir::currentPath() + "/Lumikor.ini");

    auto* models = Control<QComboBox>(IDC_MODEL);
    ASSERT_EQ(models->count(), 3);
    EXPECT_EQ(models->itemText(0), "Desk 400");
    EXPECT_EQ(models->itemText(2), "Spare");
    EXPECT_EQ(models->currentIndex(), -1);

    EXPECT_EQ(Text(IDC_WIDTH), "1000");
    EXPECT_EQ(Text(IDC_HEIGHT), "600");
    EXPECT_EQ(Text(IDC_RESOLUTION), "1000");
    EXPECT_EQ(dialog.Display().GetBedWidthDots(), 39370);  // 1000 mm at 1000 dpi
    EXPECT_EQ(dialog.Display().GetBedHeightDots(), 23622);
    EXPECT_EQ(Pixel(0, 0), kWhite);
    EXPECT_EQ(Pixel(909, 619), kGrey);

    auto* displayMode = Control<QComboBox>(IDC_DISPLAY_MODE);
    EXPECT_EQ(displayMode->count(), 3);
    EXPECT_EQ(displayMode->itemText(1), "Raster");
    EXPECT_EQ(displayMode->currentIndex(), 0);
    auto* colorMode = Control<QComboBox>(IDC_COLOR_MODE);
    EXPECT_EQ(colorMode->itemText(2), "End Speed");
    EXPECT_EQ(colorMode->currentIndex(), 0);
    EXPECT_EQ(Text(IDC_OFFSET_X), "0");
    EXPECT_EQ(Text(IDC_OFFSET_Y), "0");
    EXPECT_EQ(Text(IDC_CUT_DELAY), "1");
    EXPECT_EQ(Text(IDC_ENGRAVE_DELAY), "1");
    EXPECT_EQ(Text(IDC_JOB_PATH), "");
    for (const int id : {IDC_SHOW_START_POINT, IDC_SHOW_CUT_PATH, IDC_SHOW_CUT_PROCESS, IDC_SHOW_PR,
                         IDC_SHOW_ENGRAVE_PROCESS}) {
        EXPECT_FALSE(Control<QCheckBox>(id)->isChecked()) << id;
    }
}

TEST_F(DialogTest, LayoutFollowsTheControlTable) {
    CLumikorDlg& dialog = Dialog();
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    EXPECT_TRUE(Control<QPushButton>(IDOK)->isHidden());
    EXPECT_TRUE(Control<QPushButton>(IDOK)->isDefault());
    EXPECT_TRUE(Control<QPushButton>(IDC_TEST)->isHidden());
    EXPECT_EQ(dialog.focusWidget(), dialog.GetDlgItem(IDC_OPEN_FILE));

    // Positions scale with the font: ratios between controls hold.
    const QRect open = dialog.GetDlgItem(IDC_OPEN_FILE)->geometry();
    const QRect path = dialog.GetDlgItem(IDC_JOB_PATH)->geometry();
    EXPECT_EQ(open.top(), path.top());
    EXPECT_NEAR(double(path.width()) / open.width(), 361.0 / 50.0, 0.2);
    EXPECT_NEAR(double(dialog.width()) / open.width(), 819.0 / 50.0, 0.4);

    // Tab order is template order, over the visible tab stops.
    std::vector<int> expected;
    for (const DialogItem& item : kMainDialogControls) {
        const bool stop = item.kind == ControlKind::PushButton ||
                          item.kind == ControlKind::CheckBox || item.kind == ControlKind::Edit ||
                          item.kind == ControlKind::DropDownList;
        if (stop && !(item.style & kStyleHidden)) expected.push_back(item.id);
    }
    std::vector<int> visited;
    QWidget* widget = dialog.GetDlgItem(IDC_OPEN_FILE);
    for (std::size_t i = 0; i < expected.size(); ++i) {
        for (const DialogItem& item : kMainDialogControls) {
            if (dialog.GetDlgItem(item.id) == widget) visited.push_back(item.id);
        }
        do {
            widget = widget->nextInFocusChain();
        } while (!(widget->focusPolicy() & Qt::TabFocus) || !widget->isVisible());
    }
    EXPECT_EQ(visited, expected);

    // The canvas sits at the display area's corner and shows the canvas.
    const QPoint corner = dialog.GetDlgItem(IDC_DISPLAY_AREA)->pos();
    const QImage shot = dialog.grab().toImage();
    EXPECT_EQ(shot.pixelColor(corner + QPoint(5, 5)), QColor(255, 255, 255));
    EXPECT_EQ(shot.pixelColor(corner + QPoint(900, 610)), QColor(180, 180, 180));
    EXPECT_NE(shot.pixelColor(corner + QPoint(-3, 5)), QColor(255, 255, 255));
}

TEST_F(DialogTest, EveryTextFitsInsideItsFrameAndTheStatusLineUnderTheDisplayArea) {
    CLumikorDlg& dialog = Dialog();
    const auto inside = [](const DialogItem& inner, const DialogItem& outer) {
        return inner.x >= outer.x && inner.y >= outer.y && inner.x + inner.w <= outer.x + outer.w &&
               inner.y + inner.h <= outer.y + outer.h;
    };
    for (const DialogItem& frame : kMainDialogControls) {
        if (frame.kind != ControlKind::GroupBox) continue;
        const QWidget* box = dialog.GetDlgItem(frame.id);
        EXPECT_GE(box->width(), box->minimumSizeHint().width()) << frame.caption << ": title cut";
        for (const DialogItem& item : kMainDialogControls) {
            // Unit labels share one identifier, so they cannot be told apart here.
            if (&item == &frame || !inside(item, frame) || (item.style & kStyleHidden) ||
                item.id == IDC_STATIC) {
                continue;
            }
            const QWidget* control = dialog.GetDlgItem(item.id);
            QRect needed = control->geometry();
            if (item.kind == ControlKind::Label || item.kind == ControlKind::CheckBox) {
                needed.setWidth(std::max(needed.width(), control->sizeHint().width()));
            }
            EXPECT_TRUE(box->geometry().contains(needed))
                << item.id << " crosses " << frame.caption;
        }
    }
    // Frames side by side do not run into each other, and the canvas keeps
    // its corner inside the display area's frame.
    const QRect option = dialog.GetDlgItem(1013)->geometry();
    const QRect area = dialog.GetDlgItem(1014)->geometry();
    EXPECT_LT(option.right(), area.left());
    EXPECT_LT(area.left(), dialog.GetDlgItem(IDC_DISPLAY_AREA)->x());

    const QWidget* status = dialog.findChild<QLabel*>("statusLine");
    ASSERT_NE(status, nullptr);
    EXPECT_GT(status->y(), area.bottom());
    EXPECT_LE(status->geometry().bottom(), dialog.height());
    EXPECT_EQ(status->x(), area.x());
    EXPECT_LE(dialog.StopButton()->geometry().right(), area.right());
}

TEST_F(DialogTest, SettingAppliesValidModelsAndRefusesTheRest) {
    const std::string job = WriteJob("square.prn", SquareJob());
    SetText(IDC_JOB_PATH, QString::fromStdString(job));
    Click(IDC_REDRAW);
    const std::vector<std::uint8_t> drawn = CanvasBytes();

    // Zero, no number, and a size the display refuses change nothing.
    const std::vector<std::array<const char*, 3>> refused = {
        {"0", "600", "1000"},   {"1000", "abc", "1000"},      {"1000", "600", ""},
        {"-5", "600", "1000"},  {"1000", "600", "100000000"}, {"100000", "1", "1000"},
        {"1", "100000", "1000"}};
    for (const auto& values : refused) {
        SetText(IDC_WIDTH, values[0]);
        SetText(IDC_HEIGHT, values[1]);
        SetText(IDC_RESOLUTION, values[2]);
        Click(IDC_SETTING);
        EXPECT_EQ(Dialog().Display().GetBedWidthDots(), 39370) << values[0];
        EXPECT_EQ(CanvasBytes(), drawn) << values[0] << " " << values[1] << " " << values[2];
    }

    SetText(IDC_WIDTH, "400");
    SetText(IDC_HEIGHT, "300");
    SetText(IDC_RESOLUTION, "500");
    Click(IDC_SETTING);
    EXPECT_EQ(Dialog().Display().GetBedWidthDots(), 7874);
    Reference reference(MakeModel(400, 300, 500));
    EXPECT_EQ(CanvasBytes(), reference.Draw({}));  // the drawn job is wiped
}

TEST_F(DialogTest, ChoosingAModelFillsTheEditsAndAppliesIt) {
    std::string ini = kExampleIni;
    ini.insert(ini.find("Item_4"), "Item_3=Zero\n");
    m_dir.Write("Lumikor.ini", ini);
    Choose(IDC_MODEL, 0);
    EXPECT_EQ(Text(IDC_WIDTH), "400");
    EXPECT_EQ(Text(IDC_HEIGHT), "300");
    EXPECT_EQ(Text(IDC_RESOLUTION), "500");
    EXPECT_EQ(Dialog().Display().GetBedWidthDots(), 7874);

    // A model with a zero shows its numbers but is not applied.
    auto* models = Control<QComboBox>(IDC_MODEL);
    ASSERT_EQ(models->itemText(2), "Zero");
    Choose(IDC_MODEL, 2);
    EXPECT_EQ(Text(IDC_WIDTH), "0");
    EXPECT_EQ(Text(IDC_HEIGHT), "600");
    EXPECT_EQ(Dialog().Display().GetBedWidthDots(), 7874);
}

TEST_F(DialogTest, RedrawLoadsThePathInTheEdit) {
    const std::vector<std::uint8_t> empty = CanvasBytes();
    Click(IDC_REDRAW);  // empty path: nothing happens
    EXPECT_EQ(CanvasBytes(), empty);
    SetText(IDC_JOB_PATH, m_dir.Path().c_str() + QString("/missing.prn"));
    Click(IDC_REDRAW);
    EXPECT_EQ(CanvasBytes(), empty);

    const JobWriter job = SquareJob();
    SetText(IDC_JOB_PATH, QString::fromStdString(WriteJob("square.prn", job)));
    Click(IDC_REDRAW);
    Reference reference(DefaultModel());
    EXPECT_EQ(CanvasBytes(), reference.Draw(job.Bytes()));
    EXPECT_NE(CanvasBytes(), empty);
}

TEST_F(DialogTest, LoadCommandWithAnotherParameterIsSwallowed) {
    SetText(IDC_JOB_PATH, QString::fromStdString(WriteJob("square.prn", SquareJob())));
    const std::vector<std::uint8_t> empty = CanvasBytes();
    EXPECT_EQ(Dialog().OnCommand(ID_LOAD_JOB, 0), 1);
    EXPECT_EQ(Dialog().OnCommand(ID_LOAD_JOB, 2), 1);
    EXPECT_EQ(CanvasBytes(), empty);
    EXPECT_EQ(Dialog().OnCommand(4321, 1), 0);  // not ours
    EXPECT_EQ(Dialog().OnCommand(ID_LOAD_JOB, 1), 1);
    EXPECT_NE(CanvasBytes(), empty);
}

TEST_F(DialogTest, OpenFileLoadsOnlyAfterTheFileDialogHasClosed) {
    const std::string job = WriteJob("square.prn", SquareJob());
    const std::vector<std::uint8_t> empty = CanvasBytes();

    WhenModal<QFileDialog>([](QFileDialog* files) { QMetaObject::invokeMethod(files, "reject"); });
    Click(IDC_OPEN_FILE);
    QApplication::processEvents();
    EXPECT_EQ(Text(IDC_JOB_PATH), "");
    EXPECT_EQ(CanvasBytes(), empty);

    WhenModal<QFileDialog>([&job](QFileDialog* files) {
        EXPECT_EQ(files->directory().absolutePath(), QDir::currentPath());
        EXPECT_EQ(files->nameFilters(), QStringList({"PRN (*.prn)", "PLT (*.plt)"}));
        // Types the path into the dialog's name field, as a user may.
        auto* name = files->findChild<QLineEdit*>("fileNameEdit");
        ASSERT_NE(name, nullptr);
        name->setText(QString::fromStdString(job));
        QMetaObject::invokeMethod(files, "accept");
    });
    Click(IDC_OPEN_FILE);
    EXPECT_EQ(Text(IDC_JOB_PATH).toStdString(), job);
    EXPECT_EQ(CanvasBytes(), empty);  // the load is posted, not run
    QApplication::processEvents();
    EXPECT_NE(CanvasBytes(), empty);
}

TEST_F(DialogTest, DisplacementEditsAreRewrittenAsNumbers) {
    const std::vector<std::pair<QString, QString>> cases = {
        {"  12xyz", "12"}, {"", "0"},    {"abc", "0"},
        {"+5", "5"},       {"-7", "-7"}, {"99999999999", "2147483647"}};
    for (const auto& [typed, shown] : cases) {
        SetText(IDC_OFFSET_X, typed);
        SetText(IDC_OFFSET_Y, typed);
        LoseFocus(IDC_OFFSET_Y);
        EXPECT_EQ(Text(IDC_OFFSET_X), shown) << typed.toStdString();
        EXPECT_EQ(Text(IDC_OFFSET_Y), shown) << typed.toStdString();
    }
}

TEST_F(DialogTest, OptionsTakeEffectAtTheNextRedrawOnly) {
    const JobWriter job = SquareJob();
    SetText(IDC_JOB_PATH, QString::fromStdString(WriteJob("square.prn", job)));
    Click(IDC_REDRAW);
    const std::vector<std::uint8_t> drawn = CanvasBytes();

    Choose(IDC_COLOR_MODE, 1);
    Choose(IDC_DISPLAY_MODE, 2);  // vector only
    Click(IDC_SHOW_CUT_PATH);
    Click(IDC_SHOW_START_POINT);
    SetText(IDC_OFFSET_X, "2000");
    SetText(IDC_OFFSET_Y, "-500");
    LoseFocus(IDC_OFFSET_X);
    EXPECT_EQ(CanvasBytes(), drawn);

    Click(IDC_REDRAW);
    Reference reference(DefaultModel());
    reference.Draw(job.Bytes());
    reference.display.SetColorMode(colormode::kType);
    reference.display.SetDisplayMode(displaymode::kVector);
    reference.display.SetShowCutPath(1);
    reference.display.SetShowStartPoint(1);
    reference.display.SetOffset(2000, -500);
    EXPECT_EQ(CanvasBytes(), reference.Draw(job.Bytes()));
    EXPECT_NE(CanvasBytes(), drawn);
}

TEST_F(DialogTest, SampleJobDrawsAsTheHeadlessDisplayDoes) {
    std::ifstream in(LUMIKOR_SAMPLE_JOB, std::ios::binary);
    const std::vector<std::uint8_t> job{std::istreambuf_iterator<char>(in), {}};
    ASSERT_FALSE(job.empty());
    SetText(IDC_JOB_PATH, LUMIKOR_SAMPLE_JOB);
    Click(IDC_REDRAW);
    Reference reference(DefaultModel());
    EXPECT_EQ(CanvasBytes(), reference.Draw(job));
}

TEST_F(DialogTest, DelaysReachTheDisplayWhenTheEditLosesFocus) {
    SetText(IDC_CUT_DELAY, "40");
    SetText(IDC_ENGRAVE_DELAY, "-3");
    EXPECT_EQ(Dialog().Display().GetCutDelay(), 1);
    LoseFocus(IDC_CUT_DELAY);
    LoseFocus(IDC_ENGRAVE_DELAY);
    EXPECT_EQ(Dialog().Display().GetCutDelay(), 40);
    EXPECT_EQ(Dialog().Display().GetEngraveDelay(), -3);
    EXPECT_EQ(Text(IDC_ENGRAVE_DELAY), "-3");  // left as typed
}

TEST_F(DialogTest, DigitsOnlyEditsRefuseOtherTypedCharacters) {
    auto* width = Control<QLineEdit>(IDC_WIDTH);
    width->clear();
    QTest::keyClicks(width, "1a2-3 ");
    EXPECT_EQ(width->text(), "123");
    QTest::keyClick(width, Qt::Key_Backspace);
    EXPECT_EQ(width->text(), "12");
    auto* engrave = Control<QLineEdit>(IDC_ENGRAVE_DELAY);
    engrave->clear();
    QTest::keyClicks(engrave, "-5x");
    EXPECT_EQ(engrave->text(), "-5x");
}

TEST_F(DialogTest, SaveImageWritesNextToTheJob) {
    SetText(IDC_JOB_PATH, QString::fromStdString(WriteJob("part.prn.old", SquareJob())));
    Click(IDC_REDRAW);
    Click(IDC_SAVE_IMAGE);
    const std::filesystem::path saved = m_dir.Path() / "part.bmp";
    ASSERT_TRUE(std::filesystem::exists(saved));
    EXPECT_EQ(std::filesystem::file_size(saved), 1491726u);
    EXPECT_EQ(Dialog().StatusText().toStdString(), "Saved " + saved.string());

    // A job without '.' in its name gives no image name: nothing is saved,
    // and the status line says why.
    std::filesystem::remove(saved);
    SetText(IDC_JOB_PATH, QString::fromStdString(WriteJob("part", SquareJob())));
    Click(IDC_REDRAW);
    Click(IDC_SAVE_IMAGE);
    int files = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(m_dir.Path())) {
        ++files;
    }
    EXPECT_EQ(files, 2);  // the two jobs alone
    EXPECT_TRUE(Dialog().StatusText().startsWith("Nothing saved: "))
        << Dialog().StatusText().toStdString();
}

TEST_F(DialogTest, SaveImageFailureIsReportedWithTheFileAndReason) {
    std::filesystem::create_directory(m_dir.Path() / "gone");
    SetText(IDC_JOB_PATH, QString::fromStdString(WriteJob("gone/part.prn", SquareJob())));
    Click(IDC_REDRAW);
    std::filesystem::remove_all(m_dir.Path() / "gone");
    QString title;
    QString text;
    WhenModal<QMessageBox>([&](QMessageBox* box) {
        title = box->windowTitle();
        text = box->text();
        box->close();
    });
    Click(IDC_SAVE_IMAGE);
    EXPECT_EQ(title, "Lumikor 20140527");
    EXPECT_TRUE(text.contains("gone/part.bmp")) << text.toStdString();
    EXPECT_TRUE(text.contains("No such file or directory")) << text.toStdString();
    EXPECT_TRUE(Dialog().StatusText().startsWith("Not saved: "))
        << Dialog().StatusText().toStdString();
}

TEST_F(DialogTest, SaveImageNeverWritesOverTheJob) {
    const std::string job = WriteJob("part.bmp", SquareJob());
    SetText(IDC_JOB_PATH, QString::fromStdString(job));
    Click(IDC_REDRAW);
    QString text;
    WhenModal<QMessageBox>([&](QMessageBox* box) {
        text = box->text();
        box->close();
    });
    Click(IDC_SAVE_IMAGE);
    EXPECT_TRUE(text.contains("part.bmp")) << text.toStdString();
    EXPECT_TRUE(text.contains("job file itself")) << text.toStdString();
    EXPECT_EQ(std::filesystem::file_size(job), SquareJob().Size());
}

TEST_F(DialogTest, EnterAndEscapeEndTheDialog) {
    CLumikorDlg& dialog = Dialog();
    // Shows the dialog and presses a key with the focus on target.
    const auto press = [&dialog](QWidget* target, Qt::Key key) {
        dialog.show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
        target->setFocus();
        QTest::keyClick(target, key);
    };
    press(&dialog, Qt::Key_Escape);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Rejected);

    press(Control<QLineEdit>(IDC_WIDTH), Qt::Key_Return);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);

    // Enter on another push button presses that button instead.
    SetText(IDC_JOB_PATH, QString::fromStdString(WriteJob("square.prn", SquareJob())));
    const std::vector<std::uint8_t> empty = CanvasBytes();
    press(Control<QPushButton>(IDC_REDRAW), Qt::Key_Return);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_NE(CanvasBytes(), empty);

    dialog.close();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
}

TEST_F(DialogTest, SettingsPathHasNoLengthLimit) {
    std::filesystem::path deep = m_dir.Path();
    for (int i = 0; i < 5; ++i) deep /= std::string(60, char('a' + i));
    std::filesystem::create_directories(deep);
    std::ofstream(deep / "Lumikor.ini") << kExampleIni;
    std::filesystem::current_path(deep);
    EXPECT_GT(QDir::currentPath().size(), 255);
    EXPECT_EQ(Control<QComboBox>(IDC_MODEL)->count(), 3);
}

}  // namespace
