#include "platform/emf/emf_reader.h"

#include "platform/emf/emf_constants.h"
#include "platform/emf/emf_records.h"
#include "platform/errors.h"

#include <limits>

namespace vx::emf {

namespace {

// Fixed part of EMR_HEADER, then the two optional extensions.
constexpr uint32_t kHeaderBaseSize = 88;
constexpr uint32_t kHeaderExt1Size = 100; // cbPixelFormat, offPixelFormat, bOpenGL
constexpr uint32_t kHeaderExt2Size = 108; // szlMicrometers

QString recordWhat(int index, const EmfRecord& rec) {
    return QStringLiteral("record %1 (tipo %2, posizione %3)")
        .arg(index)
        .arg(rec.type)
        .arg(rec.offset);
}

} // namespace

QString damagedMessage(const QString& what) {
    return QStringLiteral("Immagine EMF danneggiata: ") + what;
}

double EmfHeader::pixelsPerMmX() const {
    if (deviceMicrometers.cx > 0 && devicePixels.cx > 0)
        return devicePixels.cx * 1000.0 / deviceMicrometers.cx;
    if (deviceMillimeters.cx > 0 && devicePixels.cx > 0)
        return double(devicePixels.cx) / deviceMillimeters.cx;
    return 96.0 / 25.4;
}

double EmfHeader::pixelsPerMmY() const {
    if (deviceMicrometers.cy > 0 && devicePixels.cy > 0)
        return devicePixels.cy * 1000.0 / deviceMicrometers.cy;
    if (deviceMillimeters.cy > 0 && devicePixels.cy > 0)
        return double(devicePixels.cy) / deviceMillimeters.cy;
    return 96.0 / 25.4;
}

struct EmfPicture::Data {
    QByteArray bytes;
    EmfHeader header;
    std::vector<uint32_t> offsets; // record offsets, header first
    QString damage;
};

namespace {

[[noreturn]] void fail(const QString& what) {
    throw VxError(damagedMessage(what));
}

Checked<EmfHeader> badHeader(const QString& what) {
    return Checked<EmfHeader>::damaged(what);
}

Checked<EmfHeader> readHeader(const QByteArray& bytes) {
    ByteReader r(bytes);
    // Record offsets and sizes are 32-bit in the format and in the index.
    if (bytes.size() > qsizetype(std::numeric_limits<uint32_t>::max()))
        return badHeader(QStringLiteral("il file è troppo grande per un metafile."));
    if (bytes.size() < qsizetype(kHeaderBaseSize))
        return badHeader(QStringLiteral("il file è troppo corto per contenere l'intestazione."));
    const uint32_t type = r.u32();
    const uint32_t size = r.u32();
    EmfHeader h;
    h.bounds = readRectL(r);
    h.frame = readRectL(r);
    const uint32_t signature = r.u32();
    if (type != EMR_HEADER || signature != kEmfSignature)
        return badHeader(QStringLiteral("il file non è un metafile avanzato (firma non valida)."));
    if (size < kHeaderBaseSize || size % 4 != 0 || size > size_t(bytes.size()))
        return badHeader(QStringLiteral("dimensione dell'intestazione non valida (%1).").arg(size));
    h.version = r.u32();
    h.bytes = r.u32();
    h.records = r.u32();
    h.handles = r.u16();
    r.u16(); // reserved
    const uint32_t nDescription = r.u32();
    const uint32_t offDescription = r.u32();
    h.paletteEntries = r.u32();
    h.devicePixels = {r.i32(), r.i32()};
    h.deviceMillimeters = {r.i32(), r.i32()};
    if (!r.ok())
        return badHeader(QStringLiteral("intestazione troncata."));
    if (h.handles == 0)
        return badHeader(QStringLiteral("la tabella degli oggetti ha dimensione zero."));
    if (h.bytes < size)
        return badHeader(
            QStringLiteral("la dimensione dichiarata del file (%1) è minore dell'intestazione.")
                .arg(h.bytes));

    // The fixed fields end where the description or pixel format begins.
    uint32_t fieldsEnd = size;
    if (nDescription != 0) {
        const auto descBytes = checkedMul(nDescription, 2);
        const auto descEnd = descBytes ? checkedAdd(offDescription, *descBytes) : std::nullopt;
        if (offDescription < kHeaderBaseSize || !descEnd || *descEnd > size)
            return badHeader(QStringLiteral("la descrizione è fuori dall'intestazione."));
        fieldsEnd = std::min(fieldsEnd, offDescription);
        const char* p = bytes.constData() + offDescription;
        h.description.resize(qsizetype(nDescription));
        for (uint32_t i = 0; i < nDescription; ++i)
            h.description[qsizetype(i)] =
                QChar(char16_t(uint8_t(p[2 * i]) | (uint8_t(p[2 * i + 1]) << 8)));
        // The stored form is "application\0picture\0\0": keep the inner
        // separator, drop the terminators.
        while (h.description.endsWith(QChar(0)))
            h.description.chop(1);
    }
    if (fieldsEnd >= kHeaderExt1Size) {
        const uint32_t cbPixelFormat = r.u32();
        const uint32_t offPixelFormat = r.u32();
        h.openGL = r.u32() != 0;
        if (cbPixelFormat != 0) {
            const auto pfEnd = checkedAdd(offPixelFormat, cbPixelFormat);
            if (offPixelFormat < kHeaderBaseSize || !pfEnd || *pfEnd > size)
                return badHeader(QStringLiteral("il formato dei pixel è fuori dall'intestazione."));
            fieldsEnd = std::min(fieldsEnd, offPixelFormat);
        }
    }
    if (fieldsEnd >= kHeaderExt2Size)
        h.deviceMicrometers = {r.i32(), r.i32()};
    h.headerSize = size;
    return h;
}

} // namespace

EmfPicture::EmfPicture() : d_(std::make_shared<Data>()) {}

EmfPicture EmfPicture::parse(QByteArray bytes, ParseMode mode) {
    auto d = std::make_shared<Data>();
    const Checked<EmfHeader> header = readHeader(bytes);
    if (!header)
        fail(header.damage());
    d->header = *header;
    d->bytes = std::move(bytes);

    const size_t total = size_t(d->bytes.size());
    const char* base = d->bytes.constData();
    // Never reserve from the declared count alone: a record takes 8 bytes at least.
    d->offsets.reserve(std::min<size_t>(d->header.records, total / 8));
    d->offsets.push_back(0);

    size_t pos = d->header.headerSize;
    bool sawEof = false;
    QString damage;
    while (pos < total) {
        const size_t left = total - pos;
        const int index = int(d->offsets.size());
        if (left < 8) {
            damage = QStringLiteral("il record %1 è troncato.").arg(index);
            break;
        }
        ByteReader r(base + pos, left);
        EmfRecord rec;
        rec.type = r.u32();
        rec.size = r.u32();
        rec.offset = uint32_t(pos);
        rec.data = base + pos;
        if (rec.size < 8 || rec.size % 4 != 0) {
            damage = QStringLiteral("il %1 ha una dimensione non valida (%2).")
                         .arg(recordWhat(index, rec))
                         .arg(rec.size);
            break;
        }
        if (rec.size > left) {
            damage = QStringLiteral("il %1 supera la fine del file.").arg(recordWhat(index, rec));
            break;
        }
        const Checked<> verdict = validateRecord(rec);
        if (!verdict) {
            damage = QStringLiteral("il %1 non è valido: %2")
                         .arg(recordWhat(index, rec), verdict.damage());
            break;
        }
        d->offsets.push_back(uint32_t(pos));
        pos += rec.size;
        if (rec.type == EMR_EOF) {
            sawEof = true;
            break;
        }
    }
    if (damage.isEmpty() && !sawEof)
        damage = QStringLiteral("manca il record di fine (EMR_EOF).");
    if (!damage.isEmpty()) {
        if (mode == ParseMode::Strict)
            fail(damage);
        d->damage = damagedMessage(damage);
    }
    EmfPicture picture;
    picture.d_ = std::move(d);
    return picture;
}

bool EmfPicture::isNull() const {
    return d_->offsets.empty();
}
const EmfHeader& EmfPicture::header() const {
    return d_->header;
}
const QByteArray& EmfPicture::bytes() const {
    return d_->bytes;
}
int EmfPicture::recordCount() const {
    return int(d_->offsets.size());
}
const QString& EmfPicture::damage() const {
    return d_->damage;
}

EmfRecord EmfPicture::record(int index) const {
    EmfRecord rec;
    if (index < 0 || size_t(index) >= d_->offsets.size())
        return rec;
    const uint32_t off = d_->offsets[size_t(index)];
    ByteReader r(d_->bytes.constData() + off, size_t(d_->bytes.size()) - off);
    rec.type = r.u32();
    rec.size = r.u32();
    rec.offset = off;
    rec.data = d_->bytes.constData() + off;
    if (index == 0) // the header's size was validated by readHeader
        rec.size = d_->header.headerSize;
    return rec;
}

QRectF EmfPicture::frameInDevicePixels() const {
    const EmfHeader& h = d_->header;
    // The frame is in 0.01 mm with inclusive edges.
    const double kx = h.pixelsPerMmX() / 100.0;
    const double ky = h.pixelsPerMmY() / 100.0;
    return QRectF(h.frame.left * kx, h.frame.top * ky, (double(h.frame.right) - h.frame.left) * kx,
                  (double(h.frame.bottom) - h.frame.top) * ky);
}

} // namespace vx::emf
