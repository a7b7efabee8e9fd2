// Euro conversion at the fixed rate and the amount formats.
#include "expr/euro.h"
#include "platform/errors.h"
#include "platform/locale_settings.h"

#include <gtest/gtest.h>

namespace vx {
namespace {

class EuroTest : public ::testing::Test {
protected:
    void SetUp() override {
        LocaleSettings it = LocaleSettings::italian();
        it.currencyString = QStringLiteral("L.");
        it.currencyFormat = 2;
        it.negCurrFormat = 8; // "-1 L.": must not be used for negative amounts
        it.currencyDecimals = 0;
        setLocaleSettings(it);
    }
    void TearDown() override { resetLocaleSettings(); }
};

const QString kEuro = QStringLiteral("\u20AC ");

TEST_F(EuroTest, MoneyToEuroRoundsToCents) {
    struct Case {
        Variant x;
        double euros;
    };
    const std::vector<Case> cases = {
        {Variant(1000000), 516.46}, // 516.4568...
        {Variant(1936.27), 1.0},
        {Variant(Currency::fromInt(1936270)), 1000.0},
        {Variant(0), 0.0},
        {Variant(-1000000.0), -516.46},
        {Variant(QStringLiteral("1000000")), 516.46},
        {Variant(968.135), 0.5},
    };
    for (const Case& c : cases)
        EXPECT_DOUBLE_EQ(MoneyToEuroValue(c.x), c.euros) << c.x.toString().toStdString();
    EXPECT_EQ(MoneyToEuroText(Variant(1000000)), kEuro + QStringLiteral("516,46"));
    EXPECT_EQ(MoneyToEuroText(Variant(1000000000)), kEuro + QStringLiteral("516.456,90"));
}

TEST_F(EuroTest, EuroToMoneyIsCurrencyArithmetic) {
    EXPECT_EQ(EuroToMoneyValue(Variant(1)), Currency::fromScaled(19362700));
    EXPECT_EQ(EuroToMoneyValue(Variant(0.5)), Currency::fromScaled(9681350)); // 968.135
    EXPECT_EQ(EuroToMoneyValue(Variant(0.0005)),
              Currency::fromScaled(9681)); // 0.968135 rounds to 4 places, half to even
    EXPECT_EQ(EuroToMoneyText(Variant(1)), QStringLiteral("L. 1.936"));
    EXPECT_EQ(EuroToMoneyText(Variant(1000)), QStringLiteral("L. 1.936.270"));
}

TEST_F(EuroTest, MoneyFormatPositionsAndNegatives) {
    EXPECT_EQ(MoneyText(Variant(-5)), QStringLiteral("L. -5"));
    EXPECT_EQ(MoneyText(Variant(1234567)), QStringLiteral("L. 1.234.567"));
    EXPECT_EQ(MoneyText(Variant(2.5)), QStringLiteral("L. 3")); // half away from zero
    LocaleSettings s = localeSettings();
    s.currencyString = QStringLiteral("\u20AC");
    s.currencyDecimals = 2;
    for (int format : {0, 1, 2, 3}) {
        s.currencyFormat = format;
        setLocaleSettings(s);
        const QString expected[] = {"\u20AC1.234,50", "1.234,50\u20AC", "\u20AC 1.234,50",
                                    "1.234,50 \u20AC"};
        EXPECT_EQ(MoneyText(Variant(1234.5)), expected[format]) << format;
        EXPECT_EQ(MoneyText(Variant(-1234.5)), QStringLiteral("\u20AC -1.234,50")) << format;
    }
}

TEST_F(EuroTest, EuroFormatsWithoutConversion) {
    EXPECT_EQ(EuroText(Variant(1234.5)), kEuro + QStringLiteral("1.234,50"));
    EXPECT_EQ(EuroText(Variant(0)), kEuro + QStringLiteral("0,00"));
    EXPECT_EQ(EuroText(Variant(-0.004)), kEuro + QStringLiteral("0,00"));
    EXPECT_EQ(EuroText(Variant(0.005)), kEuro + QStringLiteral("0,01"));
    EXPECT_EQ(EuroText(Variant(-1234567.891)), kEuro + QStringLiteral("-1.234.567,89"));
    EXPECT_EQ(EuroText(Variant(123456789.125)),
              kEuro + QStringLiteral("123.456.789,13")); // the cents are kept
}

TEST_F(EuroTest, BadArgumentsFail) {
    EXPECT_THROW(MoneyToEuroValue(Variant::null()), VxError);
    EXPECT_THROW(EuroText(Variant(QStringLiteral("abc"))), VxError);
    EXPECT_THROW(EuroToMoneyValue(Variant(1e12)), VxError); // beyond the currency range
    EXPECT_THROW(MoneyText(Variant(1e16)), VxError);
}

} // namespace
} // namespace vx
