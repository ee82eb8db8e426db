#include "app/command_line.h"

#include <QCommandLineParser>

namespace {

constexpr int kExitUsage = 2;

const QString kHelpText = QStringLiteral(
    "Usage: lumikor [OPTION]... [JOB]\n"
    "Preview a laser job file (.prn, .plt): what the machine would engrave and cut.\n"
    "\n"
    "With JOB, the window opens and draws that job at once, as if its path had\n"
    "been typed into the path box and Redraw pressed. A job file dropped onto\n"
    "the window is drawn the same way.\n"
    "\n"
    "Options:\n"
    "  -h, --help     show this help and exit\n"
    "  -v, --version  show the version and exit\n"
    "\n"
    "Exit status: 0 when the window was closed or help was shown, 2 for a\n"
    "usage error.\n");

struct Options {
    QCommandLineParser parser;
    QCommandLineOption help{{QStringLiteral("h"), QStringLiteral("help")}};
    QCommandLineOption version{{QStringLiteral("v"), QStringLiteral("version")}};
    Options() {
        parser.addOption(help);
        parser.addOption(version);
        parser.addPositionalArgument(QStringLiteral("JOB"), QStringLiteral("the job to draw"),
                                     QStringLiteral("[JOB]"));
    }
};

}  // namespace

bool AsksForHelpOrVersion(const QStringList& arguments) {
    Options options;
    options.parser.parse(arguments);
    return options.parser.isSet(options.help) || options.parser.isSet(options.version);
}

CommandLine ParseCommandLine(const QStringList& arguments) {
    Options options;
    CommandLine line;
    const bool parsed = options.parser.parse(arguments);
    if (options.parser.isSet(options.help)) {
        line.openWindow = false;
        line.out = kHelpText;
        return line;
    }
    if (options.parser.isSet(options.version)) {
        line.openWindow = false;
        line.out = QStringLiteral("lumikor %1\n").arg(QStringLiteral(LUMIKOR_VERSION));
        return line;
    }
    const QStringList jobs = options.parser.positionalArguments();
    if (!parsed || jobs.size() > 1) {
        line.openWindow = false;
        line.exitStatus = kExitUsage;
        const QString reason =
            parsed ? QStringLiteral("only one job can be opened") : options.parser.errorText();
        line.err =
            QStringLiteral("lumikor: %1\nTry 'lumikor --help' for more information.\n").arg(reason);
        return line;
    }
    if (!jobs.isEmpty()) line.jobPath = jobs.front();
    return line;
}
