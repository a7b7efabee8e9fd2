// The record handlers of EmfPlayer: one small function per record family.

#include "platform/emf/dib.h"
#include "platform/emf/emf_player_impl.h"

#include <QPainter>

namespace vx::emf {

void EmfPlayer::Impl::play(const EmfRecord& rec) {
    ByteReader r = rec.payload();
    DcState& dc = st.dc;
    switch (playEntryOf(rec.type)) {
    case PlayEntry::None:
        return; // end of file, EMF+ comments (the GDI records that follow draw), palettes, ...
    case PlayEntry::Header:
        resetState();
        applyClip();
        return;
    case PlayEntry::Poly:
        return playPoly(rec, false);
    case PlayEntry::Poly16:
        return playPoly(rec, true);
    case PlayEntry::PolyPoly:
        return playPolyPoly(rec, false);
    case PlayEntry::PolyPoly16:
        return playPolyPoly(rec, true);
    case PlayEntry::PolyDraw:
        return playPolyDraw(rec, false);
    case PlayEntry::PolyDraw16:
        return playPolyDraw(rec, true);
    case PlayEntry::Mapping:
        return playMapping(rec.type, r);
    case PlayEntry::SetPixel: {
        const int x = clampCoord(r.i32()), y = clampCoord(r.i32());
        const Color c = readColor(r);
        if (r.ok() && !st.inPath)
            canvas->fillRect(QRect(x, y, 1, 1), BrushSpec{BrushStyle::Solid, c, 0});
        return;
    }
    case PlayEntry::SetBkMode: {
        const uint32_t m = r.u32();
        if (r.ok() && (m == 1 || m == 2)) {
            dc.backgroundMode = BackgroundMode(m);
            canvas->setBackgroundMode(dc.backgroundMode);
        }
        return;
    }
    case PlayEntry::SetPolyFillMode: {
        const uint32_t m = r.u32();
        if (r.ok() && (m == 1 || m == 2)) {
            dc.fillMode = FillMode(m);
            canvas->setFillMode(dc.fillMode);
        }
        return;
    }
    case PlayEntry::SetRop2:
        dc.rop2 = r.u32();
        return;
    case PlayEntry::SetStretchBltMode:
        dc.stretchBltMode = r.u32();
        return;
    case PlayEntry::SetTextAlign:
        dc.textAlign = r.u32();
        canvas->setTextAlign(dc.textAlign & ~TextAlign::UpdateCP);
        return;
    case PlayEntry::SetTextColor:
        dc.textColor = readColor(r);
        canvas->setTextColor(dc.textColor);
        return;
    case PlayEntry::SetBkColor:
        dc.backgroundColor = readColor(r);
        canvas->setBackgroundColor(dc.backgroundColor);
        return;
    case PlayEntry::SetArcDirection:
        dc.clockwiseArcs = r.u32() == 2;
        return;
    case PlayEntry::MoveTo: {
        const int x = clampCoord(r.i32()), y = clampCoord(r.i32());
        if (!r.ok())
            return;
        dc.currentPosition = QPoint(x, y);
        pathMoveTo(dc.currentPosition);
        return;
    }
    case PlayEntry::LineTo:
        return playLineTo(r);
    case PlayEntry::Box:
        return playBox(rec);
    case PlayEntry::Arc:
        return playArc(rec);
    case PlayEntry::AngleArc:
        return playAngleArc(rec);
    case PlayEntry::SaveDc:
        return saveDc();
    case PlayEntry::RestoreDc: {
        const int32_t n = r.i32();
        if (r.ok())
            restoreDc(n);
        return;
    }
    case PlayEntry::SelectObject: {
        const uint32_t h = r.u32();
        if (r.ok())
            playSelectObject(h);
        return;
    }
    case PlayEntry::DeleteObject: {
        const uint32_t h = r.u32();
        if (r.ok() && h > 0 && h < st.objects.size())
            st.objects[h] = EmfObject();
        return;
    }
    case PlayEntry::CreateObject:
        return playCreateObject(rec);
    case PlayEntry::Path:
        return playPathRecord(rec.type, r);
    case PlayEntry::Clip:
        return playClipRecord(rec.type, r, rec);
    case PlayEntry::Region:
        return playRegion(rec);
    case PlayEntry::Blt:
        return playBlt(rec);
    case PlayEntry::Gradient:
        return playGradient(rec);
    case PlayEntry::Text:
        return playText(rec);
    }
}

void EmfPlayer::Impl::playLineTo(ByteReader& r) {
    DcState& dc = st.dc;
    const int x = clampCoord(r.i32()), y = clampCoord(r.i32());
    if (!r.ok())
        return;
    if (st.inPath) {
        if (st.path.elementCount() == 0)
            pathMoveTo(dc.currentPosition);
        st.path.lineTo(logicalToDevice().map(QPointF(x, y)));
    } else {
        canvas->moveTo(dc.currentPosition.x(), dc.currentPosition.y());
        canvas->lineTo(x, y);
    }
    dc.currentPosition = QPoint(x, y);
}

void EmfPlayer::Impl::playMapping(uint32_t type, ByteReader& r) {
    DcState& dc = st.dc;
    const bool scalable = dc.mapMode == MM_ISOTROPIC || dc.mapMode == MM_ANISOTROPIC;
    switch (type) {
    case EMR_SETWINDOWEXTEX:
    case EMR_SETVIEWPORTEXTEX: {
        const int cx = r.i32(), cy = r.i32();
        // GDI ignores extents outside the scalable modes and refuses zero.
        if (!r.ok() || cx == 0 || cy == 0 || !scalable)
            return;
        (type == EMR_SETWINDOWEXTEX ? dc.windowExt : dc.viewportExt) = QSize(cx, cy);
        break;
    }
    case EMR_SETWINDOWORGEX:
    case EMR_SETVIEWPORTORGEX: {
        const int x = r.i32(), y = r.i32();
        if (!r.ok())
            return;
        (type == EMR_SETWINDOWORGEX ? dc.windowOrg : dc.viewportOrg) = QPoint(x, y);
        break;
    }
    case EMR_SCALEVIEWPORTEXTEX:
    case EMR_SCALEWINDOWEXTEX: {
        const int xNum = r.i32(), xDen = r.i32(), yNum = r.i32(), yDen = r.i32();
        if (!r.ok() || xDen == 0 || yDen == 0 || !scalable)
            return;
        QSize& ext = type == EMR_SCALEWINDOWEXTEX ? dc.windowExt : dc.viewportExt;
        const int64_t cx = int64_t(ext.width()) * xNum / xDen;
        const int64_t cy = int64_t(ext.height()) * yNum / yDen;
        if (cx == 0 || cy == 0 || std::abs(cx) > INT32_MAX || std::abs(cy) > INT32_MAX)
            return;
        ext = QSize(int(cx), int(cy));
        break;
    }
    case EMR_SETMAPMODE: {
        const uint32_t m = r.u32();
        if (!r.ok() || m < MM_TEXT || m > MM_ANISOTROPIC)
            return;
        dc.mapMode = m;
        if (m != MM_ISOTROPIC && m != MM_ANISOTROPIC) {
            dc.windowExt = QSize(1, 1);
            dc.viewportExt = QSize(1, 1);
        }
        break;
    }
    case EMR_SETWORLDTRANSFORM: {
        auto x = readXForm(r);
        if (!x || !x->isInvertible())
            return;
        dc.worldTransform = *x;
        break;
    }
    case EMR_MODIFYWORLDTRANSFORM: {
        auto x = readXForm(r);
        const uint32_t mode = r.u32();
        if (!x || !r.ok())
            return;
        QTransform t = dc.worldTransform;
        switch (mode) {
        case 1:
            t = QTransform();
            break;
        case 2:
            t = *x * t;
            break;
        case 3:
            t = t * *x;
            break;
        case 4:
            t = *x;
            break;
        default:
            return;
        }
        if (!t.isInvertible())
            return;
        dc.worldTransform = t;
        break;
    }
    default:
        return;
    }
    applyTransform();
}

void EmfPlayer::Impl::saveDc() {
    if (st.saved.size() >= kMaxSaveDepth)
        return;
    st.saved.push_back(st.dc);
}

void EmfPlayer::Impl::restoreDc(int32_t n) {
    // Negative: relative to the current level; positive: the level SaveDC
    // returned. A level that does not exist leaves the state as it is.
    const int64_t depth = int64_t(st.saved.size());
    const int64_t target = n < 0 ? depth + n : int64_t(n) - 1;
    if (n == 0 || target < 0 || target >= depth)
        return;
    st.dc = st.saved[size_t(target)];
    st.saved.resize(size_t(target));
    applyClip();
}

void EmfPlayer::Impl::playSelectObject(uint32_t h) {
    DcState& dc = st.dc;
    if (h & kStockObjectFlag) {
        const uint32_t index = h & ~kStockObjectFlag;
        if (const std::optional<BrushSpec> b = stockBrush(index)) {
            dc.brush = *b;
            dc.pattern.reset();
            canvas->setBrush(*b);
        } else if (const std::optional<PenSpec> p = stockPen(index)) {
            dc.pen = *p;
            canvas->setPen(*p);
        } else if (index >= OEM_FIXED_FONT && index <= DEFAULT_GUI_FONT &&
                   index != DEFAULT_PALETTE) {
            dc.font = stockFont(index);
            canvas->setFont(dc.font);
        }
        return;
    }
    if (h == 0 || h >= st.objects.size())
        return;
    const EmfObject& o = st.objects[h];
    switch (o.kind) {
    case EmfObject::Kind::Pen:
        dc.pen = o.pen;
        canvas->setPen(o.pen);
        break;
    case EmfObject::Kind::Brush:
        dc.brush = o.brush;
        dc.pattern = o.pattern;
        canvas->setBrush(o.brush);
        break;
    case EmfObject::Kind::Font:
        dc.font = o.font;
        canvas->setFont(o.font);
        break;
    default:
        break;
    }
}

void EmfPlayer::Impl::playCreateObject(const EmfRecord& rec) {
    EmfObject o;
    uint32_t handle = 0;
    switch (rec.type) {
    case EMR_CREATEPEN:
    case EMR_EXTCREATEPEN: {
        auto p = rec.type == EMR_CREATEPEN ? readCreatePen(rec) : readExtCreatePen(rec);
        if (!p)
            return;
        handle = p->handle;
        o.kind = EmfObject::Kind::Pen;
        o.pen = p->pen;
        break;
    }
    case EMR_CREATEBRUSHINDIRECT: {
        auto b = readCreateBrush(rec);
        if (!b)
            return;
        handle = b->handle;
        o.kind = EmfObject::Kind::Brush;
        o.brush = b->brush;
        break;
    }
    case EMR_CREATEDIBPATTERNBRUSHPT:
    case EMR_CREATEMONOBRUSH: {
        auto b = readPatternBrush(rec);
        if (!b)
            return;
        handle = b->handle;
        o.kind = EmfObject::Kind::Brush;
        auto pattern = std::make_shared<PatternBrush>();
        if (b->dib.present())
            pattern->pattern =
                decodeDib(b->dib.info, b->dib.infoSize, b->dib.bits, b->dib.bitsSize, b->dib.usage)
                    .valueOr(QImage());
        // The canvas has no pattern brushes: the pattern's average colour
        // stands in for it.
        const QImage small =
            pattern->pattern.isNull()
                ? QImage()
                : pattern->pattern.scaled(1, 1, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        const QRgb avg = small.isNull() ? qRgb(128, 128, 128) : small.pixel(0, 0);
        pattern->fallback =
            BrushSpec{BrushStyle::Solid, rgb(qRed(avg), qGreen(avg), qBlue(avg)), 0};
        o.brush = pattern->fallback;
        o.pattern = std::move(pattern);
        break;
    }
    case EMR_EXTCREATEFONTINDIRECTW: {
        auto f = readExtCreateFont(rec);
        if (!f)
            return;
        handle = f->handle;
        o.kind = EmfObject::Kind::Font;
        o.font = f->font;
        break;
    }
    case EMR_CREATEPALETTE: {
        ByteReader r = rec.payload();
        handle = r.u32();
        if (!r.ok())
            return;
        o.kind = EmfObject::Kind::Palette;
        break;
    }
    default:
        return;
    }
    // Index 0 is reserved; a handle outside the declared table is damage.
    if (handle == 0 || handle >= st.objects.size())
        return;
    st.objects[handle] = std::move(o);
}

} // namespace vx::emf
