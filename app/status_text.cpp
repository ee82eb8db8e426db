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

QString CountText(std::uint64_t count, const char* one, const char* many) {
    return QStringLiteral("%1 %2").arg(count).arg(count == 1 ? one : many);
}

QString WarningText(const JobWarning& warning) {
    const QString dropped = CountText(warning.bytes, "byte", "bytes") + QStringLiteral(" dropped");
    switch (warning.kind) {
        case JobWarningKind::kCutShort:
            return QStringLiteral("cut short at byte %1, %2").arg(warning.offset).arg(dropped);
        case JobWarningKind::kRasterBlockPastEnd:
            return QStringLiteral("cut short at byte %1 (a raster line runs past the end), %2")
                .arg(warning.offset)
                .arg(dropped);
        case JobWarningKind::kNoTrailer:
            return QStringLiteral("no trailer");
        case JobWarningKind::kBytesAfterTrailer:
            return CountText(warning.bytes, "byte", "bytes") +
                   QStringLiteral(" after the final trailer");
    }
    return {};
}

QString FindingsText(const LoadFindings& findings) {
    if (findings.notAJob) {
        return QStringLiteral("not a laser job (it does not start with LTT); nothing drawn");
    }
    QStringList said;
    for (const std::string& words : ErrorBitWords(findings.errorFlags)) {
        said << QString::fromStdString(words);
    }
    for (const JobWarning& warning : findings.warnings) said << WarningText(warning);
    if (findings.trailerLeftoverBytes != 0) {
        said << CountText(findings.trailerLeftoverBytes, "byte", "bytes") +
                    QStringLiteral(" left over by a failed trailer check");
    }
    if (findings.unknownBytes != 0) {
        said << CountText(findings.unknownBytes, "unknown byte", "unknown bytes");
    }
    if (!findings.fitMeasured) said << QStringLiteral("checking whether it fits the bed…");
    if (!findings.overhangs.empty()) {
        QStringList edges;
        for (const std::string& sentence : findings.overhangs) {
            edges << QString::fromStdString(sentence);
        }
        said << (findings.whollyOffBed ? QStringLiteral("wholly off the bed: ")
                                       : QStringLiteral("does not fit: ")) +
                    edges.join(QStringLiteral(" and "));
    }
    if (said.isEmpty()) return QStringLiteral("valid");
    return said.join(QStringLiteral("; "));
}

// Seconds to a minute, then whole minutes, rounded up: "4.5 s", "17 min".
QString TimeLeftText(std::uint64_t milliseconds) {
    if (milliseconds < 60000) {
        return QStringLiteral("%1 s").arg(double(milliseconds) / 1000.0, 0, 'f', 1);
    }
    return QStringLiteral("%1 min").arg((milliseconds + 59999) / 60000);
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
    QStringList parts{report.fileName, SizeText(report.size), DurationText(report.milliseconds),
                      FindingsText(report.findings)};
    if (report.stopped) parts << QStringLiteral("animation stopped, the rest drawn at once");
    if (report.reloaded) parts << QStringLiteral("reloaded");
    return parts.join(kSeparator);
}

QString AnimationText(const AnimationProgress& progress) {
    return QStringLiteral(
               "Drawing %1 … %2 of %3 %4 · %5 left at the set delay · Escape or Stop "
               "ends the animation")
        .arg(progress.fileName)
        .arg(progress.done)
        .arg(progress.total)
        .arg(progress.stepWords, TimeLeftText(progress.millisecondsLeft));
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

QString ModelText(const ModelInfo& model, std::int32_t bedWidthDots, std::int32_t bedHeightDots,
                  const QString& clearedJob) {
    QString text = QStringLiteral("%1 × %2 mm at %3 dpi: %4 × %5 dots")
                       .arg(model.width)
                       .arg(model.height)
                       .arg(model.resolution)
                       .arg(bedWidthDots)
                       .arg(bedHeightDots);
    if (clearedJob.isEmpty()) return text;
    return text + kSeparator +
           QStringLiteral("the picture of %1 was cleared; Redraw draws it on the new bed")
               .arg(clearedJob);
}

QString SavedText(const QString& path) { return QStringLiteral("Saved %1").arg(path); }

QString NotSavedText(const QString& path) { return QStringLiteral("Not saved: %1").arg(path); }

QString NoImageNameText(const QString& jobPath) {
    return QStringLiteral("Nothing saved: %1 has no extension to replace with .bmp").arg(jobPath);
}

QString NothingToSaveText() {
    return QStringLiteral("Nothing saved: no job is drawn (open one or press Redraw)");
}
