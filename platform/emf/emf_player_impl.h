#pragma once

// Internal state of EmfPlayer, shared by its source files.

#include "platform/emf/emf_player.h"
#include "platform/emf/emf_records.h"

#include <cmath>
#include <optional>

namespace vx::emf {

namespace player_detail {

// Nesting of SaveDC is limited so that a picture made only of SAVEDC
// records cannot grow the stack without end (GDI itself allows a few
// thousand levels; real pictures use a handful).
inline constexpr size_t kMaxSaveDepth = 4096;

// Raster operations the player understands.
inline constexpr uint32_t SRCCOPY = 0x00CC0020, NOTSRCCOPY = 0x00330008, PATCOPY = 0x00F00021,
                          BLACKNESS = 0x00000042, WHITENESS = 0x00FF0062, PATINVERT = 0x005A0049,
                          MERGECOPY = 0x00C000CA, SRCPAINT = 0x00EE0086, SRCAND = 0x008800C6;

// Region modes (RGN_*).
inline constexpr uint32_t RGN_AND = 1, RGN_OR = 2, RGN_XOR = 3, RGN_DIFF = 4, RGN_COPY = 5;

// Regions with more rectangles than this are taken as their bounding
// rectangle: clip arithmetic on paths grows with the rectangles' count, and
// the regions GDI programs record stay far below it.
inline constexpr size_t kMaxRegionRects = 4096;

// Text whose characters would be taller or wider than this many pixels on
// the destination is not drawn: no page shows such glyphs, and rendering one
// takes seconds and a glyph image of gigabytes (damaged font records).
inline constexpr double kMaxGlyphPixels = 8192;

// Text placed farther than this from the destination's origin (in
// destination pixels) is not drawn: it can never be seen, and the font
// engine's fixed-point glyph positions overflow out there.
inline constexpr double kMaxTextDistance = 1 << 22;

// A rectangle standing for "no clip" when something is excluded from it.
inline const QRectF kEverything(-1e8, -1e8, 2e8, 2e8);

inline QRect rectOf(const RectL& r) {
    return qrectFromEdges(r);
}

inline bool isRectPath(const QPainterPath& p, QRectF* out) {
    if (p.elementCount() != 5 && p.elementCount() != 4)
        return false;
    const QRectF b = p.boundingRect();
    for (int i = 0; i < p.elementCount(); ++i) {
        const QPainterPath::Element e = p.elementAt(i);
        if (i == 0 ? !e.isMoveTo() : !e.isLineTo())
            return false;
        if ((e.x != b.left() && e.x != b.right()) || (e.y != b.top() && e.y != b.bottom()))
            return false;
    }
    *out = b;
    return true;
}

inline QPainterPath rectPath(const QRectF& r) {
    QPainterPath p;
    p.addRect(r);
    return p;
}

// The stock brush of that index; nothing for an index that names none.
inline std::optional<BrushSpec> stockBrush(uint32_t index) {
    switch (index) {
    case WHITE_BRUSH:
        return BrushSpec{BrushStyle::Solid, kWhite, 0};
    case LTGRAY_BRUSH:
        return BrushSpec{BrushStyle::Solid, rgb(0xC0, 0xC0, 0xC0), 0};
    case GRAY_BRUSH:
        return BrushSpec{BrushStyle::Solid, rgb(0x80, 0x80, 0x80), 0};
    case DKGRAY_BRUSH:
        return BrushSpec{BrushStyle::Solid, rgb(0x40, 0x40, 0x40), 0};
    case BLACK_BRUSH:
        return BrushSpec{BrushStyle::Solid, kBlack, 0};
    case NULL_BRUSH:
        return BrushSpec{BrushStyle::Null, kWhite, 0};
    case DC_BRUSH:
        return BrushSpec{BrushStyle::Solid, kWhite, 0};
    default:
        return std::nullopt;
    }
}

// The stock pen of that index; nothing for an index that names none.
inline std::optional<PenSpec> stockPen(uint32_t index) {
    switch (index) {
    case WHITE_PEN:
        return PenSpec{PenStyle::Solid, 0, kWhite};
    case BLACK_PEN:
    case DC_PEN:
        return PenSpec{PenStyle::Solid, 0, kBlack};
    case NULL_PEN:
        return PenSpec{PenStyle::Null, 0, kBlack};
    default:
        return std::nullopt;
    }
}

inline FontSpec stockFont(uint32_t index) {
    FontSpec f;
    switch (index) {
    case OEM_FIXED_FONT:
    case ANSI_FIXED_FONT:
    case SYSTEM_FIXED_FONT:
        f.face = QStringLiteral("Courier New");
        f.height = 13;
        break;
    case DEFAULT_GUI_FONT:
        f.face = QStringLiteral("Tahoma");
        f.height = -11;
        break;
    default:
        f.face = QStringLiteral("Arial");
        f.height = 16;
        f.weight = 700;
        break;
    }
    return f;
}

// The parametric angle (degrees) QPainterPath::arcTo takes for the point
// where the line from the box centre towards `p` meets the ellipse.
inline double arcAngle(const QRectF& box, QPointF p) {
    const QPointF c = box.center();
    const double rx = box.width() / 2, ry = box.height() / 2;
    if (rx <= 0 || ry <= 0)
        return 0;
    return std::atan2(-(p.y() - c.y()) / ry, (p.x() - c.x()) / rx) * 180.0 / M_PI;
}

} // namespace player_detail

using namespace player_detail;

struct EmfPlayer::Impl {
    EmfPlayer& owner;
    Canvas* canvas = nullptr;
    PlaybackState st;
    QTransform base; // the canvas's transform when playback began
    QTransform deviceToDest;
    int canvasLevel = 0; // canvas save level holding the caller's state
    bool begun = false;

    explicit Impl(EmfPlayer& o) : owner(o) {}

    const EmfHeader& header() const { return owner.picture_.header(); }

    // --- transforms -----------------------------------------------------
    QTransform pageToDevice() const {
        const DcState& dc = st.dc;
        double sx = 1, sy = 1;
        const EmfHeader& h = header();
        auto metric = [&](double mmPerUnit) {
            sx = h.pixelsPerMmX() * mmPerUnit;
            sy = -h.pixelsPerMmY() * mmPerUnit;
        };
        switch (dc.mapMode) {
        case MM_LOMETRIC:
            metric(0.1);
            break;
        case MM_HIMETRIC:
            metric(0.01);
            break;
        case MM_LOENGLISH:
            metric(0.254);
            break;
        case MM_HIENGLISH:
            metric(0.0254);
            break;
        case MM_TWIPS:
            metric(25.4 / 1440.0);
            break;
        case MM_ISOTROPIC:
        case MM_ANISOTROPIC:
            sx = double(dc.viewportExt.width()) / dc.windowExt.width();
            sy = double(dc.viewportExt.height()) / dc.windowExt.height();
            if (dc.mapMode == MM_ISOTROPIC) {
                const double m = std::min(std::abs(sx), std::abs(sy));
                sx = std::copysign(m, sx);
                sy = std::copysign(m, sy);
            }
            break;
        default:
            break;
        }
        return QTransform::fromTranslate(-double(dc.windowOrg.x()), -double(dc.windowOrg.y())) *
               QTransform::fromScale(sx, sy) *
               QTransform::fromTranslate(dc.viewportOrg.x(), dc.viewportOrg.y());
    }
    QTransform logicalToDevice() const { return st.dc.worldTransform * pageToDevice(); }
    QTransform logicalToDest() const { return logicalToDevice() * deviceToDest * base; }

    void applyTransform() { canvas->setWorldTransform(logicalToDest()); }

    void applyObjects() {
        const DcState& dc = st.dc;
        canvas->setPen(dc.pen);
        canvas->setBrush(dc.brush);
        canvas->setFont(dc.font);
        canvas->setTextColor(dc.textColor);
        canvas->setBackgroundColor(dc.backgroundColor);
        canvas->setBackgroundMode(dc.backgroundMode);
        canvas->setTextAlign(dc.textAlign & ~TextAlign::UpdateCP);
        canvas->setFillMode(dc.fillMode);
    }

    // The caller's clip is kept in the canvas's saved state; the picture's
    // clip is intersected with it afresh whenever it changes.
    void applyClip() {
        canvas->restoreState(canvasLevel);
        canvasLevel = canvas->saveState();
        if (st.dc.clip) {
            canvas->setWorldTransform(deviceToDest * base);
            QRectF r;
            if (isRectPath(*st.dc.clip, &r) && toCoordRect(r) == toCoordAlignedRect(r))
                canvas->intersectClipRect(toCoordRect(r));
            else
                canvas->intersectClipPath(*st.dc.clip);
        }
        applyObjects();
        applyTransform();
    }

    void resetState() {
        st = PlaybackState();
        st.objects.assign(std::max<size_t>(header().handles, 1), EmfObject());
        st.dc.font = stockFont(SYSTEM_FONT);
    }

    // --- clip -----------------------------------------------------------
    void combineClip(const QPainterPath& device, uint32_t mode) {
        std::optional<QPainterPath>& clip = st.dc.clip;
        const QPainterPath current = clip ? *clip : rectPath(kEverything);
        QRectF a, b;
        switch (mode) {
        case RGN_COPY:
            clip = device;
            break;
        case RGN_AND:
            if (clip && isRectPath(*clip, &a) && isRectPath(device, &b))
                clip = rectPath(a.intersected(b));
            else
                clip = clip ? clip->intersected(device) : device;
            break;
        case RGN_OR:
            if (clip)
                clip = clip->united(device);
            break;
        case RGN_XOR:
            clip = current.united(device).subtracted(current.intersected(device));
            break;
        case RGN_DIFF:
            clip = current.subtracted(device);
            break;
        default:
            return;
        }
        applyClip();
    }

    QPainterPath toDevice(const QPainterPath& logical) const {
        return logicalToDevice().map(logical);
    }

    // --- drawing helpers -----------------------------------------------
    Canvas::PathDraw fillMode(bool fill, bool stroke) const {
        return fill && stroke ? Canvas::PathDraw::StrokeAndFill
                              : (fill ? Canvas::PathDraw::Fill : Canvas::PathDraw::Stroke);
    }

    // A shape either joins the path being recorded or is drawn.
    void shape(const QPainterPath& logical, bool fill, bool stroke) {
        if (st.inPath) {
            st.path.addPath(toDevice(logical));
            return;
        }
        QPainterPath p = logical;
        p.setFillRule(st.dc.fillMode == FillMode::Winding ? Qt::WindingFill : Qt::OddEvenFill);
        canvas->drawPath(p, fillMode(fill, stroke));
    }

    void pathMoveTo(QPoint p) {
        if (st.inPath)
            st.path.moveTo(logicalToDevice().map(QPointF(p)));
    }

    // Draws a device-space path with the current objects.
    void drawDevicePath(const QPainterPath& device, Canvas::PathDraw mode) {
        const QTransform l2d = logicalToDevice();
        if (l2d.isInvertible()) {
            QPainterPath logical = l2d.inverted().map(device);
            logical.setFillRule(st.dc.fillMode == FillMode::Winding ? Qt::WindingFill
                                                                    : Qt::OddEvenFill);
            canvas->drawPath(logical, mode);
        }
    }

    // --- records --------------------------------------------------------
    void play(const EmfRecord& rec);
    void playPoly(const EmfRecord& rec, bool p16);
    void playPolyPoly(const EmfRecord& rec, bool p16);
    void playPolyDraw(const EmfRecord& rec, bool p16);
    void playBox(const EmfRecord& rec);
    void playArc(const EmfRecord& rec);
    void playAngleArc(const EmfRecord& rec);
    void playText(const EmfRecord& rec);
    void drawText(const TextRecord& t);
    void playCreateObject(const EmfRecord& rec);
    void playSelectObject(uint32_t handle);
    void playBlt(const EmfRecord& rec);
    void playRegion(const EmfRecord& rec);
    void playGradient(const EmfRecord& rec);
    void playPathRecord(uint32_t type, ByteReader& r);
    void playMapping(uint32_t type, ByteReader& r);
    void playLineTo(ByteReader& r);
    void playClipRecord(uint32_t type, ByteReader& r, const EmfRecord& rec);
    void saveDc();
    void restoreDc(int32_t n);
};

} // namespace vx::emf
