// Metafiles played onto the painter canvas, checked by pixels.

#include "platform/emf/emf_player.h"

#include "platform/emf/emf_constants.h"
#include "platform/fonts.h"
#include "platform/painter_canvas.h"
#include "tests/support/emf_test_builder.h"

#include <QPainter>

#include <gtest/gtest.h>

#include <algorithm>

using namespace vx;
using namespace vx::emf;
using vx::test::EmfTestBuilder;

namespace {

// A picture whose frame is 100 x 100 device pixels (26.46 mm at 96 dpi).
EmfTestBuilder smallPicture() {
    EmfTestBuilder b;
    b.devicePxX = 96 * 10;
    b.devicePxY = 96 * 10;
    b.deviceMmX = 254;
    b.deviceMmY = 254;
    b.frameRight = 2646; // 100 px in 0.01 mm
    b.frameBottom = 2646;
    return b;
}

QImage render(const QByteArray& bytes, QSize size) {
    QImage img(size, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::white);
    QPainter painter(&img);
    PainterCanvas canvas(painter);
    EmfPlayer player(EmfPicture::parse(bytes));
    player.play(canvas, QRectF(QPointF(0, 0), QSizeF(size)));
    return img;
}

bool near(QRgb a, QRgb b) {
    return std::abs(qRed(a) - qRed(b)) < 8 && std::abs(qGreen(a) - qGreen(b)) < 8 &&
           std::abs(qBlue(a) - qBlue(b)) < 8;
}

} // namespace

TEST(EmfPlayerPixels, FilledShapesScaleWithTheDestinationAndRespectTheClip) {
    EmfTestBuilder b = smallPicture();
    b.rec(EMR_CREATEBRUSHINDIRECT, {1, 0, 0x0000FF, 0})
        .rec(EMR_SELECTOBJECT, {1})
        .rec(EMR_SELECTOBJECT, {0x80000000 | NULL_PEN})
        .rec(EMR_SAVEDC, {})
        .rec(EMR_INTERSECTCLIPRECT, {0, 0, 50, 100})
        .rec(EMR_RECTANGLE, {10, 10, 90, 30}) // only its left part is inside the clip
        .rec(EMR_RESTOREDC, {-1})
        .rec(EMR_RECTANGLE, {10, 60, 90, 80});
    const QImage img = render(b.build(), QSize(200, 200)); // drawn at twice the size
    const QRgb red = qRgb(255, 0, 0), white = qRgb(255, 255, 255);
    struct Probe {
        int x, y;
        QRgb expected;
    };
    const Probe probes[] = {
        {40, 40, red},    {98, 40, red},  {102, 40, white}, // clipped at x = 100
        {150, 40, white}, {40, 140, red}, {170, 140, red},  {190, 140, white}, {10, 10, white},
    };
    for (const Probe& p : probes)
        EXPECT_TRUE(near(img.pixel(p.x, p.y), p.expected))
            << p.x << "," << p.y << " is " << std::hex << img.pixel(p.x, p.y);
}

TEST(EmfPlayerPixels, StretchDibitsDrawsTheBitmapUpright) {
    // 2 x 2 DIB, bottom-up: bottom row blue, white; top row red, green.
    QByteArray dib = vx::test::dibHeader(2, 2, 24);
    const int offBits = 8 + 72 + int(dib.size());
    dib += QByteArray::fromHex("ff0000ffffff0000"
                               "0000ff00ff000000");
    QByteArray p;
    ByteWriter w(&p);
    for (int v : {0, 0, 99, 99, 0, 0, 0, 0, 2, 2})
        w.i32(v);
    for (uint32_t v : {80u, 40u, uint32_t(offBits), 16u, 0u, 0x00CC0020u})
        w.u32(v);
    w.i32(100);
    w.i32(100);
    p += dib;
    EmfTestBuilder b = smallPicture();
    b.raw(EMR_STRETCHDIBITS, p);
    const QImage img = render(b.build(), QSize(100, 100));
    EXPECT_TRUE(near(img.pixel(25, 25), qRgb(255, 0, 0)));
    EXPECT_TRUE(near(img.pixel(75, 25), qRgb(0, 255, 0)));
    EXPECT_TRUE(near(img.pixel(25, 75), qRgb(0, 0, 255)));
    EXPECT_TRUE(near(img.pixel(75, 75), qRgb(255, 255, 255)));
}

TEST(EmfPlayerPixels, SetDibitsToDevicePlacesABandOfScanLines) {
    // A 2 x 4 bottom-up DIB of which the record holds rows 2 and 3 (the top
    // half): row 2 blue, white; row 3 red, green. The source is the whole
    // bitmap, so the band lands in the top half of the destination and the
    // bottom half stays untouched.
    QByteArray dib = vx::test::dibHeader(2, 4, 24);
    const int offBits = 8 + 68 + int(dib.size());
    dib += QByteArray::fromHex("ff0000ffffff0000"
                               "0000ff00ff000000");
    QByteArray p;
    ByteWriter w(&p);
    for (int v : {0, 0, 1, 3, 0, 0, 0, 0, 2, 4}) // bounds, dest x y, source x y cx cy
        w.i32(v);
    for (uint32_t v : {76u, 40u, uint32_t(offBits), 16u, 0u, 2u, 2u}) // DIB, usage, band
        w.u32(v);
    p += dib;
    EmfTestBuilder b = smallPicture();
    b.rec(EMR_SETMAPMODE, {8})
        .rec(EMR_SETWINDOWEXTEX, {2, 4})
        .rec(EMR_SETVIEWPORTEXTEX, {100, 100})
        .raw(EMR_SETDIBITSTODEVICE, p);
    const QImage img = render(b.build(), QSize(100, 100));
    EXPECT_TRUE(near(img.pixel(25, 12), qRgb(255, 0, 0)));
    EXPECT_TRUE(near(img.pixel(75, 12), qRgb(0, 255, 0)));
    EXPECT_TRUE(near(img.pixel(25, 37), qRgb(0, 0, 255)));
    EXPECT_TRUE(near(img.pixel(25, 75), qRgb(255, 255, 255)));
    EXPECT_TRUE(near(img.pixel(75, 87), qRgb(255, 255, 255)));
}

// A page of 60 lines of 8 text records each with their fonts and colours,
// about 2,000 records, as the report engine records them.
TEST(EmfPlayerPixels, DenseTextPageIsPlayed) {
    EmfTestBuilder b;
    b.raw(EMR_EXTCREATEFONTINDIRECTW, vx::test::createFont(1, QStringLiteral("Arial"), -13))
        .raw(EMR_EXTCREATEFONTINDIRECTW, vx::test::createFont(2, QStringLiteral("Arial"), -13, 700))
        .rec(EMR_SETBKMODE, {1})
        .rec(EMR_SETTEXTALIGN, {24});
    for (int line = 0; line < 60; ++line)
        for (int col = 0; col < 8; ++col) {
            b.rec(EMR_SELECTOBJECT, {1 + (col == 0)});
            b.rec(EMR_SETTEXTCOLOR, {col == 0 ? 0x800000 : 0});
            const QString text = QStringLiteral("Voce %1.%2").arg(line).arg(col);
            std::vector<int> dx(size_t(text.size()), 7);
            b.raw(EMR_EXTTEXTOUTW,
                  vx::test::extTextOutW(text, QPoint(40 + col * 90, 60 + line * 17), dx,
                                        TextOutOption::Clipped,
                                        QRect(40 + col * 90, 48 + line * 17, 88, 16)));
            b.rec(EMR_MOVETOEX, {40 + col * 90, 62 + line * 17});
        }
    const EmfPicture pic = EmfPicture::parse(b.build());
    ASSERT_GT(pic.recordCount(), 1900);
    // The page onto an image at 100 % (its time is measured by the
    // benchmark BM_PlayDensePage, where a busy machine cannot fail the suite).
    QImage img(794, 1123, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::white);
    {
        QPainter painter(&img);
        PainterCanvas canvas(painter);
        EmfPlayer(pic).play(canvas, QRectF(0, 0, 794, 1123));
    }
    // Something was drawn in the first text cell.
    bool dark = false;
    for (int y = 48; y < 64 && !dark; ++y)
        for (int x = 40; x < 120 && !dark; ++x)
            dark = qGray(img.pixel(x, y)) < 128;
    EXPECT_TRUE(dark);
}

// Glyphs of a pixel or two, or squeezed much flatter than wide, made the
// font engine's rasteriser fail and Qt then crashed reading the glyph image
// (a damaged file with a skewed anisotropic mapping). They are filled as
// outlines: no crash, and the flat text still leaves ink.
TEST(EmfPlayerPixels, TinyAndFlatTextIsDrawnWithoutTheGlyphCache) {
    struct Case {
        double sx, sy;
        bool ink; // something is drawn inside the image
    } cases[] = {
        {24, 0.005, false},  {24, 0.01, false}, {24, 0.03, true},
        {24, 0.05, true},    {50, 0.01, false}, {100, 0.01, false},
        {0.02, 0.02, false}, {0.01, 24, false}, {1, 1, true},
    };
    FontSpec font;
    font.face = QStringLiteral("Arial");
    font.height = -55;
    for (const Case& c : cases) {
        QImage img(64, 64, QImage::Format_ARGB32_Premultiplied);
        img.fill(Qt::white);
        {
            QPainter painter(&img);
            PainterCanvas canvas(painter);
            canvas.setWorldTransform(QTransform::fromScale(c.sx, c.sy));
            canvas.setFont(font);
            canvas.setBackgroundMode(BackgroundMode::Transparent);
            canvas.setTextAlign(TextAlign::Baseline);
            canvas.textOut(0, int(30 / c.sy), QStringLiteral("A^W@"));
        }
        bool drawn = false;
        for (int y = 0; y < 64 && !drawn; ++y)
            for (int x = 0; x < 64 && !drawn; ++x)
                drawn = img.pixel(x, y) != qRgb(255, 255, 255);
        if (c.ink) {
            EXPECT_TRUE(drawn) << c.sx << " x " << c.sy;
        }
    }

    // The same through a picture: an anisotropic mapping 24 times wider and
    // 0.03 times as high, a 55-pixel font.
    EmfTestBuilder b = smallPicture();
    b.rec(EMR_SETMAPMODE, {MM_ANISOTROPIC})
        .rec(EMR_SETWINDOWEXTEX, {100, 100})
        .rec(EMR_SETVIEWPORTEXTEX, {2400, 3})
        .raw(EMR_EXTCREATEFONTINDIRECTW, vx::test::createFont(1, QStringLiteral("Arial"), -55))
        .rec(EMR_SELECTOBJECT, {1})
        .rec(EMR_SETBKMODE, {1})
        .raw(EMR_EXTTEXTOUTW, vx::test::extTextOutW(QStringLiteral("^A^W"), QPoint(0, 1500)));
    for (const int size : {64, 100})
        (void)render(b.build(), QSize(size, size));
}

TEST(EmfPlayerPixels, HugeTextIsFilledAsOutlines) {
    // Glyphs above a thousand device pixels are filled as outlines: the
    // stem of an "I" still inks the middle of the image, on either side of
    // the limit, and an emoji (a colour glyph from a fallback face) of the
    // largest size a file may ask for is drawn without rasterising it.
    for (int height : {-900, -1200, -16384}) {
        FontSpec font;
        font.face = QStringLiteral("Arial");
        font.height = height;
        QImage img(64, 64, QImage::Format_ARGB32_Premultiplied);
        img.fill(Qt::white);
        {
            QPainter painter(&img);
            PainterCanvas canvas(painter);
            canvas.setFont(font);
            canvas.setBackgroundMode(BackgroundMode::Transparent);
            canvas.setTextAlign(TextAlign::Baseline);
            const int advance = std::max(1, fontTextWidth(font, QStringLiteral("I")) / 2);
            canvas.textOut(32 - advance, -height / 2, QStringLiteral("I\U0001F600"));
        }
        EXPECT_NE(img.pixel(32, 32), qRgb(255, 255, 255)) << height;
    }
}

// A clipped text record drawn without a clip of the canvas's own leaves its
// rectangle on the painter only as long as needed; with a clip of the
// canvas's own it is saved and restored. Both give the same pixels: text
// inside its cell, crossing its edge, wholly outside, underlined, then a
// shape across every cell.
TEST(EmfPlayerPixels, ClippedTextLooksTheSameWithAndWithoutTheCanvasClip) {
    const auto draw = [](bool ownClip) {
        QImage img(300, 120, QImage::Format_ARGB32_Premultiplied);
        img.fill(Qt::white);
        QPainter painter(&img);
        PainterCanvas canvas(painter);
        if (ownClip)
            canvas.intersectClipRect(QRect(0, 0, 300, 120));
        FontSpec font;
        font.face = QStringLiteral("Arial");
        font.height = -13;
        canvas.setBackgroundMode(BackgroundMode::Transparent);
        for (int row = 0; row < 4; ++row) {
            font.underline = row == 2;
            canvas.setFont(font);
            if (row == 3)
                canvas.setBackgroundMode(BackgroundMode::Opaque);
            const int y = 5 + row * 25;
            const QRect inside(10, y, 150, 20), crossing(230, y, 30, 20), apart(170, y, 50, 20);
            canvas.textOut(14, y + 2, QStringLiteral("Fattura n. 12"), TextOutOption::Clipped,
                           inside);
            canvas.textOut(232, y + 2, QStringLiteral("Pagamento fattura"), TextOutOption::Clipped,
                           crossing);
            canvas.textOut(100, y + 2, QStringLiteral("fuori"), TextOutOption::Clipped, apart);
            canvas.textOut(14, y + 2, QStringLiteral("Totale"),
                           TextOutOption::Clipped | TextOutOption::Opaque, apart);
        }
        canvas.setPen(PenSpec{PenStyle::Solid, 0, kBlack});
        canvas.setBrush(BrushSpec{BrushStyle::Null, kWhite, 0});
        canvas.rectangle(QRect(5, 3, 290, 110));
        painter.end();
        return img;
    };
    const QImage shortcut = draw(false);
    const QImage saved = draw(true);
    EXPECT_EQ(shortcut, saved);
    // The frame drawn after the clipped text is whole.
    EXPECT_EQ(qGray(shortcut.pixel(150, 112)), 0);
    EXPECT_EQ(qGray(shortcut.pixel(294, 60)), 0);
    // Nothing of the text reaches past its cell: right of the crossing cell
    // and where the text outside its cell would have been stays white; the
    // text inside and the start of the crossing text are drawn.
    const auto white = [&](int x0, int x1) {
        for (int y = 5; y < 105; ++y)
            for (int x = x0; x <= x1; ++x)
                if (shortcut.pixel(x, y) != qRgb(255, 255, 255))
                    return false;
        return true;
    };
    EXPECT_TRUE(white(100, 165));
    EXPECT_TRUE(white(262, 290));
    EXPECT_FALSE(white(14, 60));
    EXPECT_FALSE(white(232, 258));
}
