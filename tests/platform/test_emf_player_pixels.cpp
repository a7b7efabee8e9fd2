// Metafiles played onto the painter canvas, checked by pixels; and the time
// one dense text page takes.

#include "platform/emf/emf_player.h"

#include "platform/emf/emf_constants.h"
#include "platform/painter_canvas.h"
#include "tests/support/emf_test_builder.h"
#include "tests/support/recording_canvas_fake.h"

#include <QElapsedTimer>
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

// Counts nothing and draws nothing: isolates the player's own cost.
struct NullCanvas : vx::test::RecordingCanvasFake {
    void textOut(int, int, const QString&, uint32_t, const QRect&,
                 const std::vector<int>&) override {}
    void polyline(const std::vector<QPoint>&) override {}
    void moveTo(int, int) override {}
};

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

// A page of 60 lines of 8 text records each with their fonts and colours,
// about 2,000 records, as the report engine records them.
TEST(EmfPlayerPixels, DenseTextPagePlaysQuickly) {
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
    const auto median = [](std::vector<qint64> t) {
        std::sort(t.begin(), t.end());
        return t[t.size() / 2] / 1e6;
    };
    // The player's own work: every record decoded and handed to a canvas
    // that draws nothing.
    std::vector<qint64> own;
    for (int run = 0; run < 5; ++run) {
        NullCanvas canvas;
        QElapsedTimer t;
        t.start();
        EmfPlayer player(pic);
        player.play(canvas, QRectF(0, 0, 794, 1123));
        own.push_back(t.nsecsElapsed());
    }
    // The whole page onto an image at 100 %.
    QImage img(794, 1123, QImage::Format_ARGB32_Premultiplied);
    std::vector<qint64> times;
    for (int run = 0; run < 5; ++run) {
        img.fill(Qt::white);
        QPainter painter(&img);
        PainterCanvas canvas(painter);
        QElapsedTimer t;
        t.start();
        EmfPlayer player(pic);
        player.play(canvas, QRectF(0, 0, 794, 1123));
        times.push_back(t.nsecsElapsed());
    }
    const double ownMs = median(own), ms = median(times);
    RecordProperty("player_ms", QString::number(ownMs, 'f', 3).toStdString());
    RecordProperty("page_ms", QString::number(ms, 'f', 2).toStdString());
    std::printf("dense text page (%d records): player %.3f ms, with painting %.2f ms\n",
                pic.recordCount(), ownMs, ms);
#if defined(NDEBUG) && !defined(__SANITIZE_ADDRESS__)
    // The player must leave almost all of the 10 ms page budget to painting.
    EXPECT_LE(ownMs, 1.0);
#endif
    // Something was drawn in the first text cell.
    bool dark = false;
    for (int y = 48; y < 64 && !dark; ++y)
        for (int x = 40; x < 120 && !dark; ++x)
            dark = qGray(img.pixel(x, y)) < 128;
    EXPECT_TRUE(dark);
}
