#include "platform/emf/emf_records.h"

#include "platform/codepage.h"
#include "platform/emf/dib.h"
#include "platform/emf/emf_constants.h"

#include <array>
#include <cmath>

namespace vx::emf {

namespace {

// Size of the fixed part of EmrText (reference, chars, offString, options,
// rectangle, offDx).
constexpr size_t kEmrTextSize = 40;
// Offset of the EmrText inside EXTTEXTOUT records (type, size, bounds,
// graphics mode, two scales).
constexpr size_t kExtTextOutEmrTextOffset = 36;
// The character count inside an EmrText, after the reference point.
constexpr size_t kEmrTextCharsAt = 8;

QPoint readPoint(ByteReader& r, bool points16) {
    if (points16) {
        const int x = r.i16();
        return QPoint(x, r.i16());
    }
    const int x = clampCoord(r.i32());
    return QPoint(x, clampCoord(r.i32()));
}

// Reads n points after checking that they fit in what is left, so a huge
// count never allocates.
bool readPoints(ByteReader& r, uint32_t n, bool points16, std::vector<QPoint>& out) {
    const size_t each = points16 ? 4 : 8;
    const auto need = checkedMul(n, each);
    if (!need || *need > r.remaining())
        return false;
    out.resize(n);
    for (uint32_t i = 0; i < n; ++i)
        out[i] = readPoint(r, points16);
    return r.ok();
}

// A range [off, off + len) that must lie inside the record.
bool rangeInRecord(const EmfRecord& rec, uint32_t off, size_t len) {
    const auto end = checkedAdd(off, len);
    return end && *end <= rec.size;
}

// The four fields that place a DIB in a bitmap record (offset and size of
// the BITMAPINFO, offset and size of the bits), stored in this order by
// every record that carries one.
struct DibFields {
    uint32_t offBmi = 0;
    uint32_t cbBmi = 0;
    uint32_t offBits = 0;
    uint32_t cbBits = 0;
};

DibFields readDibFields(ByteReader& r) {
    DibFields f;
    f.offBmi = r.u32();
    f.cbBmi = r.u32();
    f.offBits = r.u32();
    f.cbBits = r.u32();
    return f;
}

// Points `out` at the record's DIB; false when the fields leave the record.
// No BITMAPINFO (cbBmi 0) is a record without a bitmap (a pattern blit).
bool readDibRef(const EmfRecord& rec, const DibFields& f, uint32_t usage, DibRef& out) {
    out = DibRef{};
    out.usage = usage;
    if (f.cbBmi == 0)
        return true;
    if (f.offBmi < 8 || !rangeInRecord(rec, f.offBmi, f.cbBmi) ||
        !rangeInRecord(rec, f.offBits, f.cbBits))
        return false;
    out.info = rec.data + f.offBmi;
    out.infoSize = f.cbBmi;
    out.bits = rec.data + f.offBits;
    out.bitsSize = f.cbBits;
    return true;
}

// The bounds, point count and points that open the poly-shape records.
bool readBoundsAndPoints(ByteReader& r, bool points16, RectL& bounds, std::vector<QPoint>& points) {
    bounds = readRectL(r);
    const uint32_t count = r.u32();
    return r.ok() && readPoints(r, count, points16, points);
}

bool finite(float f) {
    return std::isfinite(f);
}

// One EmrText at `at` (offset from the record start); offsets inside it count
// from the record start too.
// The string of an EmrText: at most kMaxTextChars characters, all inside
// the record.
std::optional<TextSpan> stringInRecord(const EmfRecord& rec, uint32_t chars, uint32_t offString,
                                       bool wide) {
    if (chars > kMaxTextChars)
        return std::nullopt;
    if (chars == 0)
        return TextSpan{nullptr, 0, wide};
    if (!rangeInRecord(rec, offString, size_t(chars) * (wide ? 2 : 1)))
        return std::nullopt;
    return TextSpan{rec.data + offString, chars, wide};
}

bool readEmrText(const EmfRecord& rec, size_t at, bool wide, bool allowShortForm, TextRecord& t) {
    ByteReader r = rec.whole();
    if (!r.seek(at))
        return false;
    t.reference = readPoint(r, false);
    const uint32_t chars = r.u32();
    const uint32_t offString = r.u32();
    t.options = r.u32();
    // With ETO_NO_RECT the rectangle may be left out; the string offset then
    // shows which form was written.
    const bool shortForm = allowShortForm && (t.options & kEtoNoRect) &&
                           offString < at + kEmrTextSize && offString >= at + 24;
    if (!shortForm) {
        t.rect = readRectL(r);
        t.hasRect = !(t.options & kEtoNoRect);
    }
    const uint32_t offDx = r.u32();
    if (!r.ok())
        return false;
    const std::optional<TextSpan> span = stringInRecord(rec, chars, offString, wide);
    if (!span)
        return false;
    if (wide) {
        t.text.resize(qsizetype(chars));
        QChar* out = t.text.data();
        for (uint32_t i = 0; i < chars; ++i)
            out[i] = QChar(span->at(i));
    } else if (chars > 0) {
        t.text = decodeAnsi(span->data, chars);
    }
    if (offDx != 0 && chars > 0) {
        const bool pdy = t.options & kEtoPdy;
        const size_t per = pdy ? 8 : 4;
        if (!rangeInRecord(rec, offDx, size_t(chars) * per))
            return false;
        ByteReader d(rec.data + offDx, size_t(chars) * per);
        t.dx.resize(chars);
        if (pdy)
            t.dy.resize(chars);
        for (uint32_t i = 0; i < chars; ++i) {
            t.dx[i] = d.i32();
            if (pdy)
                t.dy[i] = d.i32();
        }
    }
    return true;
}

bool readTextPrefix(ByteReader& r, TextRecord& t) {
    t.bounds = readRectL(r);
    t.graphicsMode = r.u32();
    t.exScale = r.f32();
    t.eyScale = r.f32();
    return r.ok();
}

} // namespace

Color readColor(ByteReader& r) {
    return Color(r.u32()).rgbOnly();
}

RectL readRectL(ByteReader& r) {
    RectL rc;
    rc.left = r.i32();
    rc.top = r.i32();
    rc.right = r.i32();
    rc.bottom = r.i32();
    return rc;
}

QString decodeAnsi(const char* data, size_t size) {
    return fromCp1252(data, qsizetype(size));
}

char16_t TextSpan::at(uint32_t i) const {
    if (wide)
        return char16_t(uint8_t(data[2 * size_t(i)]) | (uint8_t(data[2 * size_t(i) + 1]) << 8));
    return cp1252ToChar(uint8_t(data[i])).unicode();
}

std::optional<TextSpan> extTextOutSpan(const EmfRecord& rec) {
    const bool wide = rec.type == EMR_EXTTEXTOUTW;
    if (!wide && rec.type != EMR_EXTTEXTOUTA)
        return std::nullopt;
    ByteReader r = rec.whole();
    if (!r.seek(kExtTextOutEmrTextOffset + kEmrTextCharsAt))
        return std::nullopt;
    const uint32_t chars = r.u32();
    const uint32_t offString = r.u32();
    if (!r.ok())
        return std::nullopt;
    return stringInRecord(rec, chars, offString, wide);
}

std::optional<PolyRecord> readPoly(const EmfRecord& rec, bool points16) {
    ByteReader r = rec.payload();
    PolyRecord p;
    if (!readBoundsAndPoints(r, points16, p.bounds, p.points))
        return std::nullopt;
    return p;
}

std::optional<PolyPolyRecord> readPolyPoly(const EmfRecord& rec, bool points16) {
    ByteReader r = rec.payload();
    PolyPolyRecord p;
    p.bounds = readRectL(r);
    const uint32_t n = r.u32();
    const uint32_t total = r.u32();
    if (!r.ok() || n > kMaxPolyPolygons || size_t(n) * 4 > r.remaining())
        return std::nullopt;
    p.counts.resize(n);
    size_t sum = 0;
    for (uint32_t i = 0; i < n; ++i) {
        p.counts[i] = r.u32();
        sum += p.counts[i]; // at most 2^20 * 2^32: cannot overflow 64 bits
    }
    if (sum != total || !readPoints(r, total, points16, p.points))
        return std::nullopt;
    return p;
}

std::optional<PolyDrawRecord> readPolyDraw(const EmfRecord& rec, bool points16) {
    ByteReader r = rec.payload();
    PolyDrawRecord p;
    if (!readBoundsAndPoints(r, points16, p.bounds, p.points))
        return std::nullopt;
    const size_t count = p.points.size();
    const char* types = r.view(count);
    if (!types)
        return std::nullopt;
    p.types.assign(reinterpret_cast<const uint8_t*>(types),
                   reinterpret_cast<const uint8_t*>(types) + count);
    return p;
}

std::optional<TextRecord> readExtTextOut(const EmfRecord& rec, bool wide) {
    ByteReader r = rec.payload();
    TextRecord t;
    if (!readTextPrefix(r, t) || !readEmrText(rec, kExtTextOutEmrTextOffset, wide, true, t))
        return std::nullopt;
    return t;
}

std::optional<std::vector<TextRecord>> readPolyTextOut(const EmfRecord& rec, bool wide) {
    ByteReader r = rec.payload();
    TextRecord prefix;
    if (!readTextPrefix(r, prefix))
        return std::nullopt;
    const uint32_t n = r.u32();
    if (!r.ok() || n > kMaxPolyTextStrings || size_t(n) * kEmrTextSize > r.remaining())
        return std::nullopt;
    std::vector<TextRecord> out(n, prefix);
    const size_t first = 8 + r.pos();
    for (uint32_t i = 0; i < n; ++i)
        if (!readEmrText(rec, first + i * kEmrTextSize, wide, false, out[i]))
            return std::nullopt;
    return out;
}

std::optional<TextRecord> readSmallTextOut(const EmfRecord& rec) {
    ByteReader r = rec.payload();
    TextRecord t;
    t.reference = readPoint(r, false);
    const uint32_t chars = r.u32();
    t.options = r.u32();
    t.graphicsMode = r.u32();
    t.exScale = r.f32();
    t.eyScale = r.f32();
    if (!(t.options & kEtoNoRect)) {
        t.bounds = readRectL(r);
        t.rect = t.bounds;
        t.hasRect = true;
    } else {
        t.bounds = RectL{0, 0, -1, -1};
    }
    if (!r.ok() || chars > kMaxTextChars)
        return std::nullopt;
    const bool small = t.options & kEtoSmallChars;
    const char* p = r.view(size_t(chars) * (small ? 1 : 2));
    if (!p)
        return std::nullopt;
    t.text.resize(qsizetype(chars));
    for (uint32_t i = 0; i < chars; ++i)
        t.text[qsizetype(i)] =
            small ? QChar(char16_t(uint8_t(p[i])))
                  : QChar(char16_t(uint8_t(p[2 * i]) | (uint8_t(p[2 * i + 1]) << 8)));
    return t;
}

std::optional<FontRecord> readExtCreateFont(const EmfRecord& rec) {
    ByteReader r = rec.payload();
    FontRecord f;
    f.handle = r.u32();
    FontSpec& s = f.font;
    s.height = r.i32();
    s.width = r.i32();
    s.escapement = r.i32();
    s.orientation = r.i32();
    s.weight = r.i32();
    s.italic = r.u8() != 0;
    s.underline = r.u8() != 0;
    s.strikeOut = r.u8() != 0;
    s.charSet = r.u8();
    r.u8(); // out precision
    r.u8(); // clip precision
    r.u8(); // quality
    s.pitchAndFamily = r.u8();
    const char* face = r.view(64);
    if (!r.ok() || !face)
        return std::nullopt;
    QString name;
    for (int i = 0; i < 32; ++i) {
        const char16_t c = char16_t(uint8_t(face[2 * i]) | (uint8_t(face[2 * i + 1]) << 8));
        if (c == 0)
            break;
        name.append(QChar(c));
    }
    s.face = name;
    // Sizes and angles are kept to what a page can show, so that a damaged
    // record cannot ask the painter for a glyph of millions of pixels.
    constexpr int kMaxFontSize = 1 << 14;
    s.height = std::clamp(s.height, -kMaxFontSize, kMaxFontSize);
    s.width = std::clamp(s.width, 0, kMaxFontSize);
    s.escapement %= 3600;
    s.orientation %= 3600;
    s.weight = std::clamp(s.weight, 0, 1000);
    return f;
}

namespace {

PenStyle penStyleOf(uint32_t style) {
    switch (style & 0xF) {
    case 0:
        return PenStyle::Solid;
    case 1:
        return PenStyle::Dash;
    case 2:
        return PenStyle::Dot;
    case 3:
        return PenStyle::DashDot;
    case 4:
        return PenStyle::DashDotDot;
    case 5:
        return PenStyle::Null;
    case 6:
        return PenStyle::InsideFrame;
    case 7: // PS_USERSTYLE: drawn as dashes
        return PenStyle::Dash;
    case 8: // PS_ALTERNATE
        return PenStyle::Dot;
    default:
        return PenStyle::Solid;
    }
}

// Pen widths are limited so that a damaged record cannot ask the painter
// for a pen wider than any page.
constexpr int32_t kMaxPenWidth = 1 << 20;

int clampWidth(int32_t w) {
    return w < 0 ? 0 : std::min(w, kMaxPenWidth);
}

} // namespace

std::optional<PenRecord> readCreatePen(const EmfRecord& rec) {
    ByteReader r = rec.payload();
    PenRecord p;
    p.handle = r.u32();
    p.rawStyle = r.u32();
    const int32_t width = r.i32();
    r.i32(); // width.y: unused
    p.pen.color = readColor(r);
    if (!r.ok())
        return std::nullopt;
    p.pen.style = penStyleOf(p.rawStyle);
    p.pen.width = clampWidth(width);
    return p;
}

std::optional<PenRecord> readExtCreatePen(const EmfRecord& rec) {
    ByteReader r = rec.payload();
    PenRecord p;
    p.handle = r.u32();
    const DibFields dibFields = readDibFields(r);
    p.rawStyle = r.u32();
    const int32_t width = int32_t(r.u32());
    const uint32_t brushStyle = r.u32();
    p.pen.color = readColor(r);
    r.u32(); // hatch
    const uint32_t entries = r.u32();
    if (!r.ok() || size_t(entries) * 4 > r.remaining())
        return std::nullopt;
    DibRef pattern;
    if (!readDibRef(rec, dibFields, 0, pattern))
        return std::nullopt;
    p.pen.style = brushStyle == 1 ? PenStyle::Null : penStyleOf(p.rawStyle);
    // Cosmetic pens are one device pixel wide whatever the width says.
    const bool geometric = (p.rawStyle & 0x000F0000) == 0x00010000;
    p.pen.width = geometric ? clampWidth(width) : 0;
    return p;
}

std::optional<BrushRecord> readCreateBrush(const EmfRecord& rec) {
    ByteReader r = rec.payload();
    BrushRecord b;
    b.handle = r.u32();
    const uint32_t style = r.u32();
    b.brush.color = readColor(r);
    b.brush.hatch = r.u32();
    if (!r.ok())
        return std::nullopt;
    switch (style) {
    case 1:
        b.brush.style = BrushStyle::Null;
        break;
    case 2:
        b.brush.style = BrushStyle::Hatched;
        if (b.brush.hatch > 5)
            b.brush.hatch = 0;
        break;
    default:
        b.brush.style = BrushStyle::Solid;
        break;
    }
    return b;
}

std::optional<PatternBrushRecord> readPatternBrush(const EmfRecord& rec) {
    ByteReader r = rec.payload();
    PatternBrushRecord b;
    b.handle = r.u32();
    const uint32_t usage = r.u32();
    const DibFields dibFields = readDibFields(r);
    if (!r.ok() || !readDibRef(rec, dibFields, usage, b.dib))
        return std::nullopt;
    return b;
}

std::optional<QTransform> readXForm(ByteReader& r) {
    const float m11 = r.f32(), m12 = r.f32(), m21 = r.f32(), m22 = r.f32(), dx = r.f32(),
                dy = r.f32();
    if (!r.ok() || !finite(m11) || !finite(m12) || !finite(m21) || !finite(m22) || !finite(dx) ||
        !finite(dy))
        return std::nullopt;
    return QTransform(m11, m12, m21, m22, dx, dy);
}

namespace {

QRect rectOfExtent(int32_t x, int32_t y, int32_t cx, int32_t cy) {
    return QRect(clampCoord(x), clampCoord(y), clampCoord(cx), clampCoord(cy));
}

// BITBLT, STRETCHBLT, ALPHABLEND and TRANSPARENTBLT: the destination, the
// raster operation (or blend function, or transparent colour), the source
// origin, transform and background, the DIB, and with `stretch` the source
// extent (else the destination's).
std::optional<BltRecord> readBltCommon(const EmfRecord& rec, bool stretch) {
    ByteReader r = rec.payload();
    BltRecord b;
    b.bounds = readRectL(r);
    const int32_t x = r.i32(), y = r.i32(), cx = r.i32(), cy = r.i32();
    b.rop = r.u32();
    const int32_t xSrc = r.i32(), ySrc = r.i32();
    auto xf = readXForm(r);
    b.sourceBackground = readColor(r);
    const uint32_t usage = r.u32();
    const DibFields dibFields = readDibFields(r);
    int32_t cxSrc = cx, cySrc = cy;
    if (stretch) {
        cxSrc = r.i32();
        cySrc = r.i32();
    }
    if (!r.ok() || !readDibRef(rec, dibFields, usage, b.dib))
        return std::nullopt;
    if (xf)
        b.sourceTransform = *xf;
    b.dest = rectOfExtent(x, y, cx, cy);
    b.source = rectOfExtent(xSrc, ySrc, cxSrc, cySrc);
    return b;
}

// STRETCHDIBITS and SETDIBITSTODEVICE: the destination origin, the source
// rectangle, the DIB and its usage; then with `stretch` the raster
// operation and the destination extent, else the scan lines the bits hold
// (the destination takes the source's extent).
std::optional<BltRecord> readDibitsCommon(const EmfRecord& rec, bool stretch) {
    ByteReader r = rec.payload();
    BltRecord b;
    b.bounds = readRectL(r);
    const int32_t x = r.i32(), y = r.i32(), xSrc = r.i32(), ySrc = r.i32(), cxSrc = r.i32(),
                  cySrc = r.i32();
    const DibFields dibFields = readDibFields(r);
    const uint32_t usage = r.u32();
    int32_t cx = cxSrc, cy = cySrc;
    if (stretch) {
        b.rop = r.u32();
        cx = r.i32();
        cy = r.i32();
    } else {
        b.startScan = r.u32();
        b.scans = r.u32();
    }
    if (!r.ok() || !readDibRef(rec, dibFields, usage, b.dib))
        return std::nullopt;
    b.dest = rectOfExtent(x, y, cx, cy);
    b.source = rectOfExtent(xSrc, ySrc, cxSrc, cySrc);
    return b;
}

} // namespace

std::optional<BltRecord> readBitBlt(const EmfRecord& rec) {
    return readBltCommon(rec, false);
}
std::optional<BltRecord> readStretchBlt(const EmfRecord& rec) {
    return readBltCommon(rec, true);
}
std::optional<BltRecord> readAlphaBlend(const EmfRecord& rec) {
    return readBltCommon(rec, true);
}
std::optional<BltRecord> readStretchDIBits(const EmfRecord& rec) {
    return readDibitsCommon(rec, true);
}
std::optional<BltRecord> readSetDIBitsToDevice(const EmfRecord& rec) {
    return readDibitsCommon(rec, false);
}

std::optional<RegionData> readRegionData(ByteReader r, uint32_t size) {
    if (size > r.remaining())
        return std::nullopt;
    ByteReader d = r.sub(size);
    const uint32_t headerSize = d.u32();
    const uint32_t type = d.u32();
    const uint32_t count = d.u32();
    d.u32(); // RgnSize
    RegionData g;
    g.bounds = readRectL(d);
    if (!d.ok() || headerSize != 32 || type != 1 || size_t(count) * 16 > d.remaining())
        return std::nullopt;
    g.rects.reserve(count);
    for (uint32_t i = 0; i < count; ++i) {
        const RectL rc = readRectL(d);
        if (rc.right > rc.left && rc.bottom > rc.top)
            g.rects.push_back(qrectFromEdges(rc));
    }
    return g;
}

std::optional<ClipRegionRecord> readExtSelectClipRgn(const EmfRecord& rec) {
    ByteReader r = rec.payload();
    ClipRegionRecord c;
    const uint32_t size = r.u32();
    c.mode = r.u32();
    if (!r.ok() || c.mode < 1 || c.mode > 5)
        return std::nullopt;
    if (size == 0)
        return c;
    auto g = readRegionData(r, size);
    if (!g)
        return std::nullopt;
    c.hasRegion = true;
    c.region = std::move(*g);
    return c;
}

std::optional<FillRegionRecord> readFillRgn(const EmfRecord& rec) {
    ByteReader r = rec.payload();
    FillRegionRecord f;
    f.bounds = readRectL(r);
    const uint32_t size = r.u32();
    if (rec.type == EMR_FILLRGN || rec.type == EMR_FRAMERGN)
        f.brushHandle = r.u32();
    if (rec.type == EMR_FRAMERGN)
        f.frame = {r.i32(), r.i32()};
    if (!r.ok())
        return std::nullopt;
    auto g = readRegionData(r, size);
    if (!g)
        return std::nullopt;
    f.region = std::move(*g);
    return f;
}

std::optional<ArcRecord> readArc(const EmfRecord& rec) {
    ByteReader r = rec.payload();
    ArcRecord a;
    a.box = readRectL(r);
    a.start = readPoint(r, false);
    a.end = readPoint(r, false);
    if (!r.ok())
        return std::nullopt;
    return a;
}

std::optional<GradientFillRecord> readGradientFill(const EmfRecord& rec) {
    ByteReader r = rec.payload();
    GradientFillRecord g;
    g.bounds = readRectL(r);
    const uint32_t nVer = r.u32();
    const uint32_t nTri = r.u32();
    g.mode = r.u32();
    if (!r.ok() || g.mode > 2 || size_t(nVer) * 16 > r.remaining())
        return std::nullopt;
    g.vertices.resize(nVer);
    for (auto& v : g.vertices) {
        const QPoint raw = readPoint(r, false);
        v.pos = QPoint(clampCoord(raw.x()), clampCoord(raw.y()));
        const int red = r.u16() >> 8, green = r.u16() >> 8, blue = r.u16() >> 8;
        r.u16(); // alpha
        v.color = rgb(red, green, blue);
    }
    const size_t per = g.mode == 2 ? 3 : 2;
    if (size_t(nTri) * per * 4 > r.remaining())
        return std::nullopt;
    g.indices.resize(size_t(nTri) * per);
    for (auto& i : g.indices) {
        i = r.u32();
        if (i >= nVer)
            return std::nullopt;
    }
    if (!r.ok())
        return std::nullopt;
    return g;
}

namespace {

QString checkDib(const DibRef& dib) {
    if (!dib.present())
        return QString();
    QString error;
    if (!readDibInfo(dib.info, dib.infoSize, &error))
        return error;
    return QString();
}

template <typename T> QString expect(const std::optional<T>& v) {
    return v ? QString() : QStringLiteral("campi o conteggi fuori dal record.");
}

QString checkBlt(const std::optional<BltRecord>& b) {
    return b ? checkDib(b->dib) : QStringLiteral("campi o conteggi fuori dal record.");
}

QString checkPatternBrush(const EmfRecord& rec) {
    const auto b = readPatternBrush(rec);
    return b ? checkDib(b->dib) : expect(b);
}

QString checkComment(const EmfRecord& rec) {
    ByteReader r = rec.payload();
    const uint32_t n = r.u32();
    return n <= r.remaining() ? QString() : QStringLiteral("commento più lungo del record.");
}

// What the reader and the player know of a record type: the smallest
// payload (after type and size) it may have, whether it starts with its
// bounds, the check of its variable part (none: the size check is all), and
// what the player does with it.
struct RecordRule {
    uint32_t type;
    uint16_t minPayload;
    bool bounds;
    QString (*check)(const EmfRecord&);
    PlayEntry play;
};

constexpr bool kBounds = true;
constexpr bool kNoBounds = false;

// One row per record type the reader checks or the player draws; other types
// pass as they are and draw nothing.
constexpr RecordRule kRecordRules[] = {
    // Shapes by points.
    {EMR_POLYBEZIER, 0, kBounds, [](const EmfRecord& r) { return expect(readPoly(r, false)); },
     PlayEntry::Poly},
    {EMR_POLYGON, 0, kBounds, [](const EmfRecord& r) { return expect(readPoly(r, false)); },
     PlayEntry::Poly},
    {EMR_POLYLINE, 0, kBounds, [](const EmfRecord& r) { return expect(readPoly(r, false)); },
     PlayEntry::Poly},
    {EMR_POLYBEZIERTO, 0, kBounds, [](const EmfRecord& r) { return expect(readPoly(r, false)); },
     PlayEntry::Poly},
    {EMR_POLYLINETO, 0, kBounds, [](const EmfRecord& r) { return expect(readPoly(r, false)); },
     PlayEntry::Poly},
    {EMR_POLYBEZIER16, 0, kBounds, [](const EmfRecord& r) { return expect(readPoly(r, true)); },
     PlayEntry::Poly16},
    {EMR_POLYGON16, 0, kBounds, [](const EmfRecord& r) { return expect(readPoly(r, true)); },
     PlayEntry::Poly16},
    {EMR_POLYLINE16, 0, kBounds, [](const EmfRecord& r) { return expect(readPoly(r, true)); },
     PlayEntry::Poly16},
    {EMR_POLYBEZIERTO16, 0, kBounds, [](const EmfRecord& r) { return expect(readPoly(r, true)); },
     PlayEntry::Poly16},
    {EMR_POLYLINETO16, 0, kBounds, [](const EmfRecord& r) { return expect(readPoly(r, true)); },
     PlayEntry::Poly16},
    {EMR_POLYPOLYLINE, 0, kBounds,
     [](const EmfRecord& r) { return expect(readPolyPoly(r, false)); }, PlayEntry::PolyPoly},
    {EMR_POLYPOLYGON, 0, kBounds, [](const EmfRecord& r) { return expect(readPolyPoly(r, false)); },
     PlayEntry::PolyPoly},
    {EMR_POLYPOLYLINE16, 0, kBounds,
     [](const EmfRecord& r) { return expect(readPolyPoly(r, true)); }, PlayEntry::PolyPoly16},
    {EMR_POLYPOLYGON16, 0, kBounds,
     [](const EmfRecord& r) { return expect(readPolyPoly(r, true)); }, PlayEntry::PolyPoly16},
    {EMR_POLYDRAW, 0, kBounds, [](const EmfRecord& r) { return expect(readPolyDraw(r, false)); },
     PlayEntry::PolyDraw},
    {EMR_POLYDRAW16, 0, kBounds, [](const EmfRecord& r) { return expect(readPolyDraw(r, true)); },
     PlayEntry::PolyDraw16},
    // Shapes by rectangle and arcs.
    {EMR_ELLIPSE, 16, kBounds, nullptr, PlayEntry::Box},
    {EMR_RECTANGLE, 16, kBounds, nullptr, PlayEntry::Box},
    {EMR_ROUNDRECT, 24, kBounds, nullptr, PlayEntry::Box},
    {EMR_ARC, 32, kBounds, nullptr, PlayEntry::Arc},
    {EMR_ARCTO, 32, kBounds, nullptr, PlayEntry::Arc},
    {EMR_CHORD, 32, kBounds, nullptr, PlayEntry::Arc},
    {EMR_PIE, 32, kBounds, nullptr, PlayEntry::Arc},
    {EMR_ANGLEARC, 20, kNoBounds, nullptr, PlayEntry::AngleArc},
    {EMR_SETPIXELV, 12, kNoBounds, nullptr, PlayEntry::SetPixel},
    {EMR_MOVETOEX, 8, kNoBounds, nullptr, PlayEntry::MoveTo},
    {EMR_LINETO, 8, kNoBounds, nullptr, PlayEntry::LineTo},
    // Text.
    {EMR_EXTTEXTOUTW, 0, kBounds,
     [](const EmfRecord& r) { return expect(readExtTextOut(r, true)); }, PlayEntry::Text},
    {EMR_EXTTEXTOUTA, 0, kBounds,
     [](const EmfRecord& r) { return expect(readExtTextOut(r, false)); }, PlayEntry::Text},
    {EMR_POLYTEXTOUTW, 0, kBounds,
     [](const EmfRecord& r) { return expect(readPolyTextOut(r, true)); }, PlayEntry::Text},
    {EMR_POLYTEXTOUTA, 0, kBounds,
     [](const EmfRecord& r) { return expect(readPolyTextOut(r, false)); }, PlayEntry::Text},
    {EMR_SMALLTEXTOUT, 0, kNoBounds, [](const EmfRecord& r) { return expect(readSmallTextOut(r)); },
     PlayEntry::Text},
    // Objects.
    {EMR_CREATEPEN, 20, kNoBounds, nullptr, PlayEntry::CreateObject},
    {EMR_EXTCREATEPEN, 0, kNoBounds, [](const EmfRecord& r) { return expect(readExtCreatePen(r)); },
     PlayEntry::CreateObject},
    {EMR_CREATEBRUSHINDIRECT, 16, kNoBounds, nullptr, PlayEntry::CreateObject},
    {EMR_CREATEDIBPATTERNBRUSHPT, 0, kNoBounds, checkPatternBrush, PlayEntry::CreateObject},
    {EMR_CREATEMONOBRUSH, 0, kNoBounds, checkPatternBrush, PlayEntry::CreateObject},
    {EMR_EXTCREATEFONTINDIRECTW, 0, kNoBounds,
     [](const EmfRecord& r) { return expect(readExtCreateFont(r)); }, PlayEntry::CreateObject},
    {EMR_SELECTOBJECT, 4, kNoBounds, nullptr, PlayEntry::SelectObject},
    {EMR_DELETEOBJECT, 4, kNoBounds, nullptr, PlayEntry::DeleteObject},
    // Bitmaps.
    {EMR_BITBLT, 0, kBounds, [](const EmfRecord& r) { return checkBlt(readBitBlt(r)); },
     PlayEntry::Blt},
    {EMR_STRETCHBLT, 0, kBounds, [](const EmfRecord& r) { return checkBlt(readStretchBlt(r)); },
     PlayEntry::Blt},
    {EMR_MASKBLT, 0, kBounds, nullptr, PlayEntry::None},
    {EMR_PLGBLT, 0, kBounds, nullptr, PlayEntry::None},
    {EMR_ALPHABLEND, 0, kBounds, [](const EmfRecord& r) { return checkBlt(readAlphaBlend(r)); },
     PlayEntry::Blt},
    {EMR_TRANSPARENTBLT, 0, kBounds, [](const EmfRecord& r) { return checkBlt(readAlphaBlend(r)); },
     PlayEntry::Blt},
    {EMR_STRETCHDIBITS, 0, kBounds,
     [](const EmfRecord& r) { return checkBlt(readStretchDIBits(r)); }, PlayEntry::Blt},
    {EMR_SETDIBITSTODEVICE, 0, kBounds,
     [](const EmfRecord& r) { return checkBlt(readSetDIBitsToDevice(r)); }, PlayEntry::Blt},
    {EMR_GRADIENTFILL, 0, kBounds, [](const EmfRecord& r) { return expect(readGradientFill(r)); },
     PlayEntry::Gradient},
    // Regions and clipping.
    {EMR_FILLRGN, 0, kBounds, [](const EmfRecord& r) { return expect(readFillRgn(r)); },
     PlayEntry::Region},
    {EMR_FRAMERGN, 0, kBounds, [](const EmfRecord& r) { return expect(readFillRgn(r)); },
     PlayEntry::Region},
    {EMR_INVERTRGN, 0, kBounds, [](const EmfRecord& r) { return expect(readFillRgn(r)); },
     PlayEntry::None},
    {EMR_PAINTRGN, 0, kBounds, [](const EmfRecord& r) { return expect(readFillRgn(r)); },
     PlayEntry::Region},
    {EMR_EXTSELECTCLIPRGN, 0, kNoBounds,
     [](const EmfRecord& r) { return expect(readExtSelectClipRgn(r)); }, PlayEntry::Clip},
    {EMR_EXCLUDECLIPRECT, 16, kNoBounds, nullptr, PlayEntry::Clip},
    {EMR_INTERSECTCLIPRECT, 16, kNoBounds, nullptr, PlayEntry::Clip},
    {EMR_OFFSETCLIPRGN, 8, kNoBounds, nullptr, PlayEntry::Clip},
    {EMR_SELECTCLIPPATH, 4, kNoBounds, nullptr, PlayEntry::Clip},
    // Mapping and device-context state.
    {EMR_SETWINDOWEXTEX, 8, kNoBounds, nullptr, PlayEntry::Mapping},
    {EMR_SETWINDOWORGEX, 8, kNoBounds, nullptr, PlayEntry::Mapping},
    {EMR_SETVIEWPORTEXTEX, 8, kNoBounds, nullptr, PlayEntry::Mapping},
    {EMR_SETVIEWPORTORGEX, 8, kNoBounds, nullptr, PlayEntry::Mapping},
    {EMR_SETBRUSHORGEX, 8, kNoBounds, nullptr, PlayEntry::None},
    {EMR_SCALEVIEWPORTEXTEX, 16, kNoBounds, nullptr, PlayEntry::Mapping},
    {EMR_SCALEWINDOWEXTEX, 16, kNoBounds, nullptr, PlayEntry::Mapping},
    {EMR_SETWORLDTRANSFORM, 24, kNoBounds, nullptr, PlayEntry::Mapping},
    {EMR_MODIFYWORLDTRANSFORM, 28, kNoBounds, nullptr, PlayEntry::Mapping},
    {EMR_SETMAPMODE, 4, kNoBounds, nullptr, PlayEntry::Mapping},
    {EMR_SETBKMODE, 4, kNoBounds, nullptr, PlayEntry::SetBkMode},
    {EMR_SETPOLYFILLMODE, 4, kNoBounds, nullptr, PlayEntry::SetPolyFillMode},
    {EMR_SETROP2, 4, kNoBounds, nullptr, PlayEntry::SetRop2},
    {EMR_SETSTRETCHBLTMODE, 4, kNoBounds, nullptr, PlayEntry::SetStretchBltMode},
    {EMR_SETTEXTALIGN, 4, kNoBounds, nullptr, PlayEntry::SetTextAlign},
    {EMR_SETTEXTCOLOR, 4, kNoBounds, nullptr, PlayEntry::SetTextColor},
    {EMR_SETBKCOLOR, 4, kNoBounds, nullptr, PlayEntry::SetBkColor},
    {EMR_RESTOREDC, 4, kNoBounds, nullptr, PlayEntry::RestoreDc},
    {EMR_GDICOMMENT, 4, kNoBounds, checkComment, PlayEntry::None},
    // Records only the player looks at.
    {EMR_HEADER, 0, kNoBounds, nullptr, PlayEntry::Header},
    {EMR_SETARCDIRECTION, 0, kNoBounds, nullptr, PlayEntry::SetArcDirection},
    {EMR_SAVEDC, 0, kNoBounds, nullptr, PlayEntry::SaveDc},
    {EMR_CREATEPALETTE, 0, kNoBounds, nullptr, PlayEntry::CreateObject},
    {EMR_BEGINPATH, 0, kNoBounds, nullptr, PlayEntry::Path},
    {EMR_ENDPATH, 0, kNoBounds, nullptr, PlayEntry::Path},
    {EMR_CLOSEFIGURE, 0, kNoBounds, nullptr, PlayEntry::Path},
    {EMR_FILLPATH, 0, kNoBounds, nullptr, PlayEntry::Path},
    {EMR_STROKEANDFILLPATH, 0, kNoBounds, nullptr, PlayEntry::Path},
    {EMR_STROKEPATH, 0, kNoBounds, nullptr, PlayEntry::Path},
    {EMR_FLATTENPATH, 0, kNoBounds, nullptr, PlayEntry::Path},
    {EMR_WIDENPATH, 0, kNoBounds, nullptr, PlayEntry::Path},
    {EMR_ABORTPATH, 0, kNoBounds, nullptr, PlayEntry::Path},
    {EMR_SETMETARGN, 0, kNoBounds, nullptr, PlayEntry::Clip},
};

// The rule of a record type, by type number; nullptr for the types without.
constexpr uint32_t kLastRuleType = EMR_CREATECOLORSPACEW;
const std::array<const RecordRule*, kLastRuleType + 1>& rulesByType() {
    static const auto table = [] {
        std::array<const RecordRule*, kLastRuleType + 1> byType{};
        for (const RecordRule& rule : kRecordRules)
            byType[rule.type] = &rule;
        return byType;
    }();
    return table;
}

const RecordRule* ruleOf(uint32_t type) {
    return type <= kLastRuleType ? rulesByType()[type] : nullptr;
}

} // namespace

std::optional<RectL> recordBounds(const EmfRecord& rec) {
    const RecordRule* rule = ruleOf(rec.type);
    if (!rule || !rule->bounds)
        return std::nullopt;
    ByteReader r = rec.payload();
    const RectL b = readRectL(r);
    if (!r.ok())
        return std::nullopt;
    return b;
}

PlayEntry playEntryOf(uint32_t type) {
    const RecordRule* rule = ruleOf(type);
    return rule ? rule->play : PlayEntry::None;
}

QString validateRecord(const EmfRecord& rec) {
    const RecordRule* rule = ruleOf(rec.type);
    if (!rule)
        return QString();
    if (rec.size - 8 < rule->minPayload)
        return QStringLiteral("record troppo corto (%1 byte).").arg(rec.size);
    return rule->check ? rule->check(rec) : QString();
}

} // namespace vx::emf
