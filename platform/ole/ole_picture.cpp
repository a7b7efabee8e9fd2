#include "platform/ole/ole_picture.h"

#include "platform/emf/dib.h"
#include "platform/emf/emf_player.h"
#include "platform/emf/emf_reader.h"
#include "platform/emf/emf_records.h"
#include "platform/errors.h"

#include <cmath>

namespace vx::ole {

namespace {

constexpr Color kPlaceholderGrey = rgb(128, 128, 128);

// A length in 0.01 mm as pixels; the span of two stored edges is taken in
// 64 bits (hostile edges far apart) and the result kept to coordinates.
int himetricToPixels(int64_t v, int ppi) {
    return clampCoord(std::llround(double(v) * ppi / 2540.0));
}

QImage dibImage(const QByteArray& data) {
    const auto info = emf::readDibInfo(data.constData(), size_t(data.size()));
    if (!info)
        return QImage();
    // A packed DIB: header, colour table, then the bits.
    const size_t bitsAt =
        size_t(info->colorTableOffset) + size_t(info->colorsUsed) * size_t(info->colorEntrySize);
    if (bitsAt > size_t(data.size()))
        return QImage();
    return emf::decodeDib(data.constData(), size_t(data.size()), data.constData() + bitsAt,
                          size_t(data.size()) - bitsAt)
        .valueOr(QImage());
}

std::optional<emf::EmfPicture> emfPicture(const QByteArray& data) {
    try {
        return emf::EmfPicture::parse(data, emf::ParseMode::KeepValidPrefix);
    } catch (const VxError&) {
        return std::nullopt;
    }
}

} // namespace

QSize naturalSize(const Presentation& p, int ppi) {
    if (p.widthHimetric > 0 && p.heightHimetric > 0)
        return QSize(himetricToPixels(p.widthHimetric, ppi),
                     himetricToPixels(p.heightHimetric, ppi));
    if (p.format == PictureFormat::Emf) {
        if (const auto emf = emfPicture(p.data)) {
            const emf::RectL& f = emf->header().frame;
            return QSize(himetricToPixels(int64_t(f.right) - f.left, ppi),
                         himetricToPixels(int64_t(f.bottom) - f.top, ppi));
        }
    } else if (p.format == PictureFormat::Dib) {
        if (const auto info = emf::readDibInfo(p.data.constData(), size_t(p.data.size())))
            return QSize(info->width, info->height);
    }
    return QSize(0, 0);
}

bool drawPresentation(Canvas& canvas, const Presentation& p, const QRect& dest) {
    switch (p.format) {
    case PictureFormat::Emf:
        if (const auto emf = emfPicture(p.data)) {
            emf::EmfPlayer(*emf).play(canvas, QRectF(dest));
            return true;
        }
        return false;
    case PictureFormat::Dib: {
        const QImage image = dibImage(p.data);
        if (image.isNull())
            return false;
        canvas.drawImage(dest, image);
        return true;
    }
    default:
        return false;
    }
}

void drawPlaceholder(Canvas& canvas, const QRect& dest, const QString& className) {
    if (dest.isEmpty())
        return;
    const int level = canvas.saveState();
    canvas.intersectClipRect(dest);
    canvas.setPen(PenSpec{PenStyle::Solid, 1, kPlaceholderGrey});
    canvas.setBrush(BrushSpec{BrushStyle::Null, kWhite, 0});
    canvas.rectangle(dest);
    FontSpec font;
    font.face = QStringLiteral("Arial");
    font.height = -11; // 8 points
    canvas.setFont(font);
    canvas.setTextColor(kPlaceholderGrey);
    canvas.setBackgroundMode(BackgroundMode::Transparent);
    canvas.setTextAlign(TextAlign::Left | TextAlign::Top);
    const QString text = className.isEmpty() ? QStringLiteral("Oggetto OLE") : className;
    const int width = canvas.textWidth(text);
    const int height = canvas.textMetrics().height;
    const int x = dest.left() + (dest.width() - width) / 2;
    const int y = dest.top() + (dest.height() - height) / 2;
    canvas.textOut(std::max(x, dest.left() + 2), y, text, TextOutOption::Clipped, dest);
    canvas.restoreState(level);
}

} // namespace vx::ole
