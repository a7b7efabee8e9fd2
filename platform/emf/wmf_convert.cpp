#include "platform/emf/wmf_convert.h"

#include "platform/emf/dib.h"
#include "platform/emf/emf_constants.h"
#include "platform/emf/emf_records.h"
#include "platform/emf/emf_writer.h"
#include "platform/emf/recording_canvas.h"
#include "platform/errors.h"

#include <QPoint>

#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

namespace vx::emf {

namespace {

// The object table of a metafile is indexed by 16-bit numbers.
constexpr size_t kMaxWmfObjects = 0xFFFF;
constexpr uint16_t kBsPattern = 3; // BS_PATTERN: a pattern from a device-dependent bitmap
constexpr uint32_t kPatCopy = 0x00F00021;

// The window mapped onto the frame and the frame's size in pixels.
struct Frame {
    QPoint windowOrg;
    QSize windowExt;
    QSize pixels;
};

std::optional<Frame> frameOf(const WmfPicture& wmf) {
    const WmfHeader& h = wmf.header();
    Frame f{QPoint(0, 0), QSize(0, 0), QSize(0, 0)};
    if (h.placeable) {
        f.windowOrg = QPoint(h.boxLeft, h.boxTop);
        f.windowExt = QSize(int(h.boxRight) - h.boxLeft, int(h.boxBottom) - h.boxTop);
        auto pixels = [&](int units) {
            return int(std::lround(std::abs(double(units)) * kReferenceDpi / h.unitsPerInch));
        };
        f.pixels = QSize(pixels(f.windowExt.width()), pixels(f.windowExt.height()));
    } else {
        bool haveOrg = false, haveExt = false;
        for (const WmfRecord& rec : wmf.records()) {
            ByteReader r = rec.payload();
            if (rec.function == META_SETWINDOWORG && !haveOrg) {
                const int16_t y = r.i16(), x = r.i16();
                haveOrg = r.ok();
                f.windowOrg = QPoint(x, y);
            } else if (rec.function == META_SETWINDOWEXT && !haveExt) {
                const int16_t y = r.i16(), x = r.i16();
                haveExt = r.ok();
                f.windowExt = QSize(x, y);
            }
        }
        f.pixels = QSize(std::abs(f.windowExt.width()), std::abs(f.windowExt.height()));
    }
    if (f.pixels.width() <= 0 || f.pixels.height() <= 0 || f.windowExt.width() == 0 ||
        f.windowExt.height() == 0)
        return std::nullopt;
    return f;
}

// Writes one metafile's records as enhanced records.
class Converter {
public:
    Converter(const WmfPicture& wmf, const Frame& frame)
        : wmf_(wmf),
          w_(QRect(QPoint(0, 0), QPoint(pixelsToFrameUnits(frame.pixels.width()),
                                        pixelsToFrameUnits(frame.pixels.height()))),
             ReferenceDevice{QSize(kReferenceWidthPx, kReferenceHeightPx),
                             QSize(kReferenceWidthMm, kReferenceHeightMm),
                             QSize(kReferenceWidthMm * 1000, kReferenceHeightMm * 1000)}) {
        w_.addBounds(QRect(QPoint(0, 0), frame.pixels));
        w_.simpleRecord(EMR_SETMAPMODE, {MM_ANISOTROPIC});
        w_.simpleRecord(EMR_SETWINDOWORGEX,
                        {uint32_t(frame.windowOrg.x()), uint32_t(frame.windowOrg.y())});
        w_.simpleRecord(EMR_SETWINDOWEXTEX,
                        {uint32_t(frame.windowExt.width()), uint32_t(frame.windowExt.height())});
        w_.simpleRecord(EMR_SETVIEWPORTORGEX, {0, 0});
        w_.simpleRecord(EMR_SETVIEWPORTEXTEX,
                        {uint32_t(frame.pixels.width()), uint32_t(frame.pixels.height())});
        objects_.assign(std::min<size_t>(wmf.header().objects, kMaxWmfObjects), Slot());
        windowOrg_ = frame.windowOrg;
    }

    QByteArray convert() {
        for (const WmfRecord& rec : wmf_.records())
            record(rec);
        return w_.finish();
    }

private:
    // An entry of the metafile's object table: the enhanced handle it became
    // (0 for objects that draw nothing, such as palettes and regions).
    struct Slot {
        bool used = false;
        uint32_t handle = 0;
    };

    void record(const WmfRecord& rec) {
        ByteReader r = rec.payload();
        switch (rec.function) {
        case META_SETBKCOLOR:
            return value32(r, EMR_SETBKCOLOR);
        case META_SETTEXTCOLOR:
            return value32(r, EMR_SETTEXTCOLOR);
        case META_SETBKMODE:
            return value16(r, EMR_SETBKMODE);
        case META_SETROP2:
            return value16(r, EMR_SETROP2);
        case META_SETPOLYFILLMODE:
            return value16(r, EMR_SETPOLYFILLMODE);
        case META_SETSTRETCHBLTMODE:
            return value16(r, EMR_SETSTRETCHBLTMODE);
        case META_SETTEXTALIGN:
            return value16(r, EMR_SETTEXTALIGN);
        case META_SETMAPMODE:
            return mapMode(r);
        case META_SETWINDOWORG:
            return point(r, EMR_SETWINDOWORGEX, &windowOrg_);
        case META_SETWINDOWEXT:
            return windowExt(r);
        case META_OFFSETWINDOWORG:
            return offsetWindowOrg(r);
        case META_SCALEWINDOWEXT:
            return scaleWindowExt(r);
        case META_MOVETO:
            return point(r, EMR_MOVETOEX, nullptr);
        case META_LINETO:
            return point(r, EMR_LINETO, nullptr);
        case META_SAVEDC:
            return w_.simpleRecord(EMR_SAVEDC, {});
        case META_RESTOREDC:
            return restoreDc(r);
        case META_RECTANGLE:
            return box(r, EMR_RECTANGLE);
        case META_ELLIPSE:
            return box(r, EMR_ELLIPSE);
        case META_INTERSECTCLIPRECT:
            return box(r, EMR_INTERSECTCLIPRECT);
        case META_EXCLUDECLIPRECT:
            return box(r, EMR_EXCLUDECLIPRECT);
        case META_ROUNDRECT:
            return roundRect(r);
        case META_ARC:
            return arc(r, EMR_ARC);
        case META_PIE:
            return arc(r, EMR_PIE);
        case META_CHORD:
            return arc(r, EMR_CHORD);
        case META_SETPIXEL:
            return setPixel(r);
        case META_POLYGON:
            return poly(r, EMR_POLYGON16);
        case META_POLYLINE:
            return poly(r, EMR_POLYLINE16);
        case META_POLYPOLYGON:
            return polyPolygon(r);
        case META_TEXTOUT:
            return textOut(r);
        case META_EXTTEXTOUT:
            return extTextOut(r);
        case META_CREATEPENINDIRECT:
            return createPen(r);
        case META_CREATEBRUSHINDIRECT:
            return createBrush(r);
        case META_CREATEFONTINDIRECT:
            return createFont(r);
        case META_DIBCREATEPATTERNBRUSH:
            return createPatternBrush(r);
        case META_CREATEPATTERNBRUSH:
            return createSolidBrush(rgbGrey());
        case META_CREATEPALETTE:
        case META_CREATEREGION:
            return placeObject(0);
        case META_SELECTOBJECT:
            return selectObject(r);
        case META_DELETEOBJECT:
            return deleteObject(r);
        case META_PATBLT:
            return patBlt(r);
        case META_DIBBITBLT:
            return dibBitBlt(r, rec);
        case META_DIBSTRETCHBLT:
            return dibStretchBlt(r, rec);
        case META_STRETCHDIB:
            return stretchDib(r);
        case META_SETDIBTODEV:
            return setDibToDev(r);
        default:
            return; // draws nothing on a page (palettes, escapes, regions, ...)
        }
    }

    static Color rgbGrey() { return Color{0x808080}; }

    // --- state records ---------------------------------------------------
    void value32(ByteReader& r, uint32_t type) {
        const uint32_t v = r.u32();
        if (r.ok())
            w_.simpleRecord(type, {v});
    }
    void value16(ByteReader& r, uint32_t type) {
        const uint16_t v = r.u16();
        if (r.ok())
            w_.simpleRecord(type, {v});
    }
    void mapMode(ByteReader& r) {
        // The viewport is the frame: only the modes that map the window onto
        // it are kept.
        const uint16_t mode = r.u16();
        if (r.ok() && (mode == MM_ISOTROPIC || mode == MM_ANISOTROPIC))
            w_.simpleRecord(EMR_SETMAPMODE, {mode});
    }
    // Parameters come last to first: y, then x.
    void point(ByteReader& r, uint32_t type, QPoint* keep) {
        const int16_t y = r.i16(), x = r.i16();
        if (!r.ok())
            return;
        if (keep)
            *keep = QPoint(x, y);
        w_.simpleRecord(type, {uint32_t(int32_t(x)), uint32_t(int32_t(y))});
    }
    void windowExt(ByteReader& r) {
        const int16_t y = r.i16(), x = r.i16();
        if (r.ok() && x != 0 && y != 0) // GDI refuses an empty window
            w_.simpleRecord(EMR_SETWINDOWEXTEX, {uint32_t(int32_t(x)), uint32_t(int32_t(y))});
    }
    void offsetWindowOrg(ByteReader& r) {
        const int16_t dy = r.i16(), dx = r.i16();
        if (!r.ok())
            return;
        windowOrg_ += QPoint(dx, dy);
        w_.simpleRecord(EMR_SETWINDOWORGEX,
                        {uint32_t(int32_t(windowOrg_.x())), uint32_t(int32_t(windowOrg_.y()))});
    }
    void scaleWindowExt(ByteReader& r) {
        const int16_t yDenom = r.i16(), yNum = r.i16(), xDenom = r.i16(), xNum = r.i16();
        if (r.ok() && xDenom != 0 && yDenom != 0)
            w_.simpleRecord(EMR_SCALEWINDOWEXTEX,
                            {uint32_t(int32_t(xNum)), uint32_t(int32_t(xDenom)),
                             uint32_t(int32_t(yNum)), uint32_t(int32_t(yDenom))});
    }
    void restoreDc(ByteReader& r) {
        const int16_t n = r.i16();
        if (r.ok())
            w_.simpleRecord(EMR_RESTOREDC, {uint32_t(int32_t(n))});
    }

    // --- shapes ------------------------------------------------------------
    static void rectL(ByteWriter& out, int32_t l, int32_t t, int32_t rr, int32_t b) {
        out.i32(l);
        out.i32(t);
        out.i32(rr);
        out.i32(b);
    }
    static void nullBounds(ByteWriter& out) { rectL(out, 0, 0, -1, -1); }

    void box(ByteReader& r, uint32_t type) {
        const int16_t bottom = r.i16(), right = r.i16(), top = r.i16(), left = r.i16();
        if (!r.ok())
            return;
        w_.beginRecord(type);
        rectL(w_.out(), left, top, right, bottom);
        w_.endRecord();
    }
    void roundRect(ByteReader& r) {
        const int16_t height = r.i16(), width = r.i16();
        const int16_t bottom = r.i16(), right = r.i16(), top = r.i16(), left = r.i16();
        if (!r.ok())
            return;
        w_.beginRecord(EMR_ROUNDRECT);
        rectL(w_.out(), left, top, right, bottom);
        w_.out().i32(width);
        w_.out().i32(height);
        w_.endRecord();
    }
    void arc(ByteReader& r, uint32_t type) {
        const int16_t yEnd = r.i16(), xEnd = r.i16(), yStart = r.i16(), xStart = r.i16();
        const int16_t bottom = r.i16(), right = r.i16(), top = r.i16(), left = r.i16();
        if (!r.ok())
            return;
        w_.beginRecord(type);
        rectL(w_.out(), left, top, right, bottom);
        w_.out().i32(xStart);
        w_.out().i32(yStart);
        w_.out().i32(xEnd);
        w_.out().i32(yEnd);
        w_.endRecord();
    }
    void setPixel(ByteReader& r) {
        const uint32_t color = r.u32();
        const int16_t y = r.i16(), x = r.i16();
        if (r.ok())
            w_.simpleRecord(EMR_SETPIXELV, {uint32_t(int32_t(x)), uint32_t(int32_t(y)), color});
    }
    void poly(ByteReader& r, uint32_t type) {
        const uint16_t count = r.u16();
        const char* points = r.view(size_t(count) * 4);
        if (!points || count == 0)
            return;
        w_.beginRecord(type);
        nullBounds(w_.out());
        w_.out().u32(count);
        w_.out().bytes(points, qsizetype(count) * 4); // POINTS pairs, x then y, as stored
        w_.endRecord();
    }
    void polyPolygon(ByteReader& r) {
        const uint16_t polygons = r.u16();
        const char* countBytes = r.view(size_t(polygons) * 2);
        if (!countBytes || polygons == 0)
            return;
        ByteReader counts(countBytes, size_t(polygons) * 2);
        uint32_t total = 0;
        std::vector<uint32_t> sizes(polygons);
        for (uint16_t i = 0; i < polygons; ++i)
            total += sizes[i] = counts.u16(); // at most 65535 x 65535: fits 32 bits
        const char* points = r.view(size_t(total) * 4);
        if (!points)
            return;
        w_.beginRecord(EMR_POLYPOLYGON16);
        nullBounds(w_.out());
        w_.out().u32(polygons);
        w_.out().u32(total);
        for (uint32_t n : sizes)
            w_.out().u32(n);
        w_.out().bytes(points, qsizetype(total) * 4);
        w_.endRecord();
    }

    // --- text ----------------------------------------------------------------
    void text(int16_t x, int16_t y, uint16_t options, const int16_t* rect, const QString& s,
              const std::vector<int32_t>& dx) {
        w_.beginRecord(EMR_EXTTEXTOUTW);
        ByteWriter& out = w_.out();
        nullBounds(out);
        out.u32(1); // GM_COMPATIBLE
        out.f32(0);
        out.f32(0);
        const uint32_t chars = uint32_t(s.size());
        constexpr uint32_t kStringOffset = 76; // envelope, bounds, mode, scales, EMRTEXT
        const uint32_t padded = (chars * 2 + 3) & ~3u;
        out.i32(x);
        out.i32(y);
        out.u32(chars);
        out.u32(kStringOffset);
        out.u32(options);
        if (rect)
            rectL(out, rect[0], rect[1], rect[2], rect[3]);
        else
            rectL(out, 0, 0, 0, 0);
        out.u32(dx.empty() ? 0 : kStringOffset + padded);
        for (QChar c : s)
            out.u16(c.unicode());
        out.zeros(padded - chars * 2);
        for (int32_t d : dx)
            out.i32(d);
        w_.endRecord();
    }
    void textOut(ByteReader& r) {
        const uint16_t length = r.u16();
        const char* bytes = r.view((size_t(length) + 1) & ~size_t(1));
        const int16_t y = r.i16(), x = r.i16();
        if (!r.ok() || !bytes)
            return;
        text(x, y, 0, nullptr, decodeAnsi(bytes, length), {});
    }
    void extTextOut(ByteReader& r) {
        const int16_t y = r.i16(), x = r.i16();
        const int16_t length = r.i16();
        const uint16_t options = r.u16();
        int16_t rect[4] = {0, 0, 0, 0};
        const bool hasRect = options & (TextOutOption::Opaque | TextOutOption::Clipped);
        if (hasRect)
            for (int16_t& v : rect)
                v = r.i16(); // left, top, right, bottom
        if (!r.ok() || length < 0)
            return;
        const char* bytes = r.view((size_t(length) + 1) & ~size_t(1));
        if (!bytes)
            return;
        std::vector<int32_t> dx;
        if (r.remaining() >= size_t(length) * 2) {
            dx.reserve(size_t(length));
            for (int16_t i = 0; i < length; ++i)
                dx.push_back(r.i16());
        }
        text(x, y, options & (TextOutOption::Opaque | TextOutOption::Clipped),
             hasRect ? rect : nullptr, decodeAnsi(bytes, size_t(length)), dx);
    }

    // --- objects ---------------------------------------------------------------
    // Puts an object in the lowest free entry of the table (as GDI does),
    // growing the table when the header declared too few.
    void placeObject(uint32_t handle) {
        auto free =
            std::find_if(objects_.begin(), objects_.end(), [](const Slot& s) { return !s.used; });
        if (free == objects_.end()) {
            if (objects_.size() >= kMaxWmfObjects) {
                if (handle)
                    deleteHandle(handle);
                return;
            }
            free = objects_.insert(objects_.end(), Slot());
        }
        *free = Slot{true, handle};
    }
    void deleteHandle(uint32_t handle) {
        w_.simpleRecord(EMR_DELETEOBJECT, {handle});
        w_.freeHandle(handle);
    }
    void createPen(ByteReader& r) {
        const uint16_t style = r.u16();
        const int16_t width = r.i16();
        r.i16(); // the y of the width is not used
        const uint32_t color = r.u32();
        if (!r.ok())
            return;
        const uint32_t handle = w_.allocateHandle();
        w_.simpleRecord(EMR_CREATEPEN, {handle, style, uint32_t(int32_t(width)), 0, color});
        placeObject(handle);
    }
    void createBrush(ByteReader& r) {
        const uint16_t style = r.u16();
        const uint32_t color = r.u32();
        const uint16_t hatch = r.u16();
        if (!r.ok())
            return;
        const uint32_t handle = w_.allocateHandle();
        w_.simpleRecord(EMR_CREATEBRUSHINDIRECT, {handle, style, color, hatch});
        placeObject(handle);
    }
    void createSolidBrush(Color color) {
        const uint32_t handle = w_.allocateHandle();
        w_.simpleRecord(EMR_CREATEBRUSHINDIRECT, {handle, 0, color.value(), 0});
        placeObject(handle);
    }
    void createFont(ByteReader& r) {
        int16_t metrics[5]; // height, width, escapement, orientation, weight
        for (int16_t& v : metrics)
            v = r.i16();
        uint8_t flags[8]; // italic .. pitch and family
        for (uint8_t& v : flags)
            v = r.u8();
        if (!r.ok())
            return;
        QByteArray face(r.current(), qsizetype(std::min<size_t>(r.remaining(), 32)));
        face.truncate(face.indexOf('\0') < 0 ? face.size() : face.indexOf('\0'));
        const QString name = decodeAnsi(face.constData(), size_t(face.size()));
        const uint32_t handle = w_.allocateHandle();
        w_.beginRecord(EMR_EXTCREATEFONTINDIRECTW);
        ByteWriter& out = w_.out();
        out.u32(handle);
        for (int16_t v : metrics)
            out.i32(v);
        for (uint8_t v : flags)
            out.u8(v);
        for (int i = 0; i < 32; ++i)
            out.u16(i < name.size() ? name[i].unicode() : 0);
        w_.endRecord();
        placeObject(handle);
    }
    void createPatternBrush(ByteReader& r) {
        const uint16_t style = r.u16();
        const uint16_t usage = r.u16();
        const std::optional<Dib> dib = style == kBsPattern ? std::nullopt : readDib(r, usage);
        if (!dib) {
            // A pattern from a device-dependent bitmap: a grey brush stands in.
            createSolidBrush(rgbGrey());
            return;
        }
        const uint32_t handle = w_.allocateHandle();
        w_.beginRecord(EMR_CREATEDIBPATTERNBRUSHPT);
        ByteWriter& out = w_.out();
        constexpr uint32_t kBmiOffset = 32;
        out.u32(handle);
        out.u32(usage);
        writeDibFields(out, kBmiOffset, *dib);
        writeDib(out, *dib);
        w_.endRecord();
        placeObject(handle);
    }
    void selectObject(ByteReader& r) {
        const uint16_t index = r.u16();
        if (r.ok() && index < objects_.size() && objects_[index].used && objects_[index].handle)
            w_.simpleRecord(EMR_SELECTOBJECT, {objects_[index].handle});
    }
    void deleteObject(ByteReader& r) {
        const uint16_t index = r.u16();
        if (!r.ok() || index >= objects_.size() || !objects_[index].used)
            return;
        if (objects_[index].handle)
            deleteHandle(objects_[index].handle);
        objects_[index] = Slot();
    }

    // --- bitmaps -----------------------------------------------------------------
    struct Dib {
        const char* info = nullptr;
        uint32_t infoSize = 0;
        const char* bits = nullptr;
        uint32_t bitsSize = 0;
    };
    // The device-independent bitmap filling the rest of a record: its header
    // and colour table, then the pixels.
    static std::optional<Dib> readDib(ByteReader& r, uint16_t usage) {
        const size_t size = r.remaining();
        const char* data = r.view(size);
        if (!data || size == 0)
            return std::nullopt;
        const Checked<DibInfo> info = readDibInfo(data, size);
        if (!info)
            return std::nullopt;
        const size_t entry = usage == 1 ? 2 : info->colorEntrySize;
        const size_t infoSize = size_t(info->colorTableOffset) + size_t(info->colorsUsed) * entry;
        if (infoSize > size)
            return std::nullopt;
        return Dib{data, uint32_t(infoSize), data + infoSize, uint32_t(size - infoSize)};
    }
    static void writeDibFields(ByteWriter& out, uint32_t bmiOffset, const Dib& dib) {
        out.u32(bmiOffset);
        out.u32(dib.infoSize);
        out.u32(bmiOffset + dib.infoSize);
        out.u32(dib.bitsSize);
    }
    static void writeDib(ByteWriter& out, const Dib& dib) {
        out.bytes(dib.info, dib.infoSize);
        out.bytes(dib.bits, dib.bitsSize);
    }
    void stretchDibits(int32_t x, int32_t y, int32_t cx, int32_t cy, int32_t xSrc, int32_t ySrc,
                       int32_t cxSrc, int32_t cySrc, uint32_t rop, uint16_t usage, const Dib& dib) {
        w_.beginRecord(EMR_STRETCHDIBITS);
        ByteWriter& out = w_.out();
        constexpr uint32_t kBmiOffset = 80;
        nullBounds(out);
        for (int32_t v : {x, y, xSrc, ySrc, cxSrc, cySrc})
            out.i32(v);
        writeDibFields(out, kBmiOffset, dib);
        out.u32(usage);
        out.u32(rop);
        out.i32(cx);
        out.i32(cy);
        writeDib(out, dib);
        w_.endRecord();
    }
    // A transfer without source bitmap: the brush fills the rectangle.
    void patternBlt(int32_t x, int32_t y, int32_t cx, int32_t cy, uint32_t rop) {
        w_.beginRecord(EMR_BITBLT);
        ByteWriter& out = w_.out();
        nullBounds(out);
        for (int32_t v : {x, y, cx, cy})
            out.i32(v);
        out.u32(rop);
        out.i32(0); // source origin
        out.i32(0);
        for (float v : {1.f, 0.f, 0.f, 1.f, 0.f, 0.f}) // identity source transform
            out.f32(v);
        out.u32(0);    // source background
        out.u32(0);    // usage
        out.zeros(16); // no bitmap: offsets and sizes 0
        w_.endRecord();
    }
    void patBlt(ByteReader& r) {
        const uint32_t rop = r.u32();
        const int16_t height = r.i16(), width = r.i16(), y = r.i16(), x = r.i16();
        if (r.ok())
            patternBlt(x, y, width, height, rop);
    }
    // Whether a blt record carries a bitmap: the high byte of its function
    // counts the words of the record without one.
    static bool hasBitmap(const WmfRecord& rec) {
        return rec.paramSize / 2 + 3 != uint32_t(rec.function >> 8) + 3;
    }
    // The destination of a blt record without bitmap: its last four words.
    void bltWithoutBitmap(ByteReader& r, const WmfRecord& rec) {
        const uint32_t rop = r.u32();
        if (!r.ok() || rec.paramSize < 12)
            return;
        ByteReader tail(rec.params + rec.paramSize - 8, 8);
        const int16_t height = tail.i16(), width = tail.i16(), y = tail.i16(), x = tail.i16();
        patternBlt(x, y, width, height, rop == 0 ? kPatCopy : rop);
    }
    void dibBitBlt(ByteReader& r, const WmfRecord& rec) {
        if (!hasBitmap(rec))
            return bltWithoutBitmap(r, rec);
        const uint32_t rop = r.u32();
        const int16_t ySrc = r.i16(), xSrc = r.i16(), height = r.i16(), width = r.i16(),
                      y = r.i16(), x = r.i16();
        const std::optional<Dib> dib = r.ok() ? readDib(r, 0) : std::nullopt;
        if (dib)
            stretchDibits(x, y, width, height, xSrc, ySrc, width, height, rop, 0, *dib);
    }
    void dibStretchBlt(ByteReader& r, const WmfRecord& rec) {
        if (!hasBitmap(rec))
            return bltWithoutBitmap(r, rec);
        const uint32_t rop = r.u32();
        const int16_t srcHeight = r.i16(), srcWidth = r.i16(), ySrc = r.i16(), xSrc = r.i16(),
                      height = r.i16(), width = r.i16(), y = r.i16(), x = r.i16();
        const std::optional<Dib> dib = r.ok() ? readDib(r, 0) : std::nullopt;
        if (dib)
            stretchDibits(x, y, width, height, xSrc, ySrc, srcWidth, srcHeight, rop, 0, *dib);
    }
    void stretchDib(ByteReader& r) {
        const uint32_t rop = r.u32();
        const uint16_t usage = r.u16();
        const int16_t srcHeight = r.i16(), srcWidth = r.i16(), ySrc = r.i16(), xSrc = r.i16(),
                      height = r.i16(), width = r.i16(), y = r.i16(), x = r.i16();
        const std::optional<Dib> dib = r.ok() ? readDib(r, usage) : std::nullopt;
        if (dib)
            stretchDibits(x, y, width, height, xSrc, ySrc, srcWidth, srcHeight, rop, usage, *dib);
    }
    void setDibToDev(ByteReader& r) {
        const uint16_t usage = r.u16(), scans = r.u16(), startScan = r.u16();
        const int16_t ySrc = r.i16(), xSrc = r.i16(), height = r.i16(), width = r.i16(),
                      y = r.i16(), x = r.i16();
        const std::optional<Dib> dib = r.ok() ? readDib(r, usage) : std::nullopt;
        if (!dib)
            return;
        w_.beginRecord(EMR_SETDIBITSTODEVICE);
        ByteWriter& out = w_.out();
        constexpr uint32_t kBmiOffset = 76;
        nullBounds(out);
        for (int32_t v : {int32_t(x), int32_t(y), int32_t(xSrc), int32_t(ySrc), int32_t(width),
                          int32_t(height)})
            out.i32(v);
        writeDibFields(out, kBmiOffset, *dib);
        out.u32(usage);
        out.u32(startScan);
        out.u32(scans);
        writeDib(out, *dib);
        w_.endRecord();
    }

    const WmfPicture& wmf_;
    EmfWriter w_;
    std::vector<Slot> objects_;
    QPoint windowOrg_;
};

} // namespace

QSize wmfPixelSize(const WmfPicture& wmf) {
    const std::optional<Frame> f = frameOf(wmf);
    return f ? f->pixels : QSize();
}

QByteArray wmfToEmf(const WmfPicture& wmf) {
    const std::optional<Frame> frame = frameOf(wmf);
    if (!frame)
        throw VxError(QStringLiteral("Immagine WMF danneggiata: dimensioni assenti"));
    return Converter(wmf, *frame).convert();
}

} // namespace vx::emf
