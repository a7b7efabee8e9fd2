// Numbers in Italian words: the word tables and every rule of the groups.
#include "expr/number_words.h"
#include "platform/errors.h"
#include "platform/locale_settings.h"

#include <gtest/gtest.h>

namespace vx {
namespace {

class NumberWordsTest : public ::testing::Test {
protected:
    void SetUp() override { setLocaleSettings(LocaleSettings::italian()); }
    void TearDown() override { resetLocaleSettings(); }
};

struct Case {
    double value;
    const char* words;
};

void expectWords(const std::vector<Case>& cases) {
    for (const Case& c : cases)
        EXPECT_EQ(NumberToWords(Currency::fromDouble(c.value)).toStdString(), c.words) << c.value;
}

TEST_F(NumberWordsTest, UnitsTeensAndTens) {
    expectWords({
        {0, "zero"},
        {1, "uno"},
        {9, "nove"},
        {10, "dieci"},
        {11, "undici"},
        {16, "sedici"},
        {19, "diciannove"},
        {20, "venti"},
        {21, "ventuno"},  // the tens word loses its last letter before uno
        {28, "ventotto"}, // and before otto
        {33, "trentatre"},
        {38, "trentotto"},
        {81, "ottantuno"},
        {99, "novantanove"},
    });
}

TEST_F(NumberWordsTest, Hundreds) {
    expectWords({
        {100, "cento"},
        {101, "centouno"},
        {108, "centootto"},
        {111, "centoundici"},
        {181, "centoottantuno"},
        {200, "duecento"},
        {999, "novecentonovantanove"},
    });
}

TEST_F(NumberWordsTest, PowersOfAThousand) {
    expectWords({
        {1000, "mille"},
        {1001, "milleuno"},
        {1100, "millecento"},
        {2000, "duemila"},
        {21000, "ventunomila"},
        {100000, "centomila"},
        {101000, "centounomila"},
        {1000000, "unmilione"},
        {1001000, "unmilioneunomila"}, // an inner group worth one takes the plural word
        {2000000, "duemilioni"},
        {2500000, "duemilionicinquecentomila"},
        {1000000000, "unmiliardo"},
        {2000000000, "duemiliardi"},
        {1000000000000.0, "millemiliardi"},
        {3000000000000.0, "tremiliardi"}, // the table repeats "miliardi" for group 4
        {1234567, "unmilioneduecentotrentaquattromilacinquecentosessantasette"},
    });
}

TEST_F(NumberWordsTest, DecimalsAndSign) {
    expectWords({
        {12.5, "dodici virgola cinque"},
        {12.50, "dodici virgola cinque"},
        {0.5, "zero virgola cinque"},
        {0.75, "zero virgola settantacinque"},
        {-3.75, "meno tre virgola settantacinque"},
        {1234567.89,
         "unmilioneduecentotrentaquattromilacinquecentosessantasette virgola ottantanove"},
        {-1000, "meno mille"},
        {7.1234, "sette virgola milleduecentotrentaquattro"},
    });
}

TEST_F(NumberWordsTest, LeadingZerosOfTheDecimalsAreSpoken) {
    // Read as a whole number, 0.05 would say "cinque" like 0.5: a cheque for
    // five cents would read as fifty.
    expectWords({
        {0.05, "zero virgola zerocinque"},
        {12.05, "dodici virgola zerocinque"},
        {1.005, "uno virgola zerozerocinque"},
        {0.0001, "zero virgola zerozerozerouno"},
        {0.0012, "zero virgola zerozerododici"},
        {0.012, "zero virgola zerododici"},
    });
}

TEST_F(NumberWordsTest, CurrencyRangeEdges) {
    EXPECT_EQ(NumberToWords(Currency::fromScaled(INT64_MAX)).left(19),
              QStringLiteral("novecentoventiduemi"));
    EXPECT_TRUE(
        NumberToWords(Currency::fromScaled(INT64_MIN)).startsWith(QLatin1String("meno novecento")));
}

TEST_F(NumberWordsTest, NumberToLetterConvertsToCurrency) {
    EXPECT_EQ(NumberToLetter(Variant(21)), QStringLiteral("ventuno"));
    EXPECT_EQ(NumberToLetter(Variant(0.12345)),
              QStringLiteral("zero virgola milleduecentotrentaquattro"));
    EXPECT_EQ(NumberToLetter(Variant(QStringLiteral("1,5"))), QStringLiteral("uno virgola cinque"));
    EXPECT_THROW(NumberToLetter(Variant::null()), VxError);
    EXPECT_THROW(NumberToLetter(Variant(QStringLiteral("abc"))), VxError);
    EXPECT_THROW(NumberToLetter(Variant(1e20)), VxError); // beyond the currency range
}

} // namespace
} // namespace vx
