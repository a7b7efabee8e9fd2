#include "platform/emf/dib.h"

#include "platform/byte_writer.h"
#include "tests/support/emf_test_builder.h"

#include <gtest/gtest.h>

using namespace vx;
using namespace vx::emf;
using vx::test::dibHeader;

namespace {

QByteArray bytesOf(std::initializer_list<int> bs) {
    QByteArray out;
    for (int b : bs)
        out.append(char(b));
    return out;
}

QByteArray palette(std::initializer_list<QRgb> colors) {
    QByteArray out;
    for (QRgb c : colors)
        out += bytesOf({qBlue(c), qGreen(c), qRed(c), 0});
    return out;
}

QByteArray masks(uint32_t r, uint32_t g, uint32_t b) {
    QByteArray out;
    ByteWriter w(&out);
    w.u32(r);
    w.u32(g);
    w.u32(b);
    return out;
}

const QRgb kRed = qRgb(255, 0, 0), kGreen = qRgb(0, 255, 0), kBlue = qRgb(0, 0, 255),
           kWhiteRgb = qRgb(255, 255, 255);

} // namespace

// Every case is a 2 x 2 bitmap whose top row is red, green and bottom row
// blue, white (as seen on screen).
TEST(Dib, DecodesEveryDepth) {
    struct Case {
        const char* name;
        QByteArray info;
        QByteArray bits;
    };
    const QByteArray pal4 = palette({kRed, kGreen, kBlue, kWhiteRgb});
    QByteArray core;
    {
        ByteWriter w(&core);
        w.u32(12);
        w.u16(2);
        w.u16(2);
        w.u16(1);
        w.u16(8);
        for (QRgb c : {kRed, kGreen, kBlue, kWhiteRgb}) {
            w.u8(uint8_t(qBlue(c)));
            w.u8(uint8_t(qGreen(c)));
            w.u8(uint8_t(qRed(c)));
        }
        core.append(QByteArray(3 * 252, '\0'));
    }
    const Case cases[] = {
        // Rows bottom-up, each padded to 4 bytes.
        {"8 bit", dibHeader(2, 2, 8, 0, 4) + pal4, bytesOf({2, 3, 0, 0, 0, 1, 0, 0})},
        {"8 bit top-down", dibHeader(2, -2, 8, 0, 4) + pal4, bytesOf({0, 1, 0, 0, 2, 3, 0, 0})},
        {"4 bit", dibHeader(2, 2, 4, 0, 4) + pal4, bytesOf({0x23, 0, 0, 0, 0x01, 0, 0, 0})},
        {"1 bit needs two colours only", dibHeader(2, 2, 1, 0, 2) + palette({kRed, kGreen}),
         bytesOf({0x40, 0, 0, 0, 0x40, 0, 0, 0})},
        {"16 bit 555", dibHeader(2, 2, 16),
         bytesOf({0x1F, 0x00, 0xFF, 0x7F, 0x00, 0x7C, 0xE0, 0x03})},
        {"16 bit 565 bit fields", dibHeader(2, 2, 16, 3) + masks(0xF800, 0x07E0, 0x001F),
         bytesOf({0x1F, 0x00, 0xFF, 0xFF, 0x00, 0xF8, 0xE0, 0x07})},
        {"24 bit", dibHeader(2, 2, 24),
         bytesOf({255, 0, 0, 255, 255, 255, 0, 0, 0, 0, 255, 0, 255, 0, 0, 0})},
        {"32 bit", dibHeader(2, 2, 32),
         bytesOf({255, 0, 0, 0, 255, 255, 255, 0, 0, 0, 255, 0, 0, 255, 0, 0})},
        {"32 bit bit fields", dibHeader(2, 2, 32, 3) + masks(0xFF0000, 0xFF00, 0xFF),
         bytesOf({255, 0, 0, 0, 255, 255, 255, 0, 0, 0, 255, 0, 0, 255, 0, 0})},
        {"core header", core, bytesOf({2, 3, 0, 0, 0, 1, 0, 0})},
        {"RLE8", dibHeader(2, 2, 8, 1, 4) + pal4, bytesOf({1, 2, 1, 3, 0, 0, 1, 0, 1, 1, 0, 1})},
        {"RLE4", dibHeader(2, 2, 4, 2, 4) + pal4, bytesOf({2, 0x23, 0, 0, 2, 0x01, 0, 1})},
    };
    for (const Case& c : cases) {
        const Checked<QImage> decoded = decodeDib(c.info.constData(), size_t(c.info.size()),
                                                  c.bits.constData(), size_t(c.bits.size()), 0);
        const QImage img = decoded.valueOr(QImage());
        ASSERT_FALSE(img.isNull()) << c.name << ": " << decoded.damage().toStdString();
        ASSERT_EQ(img.size(), QSize(2, 2)) << c.name;
        EXPECT_EQ(img.pixel(0, 0) | 0xFF000000, kRed) << c.name;
        EXPECT_EQ(img.pixel(1, 0) | 0xFF000000, kGreen) << c.name;
        if (QByteArray(c.name).startsWith("1 bit"))
            continue;
        EXPECT_EQ(img.pixel(0, 1) | 0xFF000000, kBlue) << c.name;
        EXPECT_EQ(img.pixel(1, 1) | 0xFF000000, kWhiteRgb) << c.name;
    }
}

TEST(Dib, RejectsHostileHeadersBeforeAllocating) {
    struct Case {
        const char* name;
        QByteArray info;
        size_t bitsSize;
    };
    const Case cases[] = {
        {"header size beyond the data", dibHeader(2, 2, 8).left(20), 16},
        {"zero width", dibHeader(0, 2, 24), 16},
        {"side too long", dibHeader(kMaxDibSide + 1, 1, 24), 1 << 20},
        {"too many pixels", dibHeader(40000, 40000, 24), 1 << 20},
        {"odd depth", dibHeader(2, 2, 7), 16},
        {"RLE8 with 4 bits", dibHeader(2, 2, 4, 1), 16},
        {"bit fields with 24 bits", dibHeader(2, 2, 24, 3) + masks(1, 2, 4), 16},
        {"no pixels", dibHeader(2, 2, 24), 3},
        {"smallest int height", dibHeader(2, INT32_MIN, 24), 16},
    };
    const QByteArray bits(1 << 20, '\0');
    for (const Case& c : cases) {
        const Checked<QImage> decoded =
            decodeDib(c.info.constData(), size_t(c.info.size()), bits.constData(), c.bitsSize, 0);
        EXPECT_TRUE(decoded.valueOr(QImage()).isNull()) << c.name;
        EXPECT_FALSE(decoded.damage().isEmpty()) << c.name;
    }
}

TEST(Dib, ShortColourTablesAndRunsStayInBounds) {
    // A table declared with 256 entries but holding 2: indices past it are black.
    const QByteArray info = dibHeader(2, 1, 8, 0, 256) + palette({kRed, kGreen});
    const QByteArray bits = bytesOf({1, 200, 0, 0});
    const QImage img =
        decodeDib(info.constData(), size_t(info.size()), bits.constData(), size_t(bits.size()))
            .valueOr(QImage());
    ASSERT_FALSE(img.isNull());
    EXPECT_EQ(img.pixel(0, 0), kGreen);
    EXPECT_EQ(img.pixel(1, 0), qRgb(0, 0, 0));
    // RLE runs and deltas that leave the bitmap are clipped, absolute runs
    // longer than the data fail.
    const QByteArray pal = dibHeader(2, 2, 8, 1, 2) + palette({kRed, kGreen});
    const QByteArray runs = bytesOf({200, 1, 0, 2, 50, 50, 5, 1, 0, 1});
    EXPECT_FALSE(
        decodeDib(pal.constData(), size_t(pal.size()), runs.constData(), size_t(runs.size()))
            .valueOr(QImage())
            .isNull());
    const QByteArray absolute = bytesOf({0, 40, 1, 1});
    EXPECT_TRUE(decodeDib(pal.constData(), size_t(pal.size()), absolute.constData(),
                          size_t(absolute.size()))
                    .valueOr(QImage())
                    .isNull());
}

// A stream of horizontal deltas long enough to carry the column past 2^31
// must stop at the bitmap's edge: counting on would wrap to a negative
// column and write far outside the pixel buffer.
TEST(Dib, EndlessRleDeltasStopAtTheEdge) {
    const QByteArray info = dibHeader(4, 2, 8, 1, 2) + palette({kRed, kGreen});
    constexpr int kDeltas = (1 << 30) / 255 * 2 + 2; // 255 columns each: past 2^31
    QByteArray bits;
    bits.reserve(kDeltas * 4 + 4);
    for (int i = 0; i < kDeltas; ++i)
        bits.append("\x00\x02\xFF\x00", 4);
    bits.append("\x01\x01\x00\x01", 4); // one green pixel, end of bitmap
    const QImage img =
        decodeDib(info.constData(), size_t(info.size()), bits.constData(), size_t(bits.size()))
            .valueOr(QImage());
    ASSERT_FALSE(img.isNull());
    // Nothing was drawn: the pixel fell past the right edge.
    EXPECT_EQ(img.pixel(3, 1), kRed);
}
