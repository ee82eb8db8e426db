// The desktop program: the main dialog, with an optional job to draw at start.
#include <QApplication>
#include <QStyleFactory>
#include <cstdio>

#include "app/command_line.h"
#include "app/lumikor_app.h"

namespace {

QStringList Arguments(int argc, char** argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
    return arguments;
}

int Answer(const CommandLine& line) {
    std::fputs(line.out.toLocal8Bit().constData(), stdout);
    std::fputs(line.err.toLocal8Bit().constData(), stderr);
    return line.exitStatus;
}

}  // namespace

int main(int argc, char** argv) {
    // Help and version need no display: they are answered before the
    // application object connects to one.
    const QStringList raw = Arguments(argc, argv);
    if (AsksForHelpOrVersion(raw)) return Answer(ParseCommandLine(raw));

    QApplication application(argc, argv);
    const CommandLine line = ParseCommandLine(QApplication::arguments());
    if (!line.openWindow) return Answer(line);
    // The classic style draws group titles on their frame line and keeps
    // controls as compact as the dialog-unit layout expects.
    if (QStyle* style = QStyleFactory::create(QStringLiteral("Windows")))
        QApplication::setStyle(style);
    CLumikorApp app;
    return app.InitInstance(line.jobPath);
}
