// The bar and space sequences of the symbologies compared with libzint, an
// independent encoder of the published standards.
#include "addins/barcode/barcode_encoder.h"

#include <gtest/gtest.h>

#include <vector>

#ifdef VX_HAVE_ZINT
#include <zint.h>
#endif

namespace vx {
namespace {

// Widths of the runs of bars and spaces, starting with a bar; trailing
// spaces dropped.
std::vector<int> runsOf(const std::string& elements, const ElementWidths& w) {
    std::vector<int> runs;
    bool lastBar = false;
    for (char c : elements) {
        const bool bar = c >= '5';
        const int width = w[size_t(c >= 'A' ? c - 'A' : bar ? c - '5' : c - '0')];
        if (!runs.empty() && bar == lastBar)
            runs.back() += width;
        else
            runs.push_back(width);
        lastBar = bar;
    }
    if (!lastBar && !runs.empty())
        runs.pop_back();
    return runs;
}

#ifdef VX_HAVE_ZINT
bool moduleSet(const zint_symbol& s, int row, int col) {
    return (s.encoded_data[row][col >> 3] >> (col & 7)) & 1;
}

struct Zint {
    zint_symbol* s = ZBarcode_Create();
    ~Zint() { ZBarcode_Delete(s); }
};

std::vector<int> zintRuns(int symbology, const std::string& data, int option2, int row = 0) {
    Zint z;
    z.s->symbology = symbology;
    z.s->option_2 = option2;
    if (symbology == BARCODE_GS1_128)
        z.s->input_mode = GS1_MODE;
    const int rc =
        ZBarcode_Encode(z.s, reinterpret_cast<const unsigned char*>(data.data()), int(data.size()));
    EXPECT_LT(rc, ZINT_ERROR) << z.s->errtxt;
    std::vector<int> runs;
    bool last = false;
    for (int col = 0; col < z.s->width; ++col) {
        const bool bar = moduleSet(*z.s, row, col);
        if (!runs.empty() && bar == last)
            ++runs.back();
        else if (runs.empty() && !bar)
            continue; // leading quiet modules
        else
            runs.push_back(1);
        last = bar;
    }
    if (!last && !runs.empty())
        runs.pop_back();
    return runs;
}

struct ZintCase {
    const char* name;
    int typ;
    const char* text;
    bool checksum;
    double ratio;
    int symbology;
    const char* zintData;
    int option2;
};

const ZintCase kZintCases[] = {
    {"i2of5", bcCode_2_5_interleaved, "1234", false, 3, BARCODE_C25INTER, "1234", 0},
    {"i2of5_odd", bcCode_2_5_interleaved, "12345", false, 3, BARCODE_C25INTER, "12345", 0},
    {"industrial", bcCode_2_5_industrial, "1234", false, 3, BARCODE_C25IND, "1234", 0},
    {"matrix", bcCode_2_5_matrix, "1234", false, 3, BARCODE_C25STANDARD, "1234", 0},
    {"code39", bcCode39, "CODE39", false, 2, BARCODE_CODE39, "CODE39", 0},
    {"code39_mod43", bcCode39, "CODE39", true, 2, BARCODE_CODE39, "CODE39", 1},
    {"code39_mod43_symbols", bcCode39, "A$/+%", true, 2, BARCODE_CODE39, "A$/+%", 1},
    {"code39_ext", bcCode39Extended, "ab!c", true, 2, BARCODE_EXCODE39, "ab!c", 1},
    {"code93", bcCode93, "CODE 93", false, 2, BARCODE_CODE93, "CODE 93", 0},
    {"code93_ext", bcCode93Extended, "Hello, world!", false, 2, BARCODE_CODE93, "Hello, world!", 0},
    {"code128b", bcCode128B, "Hello, world", false, 1, BARCODE_CODE128B, "Hello, world", 0},
    {"code128c", bcCode128C, "12345678", false, 1, BARCODE_CODE128, "12345678", 0},
    {"ean128c", bcCodeEAN128C, "0112345678901231", false, 1, BARCODE_GS1_128, "[01]12345678901231",
     0},
    {"msi_even", bcCodeMSI, "1234", false, 2, BARCODE_MSI_PLESSEY, "1234", 1},
    {"msi_odd", bcCodeMSI, "1234567", false, 2, BARCODE_MSI_PLESSEY, "1234567", 1},
    {"codabar", bcCodeCodabar, "40156", false, 2, BARCODE_CODABAR, "A40156B", 0},
    {"ean13", bcCodeEAN13, "400638133393", true, 2, BARCODE_EANX, "400638133393", 0},
    {"ean8", bcCodeEAN8, "1234567", true, 2, BARCODE_EANX, "1234567", 0},
    {"upca", bcCodeUPC_A, "03600029145", true, 2, BARCODE_UPCA, "03600029145", 0},
    {"upce0", bcCodeUPC_E0, "123456", true, 2, BARCODE_UPCE, "0123456", 0},
    {"upce0_short_code", bcCodeUPC_E0, "654303", true, 2, BARCODE_UPCE, "0654303", 0},
    {"upce1", bcCodeUPC_E1, "123456", true, 2, BARCODE_UPCE, "1123456", 0},
    {"supp5", bcCodeUPC_Supp5, "52495", true, 2, BARCODE_EANX, "52495", 0},
    {"supp2", bcCodeUPC_Supp2, "13", true, 2, BARCODE_EANX, "13", 0},
};

class ZintCompare : public testing::TestWithParam<ZintCase> {};

TEST_P(ZintCompare, SameBarsAndSpaces) {
    const ZintCase& c = GetParam();
    BarcodeOptions o;
    o.Typ = c.typ;
    o.Checksum = c.checksum;
    const BarcodeEncoding e = MakeElements(QString::fromUtf8(c.text), o);
    EXPECT_EQ(runsOf(e.Elements, ComputeElementWidths(c.typ, 1, c.ratio)),
              zintRuns(c.symbology, c.zintData, c.option2));
}

INSTANTIATE_TEST_SUITE_P(Cases, ZintCompare, testing::ValuesIn(kZintCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ZintCompare, PostNetTallAndShortBars) {
    // zint draws PostNet in two rows: the top one holds the tall bars only.
    BarcodeOptions o;
    o.Typ = bcCodePostNet;
    const BarcodeEncoding e = MakeElements(QStringLiteral("555551237"), o);
    std::string ours;
    for (char c : e.Elements)
        if (c == '5' || c == 'A')
            ours += c == '5' ? 'T' : 's';
    Zint z;
    z.s->symbology = BARCODE_POSTNET;
    ASSERT_LT(ZBarcode_Encode(z.s, reinterpret_cast<const unsigned char*>("555551237"), 9),
              ZINT_ERROR);
    std::string theirs;
    for (int col = 0; col < z.s->width; ++col)
        if (moduleSet(*z.s, z.s->rows - 1, col))
            theirs += moduleSet(*z.s, 0, col) ? 'T' : 's';
    EXPECT_EQ(ours, theirs);
}
#else
TEST(ZintCompare, NeedsLibzint) {
    GTEST_SKIP() << "libzint is not installed";
}
#endif

} // namespace
} // namespace vx
