#include "expr/euro.h"

#include "expr/evaluator.h"
#include "platform/errors.h"
#include "platform/locale_settings.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace vx {

namespace {

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
    const double magnitude = std::fabs(value);
    // Ten significant digits at most; from 10^10 on the digits no longer
    // reach the decimals and the general format is used instead.
    if (magnitude >= 1e10)
        return FormatFloatGeneral(value, ls.decimalSeparator);
    if (magnitude == 0)
        return amountText(0, 2, ls);
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.9e", magnitude); // d.ddddddddde+XX
    std::uint64_t digits = 0;
    const char* p = buf;
    for (; *p && *p != 'e'; ++p)
        if (*p != '.')
            digits = digits * 10 + static_cast<unsigned>(*p - '0');
    const int exponent = std::atoi(p + 1);
    // magnitude ~ digits * 10^(exponent - 9); in hundredths: * 10^(exponent - 7).
    std::uint64_t hundredths = 0;
    const int shift = exponent - 7;
    if (shift >= 0)
        hundredths = digits * pow10(shift);
    else if (shift >= -10)
        hundredths = divideRounded(digits, pow10(-shift));
    const QString text = amountText(hundredths, 2, ls);
    return value < 0 && hundredths != 0 ? QLatin1Char('-') + text : text;
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
