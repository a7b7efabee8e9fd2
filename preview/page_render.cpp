#include "preview/page_render.h"

#include "platform/errors.h"
#include "platform/page_image.h"
#include "platform/painter_canvas.h"
#include "report/emf_pages.h"

#include <QBuffer>
#include <QPainter>
#include <QSvgGenerator>

namespace vx::preview {

namespace {

PageExtent extentOf(const PreparedPageInfo& page) {
    PageExtent e{page.PaperWidth, page.PaperHeight, page.PictureSize.width(),
                 page.PictureSize.height()};
    if ((e.pictureWidth <= 0 || e.pictureHeight <= 0) && !page.Picture.isNull()) {
        const QRectF frame = page.Picture.frameInDevicePixels();
        e.pictureWidth = roundEven(frame.width());
        e.pictureHeight = roundEven(frame.height());
    }
    return e;
}

} // namespace

PlaybackRequest pageRequest(const PreparedPageInfo& page, int pageIndex, double zoom,
                            const EdgeRect& dest) {
    const PageScale s = pageScale(extentOf(page), zoom);
    PlaybackRequest req;
    req.pageIndex = pageIndex;
    req.dest = dest;
    req.sx = s.sx;
    req.sy = s.sy;
    return req;
}

EdgeRect pagePictureRect(const PreparedPageInfo& page, double zoom) {
    // As the panel places a page at x = y = 0: frame right = round(w + 1),
    // picture right = frame right - 1.
    const PageScale s = pageScale(extentOf(page), zoom);
    return {0, 0, roundEven(s.w + 1) - 1, roundEven(s.h + 1) - 1};
}

QImage renderPage(const PreparedPageInfo& page, int pageIndex, double zoom) {
    const EdgeRect r = pagePictureRect(page, zoom);
    const int w = std::max(1, r.Right);
    const int h = std::max(1, r.Bottom);
    // Refused beyond the limit, or when the memory for the image is not there.
    QImage image;
    if (int64_t(w) * h <= kMaxRenderPixels)
        image = newPageImage(w, h, QImage::Format_RGB32);
    if (image.isNull())
        throw VxError(QStringLiteral("La pagina è troppo grande per questo ingrandimento."));
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, false);
    PainterCanvas canvas(painter);
    playPage(canvas, page.Picture, pageRequest(page, pageIndex, zoom, r));
    return image;
}

QByteArray renderPageSvg(const PreparedPageInfo& page, int pageIndex, double zoom) {
    const EdgeRect r = pagePictureRect(page, zoom);
    const int w = std::max(1, r.Right);
    const int h = std::max(1, r.Bottom);
    QByteArray svg;
    QBuffer buffer(&svg);
    buffer.open(QIODevice::WriteOnly);
    QSvgGenerator generator;
    generator.setOutputDevice(&buffer);
    generator.setSize(QSize(w, h));
    generator.setViewBox(QRect(0, 0, w, h));
    generator.setResolution(96);
    generator.setTitle(QStringLiteral("Pagina %1").arg(pageIndex + 1));
    QPainter painter(&generator);
    painter.fillRect(QRect(0, 0, w, h), Qt::white);
    PainterCanvas canvas(painter);
    playPage(canvas, page.Picture, pageRequest(page, pageIndex, zoom, r));
    painter.end();
    return svg;
}

} // namespace vx::preview
