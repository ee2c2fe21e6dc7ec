#include "division_sign.h"

#include <QImage>

namespace korvane {

QPixmap divisionSignPixmap() {
    static const char* const rows[10] = {
        "........", "...##...", "...##...", "........", "########",
        "########", "........", "...##...", "...##...", "........",
    };
    QImage image(8, 10, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 8; ++x)
            if (rows[y][x] == '#')
                image.setPixel(x, y, qRgb(0, 0, 0));
    return QPixmap::fromImage(image);
}

} // namespace korvane
