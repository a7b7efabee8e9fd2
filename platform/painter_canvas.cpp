#include "platform/painter_canvas.h"

#include "platform/fonts.h"

#include <QGlyphRun>
#include <QPaintEngine>
#include <QRawFont>
#include <QVarLengthArray>

#include <algorithm>
#include <cmath>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace vx {

namespace {

QColor qcolor(Color c) {
    return QColor(c.red(), c.green(), c.blue());
}

// A rectangle far larger than any page: the "everything" that an excluded
// rectangle is cut from when no clip is set yet.
constexpr double kHuge = 1.0e7;

// Glyphs whose em is smaller than this many device pixels along either
// axis, or stretched more than kMaxGlyphAspect times wider than high (or
// higher than wide), are drawn as outlines (see drawGlyphs).
constexpr double kMinGlyphPixels = 2.0;
constexpr double kMaxGlyphAspect = 8.0;
// Glyphs larger than this many device pixels are filled as outlines too:
// Qt rasterises a colour glyph (an emoji from a fallback face) into an image
// whatever its size, which for the largest fonts a file may ask for takes
// gigabytes and seconds per character.
constexpr double kMaxRasterGlyphPixels = 1024.0;

Qt::BrushStyle hatchStyle(uint32_t hatch) {
    switch (hatch) {
    case 0: // HS_HORIZONTAL
        return Qt::HorPattern;
    case 1: // HS_VERTICAL
        return Qt::VerPattern;
    case 2: // HS_FDIAGONAL, "\\\\"
        return Qt::FDiagPattern;
    case 3: // HS_BDIAGONAL, "////"
        return Qt::BDiagPattern;
    case 4: // HS_CROSS
        return Qt::CrossPattern;
    case 5: // HS_DIAGCROSS
        return Qt::DiagCrossPattern;
    default:
        return Qt::SolidPattern;
    }
}

// GDI's dash patterns for thin styled pens, in pen widths.
QList<qreal> dashPattern(PenStyle style) {
    switch (style) {
    case PenStyle::Dash:
        return {18, 6};
    case PenStyle::Dot:
        return {3, 3};
    case PenStyle::DashDot:
        return {9, 6, 3, 6};
    case PenStyle::DashDotDot:
        return {9, 3, 3, 3, 3, 3};
    default:
        return {};
    }
}

// PDF output and printing: Qt compresses every page's content through
// buffers of several megabytes, above glibc's mmap threshold, so each page
// maps, faults in and unmaps them afresh (a page-table flush on every core
// each time). Keeping such buffers in the heap takes about a quarter off a
// long PDF export. Done once, when the first printing canvas is made; the
// process keeps up to 64 MB of freed heap instead of returning it at once.
void keepLargeBuffersInHeap() {
#if defined(__GLIBC__)
    static const bool done = [] {
        mallopt(M_MMAP_THRESHOLD, 32 << 20);
        mallopt(M_TRIM_THRESHOLD, 64 << 20);
        return true;
    }();
    (void)done;
#endif
}

} // namespace

PainterCanvas::PainterCanvas(QPainter& painter, const QTransform& baseTransform, int dpiX, int dpiY)
    : painter_(painter), base_(baseTransform), dpiX_(dpiX), dpiY_(dpiY) {
    if (painter_.paintEngine() && painter_.paintEngine()->type() == QPaintEngine::Pdf)
        keepLargeBuffersInHeap();
    painter_.save();
    initialTransform_ = painter_.transform();
    initialHasClip_ = painter_.hasClipping();
    if (initialHasClip_)
        initialClip_ = painter_.clipPath();
    applyTransform();
}

PainterCanvas::~PainterCanvas() {
    painter_.restore();
}

void PainterCanvas::applyTransform() {
    painter_.setTransform(state_.world * base_ * initialTransform_);
}

void PainterCanvas::useTextClip(const QRectF* rect) {
    if (!rect) {
        if (textClip_) {
            painter_.setClipping(false);
            textClip_.reset();
        }
        return;
    }
    const QTransform& transform = painter_.transform();
    if (textClip_ && textClip_->rect == *rect && textClip_->transform == transform)
        return;
    painter_.setClipRect(*rect, Qt::ReplaceClip);
    textClip_ = TextClip{*rect, transform};
}

void PainterCanvas::applyClip() {
    textClip_.reset();
    painter_.setTransform(initialTransform_);
    if (initialHasClip_)
        painter_.setClipPath(initialClip_, Qt::ReplaceClip);
    else
        painter_.setClipping(false);
    if (state_.hasClip) {
        painter_.setTransform(base_ * initialTransform_);
        painter_.setClipPath(state_.clip, initialHasClip_ ? Qt::IntersectClip : Qt::ReplaceClip);
    }
    applyTransform();
}

double PainterCanvas::devicePixelInLogical() const {
    const QTransform t = state_.world * base_ * initialTransform_;
    const double scale = std::sqrt(std::abs(t.determinant()));
    return scale > 0 ? 1.0 / scale : 1.0;
}

QPen PainterCanvas::qpen() const {
    const PenSpec& p = state_.pen;
    if (p.style == PenStyle::Null)
        return QPen(Qt::NoPen);
    QPen pen(qcolor(p.color));
    if (p.width <= 1) {
        // Thin pens: one device pixel for width 0, one logical pixel for
        // width 1; both end flat so a line leaves out its last pixel.
        pen.setWidthF(p.width <= 0 ? 0.0 : 1.0);
        pen.setCosmetic(p.width <= 0);
        pen.setCapStyle(Qt::FlatCap);
        pen.setJoinStyle(Qt::MiterJoin);
        const QList<qreal> dashes = dashPattern(p.style);
        if (!dashes.isEmpty())
            pen.setDashPattern(dashes);
    } else {
        // Wide pens are geometric with round ends and joins, and solid
        // whatever their style, as GDI draws them. Qt refuses a width from
        // 2^15 on (and would draw the thinnest line instead): a wider pen
        // from a stored picture is drawn as wide as Qt allows, which covers
        // any page already.
        constexpr double kMaxQtPenWidth = (1 << 15) - 1;
        pen.setWidthF(std::min<double>(p.width, kMaxQtPenWidth));
        pen.setCapStyle(Qt::RoundCap);
        pen.setJoinStyle(Qt::RoundJoin);
    }
    return pen;
}

QBrush PainterCanvas::qbrush(const BrushSpec& b) const {
    switch (b.style) {
    case BrushStyle::Null:
        return Qt::NoBrush;
    case BrushStyle::Solid:
        return QBrush(qcolor(b.color));
    case BrushStyle::Hatched:
        return QBrush(qcolor(b.color), hatchStyle(b.hatch));
    }
    return Qt::NoBrush;
}

void PainterCanvas::strokeAndFill(const QPainterPath& fillPath, const QPainterPath& strokePath) {
    useTextClip(nullptr);
    const BrushSpec& b = state_.brush;
    if (b.style != BrushStyle::Null && !fillPath.isEmpty()) {
        if (b.style == BrushStyle::Hatched && state_.backgroundMode == BackgroundMode::Opaque)
            painter_.fillPath(fillPath, qcolor(state_.backgroundColor));
        painter_.fillPath(fillPath, qbrush(b));
    }
    if (state_.pen.style == PenStyle::Null || strokePath.isEmpty())
        return;
    const QPen pen = qpen();
    if (pen.style() == Qt::CustomDashLine && state_.backgroundMode == BackgroundMode::Opaque) {
        // Gaps of a styled pen show the background colour.
        QPen gaps = pen;
        gaps.setStyle(Qt::SolidLine);
        gaps.setColor(qcolor(state_.backgroundColor));
        painter_.strokePath(strokePath, gaps);
    }
    painter_.strokePath(strokePath, pen);
}

// The outline of a shape drawn in a bounding rectangle: through the centres
// of its edge pixels (so a 1-pixel pen covers left..right-1), and for an
// inside-frame pen moved in by half the pen's width.
static QRectF outlineRect(const QRect& r, const PenSpec& pen) {
    QRectF box(r.left() + 0.5, r.top() + 0.5, r.width() - 1.0, r.height() - 1.0);
    if (pen.style == PenStyle::InsideFrame && pen.width > 1) {
        const double inset = (pen.width - 1) / 2.0;
        box.adjust(inset, inset, -inset, -inset);
    }
    return box.normalized();
}

QPainterPath PainterCanvas::logicalRectPath(const QRect& r) const {
    QPainterPath path;
    path.addRect(QRectF(r.left(), r.top(), r.width(), r.height()).normalized());
    return path;
}

void PainterCanvas::rectangle(const QRect& r) {
    // The fill covers left..right-2 (GDI leaves the last column and row to
    // the pen, so with a null pen the rectangle is one pixel smaller).
    QPainterPath fill;
    fill.addRect(QRectF(r.left(), r.top(), r.width() - 1.0, r.height() - 1.0).normalized());
    QPainterPath outline;
    outline.addRect(outlineRect(r, state_.pen));
    strokeAndFill(fill, outline);
}

void PainterCanvas::fillRect(const QRect& r, const BrushSpec& brush) {
    useTextClip(nullptr);
    const QPainterPath path = logicalRectPath(r);
    if (brush.style == BrushStyle::Hatched && state_.backgroundMode == BackgroundMode::Opaque)
        painter_.fillPath(path, qcolor(state_.backgroundColor));
    if (brush.style != BrushStyle::Null)
        painter_.fillPath(path, qbrush(brush));
}

void PainterCanvas::ellipse(const QRect& r) {
    QPainterPath fill;
    fill.addEllipse(QRectF(r.left(), r.top(), r.width() - 1.0, r.height() - 1.0).normalized());
    QPainterPath outline;
    outline.addEllipse(outlineRect(r, state_.pen));
    strokeAndFill(fill, outline);
}

void PainterCanvas::roundRect(const QRect& r, int cornerWidth, int cornerHeight) {
    const double rx = std::abs(cornerWidth) / 2.0;
    const double ry = std::abs(cornerHeight) / 2.0;
    QPainterPath fill;
    fill.addRoundedRect(QRectF(r.left(), r.top(), r.width() - 1.0, r.height() - 1.0).normalized(),
                        rx, ry);
    QPainterPath outline;
    outline.addRoundedRect(outlineRect(r, state_.pen), rx, ry);
    strokeAndFill(fill, outline);
}

void PainterCanvas::polygon(const std::vector<QPoint>& points) {
    if (points.size() < 2)
        return;
    QPolygonF poly;
    poly.reserve(qsizetype(points.size()));
    for (const QPoint& p : points)
        poly << QPointF(p.x() + 0.5, p.y() + 0.5);
    QPainterPath path;
    path.addPolygon(poly);
    path.closeSubpath();
    path.setFillRule(state_.fillMode == FillMode::Winding ? Qt::WindingFill : Qt::OddEvenFill);
    strokeAndFill(path, path);
}

void PainterCanvas::polyline(const std::vector<QPoint>& points) {
    if (points.size() < 2)
        return;
    if (state_.pen.width <= 1) {
        // Thin pens: segment by segment, each without its last pixel.
        for (size_t i = 1; i < points.size(); ++i)
            if (points[i] != points[i - 1])
                drawLineNoLastPixel(points[i - 1], points[i]);
        return;
    }
    QPainterPath path(QPointF(points[0].x() + 0.5, points[0].y() + 0.5));
    for (size_t i = 1; i < points.size(); ++i)
        path.lineTo(points[i].x() + 0.5, points[i].y() + 0.5);
    const BrushSpec saved = state_.brush;
    state_.brush.style = BrushStyle::Null;
    strokeAndFill(QPainterPath(), path);
    state_.brush = saved;
}

void PainterCanvas::drawPath(const QPainterPath& path, PathDraw mode) {
    if (path.isEmpty())
        return;
    const QPainterPath centred = path.translated(0.5, 0.5);
    const BrushSpec savedBrush = state_.brush;
    const PenSpec savedPen = state_.pen;
    if (mode == PathDraw::Stroke)
        state_.brush.style = BrushStyle::Null;
    if (mode == PathDraw::Fill)
        state_.pen.style = PenStyle::Null;
    strokeAndFill(mode == PathDraw::Stroke ? QPainterPath() : centred,
                  mode == PathDraw::Fill ? QPainterPath() : centred);
    state_.brush = savedBrush;
    state_.pen = savedPen;
}

void PainterCanvas::intersectClipPath(const QPainterPath& path) {
    const QPainterPath mapped = state_.world.map(path);
    state_.clip = state_.hasClip ? state_.clip.intersected(mapped) : mapped;
    state_.hasClip = true;
    applyClip();
}

void PainterCanvas::drawLineNoLastPixel(QPoint from, QPoint to) {
    // The rasteriser covers the pixels whose centres lie in (start, end]
    // along the stroke; placing the ends on pixel edges, moved by one
    // pixel when the line runs towards smaller coordinates, covers the
    // first pixel and leaves out the last one in either direction. The
    // minor axis runs through pixel centres.
    const int dx = to.x() - from.x();
    const int dy = to.y() - from.y();
    QPointF a, b;
    if (std::abs(dx) >= std::abs(dy)) {
        const double shift = dx < 0 ? 1.0 : 0.0;
        a = QPointF(from.x() + shift, from.y() + 0.5);
        b = QPointF(to.x() + shift, to.y() + 0.5);
    } else {
        const double shift = dy < 0 ? 1.0 : 0.0;
        a = QPointF(from.x() + 0.5, from.y() + shift);
        b = QPointF(to.x() + 0.5, to.y() + shift);
    }
    if (state_.pen.width > 1) {
        // Wide pens have round ends that reach past both points anyway.
        a = QPointF(from.x() + 0.5, from.y() + 0.5);
        b = QPointF(to.x() + 0.5, to.y() + 0.5);
    }
    QPainterPath path(a);
    path.lineTo(b);
    const BrushSpec saved = state_.brush;
    state_.brush.style = BrushStyle::Null;
    strokeAndFill(QPainterPath(), path);
    state_.brush = saved;
}

void PainterCanvas::lineTo(int x, int y) {
    const QPoint to(x, y);
    if (to != state_.currentPos)
        drawLineNoLastPixel(state_.currentPos, to);
    state_.currentPos = to;
}

void PainterCanvas::drawImage(const QRect& dest, const QImage& image) {
    if (image.isNull() || dest.isEmpty())
        return;
    useTextClip(nullptr);
    painter_.drawImage(QRectF(dest.left(), dest.top(), dest.width(), dest.height()), image);
}

TextMetrics PainterCanvas::textMetrics() {
    return fontTextMetrics(state_.font);
}

int PainterCanvas::textWidth(const QString& text) {
    return fontTextWidth(state_.font, text);
}

std::vector<int> PainterCanvas::charAdvances(const QString& text) {
    return fontCharAdvances(state_.font, text);
}

std::vector<double> PainterCanvas::designAdvances(const QString& text) {
    return fontDesignAdvances(state_.font, text);
}

void PainterCanvas::textOut(int x, int y, const QString& text, uint32_t options, const QRect& clip,
                            const std::vector<int>& advances) {
    const FontSpec& font = state_.font;
    const TextMetrics tm = fontTextMetrics(font);
    const uint32_t align = state_.textAlign;
    const bool updateCP = (align & TextAlign::UpdateCP) != 0;
    QPoint origin = updateCP ? state_.currentPos : QPoint(x, y);

    std::vector<int> adv = advances;
    if (adv.size() < size_t(text.size())) {
        const std::vector<int> own = fontCharAdvances(font, text);
        for (size_t i = adv.size(); i < own.size(); ++i)
            adv.push_back(own[i]);
    }
    long long total = 0;
    for (qsizetype i = 0; i < text.size(); ++i)
        total += adv[size_t(i)];
    const double width = double(total);

    // Offsets of the text's left end and baseline from the reference point,
    // along the text direction.
    double dx = 0;
    switch (align & TextAlign::Center) {
    case TextAlign::Right:
        dx = -width;
        break;
    case TextAlign::Center:
        dx = -width / 2.0;
        break;
    default:
        break;
    }
    double dy = 0; // baseline below the reference point
    if ((align & TextAlign::Baseline) == TextAlign::Baseline)
        dy = 0;
    else if (align & TextAlign::Bottom)
        dy = -tm.descent;
    else
        dy = tm.ascent;

    // The opaque rectangle and the clip are not rotated with the text.
    const bool clipped = (options & TextOutOption::Clipped) && !clip.isNull();
    const QRectF clipRect(clip.left(), clip.top(), clip.width(), clip.height());
    if ((options & TextOutOption::Opaque) && !clip.isEmpty() &&
        !(textClip_ && clipped && textClip_->rect == clipRect))
        useTextClip(nullptr);
    if ((options & TextOutOption::Opaque) && !clip.isEmpty())
        painter_.fillRect(QRectF(clip.left(), clip.top(), clip.width(), clip.height()),
                          qcolor(state_.backgroundColor));

    const bool background = state_.backgroundMode == BackgroundMode::Opaque &&
                            !(options & TextOutOption::Opaque) && total > 0;

    if (font.escapement == 0) {
        // Level text: the glyph positions carry the reference point, and the
        // painter's transform and clip are left alone unless a glyph crosses
        // the clip rectangle. Every change of either costs a PDF or a
        // printer a restated graphics state, on every text record.
        const QPointF start(origin.x() + dx, origin.y() + dy);
        if (background && !(textClip_ && clipped && textClip_->rect == clipRect))
            useTextClip(nullptr);
        if (background) {
            QRectF box(start.x(), start.y() - tm.ascent, width, tm.height);
            if (clipped)
                box = box.intersected(clipRect);
            if (!box.isEmpty())
                painter_.fillRect(box, qcolor(state_.backgroundColor));
        }
        drawGlyphs(text, adv, start, clipped ? &clipRect : nullptr);
    } else {
        useTextClip(nullptr);
        painter_.save();
        if (clipped)
            painter_.setClipRect(clipRect, Qt::IntersectClip);
        QTransform textFrame;
        textFrame.translate(origin.x(), origin.y());
        textFrame.rotate(-font.escapement / 10.0); // counter-clockwise on a y-down page
        painter_.setTransform(textFrame * painter_.transform());
        if (background)
            painter_.fillRect(QRectF(dx, dy - tm.ascent, width, tm.height),
                              qcolor(state_.backgroundColor));
        drawGlyphs(text, adv, QPointF(dx, dy), nullptr);
        painter_.restore();
    }

    if (updateCP) {
        // The current position moves past the text for left alignment, to its
        // left end for right alignment, and stays for centred text.
        const double move = (align & TextAlign::Center) == TextAlign::Center ? 0.0
                            : (align & TextAlign::Right)                     ? -width
                                                                             : width;
        const double angle = font.escapement / 10.0 * M_PI / 180.0;
        state_.currentPos = origin + QPoint(int(std::lround(move * std::cos(angle))),
                                            int(std::lround(-move * std::sin(angle))));
    }
}

void PainterCanvas::drawGlyphs(const QString& text, const std::vector<int>& adv,
                               QPointF baselineStart, const QRectF* clip) {
    const FontSpec& font = state_.font;
    const double em = fontEmPixels(font);
    const QRawFont raw = fontRawFont(font);
    const double stretch = font.width > 0 ? fontStretch(font) / 100.0 : 1.0;
    const QColor color = qcolor(state_.textColor);

    // The glyphs' size on the device along each axis (the painter's
    // transform holds the text frame, world and base transforms). The font
    // engine rasterises glyphs into a cache, and its rasteriser fails, and
    // Qt then reads a glyph image that was never made, for glyphs of a pixel
    // or two or squeezed much flatter than wide (found in damaged files with
    // skewed mappings). Such glyphs are filled as outlines instead, which
    // never goes through the glyph cache; they look the same at that size.
    // The extent is taken along the glyph's widest and narrowest directions
    // (the singular values of the stretched transform), so that a skewed
    // mapping which squeezes glyphs flat along a diagonal counts as flat.
    const QTransform& device = painter_.transform();
    const double a = device.m11() * stretch, b = device.m12() * stretch;
    const double c = device.m21(), d = device.m22();
    const double sumSquares = a * a + b * b + c * c + d * d;
    const double det = std::abs(a * d - b * c);
    const double spread = std::sqrt(std::max(0.0, sumSquares * sumSquares - 4 * det * det));
    const double widestEm = em * std::sqrt((sumSquares + spread) / 2);
    const double narrowestEm = em * std::sqrt(std::max(0.0, (sumSquares - spread) / 2));
    // An SVG document gets outlines too: its engine writes glyph runs as
    // empty text elements.
    const bool svg = painter_.paintEngine() && painter_.paintEngine()->type() == QPaintEngine::SVG;
    const bool outlines =
        svg || (painter_.paintEngine() && painter_.paintEngine()->type() != QPaintEngine::Pdf &&
                !(narrowestEm >= kMinGlyphPixels && widestEm <= kMaxGlyphAspect * narrowestEm &&
                  widestEm <= kMaxRasterGlyphPixels));

    // Glyph indexes of the whole string at once: one per code point.
    QVarLengthArray<quint32, 256> indexes(std::max<qsizetype>(1, text.size()));
    int mapped = int(text.size());
    if (!raw.isValid() ||
        !raw.glyphIndexesForChars(text.constData(), int(text.size()), indexes.data(), &mapped))
        mapped = 0;

    QList<quint32> glyphs;
    QList<QPointF> positions;
    glyphs.reserve(text.size());
    positions.reserve(text.size());
    QString fallbackText;
    QList<QPointF> fallbackPositions;
    double pos = baselineStart.x();
    int codePoint = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QPointF at(pos, baselineStart.y());
        pos += adv[size_t(i)];
        const QChar c = text[i];
        if (c.isLowSurrogate() && i > 0 && text[i - 1].isHighSurrogate())
            continue;
        const bool pair =
            c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate();
        const quint32 g = codePoint < mapped ? indexes[codePoint] : 0;
        ++codePoint;
        if (g != 0) {
            glyphs << g;
            positions << QPointF(at.x() / stretch, at.y());
        } else if (!c.isSpace()) {
            fallbackText += c;
            if (pair)
                fallbackText += text[i + 1];
            fallbackPositions << at;
        }
    }
    // Against the clip rectangle: glyphs wholly outside it are left out on
    // every device (a PDF then holds the text the page shows, not characters
    // hidden by the clip), and the painter is clipped only when a glyph's ink
    // crosses its edge (by a device pixel's margin either way).
    bool needClip = false;
    if (clip) {
        const double margin = devicePixelInLogical();
        const QRectF inner = clip->adjusted(margin, margin, -margin, -margin);
        const QRectF outer = clip->adjusted(-margin, -margin, margin, margin);
        qsizetype kept = 0;
        for (qsizetype k = 0; k < glyphs.size(); ++k) {
            const QRectF ink = fontGlyphInk(font, glyphs[k]);
            if (!ink.isEmpty()) {
                const QRectF placed((positions[k].x() + ink.x()) * stretch,
                                    positions[k].y() + ink.y(), ink.width() * stretch,
                                    ink.height());
                if (!placed.intersects(outer))
                    continue;
                if (!inner.contains(placed))
                    needClip = true;
            }
            glyphs[kept] = glyphs[k];
            positions[kept] = positions[k];
            ++kept;
        }
        glyphs.resize(kept);
        positions.resize(kept);
        if (!fallbackText.isEmpty() || outlines)
            needClip = true;
    }
    // Without a clip of the canvas's own, the rectangle is left in place for
    // the next records (useTextClip); with one, it is saved and restored.
    const bool ownClip = state_.hasClip || initialHasClip_;
    const bool savedClip = needClip && ownClip;
    if (savedClip) {
        painter_.save();
        painter_.setClipRect(*clip, Qt::IntersectClip);
    } else if (!ownClip) {
        useTextClip(needClip ? clip : nullptr);
    }

    if (outlines) {
        QPainterPath path;
        for (qsizetype k = 0; k < glyphs.size(); ++k)
            path.addPath(raw.pathForGlyph(glyphs[k]).translated(positions[k]));
        if (!fallbackText.isEmpty()) {
            const QFont qf = qfontFor(font, 1.0);
            for (qsizetype i = 0, k = 0; i < fallbackText.size(); ++i, ++k) {
                QString unit(fallbackText[i]);
                if (fallbackText[i].isHighSurrogate() && i + 1 < fallbackText.size())
                    unit += fallbackText[++i];
                const QPointF at = fallbackPositions.value(k);
                path.addText(QPointF(at.x() / stretch, at.y()), qf, unit);
            }
            fallbackText.clear();
        }
        painter_.save();
        painter_.setRenderHint(QPainter::Antialiasing);
        painter_.setTransform(QTransform::fromScale(stretch, 1.0) * painter_.transform());
        painter_.fillPath(path, color);
        painter_.restore();
    }
    painter_.setPen(color);
    if (!glyphs.isEmpty() && !outlines) {
        QGlyphRun run;
        run.setRawFont(raw);
        run.setGlyphIndexes(glyphs);
        run.setPositions(positions);
        if (stretch != 1.0) {
            painter_.save();
            painter_.setTransform(QTransform::fromScale(stretch, 1.0) * painter_.transform());
            painter_.drawGlyphRun(QPointF(0, 0), run);
            painter_.restore();
        } else {
            painter_.drawGlyphRun(QPointF(0, 0), run);
        }
    }
    if (!fallbackText.isEmpty()) {
        // Characters the face lacks: drawn one by one from a fallback face.
        painter_.setFont(qfontFor(font, 1.0));
        for (qsizetype i = 0, k = 0; i < fallbackText.size(); ++i, ++k) {
            QString unit(fallbackText[i]);
            if (fallbackText[i].isHighSurrogate() && i + 1 < fallbackText.size())
                unit += fallbackText[++i];
            painter_.drawText(fallbackPositions.value(k), unit);
        }
    }
    if (font.underline || font.strikeOut) {
        const double thickness =
            raw.isValid() ? std::max(1.0, raw.lineThickness()) : std::max(1.0, em / 14.0);
        const double left = baselineStart.x();
        const double right = pos;
        const auto line = [&](double y) {
            QRectF r(left, y, right - left, thickness);
            if (clip)
                r = r.intersected(*clip);
            if (!r.isEmpty())
                painter_.fillRect(r, color);
        };
        if (font.underline)
            line(baselineStart.y() + (raw.isValid() ? raw.underlinePosition() : em / 10.0));
        if (font.strikeOut)
            line(baselineStart.y() - (raw.isValid() ? raw.xHeight() / 2.0 : em / 4.0));
    }
    if (savedClip)
        painter_.restore();
}

int PainterCanvas::saveState() {
    saved_.push_back(state_);
    return int(saved_.size());
}

void PainterCanvas::restoreState(int level) {
    // GDI: a positive level names the saved state to return to (the ones
    // saved after it are dropped); a negative one counts back from the top.
    const int count = int(saved_.size());
    int target = level < 0 ? count + level + 1 : level;
    if (target < 1 || target > count)
        return;
    state_ = saved_[size_t(target - 1)];
    saved_.resize(size_t(target - 1));
    applyClip();
}

void PainterCanvas::intersectClipRect(const QRect& r) {
    const QPainterPath rect = state_.world.map(logicalRectPath(r));
    state_.clip = state_.hasClip ? state_.clip.intersected(rect) : rect;
    state_.hasClip = true;
    applyClip();
}

void PainterCanvas::excludeClipRect(const QRect& r) {
    const QPainterPath rect = state_.world.map(logicalRectPath(r));
    if (!state_.hasClip) {
        QPainterPath all;
        all.addRect(QRectF(-kHuge, -kHuge, 2 * kHuge, 2 * kHuge));
        state_.clip = all;
    }
    state_.clip = state_.clip.subtracted(rect);
    state_.hasClip = true;
    applyClip();
}

void PainterCanvas::setClipRegion(const QRegion& region) {
    if (region.isEmpty()) {
        resetClip();
        return;
    }
    QPainterPath path;
    path.addRegion(region);
    state_.clip = path;
    state_.hasClip = true;
    applyClip();
}

void PainterCanvas::resetClip() {
    state_.clip = QPainterPath();
    state_.hasClip = false;
    applyClip();
}

void PainterCanvas::setWorldTransform(const QTransform& t) {
    state_.world = t;
    applyTransform();
}

} // namespace vx
