#pragma once

// The pictures that picture objects hold: a kind and the bytes in the kind's
// own file format (a BMP file, a metafile, an ICO file), with their
// recognition in blob fields, their size and their drawing onto a canvas.
// Bitmaps and icons are decoded by Qt; enhanced metafiles are played by our
// player; Windows metafiles (placeable or not) are converted to enhanced
// metafiles first. The bytes are treated as hostile: what cannot be decoded
// within the limits is refused, never drawn in part from outside its bytes.

#include "platform/canvas.h"

#include <QByteArray>
#include <QImage>
#include <QSize>

#include <cstdint>
#include <memory>

namespace vx {

// Largest bitmap or icon decoded, in pixels (as for the bitmaps inside
// metafiles: 64 megapixels, far above any picture a report shows).
inline constexpr int64_t kMaxPicturePixels = 64ll * 1024 * 1024;

struct DecodedPicture;

struct PictureHolder {
    enum Kind : uint8_t { None = 0, Bitmap = 1, Metafile = 2, Icon = 3 };
    PictureHolder() = default;
    PictureHolder(Kind k, QByteArray bytes) : kind(k), data(std::move(bytes)) {}

    Kind kind = None;
    QByteArray data;

    bool isEmpty() const { return kind == None || data.isEmpty(); }
    void clear() { kind = None, data.clear(); }
    // Whether the bytes decode as a picture of the kind.
    bool isValid() const;
    // Width and height in pixels of 1/96 inch (a metafile's frame, a
    // bitmap's pixels); empty when empty or not decodable.
    QSize size() const;
    // The picture as an image (bitmaps and icons); null for metafiles.
    QImage toImage() const;
    // Draws the picture scaled into `dest` (exclusive right and bottom);
    // false when there is nothing decodable to draw.
    bool draw(Canvas& canvas, const QRect& dest) const;

    static PictureHolder fromImage(const QImage& image); // stored as a BMP file
    bool operator==(const PictureHolder& other) const {
        return kind == other.kind && data == other.data;
    }

private:
    // The last decoding, kept while the bytes stay the same (a picture is
    // drawn for every record of a band).
    const DecodedPicture& decoded() const;
    mutable std::shared_ptr<const DecodedPicture> decoded_;
};

// Which picture kind a blob holds and where its data starts: a bitmap when bytes 0-1 or
// 8-9 are "BM", an icon when the words at 0 and 2 (or 8 and 10) are 0 and 1,
// a metafile when the word at 0 (or 8) is 0 or 1 or the two words there are
// the placeable metafile key; a signature at byte 8 skips the header some
// databases put in front of pictures, and one at byte 0 takes precedence.
// Throws VxError "Formato immagine sconosciuto." when no signature matches.
struct BlobPicture {
    PictureHolder::Kind kind = PictureHolder::None;
    qsizetype offset = 0;
};
BlobPicture blobPictureKind(const QByteArray& blob);

// The picture a blob holds; throws VxError "Formato immagine sconosciuto."
// when no signature matches or the data does not decode as that kind.
PictureHolder pictureFromBlob(const QByteArray& blob);

} // namespace vx
