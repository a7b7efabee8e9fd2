// The binary operators, comparisons and NOT of the expression language: how
// the kinds of two values select the way they combine.

#include "expr/evaluator.h"

#include "platform/codepage.h"
#include "platform/errors.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace vx {

namespace {

// The kind classes the combination rules distinguish; integers of every
// width behave alike.
enum class Cls { Null, Empty, DateTime, Currency, String, Bool, Int, Float };

Cls classOf(const Variant& v) {
    switch (v.kind()) {
    case VariantKind::Null:
        return Cls::Null;
    case VariantKind::Empty:
        return Cls::Empty;
    case VariantKind::DateTime:
        return Cls::DateTime;
    case VariantKind::Currency:
        return Cls::Currency;
    case VariantKind::String:
        return Cls::String;
    case VariantKind::Boolean:
        return Cls::Bool;
    case VariantKind::Float:
        return Cls::Float;
    default:
        return Cls::Int;
    }
}

// A failed operation; the evaluator replaces the text by its own message.
[[noreturn]] void fail(const char* what) {
    throw VxError(QString::fromLatin1(what));
}

bool isComparison(ExprOp op) {
    return op == ExprOp::Equal || op == ExprOp::NotEqual || op == ExprOp::Less ||
           op == ExprOp::Greater || op == ExprOp::LessEqual || op == ExprOp::GreaterEqual;
}

bool isIntegerOp(ExprOp op) {
    return op == ExprOp::Div || op == ExprOp::Mod || op == ExprOp::And || op == ExprOp::Or;
}

bool dividesByZeroWhenEmpty(ExprOp op) {
    return op == ExprOp::Divide || op == ExprOp::Div || op == ExprOp::Mod;
}

// The zero of a kind, standing for an empty operand next to a value of it.
Variant zeroLike(const Variant& other) {
    switch (classOf(other)) {
    case Cls::DateTime:
        return Variant::fromDateTime(0);
    case Cls::Currency:
        return Variant(Currency{});
    case Cls::String:
        return Variant(QString());
    case Cls::Bool:
        return Variant(false);
    case Cls::Float:
        return Variant(0.0);
    case Cls::Int:
        return other.kind() == VariantKind::Int64 ? Variant::fromInt64(0) : Variant(0);
    default:
        return Variant();
    }
}

Variant finiteFloat(double r) {
    if (!std::isfinite(r))
        fail("Floating point overflow");
    return Variant(r);
}

// "+", "-", "*", "/" on two floats.
Variant floatArithmetic(ExprOp op, double a, double b) {
    switch (op) {
    case ExprOp::Add:
        return finiteFloat(a + b);
    case ExprOp::Subtract:
        return finiteFloat(a - b);
    case ExprOp::Multiply:
        return finiteFloat(a * b);
    case ExprOp::Divide:
        if (b == 0)
            fail("Division by zero");
        return finiteFloat(a / b);
    default:
        fail("Invalid variant operation");
    }
}

Variant integerResult(std::int64_t r, bool wide) {
    if (!wide && r >= std::numeric_limits<std::int32_t>::min() &&
        r <= std::numeric_limits<std::int32_t>::max())
        return Variant(static_cast<int>(r));
    return Variant::fromInt64(r);
}

// "DIV", "MOD", "AND", "OR" on two integers. DIV truncates towards zero and
// MOD takes the sign of the left operand, as C++ division does.
Variant integerOperation(ExprOp op, std::int64_t a, std::int64_t b, bool wide) {
    switch (op) {
    case ExprOp::Div:
        if (b == 0)
            fail("Division by zero");
        if (a == std::numeric_limits<std::int64_t>::min() && b == -1)
            fail("Integer overflow");
        return integerResult(a / b, wide);
    case ExprOp::Mod:
        if (b == 0)
            fail("Division by zero");
        return integerResult(b == -1 ? 0 : a % b, wide);
    case ExprOp::And:
        return integerResult(a & b, wide);
    case ExprOp::Or:
        return integerResult(a | b, wide);
    default:
        fail("Invalid variant operation");
    }
}

// "+", "-", "*" on integers: a 32-bit result, or 64-bit when an operand is
// 64-bit; a float when the exact result does not fit.
Variant integerArithmetic(ExprOp op, std::int64_t a, std::int64_t b, bool wide) {
    std::int64_t r = 0;
    bool overflow = false;
    switch (op) {
    case ExprOp::Add:
        overflow = __builtin_add_overflow(a, b, &r);
        break;
    case ExprOp::Subtract:
        overflow = __builtin_sub_overflow(a, b, &r);
        break;
    case ExprOp::Multiply:
        overflow = __builtin_mul_overflow(a, b, &r);
        break;
    case ExprOp::Divide:
        return floatArithmetic(op, static_cast<double>(a), static_cast<double>(b));
    default:
        return integerOperation(op, a, b, wide);
    }
    if (overflow)
        return floatArithmetic(op, static_cast<double>(a), static_cast<double>(b));
    if (wide)
        return Variant::fromInt64(r);
    if (r < std::numeric_limits<std::int32_t>::min() ||
        r > std::numeric_limits<std::int32_t>::max())
        return Variant(static_cast<double>(r));
    return Variant(static_cast<int>(r));
}

// Rounds a scaled 128-bit quotient of n / d, halves to even.
bool roundedDivide(__int128 n, __int128 d, std::int64_t* out) {
    __int128 q = n / d;
    const __int128 r = n % d;
    const __int128 twice = r < 0 ? -2 * r : 2 * r;
    const __int128 ad = d < 0 ? -d : d;
    if (twice > ad || (twice == ad && (q & 1))) {
        const bool positive = (n < 0) == (d < 0);
        q += positive ? 1 : -1;
    }
    if (q > std::numeric_limits<std::int64_t>::max() ||
        q < std::numeric_limits<std::int64_t>::min())
        return false;
    *out = static_cast<std::int64_t>(q);
    return true;
}

Variant currencyOperation(ExprOp op, const Variant& a, const Variant& b) {
    if (isIntegerOp(op))
        return integerOperation(op, a.toInt64(), b.toInt64(), false);
    if (op == ExprOp::Divide) {
        if (b.isCurrency())
            return floatArithmetic(op, a.toDouble(), b.toDouble());
        // Only the left operand is currency: the quotient stays currency.
        const double divisor = b.toDouble();
        if (divisor == 0)
            fail("Division by zero");
        const long double q =
            std::nearbyintl(static_cast<long double>(a.currencyValue().scaled) / divisor);
        if (!std::isfinite(q) || q >= 9223372036854775808.0L || q < -9223372036854775808.0L)
            fail("Floating point overflow");
        return Variant(Currency{static_cast<std::int64_t>(q)});
    }
    const Currency x = a.toCurrency();
    const Currency y = b.toCurrency();
    std::int64_t r = 0;
    switch (op) {
    case ExprOp::Add:
        if (__builtin_add_overflow(x.scaled, y.scaled, &r))
            fail("Floating point overflow");
        break;
    case ExprOp::Subtract:
        if (__builtin_sub_overflow(x.scaled, y.scaled, &r))
            fail("Floating point overflow");
        break;
    case ExprOp::Multiply:
        // The product of two scaled values carries 8 decimals; back to 4.
        if (!roundedDivide(static_cast<__int128>(x.scaled) * y.scaled, Currency::kScale, &r))
            fail("Floating point overflow");
        break;
    default:
        fail("Invalid variant operation");
    }
    return Variant(Currency{r});
}

Variant dateTimeOperation(ExprOp op, const Variant& a, const Variant& b) {
    const double x = a.toDouble();
    const double y = b.toDouble();
    switch (op) {
    case ExprOp::Add:
        return Variant::fromDateTime(finiteFloat(x + y).floatValue());
    case ExprOp::Subtract: {
        const double d = finiteFloat(x - y).floatValue();
        // The difference of two date-times is a number of days.
        return a.isDateTime() && b.isDateTime() ? Variant(d) : Variant::fromDateTime(d);
    }
    case ExprOp::Multiply:
    case ExprOp::Divide:
        return floatArithmetic(op, x, y);
    default:
        return integerOperation(op, RoundHalfEven(x), RoundHalfEven(y), false);
    }
}

Variant power(const Variant& a, const Variant& b) {
    const double x = a.toDouble();
    const double y = b.toDouble();
    // e^(y ln x): a base of zero or below has no logarithm.
    if (!(x > 0))
        fail("Invalid floating point operation");
    // Extended precision keeps integral powers exact after rounding to
    // double (3^2 is 9, not 9.000000000000002).
    const long double r =
        std::exp(static_cast<long double>(y) * std::log(static_cast<long double>(x)));
    return finiteFloat(static_cast<double>(r));
}

bool readsFalse(const Variant& v) {
    if (v.isBool())
        return !v.boolValue();
    if (v.isInteger() || v.isCurrency())
        return v.intValue() == 0;
    if (v.isFloat() || v.isDateTime())
        return v.floatValue() == 0;
    return false;
}

bool readsTrue(const Variant& v) {
    if (v.isBool())
        return v.boolValue();
    if (v.isInteger() || v.isCurrency())
        return v.intValue() != 0;
    if (v.isFloat() || v.isDateTime())
        return v.floatValue() != 0;
    return false;
}

Variant combine(ExprOp op, const Variant& left, const Variant& right) {
    // 1. Null propagates, except where AND / OR are decided by the other side.
    if (left.isNull() || right.isNull()) {
        const Variant& other = left.isNull() ? right : left;
        if (op == ExprOp::And && readsFalse(other))
            return Variant(0);
        if (op == ExprOp::Or && readsTrue(other))
            return Variant(1);
        return Variant::null();
    }
    // 2. Both empty.
    if (left.isEmpty() && right.isEmpty()) {
        if (dividesByZeroWhenEmpty(op))
            fail("Division by zero");
        return Variant();
    }
    // 3. One empty: the zero of the other operand's kind.
    const Variant a = left.isEmpty() ? zeroLike(right) : left;
    const Variant b = right.isEmpty() ? zeroLike(left) : right;
    const Cls ca = classOf(a);
    const Cls cb = classOf(b);
    auto either = [&](Cls c) { return ca == c || cb == c; };

    // 4. Date-times: day numbers.
    if (either(Cls::DateTime))
        return dateTimeOperation(op, a, b);
    // 5. Currency: four-decimal fixed point.
    if (either(Cls::Currency))
        return currencyOperation(op, a, b);
    // 6. Two strings.
    if (ca == Cls::String && cb == Cls::String) {
        if (op == ExprOp::Add) {
            // Counted before anything is allocated: a chain of long terms
            // fails at the first sum over the cap.
            TvxExpr::instance().ChargeBuiltString(a.stringValue().size() + b.stringValue().size());
            return Variant(a.stringValue() + b.stringValue());
        }
        if (isIntegerOp(op))
            return integerOperation(op, a.toInt64(), b.toInt64(), false);
        return floatArithmetic(op, a.toDouble(), b.toDouble());
    }
    // 7. A boolean with a boolean or a string.
    if ((ca == Cls::Bool && (cb == Cls::Bool || cb == Cls::String)) ||
        (cb == Cls::Bool && ca == Cls::String)) {
        if (op == ExprOp::And)
            return Variant((a.toBool() && b.toBool()) ? 1 : 0);
        if (op == ExprOp::Or)
            return Variant((a.toBool() || b.toBool()) ? 1 : 0);
        if (isIntegerOp(op))
            return integerOperation(op, a.toInt64(), b.toInt64(), false);
        return floatArithmetic(op, a.toDouble(), b.toDouble());
    }
    // 8. and 9. A string with a number, or a float with a number or boolean:
    // floats; the integer operators round both sides (halves to even).
    if (either(Cls::String) || either(Cls::Float)) {
        const double x = a.toDouble();
        const double y = b.toDouble();
        if (isIntegerOp(op))
            return integerOperation(op, RoundHalfEven(x), RoundHalfEven(y), false);
        return floatArithmetic(op, x, y);
    }
    // 10. Integers, and booleans with integers (true is -1).
    const bool wide = a.kind() == VariantKind::Int64 || b.kind() == VariantKind::Int64;
    return integerArithmetic(op, a.toInt64(), b.toInt64(), wide);
}

// Strings are byte strings of the system code page: order by the
// Windows-1252 byte of each character (the euro sign is 128, below the
// accented letters); characters the code page lacks sort after all bytes.
int compareByCodePage(const QString& a, const QString& b) {
    auto key = [](QChar c) -> unsigned {
        return isCp1252Encodable(c) ? static_cast<unsigned char>(charToCp1252(c))
                                    : 0x100u + c.unicode();
    };
    const qsizetype n = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < n; ++i) {
        const unsigned ka = key(a.at(i)), kb = key(b.at(i));
        if (ka != kb)
            return ka < kb ? -1 : 1;
    }
    return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

int sign(auto a, auto b) {
    return a < b ? -1 : (a > b ? 1 : 0);
}

// The ordering of two values by the comparison rules: -1, 0 or 1.
int compareValues(const Variant& left, const Variant& right) {
    // 1. Null equals only null and is smaller than everything else.
    if (left.isNull() || right.isNull())
        return left.isNull() && right.isNull() ? 0 : (left.isNull() ? -1 : 1);
    // 2. Empty: equal to empty, otherwise the zero of the other kind.
    if (left.isEmpty() && right.isEmpty())
        return 0;
    const Variant a = left.isEmpty() ? zeroLike(right) : left;
    const Variant b = right.isEmpty() ? zeroLike(left) : right;
    const Cls ca = classOf(a);
    const Cls cb = classOf(b);
    // 3. Date-times as day numbers; currency as currency.
    if (ca == Cls::DateTime || cb == Cls::DateTime)
        return sign(a.toDouble(), b.toDouble());
    if (ca == Cls::Currency || cb == Cls::Currency)
        return sign(a.toCurrency().scaled, b.toCurrency().scaled);
    // 4. Two strings by character code, case-sensitive.
    if (ca == Cls::String && cb == Cls::String) {
        return compareByCodePage(a.stringValue(), b.stringValue());
    }
    // 5. Booleans (with a boolean or a string): false before true.
    if ((ca == Cls::Bool && (cb == Cls::Bool || cb == Cls::String)) ||
        (cb == Cls::Bool && ca == Cls::String))
        return sign(a.toBool() ? 1 : 0, b.toBool() ? 1 : 0);
    // 6. A string with a number: as floats.
    if (ca == Cls::String || cb == Cls::String)
        return sign(a.toDouble(), b.toDouble());
    // 7. Integers (booleans as -1 / 0) as integers, the rest as floats.
    if ((ca == Cls::Int || ca == Cls::Bool) && (cb == Cls::Int || cb == Cls::Bool))
        return sign(a.toInt64(), b.toInt64());
    return sign(a.toDouble(), b.toDouble());
}

} // namespace

bool CompareVariants(ExprOp op, const Variant& left, const Variant& right) {
    const int c = compareValues(left, right);
    switch (op) {
    case ExprOp::Equal:
        return c == 0;
    case ExprOp::NotEqual:
        return c != 0;
    case ExprOp::Less:
        return c < 0;
    case ExprOp::Greater:
        return c > 0;
    case ExprOp::LessEqual:
        return c <= 0;
    case ExprOp::GreaterEqual:
        return c >= 0;
    default:
        fail("Invalid variant operation");
    }
}

Variant ApplyOperator(ExprOp op, const Variant& left, const Variant& right) {
    if (isComparison(op))
        return Variant(CompareVariants(op, left, right) ? 1 : 0);
    if (op == ExprOp::Power)
        return power(left, right);
    return combine(op, left, right);
}

Variant ApplyNot(const Variant& v) {
    bool zero = false;
    switch (v.kind()) {
    case VariantKind::Empty:
        zero = true;
        break;
    case VariantKind::Null:
        zero = false;
        break;
    case VariantKind::Boolean:
        zero = !v.boolValue();
        break;
    case VariantKind::String: {
        std::int64_t i = 0;
        bool b = false;
        if (TryStrToInt64(v.stringValue(), &i))
            zero = i == 0;
        else if (TryStrToBool(v.stringValue(), &b))
            zero = !b;
        else
            throw VxError(
                QStringLiteral("Could not convert variant of type (String) into type (Boolean)"));
        break;
    }
    default:
        zero = v.toInt64() == 0;
        break; // floats round halves to even
    }
    return Variant(zero ? 1 : 0);
}

} // namespace vx
