#include "platform/emf/wmf_reader.h"

#include "platform/errors.h"

namespace vx::emf {

namespace {

constexpr size_t kPlaceableSize = 22;
constexpr uint16_t kHeaderWords = 9;
constexpr size_t kRecordEnvelope = 6; // size (32 bits) and function (16 bits)

[[noreturn]] void damaged(const QString& what) {
    throw VxError(QStringLiteral("Immagine WMF danneggiata: ") + what);
}

uint32_t u32At(const QByteArray& b, qsizetype at) {
    if (at < 0 || at + 4 > b.size())
        return 0;
    ByteReader r(b.constData() + at, 4);
    return r.u32();
}

bool headerAt(const QByteArray& b, qsizetype at) {
    if (at < 0 || at + 18 > b.size())
        return false;
    ByteReader r(b.constData() + at, 4);
    const uint16_t type = r.u16();
    const uint16_t words = r.u16();
    return (type == 1 || type == 2) && words == kHeaderWords;
}

} // namespace

bool WmfPicture::looksLikeWmf(const QByteArray& bytes) {
    if (u32At(bytes, 0) == kPlaceableKey)
        return headerAt(bytes, kPlaceableSize);
    return headerAt(bytes, 0);
}

WmfPicture WmfPicture::parse(const QByteArray& bytes) {
    WmfPicture pic;
    pic.bytes_ = bytes;
    ByteReader r(pic.bytes_);
    WmfHeader& h = pic.header_;
    if (u32At(bytes, 0) == kPlaceableKey) {
        h.placeable = true;
        r.skip(6); // key and the (always zero) handle
        h.boxLeft = r.i16();
        h.boxTop = r.i16();
        h.boxRight = r.i16();
        h.boxBottom = r.i16();
        h.unitsPerInch = r.u16();
        r.skip(6); // reserved and checksum (not checked: writers disagree on it)
        if (!r.ok())
            damaged(QStringLiteral("intestazione incompleta"));
        if (h.unitsPerInch == 0)
            damaged(QStringLiteral("unità per pollice nulle"));
    }
    h.type = r.u16();
    const uint16_t headerWords = r.u16();
    h.version = r.u16();
    r.skip(4); // declared size in words: the bytes at hand are what counts
    h.objects = r.u16();
    r.skip(6); // largest record, member count
    if (!r.ok() || (h.type != 1 && h.type != 2) || headerWords != kHeaderWords)
        damaged(QStringLiteral("intestazione non valida"));

    while (r.remaining() >= kRecordEnvelope) {
        const uint32_t words = r.u32();
        const uint16_t function = r.u16();
        // The size counts 16-bit words, envelope included; it is checked
        // against the bytes left before anything is read from the record.
        if (words < 3 || (words - 3) > (r.remaining() / 2))
            damaged(QStringLiteral("record di dimensione errata"));
        const uint32_t paramSize = (words - 3) * 2;
        const char* params = r.view(paramSize);
        if (function == META_EOF)
            break;
        if (pic.records_.size() >= kMaxWmfRecords)
            damaged(QStringLiteral("troppi record"));
        pic.records_.push_back(WmfRecord{function, params, paramSize});
    }
    return pic;
}

} // namespace vx::emf
