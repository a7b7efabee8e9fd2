// The field readers every record family shares, and the readers of the
// shape records: points, poly-polygons, arcs, gradients and regions.

#include "platform/emf/emf_records.h"

#include "platform/emf/emf_constants.h"
#include "platform/emf/emf_record_fields.h"

#include <cmath>

namespace vx::emf {

namespace fields {

QPoint readPoint(ByteReader& r, bool points16) {
    if (points16) {
        const int x = r.i16();
        return QPoint(x, r.i16());
    }
    const int x = clampCoord(r.i32());
    return QPoint(x, clampCoord(r.i32()));
}

std::optional<std::vector<QPoint>> readPoints(ByteReader& r, uint32_t n, bool points16) {
    const size_t each = points16 ? 4 : 8;
    const auto need = checkedMul(n, each);
    if (!need || *need > r.remaining())
        return std::nullopt;
    std::vector<QPoint> out(n);
    for (uint32_t i = 0; i < n; ++i)
        out[i] = readPoint(r, points16);
    if (!r.ok())
        return std::nullopt;
    return out;
}

bool rangeInRecord(const EmfRecord& rec, uint32_t off, size_t len) {
    const auto end = checkedAdd(off, len);
    return end && *end <= rec.size;
}

DibFields readDibFields(ByteReader& r) {
    DibFields f;
    f.offBmi = r.u32();
    f.cbBmi = r.u32();
    f.offBits = r.u32();
    f.cbBits = r.u32();
    return f;
}

std::optional<DibRef> readDibRef(const EmfRecord& rec, const DibFields& f, uint32_t usage) {
    DibRef out;
    out.usage = usage;
    if (f.cbBmi == 0)
        return out;
    if (f.offBmi < 8 || !rangeInRecord(rec, f.offBmi, f.cbBmi) ||
        !rangeInRecord(rec, f.offBits, f.cbBits))
        return std::nullopt;
    out.info = rec.data + f.offBmi;
    out.infoSize = f.cbBmi;
    out.bits = rec.data + f.offBits;
    out.bitsSize = f.cbBits;
    return out;
}

} // namespace fields

namespace {

using fields::readPoint;
using fields::readPoints;

// The bounds, point count and points that open the poly-shape records.
std::optional<PolyRecord> readBoundsAndPoints(ByteReader& r, bool points16) {
    PolyRecord p;
    p.bounds = readRectL(r);
    const uint32_t count = r.u32();
    auto points = r.ok() ? readPoints(r, count, points16) : std::nullopt;
    if (!points)
        return std::nullopt;
    p.points = std::move(*points);
    return p;
}

bool finite(float f) {
    return std::isfinite(f);
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

std::optional<PolyRecord> readPoly(const EmfRecord& rec, bool points16) {
    ByteReader r = rec.payload();
    return readBoundsAndPoints(r, points16);
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
    auto points = sum == total ? readPoints(r, total, points16) : std::nullopt;
    if (!points)
        return std::nullopt;
    p.points = std::move(*points);
    return p;
}

std::optional<PolyDrawRecord> readPolyDraw(const EmfRecord& rec, bool points16) {
    ByteReader r = rec.payload();
    auto poly = readBoundsAndPoints(r, points16);
    if (!poly)
        return std::nullopt;
    PolyDrawRecord p;
    p.bounds = poly->bounds;
    p.points = std::move(poly->points);
    const size_t count = p.points.size();
    const char* types = r.view(count);
    if (!types)
        return std::nullopt;
    p.types.assign(reinterpret_cast<const uint8_t*>(types),
                   reinterpret_cast<const uint8_t*>(types) + count);
    return p;
}

std::optional<QTransform> readXForm(ByteReader& r) {
    const float m11 = r.f32(), m12 = r.f32(), m21 = r.f32(), m22 = r.f32(), dx = r.f32(),
                dy = r.f32();
    if (!r.ok() || !finite(m11) || !finite(m12) || !finite(m21) || !finite(m22) || !finite(dx) ||
        !finite(dy))
        return std::nullopt;
    return QTransform(m11, m12, m21, m22, dx, dy);
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

} // namespace vx::emf
