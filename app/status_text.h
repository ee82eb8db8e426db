// The texts of the status line under the display area: what a load found,
// why a file could not be opened, the model in force, where an image went.
#pragma once

#include <QString>
#include <cstdint>

#include "app/load_findings.h"
#include "display/model_info.h"

// What one load of a job found, for its status text.
struct LoadReport {
    QString fileName;  // the job's file name, without its folder
    std::uint64_t size = 0;
    std::int64_t milliseconds = 0;
    LoadFindings findings;
    bool stopped = false;   // the animation was ended early
    bool reloaded = false;  // drawn again because the file changed on disk
};

// "part.prn · 1.4 MB · 38 ms · valid", or instead of "valid" everything the
// load found: the error bits in the words of the command-line report, the
// warnings, the unknown bytes and those a failed trailer check left, whether
// the job fits the bed; then whether the animation was stopped or the job
// reloaded. A file that is not a job says so and nothing else.
QString LoadedText(const LoadReport& report);

// The status during an animation: how many of its steps (rows, commands)
// are done and the time the rest takes at the set delays.
struct AnimationProgress {
    QString fileName;
    QString stepWords;  // "rows", "commands" or "rows and commands"
    std::uint64_t done = 0;
    std::uint64_t total = 0;
    std::uint64_t millisecondsLeft = 0;
};
QString AnimationText(const AnimationProgress& progress);

// A byte count in decimal units with one decimal: "512 bytes", "1.4 MB".
QString SizeText(std::uint64_t bytes);

QString DrawingText(const QString& fileName);
QString CannotOpenText(const QString& path, const QString& reason);
QString VanishedText(const QString& path);
// clearedJob: the file name of the job whose picture the change cleared, if any.
QString ModelText(const ModelInfo& model, std::int32_t bedWidthDots, std::int32_t bedHeightDots,
                  const QString& clearedJob = {});
QString SavedText(const QString& path);
QString NotSavedText(const QString& path);
QString NothingToSaveText();
QString NoImageNameText(const QString& jobPath);
