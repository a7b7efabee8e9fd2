#include "report/picture_data.h"

#include "platform/emf/emf_constants.h"
#include "platform/emf/emf_player.h"
#include "platform/emf/wmf_convert.h"
#include "platform/errors.h"

#include <QBuffer>
#include <QImageReader>

#include <cmath>
#include <optional>

namespace vx {

// What the bytes of a picture decode to, for one set of bytes.
struct DecodedPicture {
    QByteArray source; // the bytes decoded (shared, not copied)
    PictureHolder::Kind kind = PictureHolder::None;
    QImage image;                       // bitmaps and icons
    std::optional<emf::EmfPicture> emf; // metafiles (a Windows metafile converted)
    QSize size;
    bool valid() const { return !image.isNull() || emf.has_value(); }
};

namespace {

constexpr uint16_t kBM = 19778;            // the letters B and M
constexpr uint16_t kPlaceableLow = 52695;  // placeable metafile key, low word
constexpr uint16_t kPlaceableHigh = 39622; // and high word

uint16_t wordAt(const QByteArray& b, qsizetype at) {
    if (at + 2 > b.size())
        return 0xFFFF; // matches no signature
    return uint16_t(uint8_t(b[at]) | (uint8_t(b[at + 1]) << 8));
}

bool isEnhancedMetafile(const QByteArray& b) {
    if (b.size() < 44)
        return false;
    ByteReader r(b);
    const uint32_t type = r.u32();
    r.seek(40);
    return type == emf::EMR_HEADER && r.u32() == emf::kEmfSignature;
}

QImage decodeImage(const QByteArray& data, const char* format) {
    QBuffer buffer;
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, format);
    reader.setAutoTransform(false);
    const QSize size = reader.size();
    // The size is read from the header before anything is allocated.
    if (!size.isValid() || size.isEmpty() ||
        int64_t(size.width()) * size.height() > kMaxPicturePixels)
        return QImage();
    return reader.read();
}

// A metafile's frame (0.01 mm) as pixels of 1/96 inch.
QSize emfPixelSize(const emf::EmfPicture& pic) {
    const emf::RectL& f = pic.header().frame;
    auto pixels = [](int64_t units) { return int(std::llround(double(units) * 96.0 / 2540.0)); };
    return QSize(pixels(int64_t(f.right) - f.left), pixels(int64_t(f.bottom) - f.top));
}

std::shared_ptr<DecodedPicture> decode(PictureHolder::Kind kind, const QByteArray& data) {
    auto d = std::make_shared<DecodedPicture>();
    d->source = data;
    d->kind = kind;
    try {
        if (kind == PictureHolder::Bitmap || kind == PictureHolder::Icon) {
            d->image = decodeImage(data, kind == PictureHolder::Bitmap ? "bmp" : "ico");
            d->size = d->image.size();
        } else if (kind == PictureHolder::Metafile && isEnhancedMetafile(data)) {
            d->emf = emf::EmfPicture::parse(data, emf::ParseMode::KeepValidPrefix);
            d->size = emfPixelSize(*d->emf);
        } else if (kind == PictureHolder::Metafile && emf::WmfPicture::looksLikeWmf(data)) {
            const emf::WmfPicture wmf = emf::WmfPicture::parse(data);
            d->emf = emf::EmfPicture::parse(emf::wmfToEmf(wmf));
            d->size = emf::wmfPixelSize(wmf);
        }
    } catch (const VxError&) {
        d->image = QImage();
        d->emf.reset();
    }
    if (!d->valid())
        d->size = QSize();
    return d;
}

} // namespace

const DecodedPicture& PictureHolder::decoded() const {
    if (!decoded_ || decoded_->kind != kind || decoded_->source != data)
        decoded_ = decode(isEmpty() ? None : kind, data);
    return *decoded_;
}

bool PictureHolder::isValid() const {
    return !isEmpty() && decoded().valid();
}

QSize PictureHolder::size() const {
    return isEmpty() ? QSize() : decoded().size;
}

QImage PictureHolder::toImage() const {
    return isEmpty() ? QImage() : decoded().image;
}

bool PictureHolder::draw(Canvas& canvas, const QRect& dest) const {
    if (isEmpty())
        return false;
    const DecodedPicture& d = decoded();
    if (!d.image.isNull()) {
        canvas.drawImage(dest, d.image);
        return true;
    }
    if (d.emf) {
        emf::EmfPlayer player(*d.emf);
        player.play(canvas,
                    QRectF(dest.left(), dest.top(), double(dest.width()), double(dest.height())));
        return true;
    }
    return false;
}

PictureHolder PictureHolder::fromImage(const QImage& image) {
    PictureHolder p;
    if (image.isNull())
        return p;
    QBuffer buffer(&p.data);
    buffer.open(QIODevice::WriteOnly);
    if (image.save(&buffer, "BMP"))
        p.kind = Bitmap;
    else
        p.data.clear();
    return p;
}

BlobPicture blobPictureKind(const QByteArray& blob) {
    const uint16_t w0 = wordAt(blob, 0), w1 = wordAt(blob, 2), w4 = wordAt(blob, 8),
                   w5 = wordAt(blob, 10);
    auto placeable = [](uint16_t low, uint16_t high) {
        return low == kPlaceableLow && high == kPlaceableHigh;
    };
    BlobPicture p;
    // A signature at byte 0 wins over one at byte 8: a plain icon file has
    // the words 0 and 1 at bytes 8-11 too (no palette, one plane).
    if (w0 == kBM || w4 == kBM) {
        p.kind = PictureHolder::Bitmap;
        p.offset = w0 == kBM ? 0 : 8;
    } else if ((w0 == 0 && w1 == 1) || (w4 == 0 && w5 == 1)) {
        p.kind = PictureHolder::Icon;
        p.offset = (w0 == 0 && w1 == 1) ? 0 : 8;
    } else if (w0 == 0 || w0 == 1 || placeable(w0, w1)) {
        p.kind = PictureHolder::Metafile;
    } else if (w4 == 0 || w4 == 1 || placeable(w4, w5)) {
        p.kind = PictureHolder::Metafile;
        p.offset = 8;
    } else {
        throw VxError(QStringLiteral("Formato immagine sconosciuto."));
    }
    return p;
}

PictureHolder pictureFromBlob(const QByteArray& blob) {
    const BlobPicture found = blobPictureKind(blob);
    PictureHolder p;
    p.kind = found.kind;
    p.data = blob.mid(found.offset);
    if (!p.isValid())
        throw VxError(QStringLiteral("Formato immagine sconosciuto."));
    return p;
}

} // namespace vx
