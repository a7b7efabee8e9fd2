// Amounts, strings, dates and nesting at the extremes: exact currency
// conversion, the grouped two-decimal form for large amounts, one cap on the
// strings an expression builds, the calendar's limits, the nesting message
// and error messages that quote at most the first 100 characters.
#include "expr/euro.h"
#include "expr/format.h"
#include "tests/expr/function_library_fixture.h"
#include "tests/expr/variant_printer.h"

namespace vx {
namespace {

class ExtremesTest : public test::FunctionLibraryFixture {};

const QString kEuro = QStringLiteral("\u20AC ");

TEST_F(ExtremesTest, CurrencyRoundsTheDecimalValueNotTheBinaryProduct) {
    const struct {
        double value;
        std::int64_t scaled;
    } rows[] = {
        {123456789012345.0, 1234567890123450000},
        {-123456789012345.0, -1234567890123450000},
        {922337203685477.0, 9223372036854770000},
        {0.00015, 2}, // 1.4999999999999998 as a binary product
        {0.00025, 2}, // a decimal half: to even
        {0.00035, 4},
        {1.00005, 10000},
        {-0.00015, -2},
        {1e-300, 0},
        {0.1 + 0.2, 3000},
    };
    for (const auto& row : rows)
        EXPECT_EQ(Currency::fromDouble(row.value).scaled, row.scaled) << row.value;
    for (double outside : {922337203685478.0, -1e15, 1e300})
        EXPECT_THROW(Currency::fromDouble(outside), VxError) << outside;
    EXPECT_FALSE(
        eval("NUMBERTOLETTER(123456789012345)").stringValue().contains(QStringLiteral("virgola")));
    EXPECT_EQ(eval("MONEY(123456789012345)"), Variant("\u20AC 123.456.789.012.345,00"));
}

TEST_F(ExtremesTest, EuroAmountsKeepTheGroupedTwoDecimalForm) {
    const struct {
        const char* expression;
        const char* text;
    } rows[] = {
        {"EURO(10000000000)", "10.000.000.000,00"},
        {"EURO(123456789.125)", "123.456.789,13"},
        {"EURO(-98765432109.87)", "-98.765.432.109,87"},
        {"EURO(123456789012345.67)", "123.456.789.012.345,67"},
        {"EURO(999999999999999)", "999.999.999.999.999,00"},
        {"EURO(1000000*1000000*1000)", "1E+015"},
        {"MONEYTOEURO(900000000000000)", "464.811.209.180,54"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(eval(QString::fromUtf8(row.expression)), Variant(kEuro + row.text))
            << row.expression;
    // The grouped number format of text objects keeps its cents as well.
    EXPECT_EQ(FormatValue(Variant(123456789.125), 0x0103022C, QString()),
              QStringLiteral("123.456.789,13"));
}

TEST_F(ExtremesTest, EveryBuiltStringHasOneCap) {
    const QString full = QStringLiteral("FILLSTR(%1, 'a')").arg(kMaxExprStringLength);
    EXPECT_EQ(eval(full).stringValue().size(), kMaxExprStringLength);
    EXPECT_EQ(failure(QStringLiteral("FILLSTR(%1, 'a')").arg(kMaxExprStringLength + 1)),
              QStringLiteral("Tipi di parametri errati nella funzione: FILLSTR (%1, 'a')")
                  .arg(kMaxExprStringLength + 1));
    EXPECT_EQ(errorOf(full + QStringLiteral(" + 'b'")),
              QLatin1String(kMsgIncompatibleTypes) +
                  ClipForMessage(full + QStringLiteral(" + 'b'")));
    // The strings one evaluation builds share a budget: five full terms held
    // at once by nested groups pass it at the fifth.
    const QString nested = QStringLiteral("LENGTH(%1 + (%1 + (%1 + (%1 + (%1)))))").arg(full);
    EXPECT_TRUE(
        failure(nested).startsWith(QLatin1String(kMsgBadParamTypes) + QStringLiteral("FILLSTR (")));
    // A format pattern whose text outgrows the cap.
    EXPECT_EQ(
        failure(
            QStringLiteral("FORMATDATETIME(FILLSTR(%1, 'c'), 1)").arg(kMaxExprStringLength / 4)),
        QStringLiteral("Tipi di parametri errati nella funzione: FORMATDATETIME "
                       "(FILLSTR(%1, 'c'), 1)")
            .arg(kMaxExprStringLength / 4));
    // In quiet mode the operator yields 0, as every failed operation does.
    ScopedExprResolver quiet(TvxExpr::instance().Resolver(), kExprQuiet);
    EXPECT_EQ(eval(full + QStringLiteral(" + 'b'")), Variant(0));
}

TEST_F(ExtremesTest, DatesOutsideTheCalendarAreConversionFailures) {
    EXPECT_EQ(Variant::fromDateTime(-693593).toString(), QStringLiteral("01/01/0001"));
    EXPECT_EQ(Variant::fromDateTime(2958465.5).toString(), QStringLiteral("31/12/9999 12:00:00"));
    for (double day : {-693594.0, 2958466.0, 1e300, -1e300}) {
        try {
            Variant::fromDateTime(day).toString();
            ADD_FAILURE() << day;
        } catch (const VxError& e) {
            EXPECT_TRUE(e.message().startsWith(QLatin1String(kMsgDateOutOfRange))) << day;
        }
    }
    EXPECT_EQ(failure("UPPERCASE(STRTODATE('31/12/9999') + 1)"),
              QStringLiteral("Tipi di parametri errati nella funzione: UPPERCASE "
                             "(STRTODATE('31/12/9999') + 1)"));
    EXPECT_THROW(FormatValue(Variant::fromDateTime(3e6), 0, QString()), VxError);
}

TEST_F(ExtremesTest, DeepCallsReportTheNestingMessage) {
    for (int depth : {kMaxExprNesting + 1, 5000}) {
        QString calls = QStringLiteral("1");
        for (int i = 0; i < depth; ++i)
            calls = QStringLiteral("ABS(") + calls + QLatin1Char(')');
        messages_.clear();
        const QString message = errorOf(calls);
        EXPECT_TRUE(message.startsWith(QLatin1String(kMsgTooDeep))) << message.toStdString();
        EXPECT_LE(message.size(), qsizetype(qstrlen(kMsgTooDeep)) + kMaxQuotedChars + 3);
        EXPECT_TRUE(messages_.isEmpty()) << messages_.first().left(200).toStdString();
    }
    QString calls = QStringLiteral("1");
    for (int i = 0; i < kMaxExprNesting - 1; ++i)
        calls = QStringLiteral("ABS(") + calls + QLatin1Char(')');
    EXPECT_EQ(eval(calls), Variant(1.0));
}

TEST_F(ExtremesTest, MessagesQuoteAtMostTheFirstHundredCharacters) {
    const QString name = QString(300, QLatin1Char('x'));
    const QString clipped = QString(100, QLatin1Char('x')) + QStringLiteral("...");
    EXPECT_EQ(errorOf(name), QLatin1String(kMsgUnknownIdentifier) + clipped);
    EXPECT_EQ(errorOf(name.left(100)), QLatin1String(kMsgUnknownIdentifier) + name.left(100));
    EXPECT_EQ(errorOf(QStringLiteral("(") + name), QLatin1String(kMsgParentheses) +
                                                       QStringLiteral("(") + name.left(99) +
                                                       QStringLiteral("..."));
    EXPECT_EQ(failure(QStringLiteral("SQRT('") + name + QStringLiteral("')")),
              QLatin1String(kMsgBadParamTypes) + QStringLiteral("SQRT ('") + name.left(99) +
                  QStringLiteral("...)"));
    EXPECT_EQ(errorOf(QStringLiteral("1") + QString(300, QLatin1Char('.'))),
              QStringLiteral("'1,") + QString(98, QLatin1Char('.')) +
                  QStringLiteral("...' is not a valid floating point value"));
}

} // namespace
} // namespace vx
