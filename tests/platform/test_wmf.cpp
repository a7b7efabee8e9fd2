// Windows metafiles: the reader's validation, the conversion to an enhanced
// metafile (mapping, objects, text, bitmaps) checked by the pixels it plays
// to, and damaged pictures that must fail cleanly.
#include "platform/emf/emf_player.h"
#include "platform/emf/emf_text.h"
#include "platform/emf/wmf_convert.h"
#include "platform/emf/wmf_reader.h"
#include "platform/errors.h"
#include "platform/painter_canvas.h"
#include "tests/support/wmf_test_builder.h"

#include <QPainter>

#include <gtest/gtest.h>

using namespace vx;
using namespace vx::emf;
using vx::test::WmfTestBuilder;

namespace {

QImage render(const QByteArray& wmf, QSize size) {
    QImage img(size, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::white);
    QPainter painter(&img);
    PainterCanvas canvas(painter);
    EmfPlayer player(EmfPicture::parse(wmfToEmf(WmfPicture::parse(wmf))));
    player.play(canvas, QRectF(QPointF(0, 0), QSizeF(size)));
    return img;
}

bool near(QRgb a, QRgb b) {
    return std::abs(qRed(a) - qRed(b)) < 8 && std::abs(qGreen(a) - qGreen(b)) < 8 &&
           std::abs(qBlue(a) - qBlue(b)) < 8;
}

// A red brush and no pen, then a rectangle over the left half of a window
// of 1000 x 500 units at (100, 100).
WmfTestBuilder halfRed() {
    WmfTestBuilder b;
    b.rec(META_SETWINDOWORG, {100, 100})
        .rec(META_SETWINDOWEXT, {500, 1000})
        .rec(META_CREATEBRUSHINDIRECT, {0, 0x00FF, 0x0000, 0}) // BS_SOLID, red
        .rec(META_CREATEPENINDIRECT, {5, 0, 0, 0, 0})          // PS_NULL
        .rec(META_SELECTOBJECT, {0})
        .rec(META_SELECTOBJECT, {1})
        .rec(META_RECTANGLE, {600, 600, 100, 100}); // bottom, right, top, left
    return b;
}

TEST(Wmf, HeadersAreReadAndRecordsValidated) {
    const QByteArray bytes = halfRed().placeable(100, 100, 1100, 600, 1000).eof().build();
    ASSERT_TRUE(WmfPicture::looksLikeWmf(bytes));
    const WmfPicture pic = WmfPicture::parse(bytes);
    EXPECT_TRUE(pic.header().placeable);
    EXPECT_EQ(pic.header().unitsPerInch, 1000);
    EXPECT_EQ(pic.header().boxRight, 1100);
    EXPECT_EQ(pic.records().size(), 7u);
    EXPECT_EQ(pic.records()[6].function, META_RECTANGLE);
    EXPECT_EQ(wmfPixelSize(pic), QSize(96, 48)); // 1000 x 500 units at 1000 per inch
    // Without a placeable header the first window gives the size, a unit a pixel.
    EXPECT_EQ(wmfPixelSize(WmfPicture::parse(halfRed().eof().build())), QSize(1000, 500));
    EXPECT_FALSE(WmfPicture::looksLikeWmf(QByteArray("BM not a metafile")));
}

TEST(Wmf, DamagedPicturesAreRefusedWithAMessage) {
    struct Row {
        QByteArray bytes;
        const char* message;
    };
    const QByteArray good = halfRed().eof().build();
    const Row rows[] = {
        {QByteArray("\x01\x00\x09", 3), "intestazione non valida"},
        {QByteArray("\xD7\xCD\xC6\x9A\0\0", 6), "intestazione incompleta"},
        {WmfTestBuilder().placeable(0, 0, 10, 10, 0).eof().build(), "unità per pollice nulle"},
        {WmfTestBuilder().bytes(QByteArray("\x02\0\0\0\x13\x02", 6)).build(),
         "record di dimensione errata"},                             // 2 words: below the envelope
        {good.left(good.size() - 8), "record di dimensione errata"}, // cut inside a record
        {WmfTestBuilder().bytes(QByteArray("\xFF\xFF\xFF\x7F\x13\x02", 6)).build(),
         "record di dimensione errata"},
    };
    for (const Row& row : rows) {
        try {
            WmfPicture::parse(row.bytes);
            ADD_FAILURE() << row.message;
        } catch (const VxError& e) {
            EXPECT_EQ(e.message(), QStringLiteral("Immagine WMF danneggiata: ") +
                                       QString::fromUtf8(row.message));
        }
    }
    // A picture that never says its size cannot be placed.
    EXPECT_THROW(wmfToEmf(WmfPicture::parse(WmfTestBuilder().eof().build())), VxError);
}

TEST(Wmf, TheWindowIsMappedOntoTheDestination) {
    for (const QByteArray& bytes :
         {halfRed().placeable(100, 100, 1100, 600, 1000).eof().build(), halfRed().eof().build()}) {
        const QImage img = render(bytes, QSize(200, 100));
        EXPECT_TRUE(near(img.pixel(20, 50), qRgb(255, 0, 0)));
        EXPECT_TRUE(near(img.pixel(97, 50), qRgb(255, 0, 0)));
        EXPECT_TRUE(near(img.pixel(103, 50), qRgb(255, 255, 255)));
        EXPECT_TRUE(near(img.pixel(180, 50), qRgb(255, 255, 255)));
    }
}

TEST(Wmf, ObjectsTakeTheLowestFreeEntry) {
    WmfTestBuilder b;
    b.rec(META_SETWINDOWEXT, {100, 100})
        .rec(META_CREATEPENINDIRECT, {5, 0, 0, 0, 0})           // 0: null pen
        .rec(META_CREATEREGION, {0, 6, 0, 0, 0, 0, 0, 0, 0, 0}) // 1: a region
        .rec(META_CREATEBRUSHINDIRECT, {0, 0xFF00, 0, 0})       // 2: green
        .rec(META_SELECTOBJECT, {0})
        .rec(META_DELETEOBJECT, {1})
        .rec(META_CREATEBRUSHINDIRECT, {0, 0, 0x00FF, 0}) // 1 again: blue
        .rec(META_SELECTOBJECT, {1})
        .rec(META_RECTANGLE, {100, 50, 0, 0})
        .rec(META_SELECTOBJECT, {2})
        .rec(META_RECTANGLE, {100, 100, 0, 50})
        .eof();
    const QImage img = render(b.build(), QSize(100, 100));
    EXPECT_TRUE(near(img.pixel(25, 50), qRgb(0, 0, 255)));
    EXPECT_TRUE(near(img.pixel(75, 50), qRgb(0, 255, 0)));
}

TEST(Wmf, TextAndBitmapsBecomeEnhancedRecords) {
    QByteArray text;
    ByteWriter t(&text);
    t.u16(5);
    t.bytes("Caff\xe8", 5);
    t.u8(0);   // padding
    t.i16(20); // y
    t.i16(10); // x
    // A 2 x 1 bitmap of 24 bits: blue, red.
    QByteArray dib;
    ByteWriter d(&dib);
    d.u32(0x00CC0020);                         // SRCCOPY
    d.u16(0);                                  // DIB_RGB_COLORS
    for (int v : {1, 2, 0, 0, 100, 100, 0, 0}) // source h, w, y, x; dest h, w, y, x
        d.i16(int16_t(v));
    d.u32(40);
    d.i32(2);
    d.i32(1);
    d.u16(1);
    d.u16(24);
    for (int i = 0; i < 6; ++i)
        d.u32(0);
    d.bytes("\xFF\x00\x00\x00\x00\xFF\x00\x00", 8); // two pixels and row padding
    WmfTestBuilder b;
    b.rec(META_SETWINDOWEXT, {100, 100}).raw(META_STRETCHDIB, dib).raw(META_TEXTOUT, text).eof();
    const EmfPicture emf = EmfPicture::parse(wmfToEmf(WmfPicture::parse(b.build())));
    const std::vector<EmfTextItem> items = extractText(emf);
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].text, QStringLiteral("Caffè"));
    EXPECT_EQ(items[0].reference, QPoint(10, 20));
    QImage img(100, 100, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::white);
    {
        QPainter painter(&img);
        PainterCanvas canvas(painter);
        EmfPlayer(emf).play(canvas, QRectF(0, 0, 100, 100));
    }
    EXPECT_TRUE(near(img.pixel(10, 80), qRgb(0, 0, 255)));
    EXPECT_TRUE(near(img.pixel(90, 80), qRgb(255, 0, 0)));
}

TEST(Wmf, EveryCutOfAPictureFailsCleanlyOrPlays) {
    const QByteArray bytes = halfRed().placeable(100, 100, 1100, 600, 1000).eof().build();
    for (qsizetype n = 0; n <= bytes.size(); ++n) {
        QByteArray cut = bytes.left(n);
        try {
            render(cut, QSize(20, 10));
        } catch (const VxError&) {
        }
        // Flipped bytes in the middle of records as well.
        if (n > 40 && n < bytes.size()) {
            cut = bytes;
            cut[n] = char(~cut[n]);
            try {
                render(cut, QSize(20, 10));
            } catch (const VxError&) {
            }
        }
    }
}

} // namespace
