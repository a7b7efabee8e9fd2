// The readers of the pen and brush records and of the bitmap records
// (blits and DIB records), which place a DIB inside the record.

#include "platform/emf/emf_constants.h"
#include "platform/emf/emf_record_fields.h"
#include "platform/emf/emf_records.h"

#include <algorithm>

namespace vx::emf {

using fields::DibFields;
using fields::readDibFields;
using fields::readDibRef;

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
    if (!readDibRef(rec, dibFields, 0))
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
    const auto dib = r.ok() ? readDibRef(rec, dibFields, usage) : std::nullopt;
    if (!dib)
        return std::nullopt;
    b.dib = *dib;
    return b;
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
    const auto dib = r.ok() ? readDibRef(rec, dibFields, usage) : std::nullopt;
    if (!dib)
        return std::nullopt;
    b.dib = *dib;
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
    const auto dib = r.ok() ? readDibRef(rec, dibFields, usage) : std::nullopt;
    if (!dib)
        return std::nullopt;
    b.dib = *dib;
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

} // namespace vx::emf
