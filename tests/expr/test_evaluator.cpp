// The expression evaluator: lexing, precedence, operands, argument splitting,
// the resolver contract, errors with their exact messages, quiet mode and
// hostile input.
#include "expr/evaluator.h"
#include "platform/errors.h"
#include "platform/locale_settings.h"
#include "tests/expr/variant_printer.h"

#include <gtest/gtest.h>

#include <map>
#include <optional>

namespace vx {
namespace {

// A resolver that records every call and answers from a table of values.
struct RecordingResolver {
    struct Call {
        QString name;
        std::optional<QStringList> arguments;
    };
    std::vector<Call> calls;
    std::map<QString, Variant> values;

    ExprResolver bind() {
        return [this](const QString& name, const QStringList* args, Variant& value) {
            calls.push_back({name, args ? std::optional<QStringList>(*args) : std::nullopt});
            const auto it = values.find(name);
            if (it != values.end())
                value = it->second;
            else if (args)
                value = Variant(QStringLiteral("called"));
        };
    }
};

class EvaluatorTest : public ::testing::Test {
protected:
    void SetUp() override { setLocaleSettings(LocaleSettings::italian()); }
    void TearDown() override { resetLocaleSettings(); }

    ScopedExprResolver noNames_{ExprResolver{}};
};

QString errorOf(const QString& text) {
    try {
        Variant v;
        EvaluateExpression(text, v);
    } catch (const VxError& e) {
        return e.message();
    }
    return QStringLiteral("<no error>");
}

QString msg(const char* prefix, const QString& rest) {
    return QLatin1String(prefix) + rest;
}

struct ValueCase {
    const char* text;
    Variant expected;
};

void expectValues(const std::vector<ValueCase>& cases) {
    for (const ValueCase& c : cases) {
        Variant v;
        try {
            EvaluateExpression(QString::fromUtf8(c.text), v);
        } catch (const VxError& e) {
            ADD_FAILURE() << c.text << " raised " << e.what();
            continue;
        }
        EXPECT_EQ(v, c.expected) << c.text;
    }
}

TEST_F(EvaluatorTest, OperandsAndLexing) {
    expectValues({
        {"", Variant::null()},
        {"1.5 * 2", Variant(3.0)}, // "." whatever the locale (Italian here)
        {".5", Variant(0.5)},
        {"  7\t", Variant(7.0)},
        {"'it''s'", Variant("it's")},
        {"'abc", Variant("abc")}, // unterminated literal ends with the text
        {"''", Variant(QString())},
        {"'(' + 'a'", Variant("(a")}, // parentheses inside quotes are not counted
        {"'a' + 'b'", Variant("ab")},
        {"-3 + 5", Variant(2.0)}, // the sign is 0 and an operator
        {"(-3)", Variant(-3.0)},
        {"((((2))))", Variant(2.0)},
        {"1) + (2", Variant(1.0)}, // text after the top level's ")" is ignored
    });
}

TEST_F(EvaluatorTest, NulCharacterEndsTheText) {
    EXPECT_EQ(EvaluateExpression(QString(QChar(u'\0')) + QStringLiteral("x")), Variant::null());
    EXPECT_EQ(EvaluateExpression(QStringLiteral("1+2") + QChar(u'\0') + QStringLiteral("+x")),
              Variant(3.0));
}

TEST_F(EvaluatorTest, NumeralUsesPointUnderAnyLocale) {
    LocaleSettings c = LocaleSettings::italian();
    c.decimalSeparator = QLatin1Char('.');
    setLocaleSettings(c);
    EXPECT_EQ(EvaluateExpression(QStringLiteral("1.5 * 2")), Variant(3.0));
    EXPECT_EQ(errorOf(QStringLiteral("1.2.3")),
              QStringLiteral("'1.2.3' is not a valid floating point value"));
    setLocaleSettings(LocaleSettings::italian());
    // The first point becomes the system separator before the conversion.
    EXPECT_EQ(errorOf(QStringLiteral("1.2.3")),
              QStringLiteral("'1,2.3' is not a valid floating point value"));
}

TEST_F(EvaluatorTest, PrecedenceAndAssociation) {
    expectValues({
        {"1+2*3", Variant(7.0)},
        {"8/4/2", Variant(1.0)},
        {"0+8/4/2", Variant(1.0)},
        {"10-5-2", Variant(3.0)},
        {"1=10-5-4", Variant(1)},
        {"2*3^2", Variant(36.0)},  // "^" is level 3 like "*", left to right
        {"1 < 2 < 3", Variant(1)}, // (1 < 2) is 1, then 1 < 3
        {"3 < 2 < 1", Variant(1)}, // (3 < 2) is 0, then 0 < 1
        {"2*-3", Variant(-3.0)},   // (2*0)-3
        {"(1+2)*3", Variant(9.0)},
        {"1 + 2 = 3", Variant(1)},
        {"2 * 3 OR 1", Variant(7)}, // (2*3) OR 1 with floats rounded
    });
}

TEST_F(EvaluatorTest, ComparisonsAndNotGiveIntegers) {
    expectValues({
        {"3 > 2", Variant(1)},
        {"(3 > 2) + 1", Variant(2.0)}, // the numeral 1 is a float
        {"NOT (3 > 2)", Variant(0)},
        {"NOT (3 < 2)", Variant(1)},
        {"NOT 0", Variant(1)},
        {"not 0.4", Variant(1)}, // rounded first
        {"NOT 0.6", Variant(0)},
        {"NOT 2 + 1", Variant(1.0)}, // NOT binds to one operand: (NOT 2) + 1
        {"NOT '0'", Variant(1)},
        {"NOT 'False'", Variant(1)},
        {"NOT 'true'", Variant(0)},
        {"NOT NOT 5", Variant(1)},
        {"'a' < 'B'", Variant(0)}, // by character code
        {"'B' < 'a'", Variant(1)},
        {"'abc' = 'abc'", Variant(1)},
        {"2 <> 3", Variant(1)},
        {"2 <= 2", Variant(1)},
        {"2 >= 3", Variant(0)},
    });
}

TEST_F(EvaluatorTest, KeywordOperators) {
    expectValues({
        {"7 DIV 2", Variant(3)},
        {"7 MOD 2", Variant(1)},
        {"7.5 DIV 2", Variant(4)}, // 7.5 rounds to 8
        {"6.5 DIV 1", Variant(6)}, // halves to even
        {"-7 DIV 2", Variant(-3)}, // 0 - (7 DIV 2)
        {"6 AND 3", Variant(2)},
        {"6 and 3", Variant(2)},
        {"6 AnD 3", Variant(2)},
        {"6 OR 3", Variant(7)},
        {"6 ANDx 3", Variant(2)}, // the character after the keyword is consumed
        {"7 mod 4", Variant(3)},
    });
    EXPECT_EQ(errorOf(QStringLiteral("1 DIV 0")),
              msg(kMsgIncompatibleTypes, QStringLiteral("1 DIV 0")));
    EXPECT_EQ(errorOf(QStringLiteral("1 MOD 0")),
              msg(kMsgIncompatibleTypes, QStringLiteral("1 MOD 0")));
}

TEST_F(EvaluatorTest, IntegerDivisionTruncatesTowardZero) {
    RecordingResolver r;
    r.values[QStringLiteral("m")] = Variant(-7);
    r.values[QStringLiteral("n")] = Variant(2);
    ScopedExprResolver scope(r.bind());
    expectValues({
        {"m DIV n", Variant(-3)},
        {"m MOD n", Variant(-1)}, // sign of the left operand
        {"7 MOD (0-n)", Variant(1)},
        {"m / n", Variant(-3.5)},
        {"m * n", Variant(-14)},
    });
}

TEST_F(EvaluatorTest, PowerGoesThroughLogarithm) {
    const Variant v = EvaluateExpression(QStringLiteral("2^10"));
    ASSERT_TRUE(v.isFloat());
    EXPECT_NEAR(v.floatValue(), 1024.0, 1e-9);
    EXPECT_EQ(errorOf(QStringLiteral("0^2")), msg(kMsgIncompatibleTypes, QStringLiteral("0^2")));
    EXPECT_EQ(errorOf(QStringLiteral("(0-2)^2")),
              msg(kMsgIncompatibleTypes, QStringLiteral("(0-2)^2")));
}

TEST_F(EvaluatorTest, ErrorMessagesAreExact) {
    struct Case {
        const char* text;
        QString message;
    };
    const std::vector<Case> cases = {
        {"(1+2", msg(kMsgParentheses, QStringLiteral("(1+2"))},
        {"1+2)", msg(kMsgParentheses, QStringLiteral("1+2)"))},
        {"   ", msg(kMsgUnknownIdentifier, QStringLiteral("   "))},
        {"x + 1", msg(kMsgUnknownIdentifier, QStringLiteral("x + 1"))},
        {"1 + (2 * y)", msg(kMsgUnknownIdentifier, QStringLiteral("2 * y)"))}, // innermost group
        {"[Total", msg(kMsgUnknownIdentifier, QStringLiteral("[Total"))},
        {"[Total]", msg(kMsgUnknownIdentifier, QStringLiteral("[Total]"))},
        {"F(1)", msg(kMsgUnknownIdentifier, QStringLiteral("F(1)"))},
        {"1 +", msg(kMsgUnknownIdentifier, QStringLiteral("1 +"))},
        {"()", msg(kMsgUnknownIdentifier, QStringLiteral(")"))},
        {"1 2", msg(kMsgUnknownIdentifier, QStringLiteral("1 2"))}, // two operands side by side
        {"1 ANY 2", msg(kMsgUnknownIdentifier, QStringLiteral("1 ANY 2"))},
        {"'a' + 2", msg(kMsgIncompatibleTypes, QStringLiteral("'a' + 2"))},
        {"3 * (1 / 0)", msg(kMsgIncompatibleTypes, QStringLiteral("1 / 0)"))},
        {"1.2.3", QStringLiteral("'1,2.3' is not a valid floating point value")},
        {"NOT 'abc'",
         QStringLiteral("Could not convert variant of type (String) into type (Boolean)")},
    };
    for (const Case& c : cases)
        EXPECT_EQ(errorOf(QString::fromUtf8(c.text)), c.message) << c.text;
}

TEST_F(EvaluatorTest, QuietModeTurnsFailedOperationsIntoZero) {
    ScopedExprResolver quiet(ExprResolver{}, kExprQuiet);
    expectValues({
        {"'a' + 2", Variant(0)},
        {"1 / 0", Variant(0)},
        {"('a' + 2) + 5", Variant(5.0)}, // evaluation goes on
        {"0^2", Variant(0)},
    });
    // Quiet mode covers operators only: unknown names still fail.
    EXPECT_EQ(errorOf(QStringLiteral("x")), msg(kMsgUnknownIdentifier, QStringLiteral("x")));
    EXPECT_EQ(ExprErrorMode(), kExprQuiet);
}

TEST_F(EvaluatorTest, ResolverReceivesNamesAndRawArgumentTexts) {
    struct Case {
        const char* text;
        const char* name;
        std::optional<QStringList> arguments;
    };
    const std::vector<Case> cases = {
        {"F(1, (2,3), '4,5')", "F", QStringList{"1", " (2,3)", " '4,5'"}},
        {"F()", "F", QStringList{}},
        {"F", "F", std::nullopt},
        {"F (a)", "F", QStringList{"a"}}, // blanks before "(" allowed
        {"F(a,,b)", "F", QStringList{"a", "b"}},
        {"F( )", "F", QStringList{" "}}, // untrimmed
        {"F([a,b], \"x,y\")", "F", QStringList{"[a,b]", " \"x,y\""}},
        {"F(G(1,2),3)", "F", QStringList{"G(1,2)", "3"}},
        {"F('(', 2)", "F", QStringList{"'('", " 2"}},
        {"F('[', 2)", "F", QStringList{"'['", " 2"}},     // "[" inside quotes opens no bracket
        {"F([x'y], 2)", "F", QStringList{"[x'y]", " 2"}}, // quotes inside brackets do not count
        {"F(1, [)])", "F", QStringList{"1", " [)]"}},     // brackets are opaque to every count
        {"[Total]", "Total", std::nullopt},
        {"[Sum of (x, y)]", "Sum of (x, y)", std::nullopt},
        {"Dati.clienti.\"Nome cliente\"", "Dati.clienti.\"Nome cliente\"", std::nullopt},
        {"\"Campo\" ", "\"Campo\"", std::nullopt},
        {"a_b#1.c", "a_b#1.c", std::nullopt},
        {"NOTE", "NOTE", std::nullopt}, // N, O, T followed by an identifier character
        {"not.x", "not.x", std::nullopt},
    };
    for (const Case& c : cases) {
        RecordingResolver r;
        r.values[QString::fromUtf8(c.name)] = Variant(1);
        ScopedExprResolver scope(r.bind());
        const QString text = QString::fromUtf8(c.text);
        Variant v;
        try {
            EvaluateExpression(text, v);
        } catch (const VxError& e) {
            ADD_FAILURE() << c.text << ": " << e.what();
            continue;
        }
        ASSERT_FALSE(r.calls.empty()) << c.text;
        EXPECT_EQ(r.calls.front().name, QString::fromUtf8(c.name)) << c.text;
        EXPECT_EQ(r.calls.front().arguments, c.arguments) << c.text;
    }
}

TEST_F(EvaluatorTest, BracketedNamesWithQuotesOrParentheses) {
    RecordingResolver r;
    r.values[QStringLiteral("Dell'Orto")] = Variant(2);
    r.values[QStringLiteral("a(b")] = Variant(3);
    ScopedExprResolver scope(r.bind());
    // An apostrophe inside brackets opens no quote for the parenthesis check.
    EXPECT_EQ(EvaluateExpression(QStringLiteral("([Dell'Orto] + 1) * 2")), Variant(6.0));
    EXPECT_EQ(EvaluateExpression(QStringLiteral("[a(b] * (2)")), Variant(6.0));
    r.values[QStringLiteral("Dati.\"Dell'Orto\"")] = Variant(4);
    EXPECT_EQ(EvaluateExpression(QStringLiteral("(Dati.\"Dell'Orto\" + 1) * 2")), Variant(10.0));
    EXPECT_EQ(EvaluateExpression(QStringLiteral("('it\"s' + ')') + 'x'")), Variant("it\"s)x"));
    EXPECT_EQ(errorOf(QStringLiteral("[a(b] * (2")),
              msg(kMsgParentheses, QStringLiteral("[a(b] * (2")));
}

TEST_F(EvaluatorTest, ResolverAnswersAndEmptyValues) {
    RecordingResolver r;
    r.values[QStringLiteral("N")] = Variant::null();
    r.values[QStringLiteral("T")] = Variant(true);
    r.values[QStringLiteral("E")] = Variant();
    ScopedExprResolver scope(r.bind());
    expectValues({
        {"N", Variant::null()}, // null counts as an answer
        {"N + 1", Variant::null()},
        {"N AND 0", Variant(0)},
        {"N OR 1", Variant(1)},
        {"T AND T", Variant(1)},
        {"T + 0", Variant(-1.0)}, // true counts as -1
    });
    EXPECT_EQ(errorOf(QStringLiteral("E + 1")),
              msg(kMsgUnknownIdentifier, QStringLiteral("E + 1")));
}

TEST_F(EvaluatorTest, ResolverEvaluatesArgumentsLazilyAndNested) {
    // A resolver with IF that evaluates only the branch it returns.
    std::vector<QString> evaluated;
    ScopedExprResolver scope([&](const QString& name, const QStringList* args, Variant& value) {
        evaluated.push_back(name);
        if (name == QLatin1String("IF") && args && args->size() == 3) {
            const Variant cond = EvaluateExpression(args->at(0));
            value = EvaluateExpression(
                CompareVariants(ExprOp::Equal, cond, Variant(1)) ? args->at(1) : args->at(2));
        } else if (name == QLatin1String("TWO")) {
            value = Variant(2);
        }
    });
    EXPECT_EQ(EvaluateExpression(QStringLiteral("IF(1 = 1, TWO * 3, BOOM) + 1")), Variant(7.0));
    EXPECT_EQ(std::count(evaluated.begin(), evaluated.end(), QStringLiteral("BOOM")), 0);
    EXPECT_EQ(EvaluateExpression(QStringLiteral("IF(0, BOOM, IF('1', 'y', BOOM))")), Variant("y"));
    EXPECT_EQ(errorOf(QStringLiteral("IF(0, 1, BOOM)")),
              msg(kMsgUnknownIdentifier, QStringLiteral(" BOOM")));
}

TEST_F(EvaluatorTest, ResolverErrorsPropagateUnchanged) {
    ScopedExprResolver scope([](const QString&, const QStringList*, Variant&) {
        throw VxError(QStringLiteral("Errore del risolutore"));
    });
    EXPECT_EQ(errorOf(QStringLiteral("1 + x")), QStringLiteral("Errore del risolutore"));
}

TEST_F(EvaluatorTest, NoResolverMeansEveryNameIsUnknown) {
    EXPECT_EQ(errorOf(QStringLiteral("PI")), msg(kMsgUnknownIdentifier, QStringLiteral("PI")));
}

TEST_F(EvaluatorTest, HostileInputFailsCleanly) {
    const QString deep =
        QString(30000, QLatin1Char('(')) + QLatin1Char('1') + QString(30000, QLatin1Char(')'));
    EXPECT_TRUE(errorOf(deep).startsWith(QLatin1String(kMsgTooDeep)));
    QString nots;
    for (int i = 0; i < 10000; ++i)
        nots += QStringLiteral("NOT ");
    EXPECT_TRUE(errorOf(nots + QLatin1Char('1')).startsWith(QLatin1String(kMsgTooDeep)));
    // Nesting just below the limit works.
    const int ok = kMaxExprNesting - 2;
    EXPECT_EQ(EvaluateExpression(QString(ok, QLatin1Char('(')) + QLatin1Char('1') +
                                 QString(ok, QLatin1Char(')'))),
              Variant(1.0));
    // A resolver whose name evaluates itself.
    ScopedExprResolver scope([](const QString& name, const QStringList*, Variant& value) {
        value = EvaluateExpression(name);
    });
    EXPECT_TRUE(errorOf(QStringLiteral("X")).startsWith(QLatin1String(kMsgTooDeep)));
    // Too long.
    EXPECT_TRUE(errorOf(QString(kMaxExprLength + 1, QLatin1Char('1')))
                    .startsWith(QLatin1String(kMsgTooLong)));
    // A long flat expression is fine.
    QString sum = QStringLiteral("0");
    for (int i = 0; i < 20000; ++i)
        sum += QStringLiteral("+1");
    ScopedExprResolver none(ExprResolver{});
    EXPECT_EQ(EvaluateExpression(sum), Variant(20000.0));
}

TEST_F(EvaluatorTest, ComplexFieldExpression) {
    RecordingResolver r;
    r.values[QStringLiteral("a")] = Variant(1);
    r.values[QStringLiteral("b")] = Variant(0);
    ScopedExprResolver scope(r.bind());
    // a = 1 OR b = 2 reads as (a = (1 OR b)) = 2.
    EXPECT_EQ(EvaluateExpression(QStringLiteral("a = 1 OR b = 2")), Variant(0));
    EXPECT_EQ(EvaluateExpression(QStringLiteral("(a = 1) OR (b = 2)")), Variant(1));
}

} // namespace
} // namespace vx
