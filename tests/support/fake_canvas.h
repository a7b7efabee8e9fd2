#pragma once

// A canvas that records every drawing call as one line of text (with the
// world transform's scale and offset where it matters), for tests of code
// that draws through vx::Canvas without pixels.

#include "platform/canvas.h"

#include <QString>
#include <QStringList>

namespace vx::test {

class RecordingCanvasFake : public Canvas {
public:
    QStringList calls;
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
    // The last text drawn, with its advances.
    std::vector<int> lastAdvances;

    int dpiX() const override { return 96; }
    int dpiY() const override { return 96; }
    void setPen(const PenSpec& p) override { pen_ = p; }
    void setBrush(const BrushSpec& b) override { brush_ = b; }
    void setFont(const FontSpec& f) override { font_ = f; }
    const PenSpec& pen() const override { return pen_; }
    const BrushSpec& brush() const override { return brush_; }
    const FontSpec& font() const override { return font_; }
    void setTextColor(Color c) override { textColor = c; }
    void setBackgroundColor(Color c) override { backgroundColor = c; }
    void setBackgroundMode(BackgroundMode m) override { backgroundMode = m; }
    void setTextAlign(uint32_t f) override { textAlign = f; }
    void setFillMode(FillMode m) override { fillMode = m; }
    TextMetrics textMetrics() override { return TextMetrics{15, 12, 3, 2, 0, 6, 12}; }
    int textWidth(const QString& t) override { return 7 * int(t.size()); }
    std::vector<int> charAdvances(const QString& t) override {
        return std::vector<int>(size_t(t.size()), 7);
    }
    void textOut(int x, int y, const QString& text, uint32_t options, const QRect& clip,
                 const std::vector<int>& advances) override {
        lastAdvances = advances;
        add(QStringLiteral("text %1,%2 \"%3\" opt=%4 clip=%5 font=%6/%7")
                .arg(x)
                .arg(y)
                .arg(text)
                .arg(options)
                .arg(rect(clip))
                .arg(font_.face)
                .arg(font_.height));
    }
    void rectangle(const QRect& r) override { add(QStringLiteral("rectangle ") + rect(r)); }
    void fillRect(const QRect& r, const BrushSpec& b) override {
        add(QStringLiteral("fillRect %1 #%2").arg(rect(r)).arg(b.color.value(), 6, 16, QChar('0')));
    }
    void ellipse(const QRect& r) override { add(QStringLiteral("ellipse ") + rect(r)); }
    void roundRect(const QRect& r, int w, int h) override {
        add(QStringLiteral("roundRect %1 %2x%3").arg(rect(r)).arg(w).arg(h));
    }
    void polygon(const std::vector<QPoint>& p) override {
        add(QStringLiteral("polygon ") + pts(p));
    }
    void polyline(const std::vector<QPoint>& p) override {
        add(QStringLiteral("polyline ") + pts(p));
    }
    void moveTo(int x, int y) override { add(QStringLiteral("moveTo %1,%2").arg(x).arg(y)); }
    void lineTo(int x, int y) override { add(QStringLiteral("lineTo %1,%2").arg(x).arg(y)); }
    void drawImage(const QRect& d, const QImage& img) override {
        add(QStringLiteral("image %1 %2x%3").arg(rect(d)).arg(img.width()).arg(img.height()));
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
        const QRectF b = p.boundingRect();
        add(QStringLiteral("path %1 %2,%3,%4,%5")
                .arg(int(mode))
                .arg(qRound(b.left()))
                .arg(qRound(b.top()))
                .arg(qRound(b.right()))
                .arg(qRound(b.bottom())));
    }
    void intersectClipPath(const QPainterPath& p) override {
        const QRectF b = p.boundingRect();
        add(QStringLiteral("clipPath %1,%2,%3,%4")
                .arg(qRound(b.left()))
                .arg(qRound(b.top()))
                .arg(qRound(b.right()))
                .arg(qRound(b.bottom())));
    }

    QImage lastImage;
    // Calls that start with `prefix`.
    QStringList only(const QString& prefix) const {
        QStringList out;
        for (const QString& c : calls)
            if (c.startsWith(prefix))
                out << c;
        return out;
    }

private:
    void add(const QString& s) { calls << s; }
    static QString rect(const QRect& r) {
        return QStringLiteral("%1,%2,%3,%4")
            .arg(r.left())
            .arg(r.top())
            .arg(r.right() + 1)
            .arg(r.bottom() + 1);
    }
    static QString pts(const std::vector<QPoint>& p) {
        QStringList s;
        for (const QPoint& q : p)
            s << QStringLiteral("%1,%2").arg(q.x()).arg(q.y());
        return s.join(QChar(' '));
    }
};

} // namespace vx::test
