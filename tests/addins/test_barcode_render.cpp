// Barcode objects drawn on recorded pages and played at printer
// resolutions: the symbol keeps its width, and the symbols are read back by
// an independent decoder (zbarimg, Debian zbar-tools). Sharp edges at 300
// and 600 dpi are checked on the PDF (tests/app/test_barcode_pdf.cpp).
#include "barcode_fixture.h"

#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

namespace vx::test {
namespace {

using BarcodeRender = BarcodeTest;

TEST_F(BarcodeRender, SymbolKeepsItsWidthAtPrintResolution) {
    // Edges are rounded from their exact place: the last bar ends within
    // half a 300-dpi pixel of 190 / 96 inch after the first begins.
    auto v = makeView(bcCodeEAN13, 2);
    code = Variant(QStringLiteral("400638133393"));
    const QImage img = render(recordPage(*v), 600);
    const int y = int((v->BarRect.Top + 10) * 6.25);
    int first = -1, last = -1;
    for (int x = 0; x < img.width(); ++x)
        if (img.pixel(x, y) == qRgb(0, 0, 0)) {
            if (first < 0)
                first = x;
            last = x;
        }
    EXPECT_NEAR(last + 1 - first, 190 * 6.25, 1.0);
}

struct DecodeCase {
    const char* name;
    int type;
    const char* data;
    bool checksum;
    const char* decoded; // what zbarimg prints
};

const DecodeCase kDecodeCases[] = {
    {"ean13", bcCodeEAN13, "400638133393", true, "4006381333931"},
    {"ean8", bcCodeEAN8, "1234567", true, "12345670"},
    {"upca", bcCodeUPC_A, "03600029145", true, "0036000291452"}, // read as EAN-13
    {"upce", bcCodeUPC_E0, "123456", true, "0012345000065"},     // read expanded to UPC-A
    {"code39", bcCode39, "CODE-39", false, "CODE-39"},
    // 10 + 39 + 40 + 41 + 42 = 172 = 4 x 43: check character 0, read as data
    {"code39_mod43", bcCode39, "A$/+%", true, "A$/+%0"},
    {"code93", bcCode93, "CODE 93", false, "CODE 93"},
    {"code93_ext", bcCode93Extended, "Hello!", false, "Hello!"},
    {"code128a", bcCode128A, "HELLO, 128", false, "HELLO, 128"},
    {"code128b", bcCode128B, "Fattura n. 42, riga 7", false, "Fattura n. 42, riga 7"},
    {"code128c", bcCode128C, "12345", false, "012345"},
    {"i2of5", bcCode_2_5_interleaved, "1234567", false, "01234567"},
    {"codabar", bcCodeCodabar, "40156", false, "A40156B"},
};

class BarcodeDecode : public BarcodeTest, public testing::WithParamInterface<DecodeCase> {};

TEST_P(BarcodeDecode, ZbarReadsTheData) {
    const QString zbarimg = QStandardPaths::findExecutable(QStringLiteral("zbarimg"));
    if (zbarimg.isEmpty())
        GTEST_SKIP() << "zbarimg (zbar-tools) is not installed";
    const DecodeCase& c = GetParam();
    auto v = makeView(c.type, 2);
    v->BarChecksum = c.checksum ? 1 : 0;
    code = Variant(QString::fromUtf8(c.data));
    const QImage img = render(recordPage(*v, QSize(560, 160)), 300);
    QTemporaryDir dir;
    const QString png = dir.filePath(QStringLiteral("barcode.png"));
    ASSERT_TRUE(img.save(png));
    QProcess p;
    p.start(zbarimg, {QStringLiteral("--raw"), QStringLiteral("-q"), png});
    ASSERT_TRUE(p.waitForFinished(30000));
    EXPECT_EQ(QString::fromUtf8(p.readAllStandardOutput()).trimmed(), QString::fromUtf8(c.decoded));
}

INSTANTIATE_TEST_SUITE_P(Cases, BarcodeDecode, testing::ValuesIn(kDecodeCases),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace vx::test
