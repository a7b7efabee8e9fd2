#pragma once

// Conversion between the system currency and the euro at the fixed rate, and
// the amount formats of the currency functions (EURO, MONEY, MONEYTOEURO,
// EUROTOMONEY, MONEYTOEUROVAL, EUROTOMONEYVAL). Failures (a value that is not
// a number, a result outside the currency range) throw VxError; the function
// library reports them as parameter errors.

#include "expr/variant.h"

#include <QString>

namespace vx {

// 1936.27 units of the system currency per euro.
inline constexpr Currency kEuroRate = Currency::fromScaled(19362700);

// The euro sign (byte 128 of Windows-1252) and a blank.
QString EuroPrefix();

// Fixed format with 2 decimals and grouping: the system thousands and decimal
// separators (1234.5 gives "1.234,50" under an Italian locale), up to
// 15 integer digits, an exponent form beyond. Ties round half away from zero.
QString FormatGroupedFixed2(double value);

// The system money format: currency symbol placed as the system's positive
// format says, the system's number of currency decimals, grouping. Negative
// amounts are always symbol, blank, minus, amount ("L. -5").
QString FormatMoney(Currency value);

QString EuroText(const Variant& x);          // EURO
QString MoneyText(const Variant& x);         // MONEY
double MoneyToEuroValue(const Variant& x);   // MONEYTOEUROVAL: X / rate, rounded to cents
QString MoneyToEuroText(const Variant& x);   // MONEYTOEURO
Currency EuroToMoneyValue(const Variant& x); // EUROTOMONEYVAL: X * rate, currency arithmetic
QString EuroToMoneyText(const Variant& x);   // EUROTOMONEY

} // namespace vx
