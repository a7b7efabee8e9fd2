// What the reader and the player know of each record type, in one table:
// the smallest size, whether it opens with bounds, the check of its
// variable part and the player's entry.

#include "platform/emf/dib.h"
#include "platform/emf/emf_constants.h"
#include "platform/emf/emf_records.h"

#include <array>

namespace vx::emf {

namespace {

Checked<> outOfRecord() {
    return Checked<>::damaged(QStringLiteral("campi o conteggi fuori dal record."));
}

Checked<> checkDib(const DibRef& dib) {
    if (!dib.present())
        return intact();
    const Checked<DibInfo> info = readDibInfo(dib.info, dib.infoSize);
    return info ? intact() : Checked<>::damaged(info.damage());
}

template <typename T> Checked<> expect(const std::optional<T>& v) {
    return v ? intact() : outOfRecord();
}

Checked<> checkBlt(const std::optional<BltRecord>& b) {
    return b ? checkDib(b->dib) : outOfRecord();
}

Checked<> checkPatternBrush(const EmfRecord& rec) {
    const auto b = readPatternBrush(rec);
    return b ? checkDib(b->dib) : expect(b);
}

Checked<> checkComment(const EmfRecord& rec) {
    ByteReader r = rec.payload();
    const uint32_t n = r.u32();
    return n <= r.remaining()
               ? intact()
               : Checked<>::damaged(QStringLiteral("commento più lungo del record."));
}

// What the reader and the player know of a record type: the smallest
// payload (after type and size) it may have, whether it starts with its
// bounds, the check of its variable part (none: the size check is all), and
// what the player does with it.
struct RecordRule {
    uint32_t type;
    uint16_t minPayload;
    bool bounds;
    Checked<> (*check)(const EmfRecord&);
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

Checked<> validateRecord(const EmfRecord& rec) {
    const RecordRule* rule = ruleOf(rec.type);
    if (!rule)
        return intact();
    if (rec.size - 8 < rule->minPayload)
        return Checked<>::damaged(QStringLiteral("record troppo corto (%1 byte).").arg(rec.size));
    return rule->check ? rule->check(rec) : intact();
}

} // namespace vx::emf
