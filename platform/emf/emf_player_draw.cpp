// The drawing record handlers of EmfPlayer: shapes, paths, clipping, text,
// bitmaps and regions.

#include "platform/emf/dib.h"
#include "platform/emf/emf_player_impl.h"

#include <QPainter>

namespace vx::emf {

namespace {

QPainterPath polygonPath(const std::vector<QPoint>& pts, size_t from, size_t n, bool close) {
    QPainterPath p;
    if (n == 0)
        return p;
    p.moveTo(pts[from]);
    for (size_t i = 1; i < n; ++i)
        p.lineTo(pts[from + i]);
    if (close)
        p.closeSubpath();
    return p;
}

// Adds cubic Bezier segments (three points each) to `p`.
void addBeziers(QPainterPath& p, const std::vector<QPoint>& pts, size_t from) {
    for (size_t i = from; i + 2 < pts.size(); i += 3)
        p.cubicTo(pts[i], pts[i + 1], pts[i + 2]);
}

// A rectangle given as origin and signed extents, with the extents made
// positive (QRect::normalized() would move the far edge by one).
QRect positiveExtent(const QRect& r) {
    const int w = r.width(), h = r.height();
    return QRect(w < 0 ? r.x() + w : r.x(), h < 0 ? r.y() + h : r.y(), std::abs(w), std::abs(h));
}

// SetDIBitsToDevice may carry only a band of the bitmap: `scans` rows from
// row `startScan`, counted from the bottom. The source rectangle is given in
// rows of the whole bitmap (y from the bottom), and the bits decode with the
// band's first row at the image's bottom. Keeps the part of the source inside
// the band, made band-relative, and shrinks the destination (drawn row for
// row) to the same rows. False when the source misses the band.
bool clipToScanBand(const BltRecord& b, QRect& src, QRect& dest) {
    if (b.scans == 0)
        return true; // no band given: the bits are the whole bitmap
    const int64_t srcBottom = src.top(), srcTop = int64_t(src.top()) + src.height();
    const int64_t lo = std::max<int64_t>(srcBottom, b.startScan);
    const int64_t hi = std::min<int64_t>(srcTop, int64_t(b.startScan) + b.scans);
    if (lo >= hi)
        return false;
    const int rows = int(hi - lo);
    const int64_t destTop = int64_t(dest.top()) + (srcTop - hi);
    dest = QRect(dest.left(), int(std::clamp<int64_t>(destTop, INT_MIN / 2, INT_MAX / 2)),
                 dest.width(), rows);
    src = QRect(src.left(), int(lo - b.startScan), src.width(), rows);
    return true;
}

// The rectangles of a region as one path (device pixels).
QPainterPath regionPath(const RegionData& region) {
    QPainterPath p;
    if (region.rects.size() > kMaxRegionRects) {
        p.addRect(QRectF(qrectFromEdges(region.bounds)));
        return p;
    }
    for (const QRect& q : region.rects)
        p.addRect(q);
    return p;
}

} // namespace

void EmfPlayer::Impl::playPoly(const EmfRecord& rec, bool p16) {
    auto poly = readPoly(rec, p16);
    if (!poly || poly->points.empty())
        return;
    std::vector<QPoint>& pts = poly->points;
    DcState& dc = st.dc;
    switch (rec.type) {
    case EMR_POLYGON:
    case EMR_POLYGON16:
        if (st.inPath)
            st.path.addPath(toDevice(polygonPath(pts, 0, pts.size(), true)));
        else
            canvas->polygon(pts);
        return;
    case EMR_POLYLINE:
    case EMR_POLYLINE16:
        if (st.inPath)
            st.path.addPath(toDevice(polygonPath(pts, 0, pts.size(), false)));
        else
            canvas->polyline(pts);
        return;
    case EMR_POLYLINETO:
    case EMR_POLYLINETO16: {
        if (st.inPath) {
            const QTransform t = logicalToDevice();
            if (st.path.elementCount() == 0)
                st.path.moveTo(t.map(QPointF(dc.currentPosition)));
            for (const QPoint& q : pts)
                st.path.lineTo(t.map(QPointF(q)));
        } else {
            pts.insert(pts.begin(), dc.currentPosition);
            canvas->polyline(pts);
        }
        dc.currentPosition = pts.back();
        return;
    }
    case EMR_POLYBEZIER:
    case EMR_POLYBEZIER16: {
        QPainterPath p;
        p.moveTo(pts[0]);
        addBeziers(p, pts, 1);
        shape(p, false, true);
        return;
    }
    default: { // POLYBEZIERTO
        QPainterPath p;
        p.moveTo(dc.currentPosition);
        addBeziers(p, pts, 0);
        if (st.inPath) {
            const QTransform t = logicalToDevice();
            if (st.path.elementCount() == 0)
                st.path.moveTo(t.map(QPointF(dc.currentPosition)));
            // Continue the current figure instead of starting a new one.
            QPainterPath d = t.map(p);
            st.path.connectPath(d);
        } else {
            canvas->drawPath(p, Canvas::PathDraw::Stroke);
        }
        // The position moves to the end of the last whole segment (three
        // points each); fewer than three points draw nothing and leave it.
        const size_t drawn = pts.size() - pts.size() % 3;
        if (drawn > 0)
            dc.currentPosition = pts[drawn - 1];
        return;
    }
    }
}

void EmfPlayer::Impl::playPolyPoly(const EmfRecord& rec, bool p16) {
    auto pp = readPolyPoly(rec, p16);
    if (!pp)
        return;
    const bool polygons = rec.type == EMR_POLYPOLYGON || rec.type == EMR_POLYPOLYGON16;
    size_t at = 0;
    if (polygons && pp->counts.size() == 1 && !st.inPath) {
        canvas->polygon(pp->points);
        return;
    }
    QPainterPath all;
    for (uint32_t n : pp->counts) {
        if (!polygons && !st.inPath) {
            std::vector<QPoint> line(pp->points.begin() + long(at),
                                     pp->points.begin() + long(at + n));
            canvas->polyline(line);
        } else {
            all.addPath(polygonPath(pp->points, at, n, polygons));
        }
        at += n;
    }
    if (polygons || st.inPath)
        shape(all, polygons, true);
}

void EmfPlayer::Impl::playPolyDraw(const EmfRecord& rec, bool p16) {
    auto pd = readPolyDraw(rec, p16);
    if (!pd)
        return;
    QPainterPath p;
    p.moveTo(st.dc.currentPosition);
    const auto& pts = pd->points;
    for (size_t i = 0; i < pts.size(); ++i) {
        const uint8_t t = pd->types[i] & ~1u;
        if (t == 6) { // PT_MOVETO
            p.moveTo(pts[i]);
        } else if (t == 2) { // PT_LINETO
            p.lineTo(pts[i]);
        } else if (t == 4 && i + 2 < pts.size()) { // PT_BEZIERTO: three points
            p.cubicTo(pts[i], pts[i + 1], pts[i + 2]);
            i += 2;
        }
        if (pd->types[std::min(i, pts.size() - 1)] & 1) // PT_CLOSEFIGURE
            p.closeSubpath();
    }
    if (!pts.empty())
        st.dc.currentPosition = pts.back();
    shape(p, false, true);
}

void EmfPlayer::Impl::playBox(const EmfRecord& rec) {
    ByteReader r = rec.payload();
    const RectL box = readRectL(r);
    int cw = 0, ch = 0;
    if (rec.type == EMR_ROUNDRECT) {
        cw = r.i32();
        ch = r.i32();
    }
    if (!r.ok())
        return;
    const QRect q = rectOf(box);
    if (st.inPath) {
        QPainterPath p;
        if (rec.type == EMR_RECTANGLE)
            p.addRect(q);
        else if (rec.type == EMR_ELLIPSE)
            p.addEllipse(q);
        else
            p.addRoundedRect(q, cw / 2.0, ch / 2.0);
        st.path.addPath(toDevice(p));
        return;
    }
    if (rec.type == EMR_RECTANGLE)
        canvas->rectangle(q);
    else if (rec.type == EMR_ELLIPSE)
        canvas->ellipse(q);
    else
        canvas->roundRect(q, cw, ch);
}

void EmfPlayer::Impl::playArc(const EmfRecord& rec) {
    auto a = readArc(rec);
    if (!a)
        return;
    const QRectF box = QRectF(rectOf(a->box)).normalized();
    if (box.isEmpty())
        return;
    const double a0 = arcAngle(box, a->start);
    double sweep = arcAngle(box, a->end) - a0;
    if (st.dc.clockwiseArcs) {
        while (sweep >= 0)
            sweep -= 360;
    } else {
        while (sweep <= 0)
            sweep += 360;
    }
    QPainterPath p;
    if (rec.type == EMR_PIE) {
        p.moveTo(box.center());
        p.arcTo(box, a0, sweep);
        p.closeSubpath();
    } else if (rec.type == EMR_ARCTO) {
        p.moveTo(st.dc.currentPosition);
        p.arcTo(box, a0, sweep);
        st.dc.currentPosition = toCoordPoint(p.currentPosition());
    } else {
        p.arcMoveTo(box, a0);
        p.arcTo(box, a0, sweep);
        if (rec.type == EMR_CHORD)
            p.closeSubpath();
    }
    const bool filled = rec.type == EMR_PIE || rec.type == EMR_CHORD;
    shape(p, filled, true);
}

void EmfPlayer::Impl::playAngleArc(const EmfRecord& rec) {
    ByteReader r = rec.payload();
    const int cx = clampCoord(r.i32()), cy = clampCoord(r.i32());
    const uint32_t radius = r.u32();
    const float start = r.f32(), sweep = r.f32();
    if (!r.ok() || !std::isfinite(start) || !std::isfinite(sweep) || radius > (1u << 30))
        return;
    const QRectF box(cx - double(radius), cy - double(radius), 2.0 * radius, 2.0 * radius);
    QPainterPath p;
    p.moveTo(st.dc.currentPosition);
    p.arcTo(box, start, std::clamp<double>(sweep, -3600, 3600));
    st.dc.currentPosition = toCoordPoint(p.currentPosition());
    shape(p, false, true);
}

void EmfPlayer::Impl::playPathRecord(uint32_t type, ByteReader& r) {
    switch (type) {
    case EMR_BEGINPATH:
        st.inPath = true;
        st.path = QPainterPath();
        return;
    case EMR_ENDPATH:
        st.inPath = false;
        return;
    case EMR_ABORTPATH:
        st.inPath = false;
        st.path = QPainterPath();
        return;
    case EMR_CLOSEFIGURE:
        if (st.inPath)
            st.path.closeSubpath();
        return;
    case EMR_FLATTENPATH: {
        QPainterPath flat;
        for (const QPolygonF& poly : st.path.toSubpathPolygons())
            flat.addPolygon(poly);
        st.path = flat;
        return;
    }
    case EMR_WIDENPATH: {
        // The pen's width in device pixels, limited like a coordinate: a
        // damaged mapping can make it infinite or NaN.
        const double width =
            std::max(1, st.dc.pen.width) * std::sqrt(std::abs(logicalToDevice().determinant()));
        QPainterPathStroker stroker;
        stroker.setWidth(std::max(1, toCoord(width)));
        st.path = stroker.createStroke(st.path);
        return;
    }
    default:
        break; // FILLPATH, STROKEPATH, STROKEANDFILLPATH
    }
    (void)r;
    if (st.inPath)
        return; // GDI refuses to draw an open path
    const bool fill = type != EMR_STROKEPATH, stroke = type != EMR_FILLPATH;
    if (!st.path.isEmpty())
        drawDevicePath(st.path, fillMode(fill, stroke));
    st.path = QPainterPath();
}

void EmfPlayer::Impl::playClipRecord(uint32_t type, ByteReader& r, const EmfRecord& rec) {
    switch (type) {
    case EMR_INTERSECTCLIPRECT:
    case EMR_EXCLUDECLIPRECT: {
        const RectL rc = readRectL(r);
        if (!r.ok())
            return;
        QPainterPath p;
        p.addRect(QRectF(rectOf(rc)).normalized());
        return combineClip(toDevice(p), type == EMR_INTERSECTCLIPRECT ? RGN_AND : RGN_DIFF);
    }
    case EMR_EXTSELECTCLIPRGN: {
        auto c = readExtSelectClipRgn(rec);
        if (!c)
            return;
        if (!c->hasRegion) {
            if (c->mode == RGN_COPY) {
                st.dc.clip.reset();
                applyClip();
            }
            return;
        }
        return combineClip(regionPath(c->region), c->mode);
    }
    case EMR_SELECTCLIPPATH: {
        const uint32_t mode = r.u32();
        if (!r.ok() || st.inPath)
            return;
        QPainterPath p = st.path;
        p.setFillRule(st.dc.fillMode == FillMode::Winding ? Qt::WindingFill : Qt::OddEvenFill);
        st.path = QPainterPath();
        return combineClip(p, mode);
    }
    case EMR_OFFSETCLIPRGN: {
        const int dx = r.i32(), dy = r.i32();
        if (!r.ok() || !st.dc.clip)
            return;
        const QTransform t = logicalToDevice();
        const QPointF d = t.map(QPointF(dx, dy)) - t.map(QPointF(0, 0));
        st.dc.clip->translate(d);
        applyClip();
        return;
    }
    default:
        return; // SETMETARGN: the clip stays as it is
    }
}

void EmfPlayer::Impl::playRegion(const EmfRecord& rec) {
    auto f = readFillRgn(rec);
    if (!f || f->region.rects.empty())
        return;
    const QPainterPath p = regionPath(f->region);
    BrushSpec brush = st.dc.brush;
    if (rec.type != EMR_PAINTRGN) {
        const uint32_t h = f->brushHandle;
        std::optional<BrushSpec> chosen;
        if (h & kStockObjectFlag)
            chosen = stockBrush(h & ~kStockObjectFlag);
        else if (h < st.objects.size() && st.objects[h].kind == EmfObject::Kind::Brush)
            chosen = st.objects[h].brush;
        if (!chosen)
            return;
        brush = *chosen;
    }
    canvas->setWorldTransform(deviceToDest * base);
    if (rec.type == EMR_FRAMERGN) {
        canvas->setPen(PenSpec{PenStyle::Solid, std::max(1, f->frame.cx), brush.color});
        canvas->drawPath(p.simplified(), Canvas::PathDraw::Stroke);
    } else {
        canvas->setBrush(brush);
        canvas->drawPath(p, Canvas::PathDraw::Fill);
    }
    canvas->setPen(st.dc.pen);
    canvas->setBrush(st.dc.brush);
    applyTransform();
}

void EmfPlayer::Impl::playGradient(const EmfRecord& rec) {
    auto g = readGradientFill(rec);
    if (!g || st.inPath)
        return;
    const BrushSpec saved = st.dc.brush;
    const PenSpec savedPen = st.dc.pen;
    canvas->setPen(PenSpec{PenStyle::Null, 0, kBlack});
    if (g->mode == 2) { // triangles: filled with their average colour
        for (size_t i = 0; i + 2 < g->indices.size(); i += 3) {
            int r = 0, gr = 0, b = 0;
            std::vector<QPoint> tri;
            for (size_t k = 0; k < 3; ++k) {
                const GradientVertex& v = g->vertices[g->indices[i + k]];
                r += v.color.red(), gr += v.color.green(), b += v.color.blue();
                tri.push_back(v.pos);
            }
            canvas->setBrush(BrushSpec{BrushStyle::Solid, rgb(r / 3, gr / 3, b / 3), 0});
            canvas->polygon(tri);
        }
    } else {
        // Rectangles: a strip image of the gradient, stretched by the canvas.
        constexpr int kSteps = 256;
        for (size_t i = 0; i + 1 < g->indices.size(); i += 2) {
            const GradientVertex& a = g->vertices[g->indices[i]];
            const GradientVertex& b = g->vertices[g->indices[i + 1]];
            const bool horizontal = g->mode == 0;
            QImage strip(horizontal ? kSteps : 1, horizontal ? 1 : kSteps, QImage::Format_RGB32);
            for (int s = 0; s < kSteps; ++s) {
                auto mix = [&](int ca, int cb) { return ca + (cb - ca) * s / (kSteps - 1); };
                const QRgb c =
                    qRgb(mix(a.color.red(), b.color.red()), mix(a.color.green(), b.color.green()),
                         mix(a.color.blue(), b.color.blue()));
                strip.setPixel(horizontal ? s : 0, horizontal ? 0 : s, c);
            }
            const QRect dest = QRect(a.pos, b.pos - QPoint(1, 1)).normalized();
            if (!dest.isEmpty())
                canvas->drawImage(dest, strip);
        }
    }
    canvas->setBrush(saved);
    canvas->setPen(savedPen);
}

void EmfPlayer::Impl::playBlt(const EmfRecord& rec) {
    std::optional<BltRecord> b;
    switch (rec.type) {
    case EMR_BITBLT:
        b = readBitBlt(rec);
        break;
    case EMR_STRETCHBLT:
        b = readStretchBlt(rec);
        break;
    case EMR_STRETCHDIBITS:
        b = readStretchDIBits(rec);
        break;
    case EMR_SETDIBITSTODEVICE:
        b = readSetDIBitsToDevice(rec);
        break;
    default:
        b = readAlphaBlend(rec);
        break;
    }
    if (!b || st.inPath || b->dest.width() == 0 || b->dest.height() == 0)
        return;
    if (!b->dib.present()) {
        const QRect dest = positiveExtent(b->dest);
        // A blit without a source bitmap fills with the brush (PatBlt).
        switch (b->rop) {
        case PATCOPY:
        case PATINVERT:
            if (st.dc.brush.style != BrushStyle::Null)
                canvas->fillRect(dest, st.dc.brush);
            break;
        case BLACKNESS:
            canvas->fillRect(dest, BrushSpec{BrushStyle::Solid, kBlack, 0});
            break;
        case WHITENESS:
            canvas->fillRect(dest, BrushSpec{BrushStyle::Solid, kWhite, 0});
            break;
        default:
            break;
        }
        return;
    }
    const bool alphaBlend = rec.type == EMR_ALPHABLEND;
    const bool transparent = rec.type == EMR_TRANSPARENTBLT;
    if (!alphaBlend && !transparent && b->rop != SRCCOPY && b->rop != NOTSRCCOPY &&
        b->rop != MERGECOPY && b->rop != SRCPAINT && b->rop != SRCAND)
        return;
    QImage img = decodeDib(b->dib.info, b->dib.infoSize, b->dib.bits, b->dib.bitsSize, b->dib.usage,
                           alphaBlend)
                     .valueOr(QImage());
    if (img.isNull())
        return;
    // StretchDIBits and SetDIBitsToDevice count the source y from the
    // bottom row of a bottom-up DIB; the blits count from the top.
    QRect src = positiveExtent(b->source);
    QRect dest = positiveExtent(b->dest);
    if (rec.type == EMR_SETDIBITSTODEVICE && !clipToScanBand(*b, src, dest))
        return;
    if (rec.type == EMR_STRETCHDIBITS || rec.type == EMR_SETDIBITSTODEVICE) {
        const auto info = readDibInfo(b->dib.info, b->dib.infoSize);
        if (info && !info->topDown)
            src.moveTop(img.height() - src.top() - src.height());
    }
    src = src.intersected(img.rect());
    if (src.isEmpty())
        return;
    if (src != img.rect())
        img = img.copy(src);
    if (b->dest.width() < 0 || b->dest.height() < 0 || b->source.width() < 0 ||
        b->source.height() < 0)
        img = img.mirrored((b->dest.width() < 0) != (b->source.width() < 0),
                           (b->dest.height() < 0) != (b->source.height() < 0));
    if (b->rop == NOTSRCCOPY)
        img.invertPixels();
    if (transparent) {
        img = img.convertToFormat(QImage::Format_ARGB32);
        const Color transparentColor(b->rop);
        const QRgb key =
            qRgb(transparentColor.red(), transparentColor.green(), transparentColor.blue());
        for (int y = 0; y < img.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
            for (int x = 0; x < img.width(); ++x)
                if ((line[x] & 0xFFFFFF) == (key & 0xFFFFFF))
                    line[x] = 0;
        }
    }
    canvas->drawImage(dest, img);
}

void EmfPlayer::Impl::playText(const EmfRecord& rec) {
    if (st.inPath)
        return; // text outlines in paths are not supported
    switch (rec.type) {
    case EMR_EXTTEXTOUTW:
    case EMR_EXTTEXTOUTA:
        if (auto t = readExtTextOut(rec, rec.type == EMR_EXTTEXTOUTW))
            drawText(*t);
        return;
    case EMR_SMALLTEXTOUT:
        if (auto t = readSmallTextOut(rec))
            drawText(*t);
        return;
    default:
        if (auto all = readPolyTextOut(rec, rec.type == EMR_POLYTEXTOUTW))
            for (const TextRecord& t : *all)
                drawText(t);
        return;
    }
}

void EmfPlayer::Impl::drawText(const TextRecord& t) {
    DcState& dc = st.dc;
    const QRect rect = t.hasRect ? rectOf(t.rect) : QRect();
    uint32_t options = t.options & (TextOutOption::Opaque | TextOutOption::Clipped);
    if (rect.isEmpty())
        options = 0;
    // Glyph indices cannot be drawn as characters; only the background is.
    if (t.text.isEmpty() || (t.options & kEtoGlyphIndex)) {
        if ((options & TextOutOption::Opaque) && !rect.isEmpty())
            canvas->fillRect(rect, BrushSpec{BrushStyle::Solid, dc.backgroundColor, 0});
        return;
    }
    const QTransform toDest = logicalToDest();
    const double scale = std::max({std::abs(toDest.m11()), std::abs(toDest.m12()),
                                   std::abs(toDest.m21()), std::abs(toDest.m22())});
    const FontSpec& font = dc.font;
    // Height 0 asks for the face's default size (about 16 pixels).
    const double em = std::max({std::abs(double(font.height)), double(font.width) * 2.0, 16.0});
    if (em * scale > kMaxGlyphPixels)
        return;
    std::vector<int> advances(t.dx.begin(), t.dx.end());
    QPoint at = t.reference;
    const bool updateCp = dc.textAlign & TextAlign::UpdateCP;
    if (updateCp)
        at = dc.currentPosition;
    int64_t span = 0;
    for (int a : advances)
        span += std::abs(int64_t(a));
    const QPointF from = toDest.map(QPointF(at));
    const QPointF to = toDest.map(QPointF(double(at.x()) + double(span), at.y()));
    const auto far = [](const QPointF& p) {
        return !(std::abs(p.x()) <= kMaxTextDistance && std::abs(p.y()) <= kMaxTextDistance);
    };
    if (far(from) || far(to))
        return;
    canvas->textOut(at.x(), at.y(), t.text, options, rect, advances);
    if (updateCp) {
        int64_t width = 0;
        if (!advances.empty())
            for (int a : advances)
                width += a;
        else
            width = canvas->textWidth(t.text);
        dc.currentPosition.rx() = clampCoord(dc.currentPosition.x() + width);
    }
}

} // namespace vx::emf
