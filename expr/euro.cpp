#include "expr/euro.h"

#include "expr/evaluator.h"
#include "expr/format.h"
#include "platform/errors.h"
#include "platform/locale_settings.h"

#include <algorithm>
#include <cmath>

namespace vx {

namespace {

// Integer digits shown by the grouped fixed format before it turns to an
// exponent: the fifteen digits a double always holds.
constexpr int kGroupedFixedPrecision = 15;

// Digits of an unsigned integer with the thousands separator between groups.
QString grouped(std::uint64_t value, QChar thousands) {
    const QString digits = QString::number(value);
    QString out;
    const qsizetype n = digits.size();
    for (qsizetype i = 0; i < n; ++i) {
        if (i > 0 && (n - i) % 3 == 0 && !thousands.isNull())
            out += thousands;
        out += digits.at(i);
    }
    return out;
}

// n / d rounded half away from zero, both positive.
std::uint64_t divideRounded(std::uint64_t n, std::uint64_t d) {
    return n / d + (n % d >= d - d / 2 ? 1 : 0);
}

std::uint64_t pow10(int e) {
    std::uint64_t p = 1;
    while (e-- > 0)
        p *= 10;
    return p;
}

QString amountText(std::uint64_t hundredths, int decimals, const LocaleSettings& ls) {
    const std::uint64_t scale = pow10(decimals);
    QString out = grouped(hundredths / scale, ls.thousandSeparator);
    if (decimals > 0)
        out += ls.decimalSeparator +
               QStringLiteral("%1").arg(hundredths % scale, decimals, 10, QLatin1Char('0'));
    return out;
}

} // namespace

QString EuroPrefix() {
    return QStringLiteral("\u20AC ");
}

QString FormatGroupedFixed2(double value) {
    if (!std::isfinite(value))
        throw VxError(QStringLiteral("Invalid floating point operation"));
    const LocaleSettings& ls = localeSettings();
    // Grouped with two decimals for every amount whose units a double holds
    // to the cent (below 10^15); an exponent form beyond.
    return FormatFixedFloat(value, 2, kGroupedFixedPrecision, true, ls.decimalSeparator,
                            ls.thousandSeparator);
}

QString FormatMoney(Currency value) {
    const LocaleSettings& ls = localeSettings();
    const int decimals = std::clamp(ls.currencyDecimals, 0, 4);
    const bool negative = value.scaled < 0;
    const std::uint64_t magnitude = negative ? 0 - static_cast<std::uint64_t>(value.scaled)
                                             : static_cast<std::uint64_t>(value.scaled);
    const std::uint64_t units = divideRounded(magnitude, pow10(4 - decimals));
    const QString amount = amountText(units, decimals, ls);
    const QString& symbol = ls.currencyString;
    // Negative amounts: symbol, blank, minus, amount, whatever the system's
    // own negative format is.
    if (negative && units != 0)
        return symbol + QStringLiteral(" -") + amount;
    switch (ls.currencyFormat) {
    case 0:
        return symbol + amount;
    case 1:
        return amount + symbol;
    case 3:
        return amount + QLatin1Char(' ') + symbol;
    default:
        return symbol + QLatin1Char(' ') + amount;
    }
}

QString EuroText(const Variant& x) {
    return EuroPrefix() + FormatGroupedFixed2(x.toDouble());
}

QString MoneyText(const Variant& x) {
    return FormatMoney(x.toCurrency());
}

double MoneyToEuroValue(const Variant& x) {
    // X / rate by the operator rules (a currency divisor gives a float),
    // then rounded to cents, halves to even.
    const double euros = ApplyOperator(ExprOp::Divide, x, Variant(kEuroRate)).toDouble();
    return static_cast<double>(RoundHalfEven(euros * 100)) / 100;
}

QString MoneyToEuroText(const Variant& x) {
    return EuroPrefix() + FormatGroupedFixed2(MoneyToEuroValue(x));
}

Currency EuroToMoneyValue(const Variant& x) {
    // Currency arithmetic: the product is rounded to four decimals.
    return ApplyOperator(ExprOp::Multiply, x, Variant(kEuroRate)).toCurrency();
}

QString EuroToMoneyText(const Variant& x) {
    return FormatMoney(EuroToMoneyValue(x));
}

} // namespace vx
