#include "platform/fonts.h"
#include "platform/painter_canvas.h"

#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

namespace vx {
namespace {

// A white image and a canvas on it; pixels are checked after `end()`.
struct Surface {
    explicit Surface(int w = 40, int h = 40) : image(w, h, QImage::Format_RGB32) {
        image.fill(Qt::white);
        painter.begin(&image);
        canvas = std::make_unique<PainterCanvas>(painter);
    }
    void end() {
        canvas.reset();
        painter.end();
    }
    bool dark(int x, int y) const { return qGray(image.pixel(x, y)) < 128; }
    QRgb at(int x, int y) const { return image.pixel(x, y) & 0xFFFFFF; }
    // Columns (or rows) that hold a dark pixel in a row (column).
    std::pair<int, int> darkSpanInRow(int y) const {
        int first = -1, last = -1;
        for (int x = 0; x < image.width(); ++x)
            if (dark(x, y)) {
                if (first < 0)
                    first = x;
                last = x;
            }
        return {first, last};
    }
    std::pair<int, int> darkSpanInColumn(int x) const {
        int first = -1, last = -1;
        for (int y = 0; y < image.height(); ++y)
            if (dark(x, y)) {
                if (first < 0)
                    first = y;
                last = y;
            }
        return {first, last};
    }
    QImage image;
    QPainter painter;
    std::unique_ptr<PainterCanvas> canvas;
};

TEST(PainterCanvas, RectangleRightAndBottomEdgesExclusive) {
    Surface s;
    s.canvas->setBrush(BrushSpec{BrushStyle::Null, kWhite, 0});
    s.canvas->rectangle(rectFromEdges(0, 0, 10, 10));
    s.end();
    EXPECT_EQ(s.darkSpanInRow(0), std::make_pair(0, 9));
    EXPECT_EQ(s.darkSpanInColumn(0), std::make_pair(0, 9));
    EXPECT_TRUE(s.dark(9, 5));
    EXPECT_TRUE(s.dark(5, 9));
    EXPECT_FALSE(s.dark(10, 5));
    EXPECT_FALSE(s.dark(5, 10));
    EXPECT_FALSE(s.dark(5, 5)); // hollow
}

TEST(PainterCanvas, RectangleFillInsideOutline) {
    Surface s;
    s.canvas->setBrush(BrushSpec{BrushStyle::Solid, rgb(255, 0, 0), 0});
    s.canvas->rectangle(rectFromEdges(2, 2, 12, 12));
    s.end();
    EXPECT_EQ(s.at(5, 5), 0xFF0000u);  // red inside
    EXPECT_EQ(s.at(2, 5), 0x000000u);  // pen on the left edge
    EXPECT_EQ(s.at(11, 5), 0x000000u); // pen on the last column
    EXPECT_EQ(s.at(12, 5), 0xFFFFFFu);
}

TEST(PainterCanvas, NullPenRectangleIsOnePixelSmaller) {
    Surface s;
    s.canvas->setPen(PenSpec{PenStyle::Null, 1, kBlack});
    s.canvas->setBrush(BrushSpec{BrushStyle::Solid, kBlack, 0});
    s.canvas->rectangle(rectFromEdges(0, 0, 10, 10));
    s.end();
    EXPECT_EQ(s.darkSpanInRow(4), std::make_pair(0, 8));
}

TEST(PainterCanvas, FillRectCoversWholeRect) {
    Surface s;
    s.canvas->fillRect(rectFromEdges(3, 4, 13, 9), BrushSpec{BrushStyle::Solid, kBlack, 0});
    s.end();
    EXPECT_EQ(s.darkSpanInRow(5), std::make_pair(3, 12));
    EXPECT_EQ(s.darkSpanInColumn(5), std::make_pair(4, 8));
}

TEST(PainterCanvas, LineLeavesOutLastPixel) {
    struct Row {
        int x0, y0, x1, y1;
        bool horizontal;
        int first, last;
    } rows[] = {
        {0, 5, 10, 5, true, 0, 9},   // left to right
        {10, 6, 0, 6, true, 1, 10},  // right to left: pixel 0 is the last one
        {5, 0, 5, 10, false, 0, 9},  // downwards
        {7, 10, 7, 0, false, 1, 10}, // upwards
    };
    for (const Row& r : rows) {
        Surface s;
        for (int width : {0, 1}) {
            s.canvas->setPen(PenSpec{PenStyle::Solid, width, kBlack});
            s.canvas->moveTo(r.x0, r.y0);
            s.canvas->lineTo(r.x1, r.y1);
        }
        EXPECT_EQ(s.canvas->currentPosition(), QPoint(r.x1, r.y1));
        s.end();
        const auto span = r.horizontal ? s.darkSpanInRow(r.y0) : s.darkSpanInColumn(r.x0);
        EXPECT_EQ(span, std::make_pair(r.first, r.last))
            << r.x0 << "," << r.y0 << " -> " << r.x1 << "," << r.y1;
    }
}

TEST(PainterCanvas, PenWiderThanQtAllowsStillCoversThePage) {
    for (int width : {30000, 40000, 1 << 20}) {
        Surface s;
        s.canvas->setPen(PenSpec{PenStyle::Solid, width, kBlack});
        s.canvas->moveTo(0, 20);
        s.canvas->lineTo(40, 20);
        s.end();
        EXPECT_TRUE(s.dark(20, 0) && s.dark(20, 39)) << width;
    }
}

TEST(PainterCanvas, ZeroWidthPenIsOneDevicePixelWhenScaled) {
    QImage image(40, 40, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter p(&image);
        PainterCanvas c(p, QTransform::fromScale(3, 3));
        c.setPen(PenSpec{PenStyle::Solid, 0, kBlack});
        c.moveTo(0, 5);
        c.lineTo(10, 5);
    }
    int rows = 0;
    for (int y = 0; y < 40; ++y)
        rows += qGray(image.pixel(10, y)) < 128 ? 1 : 0;
    EXPECT_EQ(rows, 1);
}

TEST(PainterCanvas, ClipRectIntersectExcludeAndRestore) {
    Surface s;
    const BrushSpec black{BrushStyle::Solid, kBlack, 0};
    const int level = s.canvas->saveState();
    EXPECT_EQ(level, 1);
    s.canvas->intersectClipRect(rectFromEdges(5, 5, 15, 15));
    s.canvas->excludeClipRect(rectFromEdges(8, 8, 10, 10));
    s.canvas->fillRect(rectFromEdges(0, 0, 20, 20), black);
    s.canvas->restoreState(-1);
    s.canvas->fillRect(rectFromEdges(30, 30, 32, 32), black); // unclipped again
    s.end();
    EXPECT_FALSE(s.dark(4, 6));
    EXPECT_TRUE(s.dark(5, 5));
    EXPECT_TRUE(s.dark(14, 14));
    EXPECT_FALSE(s.dark(15, 14));
    EXPECT_FALSE(s.dark(8, 8));
    EXPECT_FALSE(s.dark(9, 9));
    EXPECT_TRUE(s.dark(10, 10));
    EXPECT_TRUE(s.dark(31, 31));
}

TEST(PainterCanvas, ClipStaysWhereItWasSetWhenTransformChanges) {
    Surface s;
    s.canvas->intersectClipRect(rectFromEdges(0, 0, 10, 10));
    s.canvas->setWorldTransform(QTransform::fromTranslate(5, 0));
    s.canvas->fillRect(rectFromEdges(0, 0, 10, 10), BrushSpec{BrushStyle::Solid, kBlack, 0});
    s.end();
    EXPECT_TRUE(s.dark(9, 5));
    EXPECT_FALSE(s.dark(10, 5));
    EXPECT_FALSE(s.dark(4, 5));
}

TEST(PainterCanvas, PathFillAndClipPath) {
    Surface s;
    QPainterPath triangle;
    triangle.moveTo(0, 0);
    triangle.lineTo(20, 0);
    triangle.lineTo(0, 20);
    triangle.closeSubpath();
    s.canvas->setBrush(BrushSpec{BrushStyle::Solid, kBlack, 0});
    s.canvas->drawPath(triangle, Canvas::PathDraw::Fill);
    QPainterPath clip;
    clip.addRect(20, 20, 10, 10);
    s.canvas->intersectClipPath(clip);
    s.canvas->fillRect(rectFromEdges(0, 0, 40, 40), BrushSpec{BrushStyle::Solid, kBlack, 0});
    s.end();
    EXPECT_TRUE(s.dark(2, 2));
    EXPECT_FALSE(s.dark(15, 15)); // beyond the hypotenuse, outside the clip
    EXPECT_TRUE(s.dark(25, 25));
    EXPECT_FALSE(s.dark(35, 25));
}

TEST(PainterCanvas, EllipseWithinBoundsExclusive) {
    Surface s;
    s.canvas->setBrush(BrushSpec{BrushStyle::Solid, kBlack, 0});
    s.canvas->ellipse(rectFromEdges(0, 0, 20, 10));
    s.end();
    EXPECT_EQ(s.darkSpanInRow(5), std::make_pair(0, 19));
    EXPECT_FALSE(s.dark(20, 5));
}

// Text: the rows that hold ink relative to the reference point.
struct Ink {
    int top = -1, bottom = -1, left = -1, right = -1;
};
Ink inkOf(const QImage& image) {
    Ink ink;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qGray(image.pixel(x, y)) < 160) {
                if (ink.top < 0)
                    ink.top = y;
                ink.bottom = y;
                ink.left = ink.left < 0 ? x : std::min(ink.left, x);
                ink.right = std::max(ink.right, x);
            }
    return ink;
}

TEST(PainterCanvas, TextAlignmentVertical) {
    // "H" has its ink from the cap height down to the baseline.
    struct Row {
        uint32_t align;
        int expectedBaseline; // y of the baseline for a reference point at y = 30
    } rows[] = {{TextAlign::Baseline, 30}, {TextAlign::Top, 30 + 12}, {TextAlign::Bottom, 30 - 3}};
    for (const Row& r : rows) {
        Surface s(80, 80);
        s.canvas->setBackgroundMode(BackgroundMode::Transparent);
        s.canvas->setTextAlign(r.align);
        s.canvas->textOut(10, 30, QStringLiteral("H"));
        s.end();
        const Ink ink = inkOf(s.image);
        EXPECT_EQ(ink.bottom, r.expectedBaseline - 1) << r.align;
        EXPECT_NEAR(ink.top, r.expectedBaseline - 9, 1) << r.align; // cap height 9.4 at -13
    }
}

TEST(PainterCanvas, TextAlignmentHorizontal) {
    const int width = fontTextWidth(FontSpec{}, QStringLiteral("HH"));
    struct Row {
        uint32_t align;
        int left; // expected left end of the text
    } rows[] = {
        {TextAlign::Left, 40}, {TextAlign::Right, 40 - width}, {TextAlign::Center, 40 - width / 2}};
    for (const Row& r : rows) {
        Surface s(100, 40);
        s.canvas->setBackgroundMode(BackgroundMode::Transparent);
        s.canvas->setTextAlign(r.align | TextAlign::Baseline);
        s.canvas->textOut(40, 30, QStringLiteral("HH"));
        s.end();
        // "H" has a side bearing of about one pixel at this size.
        EXPECT_NEAR(inkOf(s.image).left, r.left + 1, 1) << r.align;
    }
}

TEST(PainterCanvas, TextUsesGivenAdvances) {
    Surface s(120, 40);
    s.canvas->setBackgroundMode(BackgroundMode::Transparent);
    s.canvas->setTextAlign(TextAlign::Baseline);
    s.canvas->textOut(0, 30, QStringLiteral("II"), 0, QRect(), {50, 10});
    s.end();
    const Ink ink = inkOf(s.image);
    EXPECT_LT(ink.left, 5);
    EXPECT_NEAR(ink.right, 50 + 3, 2); // the second I starts at 50
}

TEST(PainterCanvas, OpaqueBackgroundAndClippedText) {
    Surface s(60, 40);
    s.canvas->setBackgroundColor(rgb(0, 0, 255));
    s.canvas->textOut(0, 0, QStringLiteral("MMMMMMMM"),
                      TextOutOption::Opaque | TextOutOption::Clipped, rectFromEdges(0, 0, 20, 20));
    s.end();
    EXPECT_EQ(s.at(19, 17), 0x0000FFu); // opaque rectangle filled
    EXPECT_EQ(s.at(25, 5), 0xFFFFFFu);  // text clipped at x = 20
}

TEST(PainterCanvas, UpdateCurrentPosition) {
    Surface s(120, 40);
    s.canvas->setTextAlign(TextAlign::UpdateCP);
    s.canvas->moveTo(5, 5);
    s.canvas->textOut(0, 0, QStringLiteral("hello wo"));
    EXPECT_EQ(s.canvas->currentPosition(), QPoint(5 + 48, 5));
    s.end();
}

TEST(PainterCanvas, RotatedTextGoesUpwards) {
    Surface s(60, 100);
    FontSpec f;
    f.escapement = 900;
    s.canvas->setFont(f);
    s.canvas->setBackgroundMode(BackgroundMode::Transparent);
    s.canvas->setTextAlign(TextAlign::Baseline);
    s.canvas->textOut(30, 90, QStringLiteral("hello wo"));
    s.end();
    const Ink ink = inkOf(s.image);
    EXPECT_LE(ink.right, 30);
    EXPECT_GE(ink.right, 27);
    EXPECT_NEAR(ink.top, 90 - 48, 2);
    EXPECT_LE(ink.bottom, 90);
}

TEST(PainterCanvas, SaveRestoreKeepsAttributes) {
    Surface s;
    s.canvas->setPen(PenSpec{PenStyle::Dash, 0, rgb(1, 2, 3)});
    s.canvas->saveState();
    s.canvas->setPen(PenSpec{});
    s.canvas->saveState();
    s.canvas->restoreState(1); // back to the first saved state
    EXPECT_EQ(s.canvas->pen().style, PenStyle::Dash);
    s.canvas->restoreState(-1); // nothing saved any more: ignored
    EXPECT_EQ(s.canvas->pen().color, rgb(1, 2, 3));
    s.end();
}

} // namespace
} // namespace vx
