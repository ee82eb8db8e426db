#include "app/status_text.h"

#include <QStringList>
#include <array>
#include <cmath>
#include <string>

#include "parser/error_words.h"

namespace {

const QString kSeparator = QStringLiteral(" · ");

QString DurationText(std::int64_t milliseconds) {
    if (milliseconds < 10000) return QStringLiteral("%1 ms").arg(milliseconds);
    return QStringLiteral("%1 s").arg(double(milliseconds) / 1000.0, 0, 'f', 1);
}

}  // namespace

QString SizeText(std::uint64_t bytes) {
    if (bytes < 1000) return QStringLiteral("%1 %2").arg(bytes).arg(bytes == 1 ? "byte" : "bytes");
    static constexpr std::array<const char*, 4> kUnits{"KB", "MB", "GB", "TB"};
    double scaled = double(bytes);
    std::size_t unit = 0;
    // Tenths are rounded first, so that 999,960 bytes read "1.0 MB", never "1000.0 KB".
    for (scaled /= 1000.0; std::round(scaled * 10.0) >= 10000.0 && unit + 1 < kUnits.size();
         scaled /= 1000.0) {
        ++unit;
    }
    return QStringLiteral("%1 %2").arg(scaled, 0, 'f', 1).arg(kUnits[unit]);
}

QString LoadedText(const LoadReport& report) {
    QStringList findings;
    for (const std::string& words : ErrorBitWords(report.errorFlags)) {
        findings << QString::fromStdString(words);
    }
    if (findings.isEmpty()) findings << QStringLiteral("valid");
    if (report.unknownBytes != 0) {
        findings << QStringLiteral("%1 unknown %2")
                        .arg(report.unknownBytes)
                        .arg(report.unknownBytes == 1 ? "byte" : "bytes");
    }
    QStringList parts{report.fileName, SizeText(report.size), DurationText(report.milliseconds),
                      findings.join(QStringLiteral("; "))};
    if (report.stopped) parts << QStringLiteral("animation stopped, the rest drawn at once");
    if (report.reloaded) parts << QStringLiteral("reloaded");
    return parts.join(kSeparator);
}

QString DrawingText(const QString& fileName) {
    return QStringLiteral("Drawing %1 … Escape or Stop ends the animation").arg(fileName);
}

QString CannotOpenText(const QString& path, const QString& reason) {
    return QStringLiteral("Cannot open %1: %2").arg(path, reason);
}

QString VanishedText(const QString& path) {
    return QStringLiteral("%1 is gone; the picture shows its last load").arg(path);
}

QString ModelText(const ModelInfo& model, std::int32_t bedWidthDots, std::int32_t bedHeightDots) {
    return QStringLiteral("%1 × %2 mm at %3 dpi: %4 × %5 dots")
        .arg(model.width)
        .arg(model.height)
        .arg(model.resolution)
        .arg(bedWidthDots)
        .arg(bedHeightDots);
}

QString SavedText(const QString& path) { return QStringLiteral("Saved %1").arg(path); }

QString NotSavedText(const QString& path) { return QStringLiteral("Not saved: %1").arg(path); }

QString NoImageNameText(const QString& jobPath) {
    return QStringLiteral("Nothing saved: %1 has no extension to replace with .bmp").arg(jobPath);
}

QString NothingToSaveText() {
    return QStringLiteral("Nothing saved: no job is drawn (open one or press Redraw)");
}
