#include "app/app_icon.h"

#include <QImage>
#include <QPixmap>

#include "ui/icon_art.h"

QIcon MakeAppIcon() {
    QIcon icon;
    for (const int size : {16, 24, 32, 48, 64, 128, 256}) {
        const std::vector<std::uint32_t> pixels = DrawAppIcon(size);
        const QImage view(reinterpret_cast<const uchar*>(pixels.data()), size, size, size * 4,
                          QImage::Format_ARGB32);
        icon.addPixmap(QPixmap::fromImage(view.copy()));
    }
    return icon;
}
