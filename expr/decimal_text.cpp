#include "expr/decimal_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <system_error>

namespace vx {

namespace {

void stripTrailingZeros(DecimalDigits& d) {
    while (!d.digits.empty() && d.digits.back() == '0')
        d.digits.pop_back();
    if (d.digits.empty())
        d.exp = 0;
}

// Reads the "d.ddddde+XX" text std::to_chars writes in scientific form.
DecimalDigits fromScientific(const char* first, const char* last, bool negative) {
    DecimalDigits d;
    d.negative = negative;
    const char* p = first;
    for (; p != last && *p != 'e'; ++p)
        if (*p != '.')
            d.digits.push_back(*p);
    int exponent = 0;
    if (p != last) {
        ++p;
        if (p != last && *p == '+')
            ++p;
        std::from_chars(p, last, exponent);
    }
    d.exp = exponent + 1;
    stripTrailingZeros(d);
    return d;
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// True when the rounding digit at `keep` and what follows decide "up".
bool roundsUp(const DecimalDigits& d, int keep, DecimalTies ties) {
    const char digit = d.digits[size_t(keep)];
    if (digit != '5' || ties == DecimalTies::AwayFromZero)
        return digit >= '5';
    // Exactly half (no digit after the 5, trailing zeros are stripped):
    // up only when the last kept digit is odd.
    if (keep + 1 < int(d.digits.size()))
        return true;
    return keep > 0 && (d.digits[size_t(keep - 1)] - '0') % 2 == 1;
}

} // namespace

DecimalDigits DecimalDigitsOf(double value, int significant) {
    if (!std::isfinite(value) || value == 0.0)
        return {};
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, std::fabs(value),
                                 std::chars_format::scientific, std::clamp(significant, 1, 17) - 1);
    return fromScientific(buf, r.ptr, std::signbit(value));
}

DecimalDigits ShortestDecimalDigitsOf(double value) {
    if (!std::isfinite(value) || value == 0.0)
        return {};
    char buf[64];
    const auto r =
        std::to_chars(buf, buf + sizeof buf, std::fabs(value), std::chars_format::scientific);
    return fromScientific(buf, r.ptr, std::signbit(value));
}

void RoundDecimalDigits(DecimalDigits& d, int decimals, DecimalTies ties) {
    const int keep = d.exp + decimals;
    if (d.isZero() || keep >= int(d.digits.size()))
        return;
    if (keep < 0) {
        d.digits.clear();
        d.exp = 0;
        return;
    }
    const bool up = roundsUp(d, keep, ties);
    d.digits.resize(size_t(keep));
    if (up) {
        int i = keep - 1;
        while (i >= 0 && d.digits[size_t(i)] == '9') {
            d.digits[size_t(i)] = '0';
            --i;
        }
        if (i >= 0) {
            ++d.digits[size_t(i)];
        } else {
            d.digits.insert(d.digits.begin(), '1');
            ++d.exp;
        }
    }
    stripTrailingZeros(d);
}

void RoundToSignificant(DecimalDigits& d, int significant, DecimalTies ties) {
    if (!d.isZero())
        RoundDecimalDigits(d, significant - d.exp, ties);
}

bool ParseDecimalText(std::string_view text, double* out) {
    size_t i = 0;
    const size_t n = text.size();
    const bool plus = i < n && text[i] == '+';
    const bool minus = i < n && text[i] == '-';
    if (plus || minus)
        ++i;
    // The decimal magnitude (position of the first significant digit) tells
    // an underflow, read as zero, from an overflow, which is refused.
    long magnitude = 0;
    bool significant = false;
    size_t mantissa = 0;
    for (; i < n && isDigit(text[i]); ++i, ++mantissa) {
        significant = significant || text[i] != '0';
        magnitude += significant ? 1 : 0;
    }
    if (i < n && text[i] == '.') {
        for (++i; i < n && isDigit(text[i]); ++i, ++mantissa) {
            if (!significant && text[i] == '0')
                --magnitude;
            significant = significant || text[i] != '0';
        }
    }
    if (mantissa == 0)
        return false;
    if (i < n && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        const bool negativeExponent = i < n && text[i] == '-';
        if (i < n && (text[i] == '+' || text[i] == '-'))
            ++i;
        long exponent = 0;
        size_t exponentDigits = 0;
        for (; i < n && isDigit(text[i]); ++i, ++exponentDigits)
            exponent = std::min(exponent * 10 + (text[i] - '0'), 100000L);
        if (exponentDigits == 0)
            return false;
        magnitude += negativeExponent ? -exponent : exponent;
    }
    if (i != n)
        return false;
    // from_chars takes no "+"; the grammar above was checked in full.
    const char* first = text.data() + (plus ? 1 : 0);
    const char* last = text.data() + n;
    double v = 0;
    const auto r = std::from_chars(first, last, v, std::chars_format::general);
    if (r.ptr != last)
        return false;
    if (r.ec == std::errc::result_out_of_range && magnitude < 0)
        v = minus ? -0.0 : 0.0;
    else if (r.ec != std::errc() || !std::isfinite(v))
        return false;
    *out = v;
    return true;
}

} // namespace vx
