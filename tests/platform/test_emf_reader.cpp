#include "platform/emf/emf_reader.h"

#include "platform/emf/emf_constants.h"
#include "platform/errors.h"
#include "tests/support/emf_test_builder.h"

#include <QStringList>

#include <gtest/gtest.h>

// Readable failure output for Qt strings (found by argument-dependent lookup).
static void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

using namespace vx;
using namespace vx::emf;
using vx::test::EmfTestBuilder;

namespace {

QString parseError(const QByteArray& bytes) {
    try {
        EmfPicture::parse(bytes);
    } catch (const VxError& e) {
        return e.message();
    }
    return QString();
}

QByteArray words(std::initializer_list<int64_t> ws) {
    return vx::test::packWords<uint32_t>(ws);
}

} // namespace

TEST(EmfReader, ReadsHeaderAndRecordsWithoutCopying) {
    EmfTestBuilder b;
    b.rec(EMR_SETMAPMODE, {MM_TEXT}).rec(EMR_MOVETOEX, {10, 20}).rec(EMR_LINETO, {30, 40});
    const QByteArray bytes = b.build();
    const EmfPicture pic = EmfPicture::parse(bytes);
    EXPECT_EQ(pic.bytes().constData(), bytes.constData()); // shared, not copied
    const EmfHeader& h = pic.header();
    EXPECT_EQ(h.bounds, (RectL{0, 0, 793, 1122}));
    EXPECT_EQ(h.frame, (RectL{0, 0, 21000, 29700}));
    EXPECT_EQ(h.devicePixels, (SizeL{794, 1123}));
    EXPECT_EQ(h.deviceMillimeters, (SizeL{210, 297}));
    EXPECT_EQ(h.deviceMicrometers, (SizeL{210000, 297000}));
    EXPECT_EQ(h.handles, 8);
    EXPECT_EQ(h.records, 5u);
    EXPECT_EQ(h.bytes, uint32_t(bytes.size()));
    EXPECT_EQ(h.description, QStringLiteral("test\0pic"));
    ASSERT_EQ(pic.recordCount(), 5);
    const uint32_t types[] = {EMR_HEADER, EMR_SETMAPMODE, EMR_MOVETOEX, EMR_LINETO, EMR_EOF};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(pic.record(i).type, types[i]) << i;
    ByteReader r = pic.record(2).payload();
    EXPECT_EQ(r.i32(), 10);
    EXPECT_EQ(r.i32(), 20);
    EXPECT_TRUE(pic.damage().isEmpty());
    // The frame of 210 mm on a 794-pixel-wide device is 794 pixels wide.
    EXPECT_NEAR(pic.frameInDevicePixels().width(), 794.0, 1e-9);
}

TEST(EmfReader, DamagedPicturesFailWithItalianMessages) {
    struct Case {
        const char* name;
        QByteArray bytes;
        QString message; // empty: only the common prefix is checked
    };
    EmfTestBuilder ok;
    ok.rec(EMR_MOVETOEX, {1, 2});
    const QByteArray good = ok.build();

    QByteArray badSig = good;
    badSig[40] = 'X';
    QByteArray zeroHandles = good;
    zeroHandles[56] = 0;
    QByteArray cut = good.left(good.size() - 8);

    const auto withBody = [](const QByteArray& body, bool eof = true) {
        EmfTestBuilder b;
        b.withEof = eof;
        b.bytes(body);
        return b.build();
    };
    EmfTestBuilder hugePoly;
    hugePoly.rec(EMR_POLYLINE16, {0, 0, 10, 10, 0x40000000, 0, 0});
    EmfTestBuilder hugePolyPoly;
    hugePolyPoly.rec(EMR_POLYPOLYGON, {0, 0, 10, 10, 0x7FFFFFFF, 3, 3});
    EmfTestBuilder polyPolyMismatch; // counts add up to 4, total says 3
    polyPolyMismatch.rec(EMR_POLYPOLYGON16, {0, 0, 10, 10, 2, 3, 2, 2, 0, 0, 0, 0});
    EmfTestBuilder bitmapOutside;
    bitmapOutside.rec(EMR_STRETCHDIBITS,
                      {0, 0, 1, 1, 0, 0, 0, 0, 1, 1, 4000, 40, 4000, 4, 0, 0x00CC0020, 1, 1});
    EmfTestBuilder hugeBitmap;
    {
        QByteArray p = words({0, 0, 1, 1, 0, 0, 0, 0, 1, 1, 80, 40, 120, 4, 0, 0x00CC0020, 1, 1});
        p += vx::test::dibHeader(1 << 20, 1 << 20, 24);
        p += QByteArray(4, '\0');
        hugeBitmap.raw(EMR_STRETCHDIBITS, p);
    }
    EmfTestBuilder textOutside;
    {
        QByteArray p = vx::test::extTextOutW(QStringLiteral("abc"), QPoint(1, 1));
        p[36] = char(0xFF); // character count 0x7FFF, far beyond the record
        p[37] = char(0x7F);
        textOutside.raw(EMR_EXTTEXTOUTW, p);
    }

    const Case cases[] = {
        {"empty file", QByteArray(),
         QStringLiteral("Immagine EMF danneggiata: il file è troppo corto per contenere "
                        "l'intestazione.")},
        {"bad signature", badSig,
         QStringLiteral("Immagine EMF danneggiata: il file non è un metafile avanzato (firma non "
                        "valida).")},
        {"no object table", zeroHandles,
         QStringLiteral("Immagine EMF danneggiata: la tabella degli oggetti ha dimensione zero.")},
        {"record size 0", withBody(words({EMR_SAVEDC, 0})),
         QStringLiteral("Immagine EMF danneggiata: il record 1 (tipo 33, posizione 128) ha una "
                        "dimensione non valida (0).")},
        {"size not a multiple of 4", withBody(words({EMR_SAVEDC, 10, 0})), QString()},
        {"negative size", withBody(words({EMR_SAVEDC, -8})), QString()},
        {"record beyond the end", withBody(words({EMR_SAVEDC, 0x18FFFFF0}), false),
         QStringLiteral("Immagine EMF danneggiata: il record 1 (tipo 33, posizione 128) supera la "
                        "fine del file.")},
        {"cut short", cut, QString()},
        {"missing EOF", withBody(words({EMR_SAVEDC, 8}), false),
         QStringLiteral("Immagine EMF danneggiata: manca il record di fine (EMR_EOF).")},
        {"huge point count", hugePoly.build(), QString()},
        {"huge polygon count", hugePolyPoly.build(), QString()},
        {"polygon counts disagree", polyPolyMismatch.build(), QString()},
        {"bitmap outside the record", bitmapOutside.build(), QString()},
        {"bitmap of a trillion pixels", hugeBitmap.build(), QString()},
        {"text longer than the record", textOutside.build(), QString()},
    };
    for (const Case& c : cases) {
        const QString msg = parseError(c.bytes);
        EXPECT_TRUE(msg.startsWith(QStringLiteral("Immagine EMF danneggiata: ")))
            << c.name << ": " << msg.toStdString();
        if (!c.message.isEmpty()) {
            EXPECT_EQ(msg.toStdString(), c.message.toStdString()) << c.name;
        }
    }
}

TEST(EmfReader, KeepsTheValidPrefixWhenAsked) {
    EmfTestBuilder b;
    b.withEof = false;
    b.rec(EMR_MOVETOEX, {1, 2}).rec(EMR_LINETO, {3, 4}).bytes(words({EMR_SAVEDC, 0x18FFFFFF}));
    const EmfPicture pic = EmfPicture::parse(b.build(), ParseMode::KeepValidPrefix);
    EXPECT_EQ(pic.recordCount(), 3); // header, MOVETOEX, LINETO
    EXPECT_EQ(pic.record(2).type, uint32_t(EMR_LINETO));
    EXPECT_TRUE(pic.damage().startsWith(QStringLiteral("Immagine EMF danneggiata: il record 3")));
    // A damaged header fails in either mode.
    EXPECT_THROW(EmfPicture::parse(QByteArray(100, 'x'), ParseMode::KeepValidPrefix), VxError);
}

TEST(EmfReader, ResolutionComesFromMicrometresOrMillimetres) {
    EmfTestBuilder b;
    b.devicePxX = 2480; // 300 dpi A4
    b.devicePxY = 3508;
    const EmfPicture pic = EmfPicture::parse(b.build());
    EXPECT_NEAR(pic.header().pixelsPerMmX(), 2480 / 210.0, 1e-9);
    EXPECT_NEAR(pic.frameInDevicePixels().height(), 3508.0, 1e-6);
}
