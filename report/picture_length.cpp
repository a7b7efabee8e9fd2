#include "report/picture_length.h"

#include "platform/byte_reader.h"
#include "platform/emf/emf_reader.h"
#include "platform/errors.h"

#include <QImage>

namespace vx {

namespace {

// The kinds as the template's picture record numbers them.
constexpr uint8_t kBitmap = 1, kMetafile = 2, kIcon = 3;

constexpr size_t kBmpFileHeader = 14;
constexpr uint32_t kMinDibHeader = 12;         // BITMAPCOREHEADER
constexpr uint32_t kEmfSignature = 0x464D4520; // " EMF"
constexpr uint32_t kPlaceableWmfKey = 0x9AC6CDD7;
constexpr size_t kPlaceableWmfHeader = 22;
constexpr size_t kWmfHeader = 18;
constexpr size_t kIcoDirEntry = 16;

// A BMP file: "BM", its whole size, the pixel offset, a DIB header, and
// pixels the image reader accepts.
qsizetype bitmapLength(const QByteArray& bytes) {
    ByteReader in(bytes);
    const uint16_t type = in.u16();
    const uint32_t fileSize = in.u32();
    in.skip(4);
    const uint32_t pixelOffset = in.u32();
    const uint32_t dibHeader = in.u32();
    if (!in.ok() || type != 0x4D42 || dibHeader < kMinDibHeader ||
        fileSize < kBmpFileHeader + dibHeader || fileSize > size_t(bytes.size()) ||
        pixelOffset > fileSize)
        return -1;
    if (QImage::fromData(bytes.left(qsizetype(fileSize)), "BMP").isNull())
        return -1;
    return qsizetype(fileSize);
}

// An enhanced metafile (its size is in its header; every record is checked),
// or a Windows metafile, placeable or not (its size in words is in its
// header).
qsizetype metafileLength(const QByteArray& bytes) {
    ByteReader in(bytes);
    const uint32_t first = in.u32();
    if (!in.ok())
        return -1;
    if (first == 1) {
        ByteReader header(bytes);
        header.skip(40);
        if (header.u32() != kEmfSignature || !header.ok())
            return -1;
        try {
            return qsizetype(emf::EmfPicture::parse(bytes).header().bytes);
        } catch (const VxError&) {
            return -1;
        }
    }
    size_t start = 0;
    if (first == kPlaceableWmfKey)
        start = kPlaceableWmfHeader;
    ByteReader wmf(bytes);
    wmf.skip(start);
    const uint16_t fileType = wmf.u16();
    const uint16_t headerWords = wmf.u16();
    wmf.skip(2); // version
    const uint32_t sizeWords = wmf.u32();
    if (!wmf.ok() || (fileType != 1 && fileType != 2) || headerWords != kWmfHeader / 2 ||
        sizeWords < kWmfHeader / 2)
        return -1;
    const uint64_t length = uint64_t(start) + uint64_t(sizeWords) * 2;
    return length <= uint64_t(bytes.size()) ? qsizetype(length) : -1;
}

// An ICO file: reserved 0, type 1, at least one image; it ends after the
// image that ends last.
qsizetype iconLength(const QByteArray& bytes) {
    ByteReader in(bytes);
    const uint16_t reserved = in.u16();
    const uint16_t type = in.u16();
    const uint16_t count = in.u16();
    if (!in.ok() || reserved != 0 || type != 1 || count == 0)
        return -1;
    uint64_t end = 6 + uint64_t(count) * kIcoDirEntry;
    for (uint16_t i = 0; i < count; ++i) {
        in.skip(8);
        const uint32_t size = in.u32();
        const uint32_t offset = in.u32();
        if (!in.ok() || size == 0)
            return -1;
        end = std::max(end, uint64_t(offset) + size);
    }
    return end <= uint64_t(bytes.size()) ? qsizetype(end) : -1;
}

} // namespace

qsizetype storedPictureLength(uint8_t kind, const QByteArray& bytes) {
    switch (kind) {
    case kBitmap:
        return bitmapLength(bytes);
    case kMetafile:
        return metafileLength(bytes);
    case kIcon:
        return iconLength(bytes);
    default:
        return -1;
    }
}

} // namespace vx
