#include "app/bed_png.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>

#include "display/job_display.h"
#include "io/atomic_file.h"

bool SaveBedPng(const CJobDisplay& display, const std::string& path, std::string* error) {
    const Canvas& canvas = display.GetCanvas();
    if (!canvas.HasSurface() || display.GetImageWidth() <= 0 || display.GetImageHeight() <= 0) {
        *error = "There is no picture to save.";
        return false;
    }
    // The bed is the canvas's top-left part.
    const QImage bed(canvas.Row(0), display.GetImageWidth(), display.GetImageHeight(),
                     canvas.Stride(), QImage::Format_BGR888);
    QByteArray encoded;
    QBuffer buffer(&encoded);
    if (!buffer.open(QIODevice::WriteOnly) || !bed.save(&buffer, "PNG")) {
        *error = "The picture could not be encoded as PNG.";
        return false;
    }
    AtomicFile file;
    return file.Open(path, error) &&
           file.Write(encoded.constData(), static_cast<std::size_t>(encoded.size()), error) &&
           file.Commit(error);
}
