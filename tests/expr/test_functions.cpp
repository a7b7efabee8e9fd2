// The built-in functions, called through the evaluator with a resolver that
// knows only the function table (no report).
#include "tests/expr/function_library_fixture.h"

#include <cmath>

namespace vx {
namespace {

class FunctionsTest : public test::FunctionLibraryFixture {};

struct Row {
    const char* expr;
    Variant expected;
};

TEST_F(FunctionsTest, ResultsAndKinds) {
    const Row rows[] = {
        {"ROUND(2.5)", Variant::fromInt32(2)}, // halves to even
        {"ROUND(3.5)", Variant::fromInt32(4)},
        {"ROUND(-2.5)", Variant::fromInt32(-2)},
        {"TRUNC(-2.7)", Variant::fromInt32(-2)},
        {"CEIL(-2.5)", Variant::fromInt32(-2)},
        {"CEIL(2.1)", Variant::fromInt32(3)},
        {"CEIL(2)", Variant::fromInt32(2)},
        {"FLOOR(-2.5)", Variant::fromInt32(-3)},
        {"FLOOR(2.9)", Variant::fromInt32(2)},
        {"INT(-2.7)", Variant(-2.0)},
        {"ABS(-3)", Variant(3.0)},
        {"SQR(3)", Variant(9.0)},
        {"SQRT(16)", Variant(4.0)},
        {"LN(1)", Variant(0.0)},
        {"POS('c', 'abc')", Variant::fromInt32(3)},
        {"POS('x', 'abc')", Variant::fromInt32(0)},
        {"POS('', 'abc')", Variant::fromInt32(0)},
        {"LENGTH('abcd')", Variant::fromInt32(4)},
        {"LENGTH(123)", Variant::fromInt32(3)},
        {"COPY('abcdef', 3, 2)", Variant("cd")},
        {"COPY('abc', 5, 2)", Variant("")},
        {"COPY('abc', 3, 9)", Variant("c")},
        {"COPY('abc', 0, 2)", Variant("ab")}, // Y below 1 counts as 1
        {"COPY('abc', -5, 1)", Variant("a")},
        {"COPY('abc', 1, 0)", Variant("")},
        {"FILLSTR(3, 'ab')", Variant("ababab")},
        {"FILLSTR(0, 'ab')", Variant("")},
        {"FILLSTR(-2, 'ab')", Variant("")},
        {"UPPERCASE('àbc')", Variant("àBC")}, // only a..z change
        {"LOWERCASE('ÀBC')", Variant("Àbc")},
        {"NAMECASE('mARIO')", Variant("Mario")},
        {"PHRASECASE('l''aNNO santo')", Variant("L'Anno Santo")},
        {"PHRASECASE('ciao2mondo')", Variant("Ciao2Mondo")},
        {"STR(1.5)", Variant("1,5")},
        {"STR(10)", Variant("10")},
        {"STR(0.1 + 0.2)", Variant("0,3")},
        {"VAL('2,5')", Variant(2.5)},
        {"IF(1 > 0, 'a', 1/0)", Variant("a")},
        {"IF(2, 'a', 'b')", Variant("b")},
        {"IF('1', 'a', 'b')", Variant("a")},
        {"IF(1.0, 'a', 'b')", Variant("a")},
        {"FORMATFLOAT('#,##0.00', 1234.5)", Variant("1.234,50")},
        {"FORMATDATETIME('dd/mm/yyyy', 36104)", Variant("05/11/1998")},
        {"STRTODATE('05/11/1998')", Variant::fromDateTime(36104)},
        {"STRTOTIME('12:00')", Variant::fromDateTime(0.5)},
        {"POWER(2, 10)", Variant(1024.0)},
    };
    for (const Row& row : rows) {
        const Variant v = eval(QString::fromUtf8(row.expr));
        if (row.expected.kind() == VariantKind::Float && v.kind() == VariantKind::Float)
            EXPECT_NEAR(v.floatValue(), row.expected.floatValue(), 1e-9) << row.expr;
        else
            EXPECT_EQ(v, row.expected) << row.expr << " gave " << v.toString().toStdString();
    }
}

TEST_F(FunctionsTest, NumberWordsAndCurrencyFunctionsAreInTheTable) {
    EXPECT_EQ(eval("NUMBERTOLETTER(21)"), Variant("ventuno"));
    EXPECT_EQ(eval("EUROTOMONEYVAL(1)"), Variant(Currency::fromScaled(19362700)));
    EXPECT_NEAR(eval("MONEYTOEUROVAL(1000000)").floatValue(), 516.46, 1e-9);
    EXPECT_EQ(eval("EURO(1234.5)"), Variant(QStringLiteral("\u20AC 1.234,50")));
    EXPECT_EQ(
        failure("MONEY(1, 2)"),
        QStringLiteral("E' stato inserito un numero di parametri errato per la funzione : MONEY"));
    EXPECT_EQ(failure("NUMBERTOLETTER('abc')"),
              QStringLiteral("Tipi di parametri errati nella funzione: "
                             "NUMBERTOLETTER ('abc')"));
}

TEST_F(FunctionsTest, FracKeepsTheSignOfItsArgument) {
    EXPECT_NEAR(eval("FRAC(-2.7)").floatValue(), -0.7, 1e-12);
    EXPECT_NEAR(eval("FRAC(2.25)").floatValue(), 0.25, 1e-12);
}

TEST_F(FunctionsTest, IntegerResultsBeyond32BitsAreNotWrapped) {
    EXPECT_EQ(eval("ROUND(3000000000.4)"), Variant::fromInt64(3000000000LL));
    EXPECT_EQ(eval("TRUNC(-3000000000.9)"), Variant::fromInt64(-3000000000LL));
}

TEST_F(FunctionsTest, WrongArgumentCountNamesTheFunction) {
    const char* calls[] = {"SQR(3,4)", "IF(1,2)",     "COPY('a')",
                           "POS('a')", "UPPERCASE()", "FILLSTR(1,2,3)"};
    for (const char* call : calls) {
        const QString name = QString::fromLatin1(call).section(QLatin1Char('('), 0, 0);
        EXPECT_EQ(
            failure(QString::fromLatin1(call)),
            QStringLiteral("E' stato inserito un numero di parametri errato per la funzione : ") +
                name)
            << call;
    }
}

TEST_F(FunctionsTest, FailuresInsideFunctionsQuoteTheRawArguments) {
    const struct {
        const char* call;
        const char* message;
    } rows[] = {
        {"SQRT(-1)", "Tipi di parametri errati nella funzione: SQRT (-1)"},
        {"LN(0)", "Tipi di parametri errati nella funzione: LN (0)"},
        {"LN(-1)", "Tipi di parametri errati nella funzione: LN (-1)"},
        {"POWER(0, 2)", "Tipi di parametri errati nella funzione: POWER (0, 2)"},
        {"VAL('abc')", "Tipi di parametri errati nella funzione: VAL ('abc')"},
        {"STRTODATE('31/02/1998')",
         "Tipi di parametri errati nella funzione: STRTODATE ('31/02/1998')"},
        {"STRTOTIME('25:00')", "Tipi di parametri errati nella funzione: STRTOTIME ('25:00')"},
        {"EXP(100000)", "Tipi di parametri errati nella funzione: EXP (100000)"},
        {"IF('x', 1, 2)", "Tipi di parametri errati nella funzione: IF ('x', 1, 2)"},
        {"FILLSTR(100000000, 'abc')",
         "Tipi di parametri errati nella funzione: FILLSTR (100000000, 'abc')"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(failure(QString::fromLatin1(row.call)), QString::fromUtf8(row.message))
            << row.call;
}

TEST_F(FunctionsTest, StrToDateFollowsTheLocaleOrder) {
    LocaleSettings us = LocaleSettings::italian();
    us.shortDateFormat = QStringLiteral("mm/dd/yyyy");
    setLocaleSettings(us);
    EXPECT_EQ(eval("STRTODATE('11/05/1998')"), Variant::fromDateTime(36104));
}

TEST_F(FunctionsTest, CaseHelpers) {
    EXPECT_EQ(PhraseCase(QString()), QString());
    EXPECT_EQ(NameCase(QStringLiteral("x")), QStringLiteral("X"));
    EXPECT_EQ(PhraseCase(QStringLiteral("  due  PAROLE")), QStringLiteral("  Due  Parole"));
}

TEST_F(FunctionsTest, ReportFunctionsAreNotCalledHere) {
    Variant v;
    QString message;
    for (const char* name : {"SUM", "COUNT", "FINDLOOKUP", "SQL", "NOSUCH"})
        EXPECT_EQ(CallBuiltinFunction(QString::fromLatin1(name), {}, v, &message),
                  CallOutcome::NotBuiltin)
            << name;
    ASSERT_NE(FindBuiltinFunction(QStringLiteral("SUM")), nullptr);
    EXPECT_FALSE(ArgCountAccepted(*FindBuiltinFunction(QStringLiteral("SUM")), 2));
    EXPECT_TRUE(ArgCountAccepted(*FindBuiltinFunction(QStringLiteral("SQL")), 7));
}

} // namespace
} // namespace vx
