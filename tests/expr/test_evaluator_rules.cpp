// How the binary operators and comparisons combine the kinds of values: one
// table per rule, applied directly to values (the parser is tested elsewhere).
#include "expr/evaluator.h"
#include "platform/errors.h"
#include "platform/locale_settings.h"
#include "tests/expr/variant_printer.h"

#include <gtest/gtest.h>

namespace vx {
namespace {

class OperatorRulesTest : public ::testing::Test {
protected:
    void SetUp() override { setLocaleSettings(LocaleSettings::italian()); }
    void TearDown() override { resetLocaleSettings(); }
};

const Variant kNull = Variant::null();
const Variant kEmpty;
Variant dt(double d) {
    return Variant::fromDateTime(d);
}
Variant cur(double d) {
    return Variant(Currency::fromDouble(d));
}
Variant str(const char* s) {
    return Variant(QString::fromUtf8(s));
}
Variant i64(std::int64_t v) {
    return Variant::fromInt64(v);
}

struct OpCase {
    const char* why;
    ExprOp op;
    Variant left, right;
    std::optional<Variant> expected; // none: the operation fails
};

void expectRules(const std::vector<OpCase>& cases) {
    for (const OpCase& c : cases) {
        std::optional<Variant> got;
        try {
            got = ApplyOperator(c.op, c.left, c.right);
        } catch (const VxError&) {
        }
        if (!c.expected) {
            EXPECT_FALSE(got.has_value()) << c.why << " should fail";
            continue;
        }
        ASSERT_TRUE(got.has_value()) << c.why << " failed";
        EXPECT_EQ(*got, *c.expected) << c.why;
    }
}

using E = ExprOp;
const std::nullopt_t kFails = std::nullopt;

TEST_F(OperatorRulesTest, Rule1NullPropagatesExceptDecidedLogic) {
    expectRules({
        {"null + 1", E::Add, kNull, Variant(1), kNull},
        {"1 * null", E::Multiply, Variant(1), kNull, kNull},
        {"null / 0 is null, no division", E::Divide, kNull, Variant(0), kNull},
        {"null AND false", E::And, kNull, Variant(false), Variant(0)},
        {"0 AND null", E::And, Variant(0), kNull, Variant(0)},
        {"null AND 1", E::And, kNull, Variant(1), kNull},
        {"null OR true", E::Or, kNull, Variant(true), Variant(1)},
        {"5 OR null", E::Or, Variant(5), kNull, Variant(1)},
        {"null OR 0", E::Or, kNull, Variant(0), kNull},
        {"null + 'a'", E::Add, kNull, str("a"), kNull},
    });
}

TEST_F(OperatorRulesTest, Rule2And3Empty) {
    expectRules({
        {"empty + empty", E::Add, kEmpty, kEmpty, kEmpty},
        {"empty / empty divides by zero", E::Divide, kEmpty, kEmpty, kFails},
        {"empty DIV empty", E::Div, kEmpty, kEmpty, kFails},
        {"empty MOD empty", E::Mod, kEmpty, kEmpty, kFails},
        {"empty + 'a' is '' + 'a'", E::Add, kEmpty, str("a"), str("a")},
        {"5 - empty is 5 - 0", E::Subtract, Variant(5), kEmpty, Variant(5)},
        {"2.5 * empty is a float 0", E::Multiply, Variant(2.5), kEmpty, Variant(0.0)},
        {"1 / empty divides by zero", E::Divide, Variant(1), kEmpty, kFails},
        {"true AND empty is false", E::And, Variant(true), kEmpty, Variant(0)},
    });
}

TEST_F(OperatorRulesTest, Rule4DateTimes) {
    expectRules({
        {"date + days", E::Add, dt(36104), Variant(2), dt(36106)},
        {"days + date", E::Add, Variant(0.5), dt(36104), dt(36104.5)},
        {"date - days", E::Subtract, dt(36104), Variant(4.0), dt(36100)},
        {"date - date is days", E::Subtract, dt(36104.5), dt(36100), Variant(4.5)},
        {"date + '1,5'", E::Add, dt(10), str("1,5"), dt(11.5)},
        {"date * 2 is a float", E::Multiply, dt(10), Variant(2), Variant(20.0)},
        {"date / 4 is a float", E::Divide, dt(10), Variant(4), Variant(2.5)},
        {"date DIV 3 on integers", E::Div, dt(10.5), Variant(3), Variant(3)}, // 10.5 rounds to 10
        {"date MOD 3", E::Mod, dt(11.6), Variant(5), Variant(2)},
        {"date + currency stays a date", E::Add, dt(1), cur(1.5), dt(2.5)},
        {"date / 0", E::Divide, dt(1), Variant(0), kFails},
        {"date + 'x'", E::Add, dt(1), str("x"), kFails},
    });
}

TEST_F(OperatorRulesTest, Rule5Currency) {
    expectRules({
        {"currency + int", E::Add, cur(1.25), Variant(2), cur(3.25)},
        {"int - currency", E::Subtract, Variant(2), cur(0.0001), cur(1.9999)},
        {"currency * float rounds to 4 places", E::Multiply, cur(1.5), Variant(0.33333), cur(0.5)},
        {"currency * currency", E::Multiply, cur(0.0001), cur(0.5),
         cur(0.0)}, // 0.00005: half to even
        {"currency * currency, odd", E::Multiply, cur(0.0003), cur(0.5),
         cur(0.0002)}, // 0.00015 to even
        {"currency / int stays currency", E::Divide, cur(10), Variant(3), cur(3.3333)},
        {"int / currency is a float", E::Divide, Variant(10), cur(4), Variant(2.5)},
        {"currency / currency is a float", E::Divide, cur(10), cur(4), Variant(2.5)},
        {"currency + '1,5'", E::Add, cur(1), str("1,5"), cur(2.5)},
        {"currency + true", E::Add, cur(1), Variant(true), cur(0)},
        {"currency DIV 2 on integers", E::Div, cur(7.5), Variant(2), Variant(4)},
        {"currency MOD 4", E::Mod, cur(10), Variant(4), Variant(2)},
        {"currency / 0", E::Divide, cur(1), Variant(0), kFails},
        {"currency overflow", E::Multiply, cur(900000000000000.0), Variant(10), kFails},
    });
}

TEST_F(OperatorRulesTest, Rule6TwoStrings) {
    expectRules({
        {"concatenation", E::Add, str("ab"), str("cd"), str("abcd")},
        {"'1' + '2' concatenates", E::Add, str("1"), str("2"), str("12")},
        {"'5' - '2' as floats", E::Subtract, str("5"), str("2"), Variant(3.0)},
        {"'1,5' * '2'", E::Multiply, str("1,5"), str("2"), Variant(3.0)},
        {"'7' / '2'", E::Divide, str("7"), str("2"), Variant(3.5)},
        {"'7' DIV '2' on integers", E::Div, str("7"), str("2"), Variant(3)},
        {"'6' AND '3'", E::And, str("6"), str("3"), Variant(2)},
        {"'a' - 'b'", E::Subtract, str("a"), str("b"), kFails},
    });
}

TEST_F(OperatorRulesTest, Rule7Booleans) {
    expectRules({
        {"true AND false", E::And, Variant(true), Variant(false), Variant(0)},
        {"true OR false", E::Or, Variant(true), Variant(false), Variant(1)},
        {"true AND 'True'", E::And, Variant(true), str("True"), Variant(1)},
        {"'false' OR false", E::Or, str("false"), Variant(false), Variant(0)},
        {"true + true is a float", E::Add, Variant(true), Variant(true), Variant(-2.0)},
        {"true * false", E::Multiply, Variant(true), Variant(false), Variant(0.0)},
        {"true / true", E::Divide, Variant(true), Variant(true), Variant(1.0)},
        {"true DIV true", E::Div, Variant(true), Variant(true), Variant(1)},
        {"true - '2'", E::Subtract, Variant(true), str("2"), Variant(-3.0)},
        {"true AND 'maybe'", E::And, Variant(true), str("maybe"), kFails},
    });
}

TEST_F(OperatorRulesTest, Rule8And9StringsAndFloatsWithNumbers) {
    expectRules({
        {"'1' + 2 is a float", E::Add, str("1"), Variant(2), Variant(3.0)},
        {"2 * ' 1,5 '", E::Multiply, Variant(2), str(" 1,5 "), Variant(3.0)},
        {"'a' + 2", E::Add, str("a"), Variant(2), kFails},
        {"'7,5' DIV 2 rounds", E::Div, str("7,5"), Variant(2), Variant(4)},
        {"1.5 + 1", E::Add, Variant(1.5), Variant(1), Variant(2.5)},
        {"1.5 + true", E::Add, Variant(1.5), Variant(true), Variant(0.5)},
        {"7.0 / 2", E::Divide, Variant(7.0), Variant(2), Variant(3.5)},
        {"2.5 DIV 1 halves to even", E::Div, Variant(2.5), Variant(1), Variant(2)},
        {"3.5 DIV 1 halves to even", E::Div, Variant(3.5), Variant(1), Variant(4)},
        {"-2.5 DIV 1", E::Div, Variant(-2.5), Variant(1), Variant(-2)},
        {"5.5 AND 3.4", E::And, Variant(5.5), Variant(3.4), Variant(2)},
        {"1.0 / 0", E::Divide, Variant(1.0), Variant(0), kFails},
        {"0.0 / 0.0", E::Divide, Variant(0.0), Variant(0.0), kFails},
        {"overflow", E::Multiply, Variant(1e308), Variant(10.0), kFails},
        {"1e300 DIV 1 does not fit", E::Div, Variant(1e300), Variant(1), kFails},
    });
}

TEST_F(OperatorRulesTest, Rule10Integers) {
    expectRules({
        {"int + int", E::Add, Variant(2), Variant(3), Variant(5)},
        {"32-bit overflow gives a float", E::Add, Variant(2147483647), Variant(1),
         Variant(2147483648.0)},
        {"32-bit product overflow", E::Multiply, Variant(65536), Variant(65536),
         Variant(4294967296.0)},
        {"64-bit operand keeps 64 bits", E::Add, i64(2147483647), Variant(1), i64(2147483648)},
        {"64-bit overflow gives a float", E::Add, i64(INT64_MAX), Variant(1),
         Variant(9223372036854775808.0)},
        {"int / int is a float", E::Divide, Variant(7), Variant(2), Variant(3.5)},
        {"DIV truncates toward zero", E::Div, Variant(-7), Variant(2), Variant(-3)},
        {"MOD has the sign of the left", E::Mod, Variant(-7), Variant(2), Variant(-1)},
        {"MOD positive left", E::Mod, Variant(7), Variant(-2), Variant(1)},
        {"AND bitwise", E::And, Variant(12), Variant(10), Variant(8)},
        {"OR bitwise", E::Or, Variant(12), Variant(3), Variant(15)},
        {"true + 1 is an integer", E::Add, Variant(true), Variant(1), Variant(0)},
        {"true AND 6", E::And, Variant(true), Variant(6), Variant(6)}, // -1 AND 6
        {"int8 + int16 is 32-bit", E::Add, Variant::fromInt8(100), Variant::fromInt16(1000),
         Variant(1100)},
        {"1 DIV 0", E::Div, Variant(1), Variant(0), kFails},
        {"1 / 0", E::Divide, Variant(1), Variant(0), kFails},
        {"INT64_MIN DIV -1", E::Div, i64(INT64_MIN), Variant(-1), kFails},
        {"INT64_MIN MOD -1", E::Mod, i64(INT64_MIN), Variant(-1), i64(0)},
    });
}

TEST_F(OperatorRulesTest, Power) {
    expectRules({
        {"3 ^ 2", E::Power, Variant(3), Variant(2), Variant(9.0)},
        {"'4' ^ 0.5", E::Power, str("4"), Variant(0.5), Variant(2.0)},
        {"0 ^ 2", E::Power, Variant(0), Variant(2), kFails},
        {"-1 ^ 2", E::Power, Variant(-1), Variant(2), kFails},
        {"null ^ 2", E::Power, kNull, Variant(2), kFails},
        {"overflow", E::Power, Variant(10), Variant(400), kFails},
    });
}

struct CmpCase {
    const char* why;
    Variant left, right;
    int order; // -1 left smaller, 0 equal, 1 left greater
};

void expectOrder(const std::vector<CmpCase>& cases) {
    for (const CmpCase& c : cases) {
        EXPECT_EQ(CompareVariants(E::Equal, c.left, c.right), c.order == 0) << c.why;
        EXPECT_EQ(CompareVariants(E::NotEqual, c.left, c.right), c.order != 0) << c.why;
        EXPECT_EQ(CompareVariants(E::Less, c.left, c.right), c.order < 0) << c.why;
        EXPECT_EQ(CompareVariants(E::Greater, c.left, c.right), c.order > 0) << c.why;
        EXPECT_EQ(CompareVariants(E::LessEqual, c.left, c.right), c.order <= 0) << c.why;
        EXPECT_EQ(CompareVariants(E::GreaterEqual, c.left, c.right), c.order >= 0) << c.why;
    }
}

TEST_F(OperatorRulesTest, ComparisonRules) {
    expectOrder({
        // 1. null
        {"null = null", kNull, kNull, 0},
        {"null < 0", kNull, Variant(0), -1},
        {"null < ''", kNull, str(""), -1},
        {"'a' > null", str("a"), kNull, 1},
        {"null < empty", kNull, kEmpty, -1},
        // 2. empty
        {"empty = empty", kEmpty, kEmpty, 0},
        {"empty = 0", kEmpty, Variant(0), 0},
        {"empty = ''", kEmpty, str(""), 0},
        {"empty < 'a'", kEmpty, str("a"), -1},
        {"empty > -1", kEmpty, Variant(-1), 1},
        // 3. date-time and currency
        {"date = its day number", dt(36104), Variant(36104), 0},
        {"date < later date", dt(36104), dt(36104.5), -1},
        {"date with a numeric string", dt(2), str("1,5"), 1},
        {"currency = float rounded to 4 places", cur(1.5), Variant(1.50001), 0},
        {"currency < string", cur(1), str("2"), -1},
        {"currency with true", cur(-1), Variant(true), 0},
        // 4. strings by character code
        {"'a' > 'B'", str("a"), str("B"), 1},
        {"'abc' < 'abd'", str("abc"), str("abd"), -1},
        {"'ab' < 'abc'", str("ab"), str("abc"), -1},
        {"'10' < '9' as strings", str("10"), str("9"), -1},
        {"euro sign (byte 128) before e-acute (233)", str("\u20AC"), str("\u00E9"), -1},
        {"euro sign after 'z'", str("\u20AC"), str("z"), 1},
        // 5. booleans: false before true
        {"false < true", Variant(false), Variant(true), -1},
        {"true = 'True'", Variant(true), str("True"), 0},
        {"'0' < true", str("0"), Variant(true), -1},
        // 6. string with number
        {"'10' > 9", str("10"), Variant(9), 1},
        {"'1,5' = 1.5", str("1,5"), Variant(1.5), 0},
        // 7. numbers
        {"int < int", Variant(2), Variant(3), -1},
        {"true = -1", Variant(true), Variant(-1), 0},
        {"true < 0 as integers", Variant(true), Variant(0), -1},
        {"int = float", Variant(1), Variant(1.0), 0},
        {"int64 > int32", i64(1LL << 40), Variant(1), 1},
        {"true < 0.5 as floats", Variant(true), Variant(0.5), -1},
    });
    EXPECT_THROW(CompareVariants(E::Equal, str("x"), Variant(1)), VxError);
    EXPECT_THROW(CompareVariants(E::Less, Variant(true), str("maybe")), VxError);
}

TEST_F(OperatorRulesTest, ComparisonResultsAreIntegers) {
    EXPECT_EQ(ApplyOperator(E::Less, Variant(1), Variant(2)), Variant(1));
    EXPECT_EQ(ApplyOperator(E::Equal, kNull, Variant(0)), Variant(0));
}

TEST_F(OperatorRulesTest, NotRule) {
    struct Case {
        Variant v;
        int expected;
    };
    const std::vector<Case> cases = {
        {kEmpty, 1},         {kNull, 0},         {Variant(0), 1},
        {Variant(-1), 0},    {Variant(0.4), 1},  {Variant(0.5), 1}, // halves to even: 0
        {Variant(1.5), 0},   {cur(0.4), 1},      {dt(0.2), 1},
        {Variant(false), 1}, {Variant(true), 0}, {str("0"), 1},
        {str("12"), 0},      {str("False"), 1},  {str("0,0"), 1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ApplyNot(c.v), Variant(c.expected)) << testing::PrintToString(c.v);
    EXPECT_THROW(ApplyNot(str("abc")), VxError);
}

} // namespace
} // namespace vx
