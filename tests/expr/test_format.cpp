// Value formatting by format code, and the number and date pattern engines.
#include "expr/format.h"
#include "platform/errors.h"
#include "platform/locale_settings.h"

#include <gtest/gtest.h>

#include <cmath>

namespace vx {
namespace {

constexpr int kComma = ',';
constexpr int kPoint = '.';

class FormatTest : public ::testing::Test {
protected:
    void SetUp() override { setLocaleSettings(LocaleSettings::italian()); }
    void TearDown() override { resetLocaleSettings(); }
};

struct Row {
    Variant value;
    int32_t code;
    const char* pattern;
    const char* expected;
};

void check(const Row* rows, size_t n) {
    for (size_t i = 0; i < n; ++i) {
        const Row& r = rows[i];
        EXPECT_EQ(FormatValue(r.value, r.code, QString::fromUtf8(r.pattern)),
                  QString::fromUtf8(r.expected))
            << "row " << i << " code " << std::hex << r.code;
    }
}

TEST_F(FormatTest, CategoriesUnderTheItalianLocale) {
    const Row rows[] = {
        // Text: the standard conversion with the system separator, not the code's.
        {Variant(1234.5), MakeFormatCode(fcText, 0, 2, kPoint), "", "1234,5"},
        {Variant::fromDateTime(36104.5), MakeFormatCode(fcText, 0, 2, kComma), "",
         "05/11/1998 12:00:00"},
        {Variant::fromDateTime(36104), MakeFormatCode(fcText, 0, 2, kComma), "", "05/11/1998"},
        {Variant::fromDateTime(0.5), MakeFormatCode(fcText, 0, 2, kComma), "", "12:00:00"},
        {Variant::fromDateTime(0), MakeFormatCode(fcText, 0, 2, kComma), "", ""},
        {Variant::null(), MakeFormatCode(fcText, 0, 2, kComma), "", ""},
        {Variant(), MakeFormatCode(fcNumber, 1, 2, kComma), "", ""},
        {Variant::null(), MakeFormatCode(fcDate, 1, 0, kComma), "", ""},
        // Number.
        {Variant(1234.5), MakeFormatCode(fcNumber, 0, 2, kComma), "", "1234,5"},
        {Variant(1234.5), MakeFormatCode(fcNumber, 1, 2, kComma), "", "1234,50"},
        {Variant(1234.5), MakeFormatCode(fcNumber, 2, 2, kComma), "", "1.234,5"},
        {Variant(1234.5), MakeFormatCode(fcNumber, 3, 2, kComma), "", "1.234,50"},
        {Variant(-1234567.891), MakeFormatCode(fcNumber, 3, 2, kComma), "", "-1.234.567,89"},
        {Variant(2.345), MakeFormatCode(fcNumber, 1, 2, kComma), "", "2,35"}, // ties away from zero
        {Variant(0.0), MakeFormatCode(fcNumber, 1, 0, kComma), "", "0"},
        {Variant(1234.5), MakeFormatCode(fcNumber, 1, 2, kPoint), "", "1234.50"},
        {Variant("abc"), MakeFormatCode(fcNumber, 0, 2, kComma), "", "abc"},
        {Variant::fromDateTime(36104), MakeFormatCode(fcNumber, 0, 2, kComma), "", "36104"},
        {Variant(1234.5), MakeFormatCode(fcNumber, 4, 2, kComma), "#,##0.000", "1.234,500"},
        // Date and time.
        {Variant::fromDateTime(36104.11360), MakeFormatCode(fcDate, 0, 0, kComma), "", "05/11/98"},
        {Variant::fromDateTime(36104), MakeFormatCode(fcDate, 1, 0, kComma), "", "05/11/1998"},
        {Variant::fromDateTime(36104), MakeFormatCode(fcDate, 2, 0, kComma), "", "5 nov 1998"},
        {Variant::fromDateTime(36104), MakeFormatCode(fcDate, 3, 0, kComma), "", "5 novembre 1998"},
        {Variant::fromDateTime(36104), MakeFormatCode(fcDate, 4, 0, kComma), "dddd d mmmm",
         "giovedì 5 novembre"},
        {Variant::fromDateTime(36104 + 9815.0 / 86400), MakeFormatCode(fcTime, 0, 0, kComma), "",
         "02:43:35"},
        {Variant::fromDateTime(36104 + 9815.0 / 86400), MakeFormatCode(fcTime, 1, 0, kComma), "",
         "2:43:35"},
        {Variant::fromDateTime(36104 + 9815.0 / 86400), MakeFormatCode(fcTime, 2, 0, kComma), "",
         "02:43"},
        {Variant::fromDateTime(36104 + 9815.0 / 86400), MakeFormatCode(fcTime, 3, 0, kComma), "",
         "2:43"},
        {Variant("x"), MakeFormatCode(fcDate, 1, 0, kComma), "", "x"}, // not a date: standard text
        // Logical.
        {Variant(1), MakeFormatCode(fcLogical, 1, 0, kComma), "", "Si"},
        {Variant(-3), MakeFormatCode(fcLogical, 1, 0, kComma), "", "Si"},
        {Variant(0), MakeFormatCode(fcLogical, 1, 0, kComma), "", "No"},
        {Variant("x"), MakeFormatCode(fcLogical, 1, 0, kComma), "", "x"},
        {Variant(0), MakeFormatCode(fcLogical, 0, 0, kComma), "", "0"},
        {Variant(1), MakeFormatCode(fcLogical, 0, 0, kComma), "", "1"},
        {Variant(0), MakeFormatCode(fcLogical, 2, 0, kComma), "", " "},
        {Variant(1), MakeFormatCode(fcLogical, 2, 0, kComma), "", "X"},
        {Variant(true), MakeFormatCode(fcLogical, 2, 0, kComma), "", "X"},
        {Variant(5), MakeFormatCode(fcLogical, 0, 0, kComma), "", ""},
        {Variant(1), MakeFormatCode(fcLogical, 3, 0, kComma), "", ""},
        // Unknown category.
        {Variant(1), MakeFormatCode(7, 0, 0, kComma), "", ""},
    };
    check(rows, std::size(rows));
}

TEST_F(FormatTest, SeparatorsOfAnotherLocale) {
    LocaleSettings en = LocaleSettings::italian();
    en.decimalSeparator = QLatin1Char('.');
    en.thousandSeparator = QLatin1Char(',');
    en.dateSeparator = QLatin1Char('-');
    en.timeSeparator = QLatin1Char('.');
    setLocaleSettings(en);
    const Row rows[] = {
        {Variant(1234.5), MakeFormatCode(fcText, 0, 2, kComma), "", "1234.5"},
        {Variant(1234.5), MakeFormatCode(fcNumber, 3, 2, kPoint), "", "1,234.50"},
        {Variant(1234.5), MakeFormatCode(fcNumber, 2, 2, kPoint), "", "1,234.5"},
        {Variant::fromDateTime(36104.5), MakeFormatCode(fcText, 0, 2, kComma), "",
         "05-11-1998 12:00:00"},
        // The time separator is ":" while formatting, whatever the system's.
        {Variant::fromDateTime(36104 + 9815.0 / 86400), MakeFormatCode(fcTime, 0, 0, kComma), "",
         "02:43:35"},
    };
    check(rows, std::size(rows));
    EXPECT_EQ(localeSettings().timeSeparator, QLatin1Char('.')); // restored
}

TEST(NumberPattern, Sections) {
    const struct {
        double value;
        const char* pattern;
        const char* expected;
    } rows[] = {
        {1234.5, "0.##", "1234,5"},
        {12, "0.##", "12"},
        {0.5, "#.##", ",5"},
        {0.004, "0.##", "0"},
        {-0.004, "0.##", "0"}, // no "-0"
        {1234567, "#,##0", "1.234.567"},
        {5, "0,000", "0.005"},
        {5, "000", "005"},
        {1.005, "0.00", "1,01"},
        {-5, "0.0;(0.0)", "(5,0)"},
        {0, "0.0;(0.0);'zero'", "zero"},
        {0.001, "0.0;(0.0);zero", "zero"},
        {-5, "0.0;;zero", "-5,0"},
        {1234.5, "'€ '#,##0.00", "€ 1.234,50"},
        {12345, "0.00E+00", "1,23E+04"},
        {0.00012, "0.0E-00", "1,2E-04"},
        {12345, "0.0e-0", "1,2e4"},
        {123, "000-000", "000-123"},
    };
    for (const auto& r : rows)
        EXPECT_EQ(FormatFloatPattern(r.value, QString::fromUtf8(r.pattern), QLatin1Char(','),
                                     QLatin1Char('.')),
                  QString::fromUtf8(r.expected))
            << r.pattern << " " << r.value;
}

TEST(NumberText, GeneralAndFixed) {
    const QChar c = QLatin1Char(',');
    EXPECT_EQ(FormatGeneralFloat(0.1 + 0.2, c), QStringLiteral("0,3"));
    EXPECT_EQ(FormatGeneralFloat(1e20, c), QStringLiteral("1E20"));
    EXPECT_EQ(FormatGeneralFloat(1.5e-6, c), QStringLiteral("1,5E-6"));
    EXPECT_EQ(FormatGeneralFloat(0.00001, c), QStringLiteral("0,00001"));
    EXPECT_EQ(FormatGeneralFloat(-123456789012345.0, c), QStringLiteral("-123456789012345"));
    EXPECT_EQ(FormatFixedFloat(123456789.126, 2, 10, true, c, QLatin1Char('.')),
              QStringLiteral("123.456.789,13"));
    EXPECT_EQ(FormatFixedFloat(99999999999.0, 2, 10, false, c, QLatin1Char('.')),
              QStringLiteral("1E+011"));
}

TEST(DatePattern, TokensAndNames) {
    const LocaleSettings it = LocaleSettings::italian();
    const double t = 36104 + (14 * 3600 + 5 * 60 + 9) / 86400.0; // 5/11/1998 14:05:09, a Thursday
    const struct {
        const char* pattern;
        const char* expected;
    } rows[] = {
        {"d/m/yy", "5/11/98"},        {"ddd dddd", "gio giovedì"},
        {"mmm mmmm", "nov novembre"}, {"hh:mm", "14:05"}, // m after h is the minute
        {"h:n:s", "14:5:9"},          {"hh:nn am/pm", "02:05 pm"},
        {"'d' d \"m\"", "d 5 m"},     {"yyyy", "1998"},
    };
    for (const auto& r : rows)
        EXPECT_EQ(FormatDateTimePattern(t, QString::fromUtf8(r.pattern), it),
                  QString::fromUtf8(r.expected))
            << r.pattern;
    EXPECT_THROW(FormatDateTimePattern(1e9, QStringLiteral("dd"), it), VxError);
}

TEST(DatePattern, SelfReferringLocaleFormatsEnd) {
    LocaleSettings odd = LocaleSettings::italian();
    odd.shortDateFormat = QStringLiteral("c ddddd");
    odd.longTimeFormat = QStringLiteral("tt c");
    const QString text = FormatDateTimePattern(36104.5, QStringLiteral("c"), odd);
    EXPECT_LT(text.size(), 200);
}

TEST(DateParsing, DatesAndTimes) {
    const LocaleSettings it = LocaleSettings::italian();
    EXPECT_EQ(StrToDate(QStringLiteral("05/11/1998"), it), 36104);
    EXPECT_EQ(StrToDate(QStringLiteral(" 5-11-1998 "), it), 36104);
    EXPECT_EQ(StrToDate(QStringLiteral("5/11/98"), it), 36104);
    EXPECT_THROW(StrToDate(QStringLiteral("5/13/1998"), it), VxError);
    EXPECT_THROW(StrToDate(QStringLiteral("abc"), it), VxError);
    EXPECT_THROW(StrToDate(QStringLiteral("1/2/3/4"), it), VxError);
    EXPECT_DOUBLE_EQ(StrToTime(QStringLiteral("18:00"), it), 0.75);
    EXPECT_DOUBLE_EQ(StrToTime(QStringLiteral("6:00:00 PM"), it), 0.75);
    EXPECT_DOUBLE_EQ(StrToTime(QStringLiteral("12:00 AM"), it), 0.0);
    EXPECT_THROW(StrToTime(QStringLiteral("12:60"), it), VxError);
}

TEST(FormatCode, FieldsAndTables) {
    const int32_t code = MakeFormatCode(fcNumber, 3, 2, kComma);
    EXPECT_EQ(FormatCategoryOf(code), fcNumber);
    EXPECT_EQ(FormatSubFormatOf(code), 3);
    EXPECT_EQ(FormatDecimalsOf(code), 2);
    EXPECT_EQ(FormatSeparatorCodeOf(code), kComma);
    EXPECT_EQ(MakeFormatCode(fcText, 0, 2, kComma), 512 + 44);
    EXPECT_EQ(FormatCategoryNames[3], QStringLiteral("Orario"));
    EXPECT_EQ(FormatSampleTexts(fcLogical).at(1), QStringLiteral("Si/No"));
    EXPECT_TRUE(FormatSampleTexts(9).isEmpty());
}

} // namespace
} // namespace vx

namespace vx {
namespace {

// Patterns come from templates: malformed ones must give some text, never
// crash or run away.
TEST(NumberPattern, MalformedPatternsStayBounded) {
    const char* patterns[] = {"E+", "0E+", "'unterminated", ";;;;", "\"", "0.0E-0000000000",
                              ".",  ",",   "#.#.#",         "0;",   ";0", "E+0E-0"};
    for (const char* p : patterns)
        for (double v : {0.0, -1.5, 1e300, -1e-300, 123456.789}) {
            const QString text =
                FormatFloatPattern(v, QString::fromLatin1(p), QLatin1Char(','), QLatin1Char('.'));
            EXPECT_LT(text.size(), 400) << p << " " << v;
        }
    EXPECT_EQ(FormatFloatPattern(std::nan(""), QStringLiteral("0.00"), QLatin1Char(','),
                                 QLatin1Char('.')),
              QStringLiteral("NAN"));
}

} // namespace
} // namespace vx
