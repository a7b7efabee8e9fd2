#pragma once

// The canvas drawing on a QPainter (screen widget, QImage, QPrinter,
// QPdfWriter) with GDI's rules: right and bottom edges of rectangles are
// exclusive, a line leaves out its last pixel, a 0-width pen is one device
// pixel wide, text is placed at its per-character advances and measured on
// the 96-dpi reference device.
//
// Coordinates: the world transform maps logical units to the canvas's base
// space; the base transform (given at construction) maps base space to the
// painter's device pixels. A page drawn at zoom z on a device of D dpi uses
// the base transform scale(z * D / 96).

#include "platform/canvas.h"

#include <QPainter>
#include <QPainterPath>

#include <optional>
#include <vector>

namespace vx {

class PainterCanvas : public Canvas {
public:
    // `painter` is not owned and must be active for the canvas's lifetime.
    // The canvas leaves the painter's transform, clip, pen and brush as it
    // found them when it is destroyed.
    explicit PainterCanvas(QPainter& painter, const QTransform& baseTransform = QTransform(),
                           int dpiX = 96, int dpiY = 96);
    ~PainterCanvas() override;
    PainterCanvas(const PainterCanvas&) = delete;
    PainterCanvas& operator=(const PainterCanvas&) = delete;

    int dpiX() const override { return dpiX_; }
    int dpiY() const override { return dpiY_; }

    void setPen(const PenSpec& pen) override { state_.pen = pen; }
    void setBrush(const BrushSpec& brush) override { state_.brush = brush; }
    void setFont(const FontSpec& font) override { state_.font = font; }
    const PenSpec& pen() const override { return state_.pen; }
    const BrushSpec& brush() const override { return state_.brush; }
    const FontSpec& font() const override { return state_.font; }
    void setTextColor(Color color) override { state_.textColor = color; }
    void setBackgroundColor(Color color) override { state_.backgroundColor = color; }
    void setBackgroundMode(BackgroundMode mode) override { state_.backgroundMode = mode; }
    void setTextAlign(uint32_t flags) override { state_.textAlign = flags; }
    void setFillMode(FillMode mode) override { state_.fillMode = mode; }

    TextMetrics textMetrics() override;
    int textWidth(const QString& text) override;
    std::vector<int> charAdvances(const QString& text) override;
    std::vector<double> designAdvances(const QString& text) override;

    void textOut(int x, int y, const QString& text, uint32_t options = 0,
                 const QRect& clip = QRect(), const std::vector<int>& advances = {}) override;

    void rectangle(const QRect& r) override;
    void fillRect(const QRect& r, const BrushSpec& brush) override;
    void ellipse(const QRect& r) override;
    void roundRect(const QRect& r, int cornerWidth, int cornerHeight) override;
    void polygon(const std::vector<QPoint>& points) override;
    void polyline(const std::vector<QPoint>& points) override;
    void moveTo(int x, int y) override { state_.currentPos = QPoint(x, y); }
    void lineTo(int x, int y) override;

    void drawImage(const QRect& dest, const QImage& image) override;

    int saveState() override;
    void restoreState(int level) override;
    void intersectClipRect(const QRect& r) override;
    void excludeClipRect(const QRect& r) override;
    // The region is in base space (the device units of the drawing before
    // the base transform), as GDI takes clip regions in device units.
    void setClipRegion(const QRegion& region) override;
    void resetClip() override;

    void setWorldTransform(const QTransform& t) override;

    // Paths: drawn through pixel centres like polygons; the clip path is
    // taken at the current world transform.
    void drawPath(const QPainterPath& path, PathDraw mode) override;
    void intersectClipPath(const QPainterPath& path) override;
    QTransform worldTransform() const override { return state_.world; }

    // Current position (moveTo/lineTo and text with UpdateCP).
    QPoint currentPosition() const { return state_.currentPos; }
    // The painter drawn on.
    QPainter& painter() { return painter_; }

private:
    static QColor qcolor(Color c);
    // The device-context state that SaveDC/RestoreDC keep. The clip is held
    // in base space (device space of the base transform) as a path so that it
    // survives later changes of the world transform, as GDI's does.
    struct State {
        PenSpec pen;
        BrushSpec brush;
        FontSpec font;
        Color textColor = kBlack;
        Color backgroundColor = kWhite;
        BackgroundMode backgroundMode = BackgroundMode::Opaque;
        uint32_t textAlign = 0;
        FillMode fillMode = FillMode::Alternate;
        QTransform world;
        QPoint currentPos;
        bool hasClip = false;
        QPainterPath clip; // base space
    };

    void applyTransform();
    void applyClip();
    QPen qpen() const;
    QBrush qbrush(const BrushSpec& brush) const;
    double devicePixelInLogical() const;
    QPainterPath logicalRectPath(const QRect& r) const;
    void strokeAndFill(const QPainterPath& fillPath, const QPainterPath& strokePath);
    void drawLineNoLastPixel(QPoint from, QPoint to);
    // Draws the glyphs from `baselineStart` at the painter's transform. With
    // `clip` (same coordinates, not rotated against the text), glyphs wholly
    // outside it are left out and the painter is clipped only when a glyph
    // crosses its edge.
    void drawGlyphs(const QString& text, const std::vector<int>& advances, QPointF baselineStart,
                    const QRectF* clip);
    // Clips the painter to a text record's rectangle (at the current
    // transform), or with nullptr takes such a clip away. Only while the
    // canvas has no clip of its own: the rectangle then stays in place for
    // the next text records with the same rectangle, and is taken away
    // before anything else is drawn. A PDF or printer restates its whole
    // graphics state on every clip change, so a clip saved and restored
    // around each record doubles what a page of clipped cells costs.
    void useTextClip(const QRectF* rect);

    QPainter& painter_;
    QTransform base_;
    QTransform initialTransform_; // the painter's own, kept below the base
    bool initialHasClip_ = false;
    QPainterPath initialClip_; // the painter's own clip, kept under ours
    int dpiX_;
    int dpiY_;
    State state_;
    std::vector<State> saved_;
    struct TextClip {
        QRectF rect;
        QTransform transform;
    };
    std::optional<TextClip> textClip_; // the painter's clip set by useTextClip
};

} // namespace vx
