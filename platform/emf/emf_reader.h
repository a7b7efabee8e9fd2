#pragma once

// Reading of enhanced metafiles (EMF): the header, the envelope of every
// record and the content of the records the player draws are validated once,
// when the picture is parsed; afterwards the records are enumerated from an
// index of offsets built by the parse, without copying the bytes.
//
// A picture shares its bytes with the QByteArray it was parsed from (implicit
// sharing): parsing never copies them, and copies of a picture are cheap.
//
// How the metafile code reports damage, the same way throughout:
// - Every read goes through a bounded ByteReader: reading past its end
//   yields zeros and sets a failure that stays, so a reader reads its fields
//   and tests ok() once.
// - A reader of a record, or of a part of one, returns std::optional<T>:
//   nothing when the bytes are damaged (a count, offset or size that does not
//   fit). It never throws.
// - A reader whose caller says why returns Checked<T>: the value, or the
//   damage as an Italian sentence (the header, the validation of each
//   record, bitmaps).
// - Only the entry points that take a whole picture (EmfPicture::parse,
//   WmfPicture::parse, wmfToEmf) throw, a VxError "Immagine EMF danneggiata:
//   " (or WMF) followed by the damage, for the callers outside this code.
//   The player and the converter never throw on a damaged record: they leave
//   it out and go on (a strict parse has refused such a picture already).
//   Writing throws VxError only where a page goes past the format's limits.

#include "platform/byte_reader.h"

#include <QByteArray>
#include <QRect>
#include <QSize>
#include <QString>

#include <cstdint>
#include <memory>
#include <optional>
#include <utility>
#include <variant>
#include <vector>

namespace vx::emf {

// A value read from a picture, or why it could not be read: the damage, an
// Italian sentence ending with a full stop. Checked<> carries no value: it
// is a verdict (intact, or the damage).
template <class T = std::monostate> class Checked {
public:
    Checked(T value) : value_(std::move(value)) {}
    static Checked damaged(const QString& what) {
        Checked c;
        c.damage_ = what;
        return c;
    }

    explicit operator bool() const { return value_.has_value(); }
    const T& operator*() const { return *value_; }
    const T* operator->() const { return &*value_; }
    T valueOr(T fallback) const { return value_ ? *value_ : std::move(fallback); }
    // Empty when the value was read.
    const QString& damage() const { return damage_; }

private:
    Checked() = default;
    std::optional<T> value_;
    QString damage_;
};

// The verdict of a check that found nothing wrong.
inline Checked<> intact() {
    return Checked<>(std::monostate{});
}

// GDI's RECTL as stored in metafiles: both edges inclusive.
struct RectL {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
    bool operator==(const RectL&) const = default;
    // The same pixels as a QRect (inclusive edges; empty when right < left).
    QRect toQRect() const { return QRect(QPoint(left, top), QPoint(right, bottom)); }
    bool isNullBounds() const { return left == 0 && top == 0 && right == -1 && bottom == -1; }
};

struct SizeL {
    int32_t cx = 0;
    int32_t cy = 0;
    bool operator==(const SizeL&) const = default;
};

// The EMR_HEADER record.
struct EmfHeader {
    RectL bounds;                // drawn area, reference-device pixels (inclusive)
    RectL frame;                 // picture frame, 0.01 mm (inclusive)
    uint32_t version = 0;        // 0x10000
    uint32_t bytes = 0;          // declared size of the whole metafile
    uint32_t records = 0;        // declared number of records, header and EOF included
    uint16_t handles = 0;        // object table size, index 0 reserved
    uint32_t paletteEntries = 0; // entries of the palette in the EOF record
    SizeL devicePixels;          // reference device size in pixels
    SizeL deviceMillimeters;     // reference device size in millimetres
    SizeL deviceMicrometers;     // reference device size in micrometres, 0 when absent
    bool openGL = false;
    QString description;     // application and picture name ("app\0title\0\0")
    uint32_t headerSize = 0; // 88, 100 or 108 bytes

    // Reference device resolution (pixels per millimetre) in x and y, from
    // the micrometre size when present (it is exact), else the millimetres.
    double pixelsPerMmX() const;
    double pixelsPerMmY() const;
};

// One record of a parsed picture: a view into the picture's bytes.
struct EmfRecord {
    uint32_t type = 0;          // EMR_* number
    uint32_t offset = 0;        // offset of the record's first byte in the metafile
    uint32_t size = 0;          // whole record size, the 8-byte type and size included
    const char* data = nullptr; // the record's first byte (type field)

    // The bytes after the type and size fields (size - 8 of them).
    ByteReader payload() const { return ByteReader(data + 8, size - 8); }
    // The whole record, type and size included (offsets inside records such
    // as offString or offBmiSrc count from here).
    ByteReader whole() const { return ByteReader(data, size); }
};

// How damage after a valid header is handled.
enum class ParseMode {
    // Any damaged record fails the parse (loading pages, saving, checks).
    Strict,
    // The records before the first damaged record are kept and playable; the
    // damage is reported by damage(). A damaged header still fails.
    KeepValidPrefix,
};

class EmfPicture {
public:
    // An empty picture (no records); isNull() is true.
    EmfPicture();

    // Parses and validates a metafile. Throws vx::VxError with an Italian
    // message ("Immagine EMF danneggiata: ...") when the bytes are not a
    // metafile or (in strict mode) when any record is damaged.
    static EmfPicture parse(QByteArray bytes, ParseMode mode = ParseMode::Strict);

    bool isNull() const;
    const EmfHeader& header() const;
    // The metafile bytes (shared, not copied); trailing bytes past the
    // header's declared size are not part of the picture.
    const QByteArray& bytes() const;

    // Records in file order; record(0) is the header, the last is EMR_EOF
    // unless the picture was cut short.
    int recordCount() const;
    EmfRecord record(int index) const;

    // Empty for an intact picture; otherwise what was wrong after the valid
    // prefix (KeepValidPrefix mode only).
    const QString& damage() const;

    // The picture frame converted to reference-device pixels (x, y, width,
    // height as real numbers), the rectangle PlayEnhMetaFile maps onto the
    // destination.
    QRectF frameInDevicePixels() const;

private:
    struct Data;
    std::shared_ptr<const Data> d_;
};

// The message every parse failure carries: "Immagine EMF danneggiata: " + what.
QString damagedMessage(const QString& what);

} // namespace vx::emf
