#pragma once

// The tests' canvas: it draws nothing and records every drawing call as one
// line of text ("rectangle L,T,R,B", "text X,Y \"TEXT\" opt=.. clip=..
// font=FACE/HEIGHT", ...), every text with the state it was drawn in, and
// how many shapes were drawn. Measurements are fixed (charWidth pixels a
// character) or, with realFonts, the reference device's font metrics.

#include "platform/canvas.h"
#include "platform/fonts.h"

#include <QImage>
#include <QString>
#include <QStringList>

#include <vector>

namespace vx::test {

class FakeCanvas : public Canvas {
public:
    // A text drawn, with the state it was drawn in.
    struct Text {
        QPoint at;
        QString text;
        std::vector<int> advances;
        QTransform world;
        FontSpec font;
        Color color;
        Color background;
        BackgroundMode mode;
    };

    // How the canvas measures: every character charWidth pixels wide with
    // `metrics`, or with realFonts as the reference device would.
    int charWidth = 7;
    TextMetrics metrics{15, 12, 3, 2, 0, 6, 12};
    bool realFonts = false;
    // With recordStyles, setPen and setBrush are recorded too
    // ("pen WIDTH #RRGGBB", "brush STYLE #RRGGBB"; COLORREF order).
    bool recordStyles = false;

    QStringList calls;
    std::vector<Text> texts;
    int shapes = 0; // rectangles, fills, ellipses, polygons, lines, images, paths
    QImage lastImage;
    int level = 0;
    QTransform world;
    PenSpec pen_;
    BrushSpec brush_;
    FontSpec font_;
    Color textColor = kBlack;
    Color backgroundColor = kWhite;
    BackgroundMode backgroundMode = BackgroundMode::Opaque;
    uint32_t textAlign = 0;
    FillMode fillMode = FillMode::Alternate;

    // Calls that start with `prefix`.
    QStringList only(const QString& prefix) const {
        QStringList out;
        for (const QString& c : calls)
            if (c.startsWith(prefix))
                out << c;
        return out;
    }
    // Whether `text` was drawn at (x, y).
    bool drewText(int x, int y, const QString& text) const {
        for (const Text& t : texts)
            if (t.at == QPoint(x, y) && t.text == text)
                return true;
        return false;
    }

    int dpiX() const override { return 96; }
    int dpiY() const override { return 96; }
    void setPen(const PenSpec& p) override {
        pen_ = p;
        if (recordStyles)
            add(QStringLiteral("pen %1 %2").arg(p.width).arg(hex(p.color)));
    }
    void setBrush(const BrushSpec& b) override {
        brush_ = b;
        if (recordStyles)
            add(QStringLiteral("brush %1 %2").arg(int(b.style)).arg(hex(b.color)));
    }
    void setFont(const FontSpec& f) override { font_ = f; }
    const PenSpec& pen() const override { return pen_; }
    const BrushSpec& brush() const override { return brush_; }
    const FontSpec& font() const override { return font_; }
    void setTextColor(Color c) override { textColor = c; }
    void setBackgroundColor(Color c) override { backgroundColor = c; }
    void setBackgroundMode(BackgroundMode m) override { backgroundMode = m; }
    void setTextAlign(uint32_t f) override { textAlign = f; }
    void setFillMode(FillMode m) override { fillMode = m; }
    TextMetrics textMetrics() override { return realFonts ? fontTextMetrics(font_) : metrics; }
    int textWidth(const QString& t) override {
        return realFonts ? fontTextWidth(font_, t) : charWidth * int(t.size());
    }
    std::vector<int> charAdvances(const QString& t) override {
        return realFonts ? fontCharAdvances(font_, t)
                         : std::vector<int>(size_t(t.size()), charWidth);
    }
    void textOut(int x, int y, const QString& text, uint32_t options, const QRect& clip,
                 const std::vector<int>& advances) override {
        texts.push_back({QPoint(x, y), text, advances, world, font_, textColor, backgroundColor,
                         backgroundMode});
        add(QStringLiteral("text %1,%2 \"%3\" opt=%4 clip=%5 font=%6/%7")
                .arg(x)
                .arg(y)
                .arg(text)
                .arg(options)
                .arg(rect(clip))
                .arg(font_.face)
                .arg(font_.height));
    }
    void rectangle(const QRect& r) override { shape(QStringLiteral("rectangle ") + rect(r)); }
    void fillRect(const QRect& r, const BrushSpec& b) override {
        shape(QStringLiteral("fillRect %1 %2").arg(rect(r)).arg(hex(b.color)));
    }
    void ellipse(const QRect& r) override { shape(QStringLiteral("ellipse ") + rect(r)); }
    void roundRect(const QRect& r, int w, int h) override {
        shape(QStringLiteral("roundRect %1 %2x%3").arg(rect(r)).arg(w).arg(h));
    }
    void polygon(const std::vector<QPoint>& p) override {
        shape(QStringLiteral("polygon ") + pts(p));
    }
    void polyline(const std::vector<QPoint>& p) override {
        shape(QStringLiteral("polyline ") + pts(p));
    }
    void moveTo(int x, int y) override { add(QStringLiteral("moveTo %1,%2").arg(x).arg(y)); }
    void lineTo(int x, int y) override { shape(QStringLiteral("lineTo %1,%2").arg(x).arg(y)); }
    void drawImage(const QRect& d, const QImage& img) override {
        shape(QStringLiteral("image %1 %2x%3").arg(rect(d)).arg(img.width()).arg(img.height()));
        lastImage = img;
    }
    int saveState() override { return ++level; }
    void restoreState(int l) override { level = l < 0 ? level + l : l - 1; }
    void intersectClipRect(const QRect& r) override { add(QStringLiteral("clip ") + rect(r)); }
    void excludeClipRect(const QRect& r) override { add(QStringLiteral("exclude ") + rect(r)); }
    void setClipRegion(const QRegion& r) override {
        add(QStringLiteral("clipRegion %1").arg(r.rectCount()));
    }
    void resetClip() override { add(QStringLiteral("resetClip")); }
    void setWorldTransform(const QTransform& t) override { world = t; }
    QTransform worldTransform() const override { return world; }
    void drawPath(const QPainterPath& p, PathDraw mode) override {
        shape(QStringLiteral("path %1 %2").arg(int(mode)).arg(bounds(p)));
    }
    void intersectClipPath(const QPainterPath& p) override {
        add(QStringLiteral("clipPath ") + bounds(p));
    }

private:
    void add(const QString& s) { calls << s; }
    void shape(const QString& s) {
        ++shapes;
        add(s);
    }
    static QString hex(Color c) { return QStringLiteral("#%1").arg(c.value(), 6, 16, QChar('0')); }
    static QString rect(const QRect& r) {
        return QStringLiteral("%1,%2,%3,%4")
            .arg(r.left())
            .arg(r.top())
            .arg(r.right() + 1)
            .arg(r.bottom() + 1);
    }
    static QString bounds(const QPainterPath& p) {
        const QRectF b = p.boundingRect();
        return QStringLiteral("%1,%2,%3,%4")
            .arg(qRound(b.left()))
            .arg(qRound(b.top()))
            .arg(qRound(b.right()))
            .arg(qRound(b.bottom()));
    }
    static QString pts(const std::vector<QPoint>& p) {
        QStringList s;
        for (const QPoint& q : p)
            s << QStringLiteral("%1,%2").arg(q.x()).arg(q.y());
        return s.join(QChar(' '));
    }
};

} // namespace vx::test
