#pragma once

// Amounts written out in Italian words, for cheques and receipts.

#include "expr/variant.h"

#include <QString>

namespace vx {

// The value in words: the integer part in groups of three digits joined
// without blanks ("duemilionicinquecentomila"), then " virgola " and the
// decimals (at most four, trailing zeros dropped), "meno " in front of a
// negative amount. Leading zeros of the decimals are spoken ("zero virgola
// zerocinque" for 0.05), so that 0.05 and 0.5 never read alike.
QString NumberToWords(Currency value);

// NUMBERTOLETTER: the value converted to currency (four decimals), in words.
// Throws VxError when the value is not a number or does not fit the
// currency range.
QString NumberToLetter(const Variant& value);

} // namespace vx
