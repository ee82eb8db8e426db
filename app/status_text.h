// The texts of the status line under the display area: what a load found,
// why a file could not be opened, the model in force, where an image went.
#pragma once

#include <QString>
#include <cstdint>

#include "display/model_info.h"

// What one load of a job found, for its status text.
struct LoadReport {
    QString fileName;  // the job's file name, without its folder
    std::uint64_t size = 0;
    std::int64_t milliseconds = 0;
    std::uint32_t errorFlags = 0;
    std::uint32_t unknownBytes = 0;
    bool stopped = false;   // the animation was ended early
    bool reloaded = false;  // drawn again because the file changed on disk
};

// "part.prn · 1.4 MB · 38 ms · valid", the error bits in the words of the
// command-line report instead of "valid", then the unknown bytes, then
// whether the animation was stopped or the job reloaded.
QString LoadedText(const LoadReport& report);

// A byte count in decimal units with one decimal: "512 bytes", "1.4 MB".
QString SizeText(std::uint64_t bytes);

QString DrawingText(const QString& fileName);
QString CannotOpenText(const QString& path, const QString& reason);
QString VanishedText(const QString& path);
QString ModelText(const ModelInfo& model, std::int32_t bedWidthDots, std::int32_t bedHeightDots);
QString SavedText(const QString& path);
QString NotSavedText(const QString& path);
QString NothingToSaveText();
QString NoImageNameText(const QString& jobPath);
