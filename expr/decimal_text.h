#pragma once

// Decimal digits of doubles, and decimal text back to doubles, without the C
// library's locale. The program sets the C locale from the environment at
// start (as every Qt application does), and under an Italian locale printf
// writes "1,5" and strtod stops at the "." of "1.5". Everything here works on
// std::to_chars / std::from_chars, which always use "."; the separators the
// user sees are applied afterwards from the program's own locale settings.

#include <string>
#include <string_view>

namespace vx {

// A decimal number: value = 0.digits x 10^exp. digits holds neither leading
// nor trailing zeros; empty digits is zero.
struct DecimalDigits {
    std::string digits;
    int exp = 0;
    bool negative = false;

    bool isZero() const { return digits.empty(); }
    // The digit at index from the first significant one ('0' outside).
    char at(int index) const {
        return index >= 0 && index < int(digits.size()) ? digits[size_t(index)] : '0';
    }
    char intDigit(int i) const { return at(i); }        // i from 0, left to right
    char fracDigit(int j) const { return at(exp + j); } // j from 0 after the point
    int intDigits() const { return exp > 0 ? exp : 0; }
};

// The finite value rounded to `significant` digits (1 to 17).
DecimalDigits DecimalDigitsOf(double value, int significant);
// The shortest digits that read back as exactly the same double: the decimal
// value a user typed or a data source stored.
DecimalDigits ShortestDecimalDigitsOf(double value);

enum class DecimalTies : unsigned char { AwayFromZero, ToEven };
// Rounds to `decimals` places after the point (negative: to tens, hundreds...).
void RoundDecimalDigits(DecimalDigits& d, int decimals, DecimalTies ties);
void RoundToSignificant(DecimalDigits& d, int significant, DecimalTies ties);

// Reads the whole text "[+-]digits[.digits][(e|E)[+-]digits]" (at least one
// mantissa digit, "." the decimal point) as a finite double; false for
// anything else, also for a value out of the double range.
bool ParseDecimalText(std::string_view text, double* out);

} // namespace vx
