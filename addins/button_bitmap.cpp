#include "addins/button_bitmap.h"

#include <cstring>

namespace vx {

QImage ButtonBitmap(const char* const (&rows)[kButtonSide]) {
    QImage image(kButtonSide, kButtonSide, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    for (int y = 0; y < kButtonSide; ++y) {
        const size_t n = rows[y] ? std::strlen(rows[y]) : 0;
        for (int x = 0; x < kButtonSide && size_t(x) < n; ++x)
            if (rows[y][x] == 'X')
                image.setPixel(x, y, qRgb(0, 0, 0));
    }
    return image;
}

} // namespace vx
