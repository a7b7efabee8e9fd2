#pragma once

// The drawing interface every part of the program talks to, with the
// semantics of the Windows GDI: logical coordinates are integers (pixels of
// 1/96 inch while recording), a rectangle's right and bottom edges are
// exclusive, a line does not draw its last pixel, fonts are named by face and
// sized in pixels (negative height = character height, positive = cell height).
//
// Implementations: the metafile recorder (platform/emf) and the painter
// canvas (platform/painter_canvas.h) drawing on a QPainter.

#include "platform/color.h"
#include "platform/coord.h"

#include <QImage>
#include <QPainterPath>
#include <QPoint>
#include <QRect>
#include <QRegion>
#include <QString>
#include <QTransform>

#include <cmath>
#include <cstdint>
#include <vector>

namespace vx {

// Pen styles with their GDI numbers (PS_*).
enum class PenStyle : uint32_t {
    Solid = 0,
    Dash = 1,
    Dot = 2,
    DashDot = 3,
    DashDotDot = 4,
    Null = 5,
    InsideFrame = 6
};

struct PenSpec {
    PenStyle style = PenStyle::Solid;
    int width = 1; // logical units; 0 means one device pixel
    Color color = kBlack;
    bool operator==(const PenSpec&) const = default;
};

// Brush styles with their GDI numbers (BS_*); hatch codes are HS_* (0..5).
enum class BrushStyle : uint32_t { Solid = 0, Null = 1, Hatched = 2 };

struct BrushSpec {
    BrushStyle style = BrushStyle::Solid;
    Color color = kWhite;
    uint32_t hatch = 0;
    bool operator==(const BrushSpec&) const = default;
};

// A logical font as GDI's LOGFONT describes it.
struct FontSpec {
    QString face = QStringLiteral("Arial");
    int height = -13;    // pixels; negative = character height, positive = cell height
    int width = 0;       // average character width, 0 = the face's own
    int escapement = 0;  // tenths of a degree, counter-clockwise (900 = upwards)
    int orientation = 0; // tenths of a degree
    int weight = 400;    // 400 normal, 700 bold
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    uint8_t charSet = 1; // DEFAULT_CHARSET
    uint8_t pitchAndFamily = 0;
    bool operator==(const FontSpec&) const = default;
};

// Text metrics as GDI's TEXTMETRIC reports them, in logical pixels.
struct TextMetrics {
    int height = 0;
    int ascent = 0;
    int descent = 0;
    int internalLeading = 0;
    int externalLeading = 0;
    int aveCharWidth = 0;
    int maxCharWidth = 0;
};

// Text alignment flags (TA_*), combined as GDI combines them.
namespace TextAlign {
inline constexpr uint32_t Left = 0;
inline constexpr uint32_t UpdateCP = 1;
inline constexpr uint32_t Right = 2;
inline constexpr uint32_t Center = 6;
inline constexpr uint32_t Top = 0;
inline constexpr uint32_t Bottom = 8;
inline constexpr uint32_t Baseline = 24;
} // namespace TextAlign

// ExtTextOut options (ETO_*).
namespace TextOutOption {
inline constexpr uint32_t Opaque = 2;
inline constexpr uint32_t Clipped = 4;
} // namespace TextOutOption

enum class BackgroundMode : uint32_t { Transparent = 1, Opaque = 2 };
enum class FillMode : uint32_t { Alternate = 1, Winding = 2 };

class Canvas {
public:
    virtual ~Canvas() = default;

    // Resolution of the logical units (96 while recording pages).
    virtual int dpiX() const = 0;
    virtual int dpiY() const = 0;

    // Current objects and attributes.
    virtual void setPen(const PenSpec& pen) = 0;
    virtual void setBrush(const BrushSpec& brush) = 0;
    virtual void setFont(const FontSpec& font) = 0;
    virtual const PenSpec& pen() const = 0;
    virtual const BrushSpec& brush() const = 0;
    virtual const FontSpec& font() const = 0;
    virtual void setTextColor(Color color) = 0;
    virtual void setBackgroundColor(Color color) = 0;
    virtual void setBackgroundMode(BackgroundMode mode) = 0;
    virtual void setTextAlign(uint32_t flags) = 0;
    virtual void setFillMode(FillMode mode) = 0;

    // Text measurement with the current font (on the reference device).
    virtual TextMetrics textMetrics() = 0;
    virtual int textWidth(const QString& text) = 0;
    // Advance of every UTF-16 unit of the text, in logical pixels.
    virtual std::vector<int> charAdvances(const QString& text) = 0;
    // Unrounded advance of every UTF-16 unit; the width of a text is their
    // sum, in order, rounded halves up (line wrapping measures pieces with
    // them). The default takes the rounded advances.
    virtual std::vector<double> designAdvances(const QString& text);

    // ExtTextOut: the text at (x, y) per the text alignment; `clip` is used
    // with TextOutOption::Clipped / Opaque; `advances` (one per UTF-16 unit)
    // places the characters, or the font's own advances when empty.
    virtual void textOut(int x, int y, const QString& text, uint32_t options = 0,
                         const QRect& clip = QRect(), const std::vector<int>& advances = {}) = 0;

    // Shapes, outlined with the pen and filled with the brush; rectangles
    // are given as (left, top, right, bottom) with exclusive right/bottom.
    virtual void rectangle(const QRect& r) = 0;
    virtual void fillRect(const QRect& r, const BrushSpec& brush) = 0;
    virtual void ellipse(const QRect& r) = 0;
    virtual void roundRect(const QRect& r, int cornerWidth, int cornerHeight) = 0;
    virtual void polygon(const std::vector<QPoint>& points) = 0;
    virtual void polyline(const std::vector<QPoint>& points) = 0;
    virtual void moveTo(int x, int y) = 0;
    virtual void lineTo(int x, int y) = 0;

    // A bitmap stretched into the destination rectangle.
    virtual void drawImage(const QRect& dest, const QImage& image) = 0;

    // Clipping and state.
    virtual int saveState() = 0;              // SaveDC; returns the new level
    virtual void restoreState(int level) = 0; // RestoreDC (negative = relative)
    virtual void intersectClipRect(const QRect& r) = 0;
    virtual void excludeClipRect(const QRect& r) = 0;
    virtual void setClipRegion(const QRegion& region) = 0; // empty = no clip
    virtual void resetClip() = 0;

    // World transform from logical units to the canvas's base space.
    virtual void setWorldTransform(const QTransform& t) = 0;
    virtual QTransform worldTransform() const = 0;

    // Paths (metafile playback: paths, Bezier curves, arcs, chords, pies,
    // regions). The path is in logical units and uses its own fill rule;
    // Stroke draws it with the pen, Fill fills it with the brush without an
    // outline, StrokeAndFill does both. The default flattens the path onto
    // polygon() and polyline(); implementations should draw it exactly.
    enum class PathDraw { Stroke, Fill, StrokeAndFill };
    virtual void drawPath(const QPainterPath& path, PathDraw mode);

    // Intersects the clip with a path in logical units (at the current world
    // transform). The default intersects with the path's bounding rectangle,
    // which is exact for rectangles only; implementations should clip exactly.
    virtual void intersectClipPath(const QPainterPath& path);
};

inline void Canvas::drawPath(const QPainterPath& path, PathDraw mode) {
    const PenSpec savedPen = pen();
    const BrushSpec savedBrush = brush();
    if (mode != PathDraw::Stroke) {
        setPen(PenSpec{PenStyle::Null, 0, kBlack});
        for (const QPolygonF& poly : path.toFillPolygons()) {
            std::vector<QPoint> pts;
            for (const QPointF& p : poly)
                pts.push_back(toCoordPoint(p));
            polygon(pts);
        }
        setPen(savedPen);
    }
    if (mode != PathDraw::Fill) {
        setBrush(BrushSpec{BrushStyle::Null, kWhite, 0});
        for (const QPolygonF& poly : path.toSubpathPolygons()) {
            std::vector<QPoint> pts;
            for (const QPointF& p : poly)
                pts.push_back(toCoordPoint(p));
            polyline(pts);
        }
        setBrush(savedBrush);
    }
}

inline std::vector<double> Canvas::designAdvances(const QString& text) {
    const std::vector<int> advances = charAdvances(text);
    return std::vector<double>(advances.begin(), advances.end());
}

inline void Canvas::intersectClipPath(const QPainterPath& path) {
    intersectClipRect(toCoordAlignedRect(path.boundingRect()));
}

// Helper: GDI's RECT built from edges (QRect's own constructor takes sizes).
inline QRect rectFromEdges(int left, int top, int right, int bottom) {
    return QRect(QPoint(left, top), QPoint(right - 1, bottom - 1));
}

} // namespace vx
