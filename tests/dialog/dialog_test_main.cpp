// The dialog tests need one QApplication for the whole run; offscreen unless
// the environment chooses a platform. The offscreen screen is a desktop's,
// 1920 × 1200, so that the window is laid out whole as on most screens; the
// tests of small screens give the window their own.
#include <gtest/gtest.h>

#include <unistd.h>
#include <QApplication>
#include <QByteArray>
#include <QDir>
#include <QFile>

int main(int argc, char** argv) {
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    const QString screens =
        QDir::temp().filePath(QStringLiteral("lumikor-dialog-screens-%1.json").arg(getpid()));
    if (platform.isEmpty() || platform == "offscreen") {
        QFile file(screens);
        if (file.open(QIODevice::WriteOnly)) {
            file.write(R"({"screens": [{"name": "desktop", "x": 0, "y": 0, "width": 1920,)"
                       R"( "height": 1200, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})");
            file.close();
            qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + QFile::encodeName(screens));
        }
    }
    QApplication application(argc, argv);
    QFile::remove(screens);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
