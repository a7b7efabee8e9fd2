// The painter canvas's text: measures from the font cache, and glyph runs
// placed at the recorded advances, level or turned, clipped and opaque as
// the text call asks.
#include "platform/painter_canvas.h"

#include "platform/fonts.h"

#include <QGlyphRun>
#include <QPaintEngine>
#include <QRawFont>
#include <QVarLengthArray>

#include <algorithm>
#include <cmath>

namespace vx {

namespace {

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

} // namespace

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
        state_.currentPos =
            QPoint(clampCoord(int64_t(origin.x()) + toCoord(move * std::cos(angle))),
                   clampCoord(int64_t(origin.y()) + toCoord(-move * std::sin(angle))));
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

} // namespace vx
