// Variant conversions: rounding, text to number, the standard conversion to text.
#include "expr/variant.h"
#include "platform/errors.h"
#include "platform/locale_settings.h"
#include "tests/expr/variant_printer.h"

#include <gtest/gtest.h>

namespace vx {
namespace {

class VariantTest : public ::testing::Test {
protected:
    void SetUp() override { setLocaleSettings(LocaleSettings::italian()); }
    void TearDown() override { resetLocaleSettings(); }
};

TEST_F(VariantTest, KindsAndConstructors) {
    EXPECT_TRUE(Variant().isEmpty());
    EXPECT_TRUE(Variant::null().isNull());
    EXPECT_EQ(Variant(5).kind(), VariantKind::Int32);
    EXPECT_EQ(Variant(5LL).kind(), VariantKind::Int64);
    EXPECT_EQ(Variant::fromInt8(-5).kind(), VariantKind::Int8);
    EXPECT_EQ(Variant::fromInt8(-5).intValue(), -5);
    EXPECT_EQ(Variant(true).kind(), VariantKind::Boolean);
    EXPECT_EQ(Variant("x").kind(), VariantKind::String);
    EXPECT_EQ(Variant::fromDateTime(1.5).kind(), VariantKind::DateTime);
    EXPECT_TRUE(Variant::fromInt16(3).isInteger());
    EXPECT_FALSE(Variant(1) == Variant(1.0)); // structural equality compares kinds
}

TEST_F(VariantTest, RealToIntegerRoundsHalfToEven) {
    const std::vector<std::pair<double, std::int64_t>> cases = {
        {0.5, 0},   {1.5, 2},   {2.5, 2},    {3.5, 4},    {-0.5, 0},
        {-1.5, -2}, {-2.5, -2}, {2.4999, 2}, {2.5001, 3},
    };
    for (const auto& [d, i] : cases) {
        EXPECT_EQ(Variant(d).toInt64(), i) << d;
        EXPECT_EQ(RoundHalfEven(d), i) << d;
    }
    EXPECT_EQ(Variant(Currency::fromScaled(25000)).toInt64(), 2); // 2.5
    EXPECT_EQ(Variant(Currency::fromScaled(35000)).toInt64(), 4); // 3.5
    EXPECT_EQ(Variant(Currency::fromScaled(-25000)).toInt64(), -2);
    EXPECT_EQ(Variant(Currency::fromScaled(-25001)).toInt64(), -3);
    EXPECT_THROW(RoundHalfEven(1e19), VxError);
    EXPECT_THROW(Variant(1e10).toInt32(), VxError);
}

TEST_F(VariantTest, CurrencyFromDoubleRoundsToFourPlaces) {
    EXPECT_EQ(Currency::fromDouble(1.23456).scaled, 12346);
    EXPECT_EQ(Currency::fromDouble(0.00005).scaled, 0); // half to even
    EXPECT_EQ(Currency::fromDouble(-1.5).scaled, -15000);
    EXPECT_THROW(Currency::fromDouble(1e15), VxError);
    EXPECT_THROW(Currency::fromDouble(std::nan("")), VxError);
}

TEST_F(VariantTest, ConversionsFromEachKind) {
    EXPECT_EQ(Variant(true).toDouble(), -1.0);
    EXPECT_EQ(Variant(true).toInt64(), -1);
    EXPECT_EQ(Variant().toDouble(), 0.0);
    EXPECT_EQ(Variant().toString(), QString());
    EXPECT_THROW(Variant::null().toDouble(), VxError);
    EXPECT_THROW(Variant::null().toInt64(), VxError);
    EXPECT_THROW(Variant::null().toBool(), VxError);
    EXPECT_EQ(Variant(QStringLiteral(" 12 ")).toInt64(), 12);
    EXPECT_EQ(Variant(QStringLiteral("2,5")).toInt64(), 2);
    EXPECT_EQ(Variant(QStringLiteral("true")).toInt64(), -1);
    EXPECT_THROW(Variant(QStringLiteral("abc")).toInt64(), VxError);
    EXPECT_TRUE(Variant(QStringLiteral("TRUE")).toBool());
    EXPECT_FALSE(Variant(QStringLiteral("0")).toBool());
    EXPECT_TRUE(Variant(QStringLiteral("2")).toBool());
    EXPECT_THROW(Variant(QStringLiteral("si")).toBool(), VxError);
    EXPECT_EQ(Variant(7).toCurrency().scaled, 70000);
    EXPECT_EQ(Variant(QStringLiteral("1,23456")).toCurrency().scaled, 12346);
}

TEST_F(VariantTest, TextToFloatUsesTheSystemSeparator) {
    struct Case {
        const char* text;
        std::optional<double> value;
    };
    const std::vector<Case> cases = {
        {"1,5", 1.5},
        {" -2,25 ", -2.25},
        {"+3", 3.0},
        {"1E3", 1000.0},
        {"1,5e-2", 0.015},
        {",5", 0.5},
        {"5,", 5.0},
        {"1.5", std::nullopt},
        {"", std::nullopt},
        {",", std::nullopt},
        {"1e", std::nullopt},
        {"1 2", std::nullopt},
        {"1e999", std::nullopt},
        {"abc", std::nullopt},
    };
    for (const Case& c : cases) {
        double v = 0;
        const bool ok = TryStrToFloat(QString::fromUtf8(c.text), &v);
        EXPECT_EQ(ok, c.value.has_value()) << c.text;
        if (ok && c.value) {
            EXPECT_DOUBLE_EQ(v, *c.value) << c.text;
        }
    }
    EXPECT_THROW(
        {
            try {
                StrToFloat(QStringLiteral("x1"));
            } catch (const VxError& e) {
                EXPECT_EQ(e.message(), QStringLiteral("'x1' is not a valid floating point value"));
                throw;
            }
        },
        VxError);
}

TEST_F(VariantTest, StandardConversionToText) {
    struct Case {
        Variant v;
        const char* text;
    };
    const std::vector<Case> cases = {
        {Variant(-42), "-42"},
        {Variant(1.5), "1,5"},
        {Variant(0.1 + 0.2), "0,3"}, // 15 significant digits
        {Variant(100.0), "100"},
        {Variant(123456789012345.0), "123456789012345"},
        {Variant(1e15), "1E15"},
        {Variant(0.00001), "0,00001"},
        {Variant(0.000001), "1E-6"},
        {Variant(-1.5e-7), "-1,5E-7"},
        {Variant(Currency::fromScaled(125000)), "12,5"},
        {Variant(Currency::fromScaled(-1)), "-0,0001"},
        {Variant(Currency::fromScaled(INT64_MIN)), "-922337203685477,5808"},
        {Variant::fromDateTime(36104.5), "05/11/1998 12:00:00"},
        {Variant::fromDateTime(36104), "05/11/1998"},
        {Variant::fromDateTime(0.5), "12:00:00"},
        {Variant::fromDateTime(0), "30/12/1899"},
        {Variant(true), "True"},
        {Variant(QStringLiteral("abc")), "abc"},
        {Variant::null(), ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.v.toString().toStdString(), c.text) << testing::PrintToString(c.v);
}

} // namespace
} // namespace vx
