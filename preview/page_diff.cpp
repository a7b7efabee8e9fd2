#include "preview/page_diff.h"

#include <algorithm>
#include <cstdlib>

namespace vx::preview {

namespace {

// A quarter of the page's contrast: the page still reads under the red.
QRgb faded(QRgb c) {
    auto fade = [](int v) { return 255 - (255 - v) / 4; };
    return qRgb(fade(qRed(c)), fade(qGreen(c)), fade(qBlue(c)));
}

bool differ(QRgb a, QRgb b, int tolerance) {
    return std::abs(qRed(a) - qRed(b)) > tolerance || std::abs(qGreen(a) - qGreen(b)) > tolerance ||
           std::abs(qBlue(a) - qBlue(b)) > tolerance;
}

} // namespace

PageDifference comparePages(const QImage& first, const QImage& second, int tolerance) {
    const QImage a = first.convertToFormat(QImage::Format_RGB32);
    const QImage b = second.convertToFormat(QImage::Format_RGB32);
    const int w = std::max(a.width(), b.width());
    const int h = std::max(a.height(), b.height());
    PageDifference d;
    d.picture = QImage(w, h, QImage::Format_RGB32);
    d.picture.fill(Qt::white);
    const QRgb red = qRgb(255, 0, 0);
    for (int y = 0; y < h; ++y) {
        const auto* rowA =
            y < a.height() ? reinterpret_cast<const QRgb*>(a.constScanLine(y)) : nullptr;
        const auto* rowB =
            y < b.height() ? reinterpret_cast<const QRgb*>(b.constScanLine(y)) : nullptr;
        auto* out = reinterpret_cast<QRgb*>(d.picture.scanLine(y));
        for (int x = 0; x < w; ++x) {
            const bool inA = rowA && x < a.width();
            const bool inB = rowB && x < b.width();
            const bool changed = inA != inB || (inA && differ(rowA[x], rowB[x], tolerance));
            if (changed)
                ++d.pixels;
            out[x] = changed ? red : inA ? faded(rowA[x]) : qRgb(255, 255, 255);
        }
    }
    return d;
}

} // namespace vx::preview
