#pragma once

// Typed, validated views of the records the player and the text extraction
// use. Every read*() function takes the whole record and returns nothing
// when the record is too short or a count, offset or size inside it does not
// fit; the views point into the record's bytes (no copies except where a
// vector is the natural result, e.g. points).

#include "platform/canvas.h"
#include "platform/coord.h"
#include "platform/emf/emf_reader.h"

#include <QPoint>
#include <QString>
#include <QTransform>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <vector>

namespace vx::emf {

// Limits on counts read from records. A record can never hold more points
// than its size allows (each point takes at least 4 bytes); these bounds
// additionally keep one record from making the player allocate without end.
inline constexpr uint32_t kMaxPolyPolygons = 1u << 20; // sub-polygons in one record
inline constexpr uint32_t kMaxTextChars = 1u << 20;    // characters in one text record
inline constexpr uint32_t kMaxPolyTextStrings = 1u << 16;

// ETO_* options that change record layouts.
inline constexpr uint32_t kEtoNoRect = 0x100;
inline constexpr uint32_t kEtoSmallChars = 0x200;
inline constexpr uint32_t kEtoPdy = 0x2000;
inline constexpr uint32_t kEtoGlyphIndex = 0x10;

RectL readRectL(ByteReader& r);
// A COLORREF; the top byte (palette flags) is dropped.
Color readColor(ByteReader& r);

// A RECTL with exclusive right and bottom edges (as GDI calls take them).
inline QRect qrectFromEdges(const RectL& r) {
    return rectFromEdges(clampCoord(r.left), clampCoord(r.top), clampCoord(r.right),
                         clampCoord(r.bottom));
}

struct PolyRecord {
    RectL bounds;
    std::vector<QPoint> points;
};
// POLYGON, POLYLINE, POLYBEZIER(TO), POLYLINETO (32-bit and 16-bit forms).
std::optional<PolyRecord> readPoly(const EmfRecord& rec, bool points16);

struct PolyPolyRecord {
    RectL bounds;
    std::vector<uint32_t> counts; // points per sub-shape
    std::vector<QPoint> points;   // all points, counts.size() runs
};
std::optional<PolyPolyRecord> readPolyPoly(const EmfRecord& rec, bool points16);

struct PolyDrawRecord {
    RectL bounds;
    std::vector<QPoint> points;
    std::vector<uint8_t> types; // PT_* per point
};
std::optional<PolyDrawRecord> readPolyDraw(const EmfRecord& rec, bool points16);

// A text string (EmrText) with its record context.
struct TextRecord {
    RectL bounds; // device pixels
    uint32_t graphicsMode = 1;
    float exScale = 0;
    float eyScale = 0;
    QPoint reference;
    uint32_t options = 0;
    RectL rect; // clip/opaque rectangle (logical); zero when absent
    bool hasRect = false;
    QString text;            // decoded characters
    std::vector<int32_t> dx; // x advances, one per character; empty when absent
    std::vector<int32_t> dy; // y advances with ETO_PDY
};
// EXTTEXTOUTW (wide = true) or EXTTEXTOUTA.
std::optional<TextRecord> readExtTextOut(const EmfRecord& rec, bool wide);
// Every string of POLYTEXTOUTW/A.
std::optional<std::vector<TextRecord>> readPolyTextOut(const EmfRecord& rec, bool wide);
std::optional<TextRecord> readSmallTextOut(const EmfRecord& rec);

// Windows-1252 bytes to text (the 8-bit text records).
QString decodeAnsi(const char* data, size_t size);

// The characters of an EXTTEXTOUTA/W record where they lie in the record,
// checked as readExtTextOut checks them but not copied: text search reads
// every text record of a report and keeps no string.
struct TextSpan {
    const char* data = nullptr;
    uint32_t chars = 0;
    bool wide = false;
    // Character i (below chars): UTF-16 for wide text, Windows-1252 otherwise.
    char16_t at(uint32_t i) const;
};
std::optional<TextSpan> extTextOutSpan(const EmfRecord& rec);

struct FontRecord {
    uint32_t handle = 0;
    FontSpec font;
};
std::optional<FontRecord> readExtCreateFont(const EmfRecord& rec);

struct PenRecord {
    uint32_t handle = 0;
    PenSpec pen;
    uint32_t rawStyle = 0; // PS_* with the end cap, join and type bits
};
std::optional<PenRecord> readCreatePen(const EmfRecord& rec);
std::optional<PenRecord> readExtCreatePen(const EmfRecord& rec);

struct BrushRecord {
    uint32_t handle = 0;
    BrushSpec brush;
};
std::optional<BrushRecord> readCreateBrush(const EmfRecord& rec);

// A DIB stored in a record: header+colour table and bits, bounds-checked.
struct DibRef {
    const char* info = nullptr; // BITMAPINFO (header and colour table)
    uint32_t infoSize = 0;
    const char* bits = nullptr;
    uint32_t bitsSize = 0;
    uint32_t usage = 0; // DIB_RGB_COLORS 0, DIB_PAL_COLORS 1
    bool present() const { return info && infoSize > 0; }
};

struct PatternBrushRecord {
    uint32_t handle = 0;
    DibRef dib;
};
// CREATEDIBPATTERNBRUSHPT and CREATEMONOBRUSH.
std::optional<PatternBrushRecord> readPatternBrush(const EmfRecord& rec);

// BITBLT, STRETCHBLT, STRETCHDIBITS and SETDIBITSTODEVICE in one shape.
struct BltRecord {
    RectL bounds;
    QRect dest;   // x, y, width, height in logical units (width/height may be negative)
    QRect source; // x, y, width, height in source pixels
    uint32_t rop = 0x00CC0020; // SRCCOPY
    QTransform sourceTransform;
    Color sourceBackground = kWhite;
    DibRef dib; // absent for a pattern blit
    // SETDIBITSTODEVICE only: first scan line and number of scan lines.
    uint32_t startScan = 0;
    uint32_t scans = 0;
};
std::optional<BltRecord> readBitBlt(const EmfRecord& rec);
std::optional<BltRecord> readStretchBlt(const EmfRecord& rec);
std::optional<BltRecord> readStretchDIBits(const EmfRecord& rec);
std::optional<BltRecord> readSetDIBitsToDevice(const EmfRecord& rec);
// ALPHABLEND (rop holds the BLENDFUNCTION) and TRANSPARENTBLT (rop holds
// the transparent colour); same layout as STRETCHBLT.
std::optional<BltRecord> readAlphaBlend(const EmfRecord& rec);

// Region data (RGNDATA): rectangles in device pixels, edges exclusive on the
// right and bottom as GDI stores them.
struct RegionData {
    RectL bounds;
    std::vector<QRect> rects;
};
std::optional<RegionData> readRegionData(ByteReader r, uint32_t size);

struct ClipRegionRecord {
    uint32_t mode = 5; // RGN_AND 1, OR 2, XOR 3, DIFF 4, COPY 5
    bool hasRegion = false;
    RegionData region;
};
std::optional<ClipRegionRecord> readExtSelectClipRgn(const EmfRecord& rec);

struct FillRegionRecord {
    RectL bounds;
    uint32_t brushHandle = 0; // FILLRGN and FRAMERGN
    SizeL frame;              // FRAMERGN stroke size
    RegionData region;
};
std::optional<FillRegionRecord>
readFillRgn(const EmfRecord& rec); // FILLRGN, FRAMERGN, PAINTRGN, INVERTRGN

std::optional<QTransform> readXForm(ByteReader& r);

struct ArcRecord {
    RectL box;
    QPoint start;
    QPoint end;
};
std::optional<ArcRecord> readArc(const EmfRecord& rec);

struct GradientVertex {
    QPoint pos;
    Color color;
};
struct GradientFillRecord {
    RectL bounds;
    uint32_t mode = 0; // GRADIENT_FILL_RECT_H 0, RECT_V 1, TRIANGLE 2
    std::vector<GradientVertex> vertices;
    std::vector<uint32_t> indices; // 2 per rectangle, 3 per triangle
};
std::optional<GradientFillRecord> readGradientFill(const EmfRecord& rec);

// What the player does with a record type; the record table in
// emf_records.cpp names it beside the reader's checks of the type.
enum class PlayEntry : uint8_t {
    None, // not drawn (end of file, comments, palettes, escapes, unknown types)
    Header,
    Poly,
    Poly16,
    PolyPoly,
    PolyPoly16,
    PolyDraw,
    PolyDraw16,
    Mapping,
    SetPixel,
    SetBkMode,
    SetPolyFillMode,
    SetRop2,
    SetStretchBltMode,
    SetTextAlign,
    SetTextColor,
    SetBkColor,
    SetArcDirection,
    MoveTo,
    LineTo,
    Box,
    Arc,
    AngleArc,
    SaveDc,
    RestoreDc,
    SelectObject,
    DeleteObject,
    CreateObject,
    Path,
    Clip,
    Region,
    Blt,
    Gradient,
    Text,
};
PlayEntry playEntryOf(uint32_t type);

// The rectangle a drawing record starts with: its bounds in device pixels
// (poly-shapes, regions, bitmaps, text, gradients) or, for ELLIPSE,
// RECTANGLE, ROUNDRECT, ARC, ARCTO, CHORD and PIE, its box in logical units.
// Nothing for records without one (and for damaged records).
std::optional<RectL> recordBounds(const EmfRecord& rec);

// Validates the content of one record for the parse (known drawing records
// only): intact, or what is wrong with it.
Checked<> validateRecord(const EmfRecord& rec);

} // namespace vx::emf
