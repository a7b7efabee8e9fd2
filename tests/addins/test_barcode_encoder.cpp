// The barcode encoder: displayed texts with check digits worked out by hand,
// element strings of small symbols, element widths, and the error messages.
#include "addins/barcode/barcode_encoder.h"
#include "platform/errors.h"

#include <gtest/gtest.h>

#include <cmath>

namespace vx {
namespace {

BarcodeEncoding encode(int typ, const QString& text, bool checksum = false, bool show = false) {
    BarcodeOptions o;
    o.Typ = typ;
    o.Checksum = checksum;
    o.ShowCheckSumText = show;
    return MakeElements(text, o);
}

struct TextCase {
    const char* name;
    int typ;
    const char* text;
    bool checksum;
    bool show;
    const char* codeText;
};

// Check digits by hand (weights 3, 1, 3, ... from the right, unless noted):
const TextCase kTextCases[] = {
    // 3+9+3+3+3+1+8+3+6+0+0+4 weighted: 9+9+9+3+9+1+24+3+18+0+0+4 = 89 -> 1
    {"ean13_check", bcCodeEAN13, "400638133393", true, true, "4006381333931"},
    {"ean13_check_hidden", bcCodeEAN13, "400638133393", true, false, "400638133393"},
    {"ean13_given", bcCodeEAN13, "4006381333931", false, false, "4006381333931"},
    // filled to 000000000123: 9+2+3 = 14 -> 6
    {"ean13_filled", bcCodeEAN13, "123", true, true, "0000000001236"},
    {"ean13_blanks_trimmed", bcCodeEAN13, "  4006381333931 ", false, false, "4006381333931"},
    // the last 7 digits 5678901: 3+0+27+8+21+6+15 = 80 -> 0
    {"ean8_last_seven", bcCodeEAN8, "12345678901", true, true, "56789010"},
    // 21+6+15+4+9+2+3 = 60 -> 0
    {"ean8_check", bcCodeEAN8, "1234567", true, true, "12345670"},
    // 15+4+3+9+6+0+0+0+18+3+0 = 58 -> 2
    {"upca_eleven_digits", bcCodeUPC_A, "03600029145", true, true, "036000291452"},
    {"upca_twelfth_replaced", bcCodeUPC_A, "036000291459", true, true, "036000291452"},
    {"upca_given", bcCodeUPC_A, "036000291452", false, false, "036000291452"},
    // UPC-E 123456 stands for 0 12345 00006: 18+5+12+3+6+1 = 45 -> 5
    {"upce0_check", bcCodeUPC_E0, "123456", true, true, "1234565"},
    // number system 1 adds 1 x 3: 48 -> 2
    {"upce1_check", bcCodeUPC_E1, "123456", true, true, "1234562"},
    // 123400 stands for 0 12000 00340, from the right 0+4+9+0+0+0+0+0+6+1+0 = 20 -> 0
    {"upce0_last_digit_0", bcCodeUPC_E0, "123400", true, true, "1234000"},
    // without the option the seventh digit printed is the one the bars carry
    {"upce0_given_seventh_replaced", bcCodeUPC_E0, "1234560", false, false, "1234565"},
    // the add-on's check digit lives in the parity and is never printed
    {"supp5_check_not_printed", bcCodeUPC_Supp5, "52495", true, true, "52495"},
    {"supp2_check_not_printed", bcCodeUPC_Supp2, "12", true, true, "12"},
    // C=12 O=24 D=13 E=14 3 9: 75 mod 43 = 32 -> W
    {"code39_mod43", bcCode39, "CODE39", true, true, "CODE39W"},
    // 10+11+12 = 33 -> X
    {"code39_abc_shown", bcCode39, "ABC", true, true, "ABCX"},
    {"code39_abc_hidden", bcCode39, "ABC", true, false, "ABC"},
    {"code39_plain", bcCode39, "ABC", false, true, "ABC"},
    // $ / + % are 39 40 41 42: 162 mod 43 = 33 -> X
    {"code39_symbols_mod43", bcCode39, "$/+%", true, true, "$/+%X"},
    // +A+B+C: 41+10+41+11+41+12 = 156 mod 43 = 27 -> R
    {"code39ext_lowercase", bcCode39Extended, "abc", true, true, "abcR"},
    {"code128c_odd_length", bcCode128C, "12345", false, false, "012345"},
    {"code128b_text", bcCode128B, "Ab, 1", false, false, "Ab, 1"},
    // 21+6+15+4+9+2+3 = 60 -> 0
    {"ean128c_check_shown", bcCodeEAN128C, "1234567", true, true, "12345670"},
    // 18+5+12+3+6+1 = 45 -> 5; 1234565 gets a leading 0 for the pairs
    {"ean128c_check_hidden", bcCodeEAN128C, "123456", true, false, "0123456"},
    {"i2of5_odd_length", bcCode_2_5_interleaved, "123", false, false, "0123"},
    {"msi_text", bcCodeMSI, "1234567", false, false, "1234567"},
    {"codabar_text", bcCodeCodabar, "12-34", false, false, "12-34"},
};

class BarcodeText : public testing::TestWithParam<TextCase> {};

TEST_P(BarcodeText, CodeText) {
    const TextCase& c = GetParam();
    EXPECT_EQ(encode(c.typ, QString::fromUtf8(c.text), c.checksum, c.show).CodeText,
              QString::fromUtf8(c.codeText));
}

INSTANTIATE_TEST_SUITE_P(Cases, BarcodeText, testing::ValuesIn(kTextCases),
                         [](const auto& info) { return std::string(info.param.name); });

struct ElementCase {
    const char* name;
    int typ;
    const char* text;
    const char* elements;
};

// Small symbols written out element by element ('5'.. bars, '0'.. spaces,
// 'A' short bars), from the published patterns.
const ElementCase kElementCases[] = {
    // start 0000 as n n n n; 1 = wnnnw (bars), 2 = nwnnw (spaces); stop w n n
    {"i2of5_pair", bcCode_2_5_interleaved, "12",
     "5050"
     "6051505061"
     "605"},
    // frame bar; 1 = ..|| ; correction 9 = |.|.. ; frame bar
    {"postnet_with_correction", bcCodePostNet, "1",
     "51"
     "A1A1A15151"
     "51A151A1A1"
     "5"},
    // 1234567: doubling 7,5,3,1 from the right gives 5+1+6+2, plus 6+4+2: 26 -> 4
    {"msi_odd_length_check", bcCodeMSI, "1234567",
     "60"
     "51515160"
     "51516051"
     "51516060"
     "51605151"
     "51605160"
     "51606051"
     "51606060"
     "51605151"
     "515"},
    // 12 mod 4 = 0: both digits odd (L): 2221 and 2122, space first
    {"supp2_ll", bcCodeUPC_Supp2, "12",
     "506"
     "1615"
     "05"
     "1516"},
    // 13 mod 4 = 1: L then G (3 is 1411 in L, 1141 reversed bar-first widths in G)
    {"supp2_lg", bcCodeUPC_Supp2, "13",
     "506"
     "1615"
     "05"
     "0535"},
    // start B 211214, comma = value 12 = 112232, check (104 + 12) mod 103 = 13
    // = 122132, stop 2331112
    {"code128b_comma", bcCode128B, ",",
     "605153"
     "506171"
     "516071"
     "6270506"},
    // start C, values 1 23 45; sum 105 + 1 + 46 + 135 = 287 mod 103 = 81 = 121142
    {"code128c_pairs", bcCode128C, "12345",
     "605171"
     "616061"
     "706070"
     "507062"
     "515081"
     "6270506"},
};

class BarcodeElements : public testing::TestWithParam<ElementCase> {};

TEST_P(BarcodeElements, Sequence) {
    const ElementCase& c = GetParam();
    EXPECT_EQ(encode(c.typ, QString::fromUtf8(c.text)).Elements, std::string(c.elements));
}

INSTANTIATE_TEST_SUITE_P(Cases, BarcodeElements, testing::ValuesIn(kElementCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(BarcodeWidths, RatioRangePerSymbology) {
    struct Case {
        int typ;
        int modul;
        double ratio;
        ElementWidths widths;
    };
    const Case cases[] = {
        {bcCodeEAN13, 1, 1.0, {1, 2, 3, 4}},       // raised to 2
        {bcCode39, 1, 1.5, {1, 2, 3, 4}},          // raised to 2
        {bcCode39, 2, 2.5, {2, 5, 7, 10}},         // 5 x 3 div 2 = 7
        {bcCode39, 1, 9.0, {1, 3, 4, 6}},          // lowered to 3
        {bcCode_2_5_matrix, 2, 2.0, {2, 4, 6, 8}}, // 2.25 x 2 = 4.5 rounds to even 4
        {bcCode_2_5_matrix, 1, 2.5, {1, 2, 3, 4}}, // 2.5 rounds to even 2
        {bcCode128B, 1, 1.0, {1, 2, 3, 4}},        // whole modules whatever the ratio
        {bcCode93, 3, 2.9, {3, 6, 9, 12}},
        {bcCodeMSI, 1, 1.0, {1, 2, 3, 4}},      // 0 and 1 bits must differ
        {bcCodePostNet, 2, 1.0, {2, 2, 3, 4}},  // spaces as wide as the bars
        {bcCodePostNet, 1, -5.0, {1, 1, 1, 2}}, // a hostile ratio
        {bcCode39, 1, std::nan(""), {1, 2, 3, 4}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ComputeElementWidths(c.typ, c.modul, c.ratio), c.widths)
            << barcodeTypeName(c.typ).toStdString() << " " << c.ratio;
}

TEST(BarcodeWidths, Ean13Is95Modules) {
    const BarcodeEncoding e = encode(bcCodeEAN13, QStringLiteral("400638133393"), true);
    EXPECT_EQ(ElementsWidth(e.Elements, ComputeElementWidths(bcCodeEAN13, 1, 2.0), "TBarcode"), 95);
    EXPECT_EQ(ElementsWidth(e.Elements, ComputeElementWidths(bcCodeEAN13, 3, 2.0), "TBarcode"),
              285);
}

struct ErrorCase {
    const char* name;
    int typ;
    QString text;
    bool checksum;
    const char* message;
};

const ErrorCase kErrorCases[] = {
    {"not_digits", bcCodeEAN13, "12.5", true, "Il codice a barre deve essere di tipo numerico"},
    {"ean13_too_long", bcCodeEAN13, "1234567890123", true, "Lunghezza del testo errata (EAN13)"},
    {"ean8_too_long", bcCodeEAN8, "123456789", false, "Lunghezza del testo errata (EAN8)"},
    {"upca_too_long", bcCodeUPC_A, "1234567890123", true, "Lunghezza del testo errata (UPC A)"},
    {"upce_too_long", bcCodeUPC_E0, "12345678", false, "Lunghezza del testo errata (UPC E0)"},
    {"supp5_too_long", bcCodeUPC_Supp5, "123456", false, "Lunghezza del testo errata (UPC Supp5)"},
    {"code93_lowercase", bcCode93, "abc", false, "TBarcode: Code93 dati errati Data <abc>"},
    {"code93ext_beyond_ascii", bcCode93Extended, QString::fromUtf8("è"), false,
     "TBarcode: Code93 dati errati Data <è>"},
    {"code39_lowercase", bcCode39, "Ab", false, "TBarcode: Code39 dati errati Data <Ab>"},
    {"code39_star_in_data", bcCode39, "A*B", false, "TBarcode: Code39 dati errati Data <A*B>"},
    {"code128b_accent", bcCode128B, QString::fromUtf8("caffè"), false,
     "TBarcode: Code128B dati errati Data <caffè>"},
    {"code128a_lowercase", bcCode128A, "a", false, "TBarcode: Code128A dati errati Data <a>"},
    {"codabar_letter", bcCodeCodabar, "12X", false, "TBarcode: Codebar dati errati Data <12X>"},
    {"type_out_of_range", 23, "1", false, "TBarcode: Tipo di codice a barre errato"},
    {"too_long", bcCode128B, QString(kMaxBarcodeTextLength + 1, QLatin1Char('A')), false,
     "Il codice a barre è troppo lungo (più di 1024 caratteri)"},
};

class BarcodeErrors : public testing::TestWithParam<ErrorCase> {};

TEST_P(BarcodeErrors, Message) {
    const ErrorCase& c = GetParam();
    try {
        encode(c.typ, c.text, c.checksum);
        FAIL() << "no error";
    } catch (const VxError& e) {
        EXPECT_EQ(e.message(), QString::fromUtf8(c.message));
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, BarcodeErrors, testing::ValuesIn(kErrorCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(BarcodeErrors, UnknownElementCode) {
    try {
        ElementsWidth("50X", {1, 2, 3, 4}, "TBarcode");
        FAIL() << "no error";
    } catch (const VxError& e) {
        EXPECT_EQ(e.message(), QStringLiteral("TBarcode: Errore interno"));
    }
}

TEST(BarcodeEncoder, EveryTypeEncodesEmptyAndLongTexts) {
    // No symbology fails on an empty text or on the longest text accepted.
    for (int typ = 0; typ < kBarcodeTypeCount; ++typ) {
        const bool digitsOnly = barcodeTypeNumeric(typ);
        const bool fixedLength = typ >= bcCodeEAN8 && typ <= bcCodeUPC_Supp5;
        EXPECT_NO_THROW(encode(typ, QString(), true)) << typ;
        if (fixedLength)
            continue;
        const QString longest(kMaxBarcodeTextLength, QLatin1Char(digitsOnly ? '7' : 'A'));
        EXPECT_NO_THROW(encode(typ, longest)) << typ;
    }
}

} // namespace
} // namespace vx
