// The desktop program's command line: lumikor [-h|--help] [-v|--version] [JOB].
#pragma once

#include <QString>
#include <QStringList>

struct CommandLine {
    bool openWindow = true;
    int exitStatus = 0;  // when no window opens
    QString out;         // text for stdout (help, version)
    QString err;         // text for stderr (a usage error)
    QString jobPath;     // the job to draw at start, or empty
};

// Reads the arguments, the program's name first. Help and version print
// and open no window; an unknown option or a second job is a usage error
// (status 2, as lumikor-cli uses). Qt's own options are taken out by the
// application object before this sees the arguments.
CommandLine ParseCommandLine(const QStringList& arguments);

// True when the arguments ask only for help or the version, which are
// answered before any window system is needed.
bool AsksForHelpOrVersion(const QStringList& arguments);
