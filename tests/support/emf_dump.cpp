#include "tests/support/emf_dump.h"

#include "platform/emf/emf_constants.h"
#include "platform/emf/emf_reader.h"
#include "platform/emf/emf_records.h"

#include <map>

namespace vx::test {

namespace {

using namespace vx::emf;

QString rgbText(Color c) {
    return QStringLiteral("%1%2%3")
        .arg(redOf(c), 2, 16, QChar('0'))
        .arg(greenOf(c), 2, 16, QChar('0'))
        .arg(blueOf(c), 2, 16, QChar('0'));
}

QString penText(const PenSpec& p) {
    return QStringLiteral("pen %1 %2 %3").arg(int(p.style)).arg(p.width).arg(rgbText(p.color));
}

QString brushText(const BrushSpec& b) {
    return QStringLiteral("brush %1 %2").arg(int(b.style)).arg(rgbText(b.color));
}

QString stockText(uint32_t index) {
    switch (index) {
    case WHITE_BRUSH:
        return brushText(BrushSpec{BrushStyle::Solid, kWhite, 0});
    case BLACK_BRUSH:
        return brushText(BrushSpec{BrushStyle::Solid, kBlack, 0});
    case NULL_BRUSH:
        return brushText(BrushSpec{BrushStyle::Null, kWhite, 0});
    case WHITE_PEN:
        return penText(PenSpec{PenStyle::Solid, 0, kWhite});
    case BLACK_PEN:
        return penText(PenSpec{PenStyle::Solid, 0, kBlack});
    case NULL_PEN:
        return penText(PenSpec{PenStyle::Null, 0, kBlack});
    default:
        return QStringLiteral("stock %1").arg(index);
    }
}

QString edges(ByteReader r) {
    const int32_t l = r.i32(), t = r.i32(), rr = r.i32(), b = r.i32();
    return QStringLiteral("%1,%2,%3,%4").arg(l).arg(t).arg(rr).arg(b);
}

QString points(const std::vector<QPoint>& pts) {
    QStringList s;
    for (const QPoint& p : pts)
        s << QStringLiteral("%1,%2").arg(p.x()).arg(p.y());
    return s.join(QChar(' '));
}

class Dumper {
public:
    QStringList out;
    void record(const EmfRecord& rec) {
        ByteReader p = rec.payload();
        switch (rec.type) {
        case EMR_CREATEPEN:
            if (auto pen = readCreatePen(rec))
                objects_[pen->handle] = penText(pen->pen);
            break;
        case EMR_CREATEBRUSHINDIRECT:
            if (auto brush = readCreateBrush(rec))
                objects_[brush->handle] = brushText(brush->brush);
            break;
        case EMR_EXTCREATEFONTINDIRECTW:
            if (auto font = readExtCreateFont(rec))
                objects_[font->handle] = QStringLiteral("font %1 %2 %3")
                                             .arg(font->font.height)
                                             .arg(font->font.escapement)
                                             .arg(font->font.face);
            break;
        case EMR_SELECTOBJECT: {
            const uint32_t h = p.u32();
            out << ((h & kStockObjectFlag) ? stockText(h & ~kStockObjectFlag) : objects_[h]);
            break;
        }
        default:
            shape(rec, p);
        }
    }

private:
    void shape(const EmfRecord& rec, ByteReader p) {
        switch (rec.type) {
        case EMR_ELLIPSE:
            out << QStringLiteral("ellipse ") + edges(p);
            break;
        case EMR_RECTANGLE:
            out << QStringLiteral("rectangle ") + edges(p);
            break;
        case EMR_ROUNDRECT: {
            const QString box = edges(p);
            p.skip(16);
            const int32_t w = p.i32(), h = p.i32();
            out << QStringLiteral("roundrect %1 %2,%3").arg(box).arg(w).arg(h);
            break;
        }
        case EMR_MOVETOEX:
        case EMR_LINETO: {
            const int32_t x = p.i32(), y = p.i32();
            out << QStringLiteral("%1 %2,%3")
                       .arg(rec.type == EMR_LINETO ? "line" : "move")
                       .arg(x)
                       .arg(y);
            break;
        }
        case EMR_POLYGON16:
        case EMR_POLYGON:
            if (auto poly = readPoly(rec, rec.type == EMR_POLYGON16))
                out << QStringLiteral("polygon ") + points(poly->points);
            break;
        case EMR_BITBLT:
            if (auto blt = readBitBlt(rec))
                out << QStringLiteral("fill %1,%2,%3,%4")
                           .arg(blt->dest.x())
                           .arg(blt->dest.y())
                           .arg(blt->dest.width())
                           .arg(blt->dest.height());
            break;
        case EMR_EXTTEXTOUTW:
            if (auto t = readExtTextOut(rec, true))
                out << QStringLiteral("text %1,%2 \"%3\"")
                           .arg(t->reference.x())
                           .arg(t->reference.y())
                           .arg(t->text);
            break;
        case EMR_INTERSECTCLIPRECT:
            out << QStringLiteral("clip ") + edges(p);
            break;
        case EMR_SAVEDC:
            out << QStringLiteral("save");
            break;
        case EMR_RESTOREDC:
            out << QStringLiteral("restore");
            break;
        case EMR_SETWORLDTRANSFORM:
            if (auto t = readXForm(p))
                out << QStringLiteral("transform %1,%2,%3,%4")
                           .arg(t->m11())
                           .arg(t->m22())
                           .arg(t->dx())
                           .arg(t->dy());
            break;
        default:
            break;
        }
    }
    std::map<uint32_t, QString> objects_;
};

} // namespace

QStringList DumpEmf(const QByteArray& emf) {
    const EmfPicture picture = EmfPicture::parse(emf);
    Dumper d;
    for (int i = 0; i < picture.recordCount(); ++i)
        d.record(picture.record(i));
    return d.out;
}

QStringList StyledTexts(const QByteArray& emf) {
    const EmfPicture picture = EmfPicture::parse(emf);
    std::map<uint32_t, FontSpec> fonts;
    FontSpec current;
    QStringList out;
    for (int i = 0; i < picture.recordCount(); ++i) {
        const EmfRecord rec = picture.record(i);
        if (rec.type == EMR_EXTCREATEFONTINDIRECTW) {
            if (auto font = readExtCreateFont(rec))
                fonts[font->handle] = font->font;
        } else if (rec.type == EMR_SELECTOBJECT) {
            const auto it = fonts.find(rec.payload().u32());
            if (it != fonts.end())
                current = it->second;
        } else if (rec.type == EMR_EXTTEXTOUTW) {
            if (auto t = readExtTextOut(rec, true))
                out << t->text + QStringLiteral("|") + (current.weight >= 700 ? "b" : "") +
                           (current.italic ? "i" : "") + (current.underline ? "u" : "");
        }
    }
    return out;
}

QStringList linesStartingWith(const QStringList& lines, const QString& prefix) {
    QStringList out;
    for (const QString& l : lines)
        if (l.startsWith(prefix))
            out << l;
    return out;
}

} // namespace vx::test
