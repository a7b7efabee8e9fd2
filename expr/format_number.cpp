// Number texts: the general form of the standard conversion, the fixed and
// grouped forms of the predefined number formats, and number patterns
// ("0.##", "#,##0.00;(#,##0.00);zero", "0.00E+00").
//
// Everything works on a decimal digit string taken from the double with 15
// significant digits (the precision of a double as the system writes it), so
// that 1.005 rounds to 1.01 as a user expects; the fixed forms take up to 17
// digits where the decimals asked for lie beyond the fifteenth. Ties round
// away from zero. No C library formatting is used: its decimal point follows
// the C locale.
#include "expr/decimal_text.h"
#include "expr/format.h"

#include <algorithm>
#include <cmath>

namespace vx {

namespace {

using Decimal = DecimalDigits;

constexpr int kDoublePrecision = 15;
// Digits that identify every double: the most a fixed format ever shows.
constexpr int kExactPrecision = 17;

Decimal toDecimal(double value, int significant = kDoublePrecision) {
    return DecimalDigitsOf(value, significant);
}

void roundToDecimals(Decimal& d, int decimals) {
    RoundDecimalDigits(d, decimals, DecimalTies::AwayFromZero);
}

void roundToSignificant(Decimal& d, int significant) {
    RoundToSignificant(d, significant, DecimalTies::AwayFromZero);
}

// Integer digits with optional grouping, then `decimals` fraction digits.
QString fixedText(const Decimal& d, int decimals, QChar decimalSep, QChar thousandSep,
                  bool grouped) {
    QString out;
    if (d.negative && !d.isZero())
        out += QLatin1Char('-');
    const int intDigits = d.exp > 0 ? d.exp : 0;
    if (intDigits == 0)
        out += QLatin1Char('0');
    for (int i = 0; i < intDigits; ++i) {
        out += QLatin1Char(d.intDigit(i));
        const int fromRight = intDigits - 1 - i;
        if (grouped && fromRight > 0 && fromRight % 3 == 0 && !thousandSep.isNull())
            out += thousandSep;
    }
    if (decimals > 0) {
        out += decimalSep;
        for (int j = 0; j < decimals; ++j)
            out += QLatin1Char(d.fracDigit(j));
    }
    return out;
}

QString exponentText(const Decimal& d, int significant, QChar decimalSep) {
    // d.ddddE+NNN with at least three exponent digits.
    QString out;
    if (d.negative)
        out += QLatin1Char('-');
    out += QLatin1Char(d.at(0));
    if (d.digits.size() > 1) {
        out += decimalSep;
        for (int i = 1; i < int(d.digits.size()) && i < significant; ++i)
            out += QLatin1Char(d.at(i));
    }
    const int e = d.exp - 1;
    out += e < 0 ? QStringLiteral("E-") : QStringLiteral("E+");
    out += QStringLiteral("%1").arg(std::abs(e), 3, 10, QLatin1Char('0'));
    return out;
}

bool notFinite(double value) {
    return std::isnan(value) || std::isinf(value);
}

QString notFiniteText(double value) {
    if (std::isnan(value))
        return QStringLiteral("NAN");
    return value < 0 ? QStringLiteral("-INF") : QStringLiteral("INF");
}

// ---- number patterns ----

struct SectionLayout {
    int intPlaceholders = 0;
    int firstIntZero = -1; // index among the integer placeholders of the first '0'
    int minDecimals = 0;   // fraction placeholders up to the last '0'
    int maxDecimals = 0;   // all fraction placeholders
    bool grouped = false;
    bool scientific = false;
    bool hasPlaceholder = false;
};

bool isQuote(QChar c) {
    return c == QLatin1Char('\'') || c == QLatin1Char('"');
}

bool isExponentAt(const QString& s, qsizetype i) {
    return (s[i] == QLatin1Char('E') || s[i] == QLatin1Char('e')) && i + 1 < s.size() &&
           (s[i + 1] == QLatin1Char('+') || s[i + 1] == QLatin1Char('-'));
}

SectionLayout analyse(const QString& section) {
    SectionLayout l;
    bool afterPoint = false;
    for (qsizetype i = 0; i < section.size(); ++i) {
        const QChar c = section[i];
        if (isQuote(c)) {
            const qsizetype close = section.indexOf(c, i + 1);
            i = close < 0 ? section.size() : close;
        } else if (isExponentAt(section, i)) {
            l.scientific = true;
            i += 1;
            while (i + 1 < section.size() && section[i + 1] == QLatin1Char('0'))
                ++i;
        } else if (c == QLatin1Char('0') || c == QLatin1Char('#')) {
            l.hasPlaceholder = true;
            if (afterPoint) {
                ++l.maxDecimals;
                if (c == QLatin1Char('0'))
                    l.minDecimals = l.maxDecimals;
            } else {
                if (c == QLatin1Char('0') && l.firstIntZero < 0)
                    l.firstIntZero = l.intPlaceholders;
                ++l.intPlaceholders;
            }
        } else if (c == QLatin1Char('.')) {
            afterPoint = true;
        } else if (c == QLatin1Char(',')) {
            l.grouped = true;
        }
    }
    return l;
}

QStringList splitSections(const QString& pattern) {
    QStringList sections;
    QString current;
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        const QChar c = pattern[i];
        if (isQuote(c)) {
            qsizetype close = pattern.indexOf(c, i + 1);
            if (close < 0)
                close = pattern.size() - 1;
            current += pattern.mid(i, close - i + 1);
            i = close;
        } else if (c == QLatin1Char(';')) {
            sections << current;
            current.clear();
        } else {
            current += c;
        }
    }
    sections << current;
    return sections;
}

class SectionWriter {
public:
    SectionWriter(const SectionLayout& layout, const Decimal& d, int exponent, QChar dec,
                  QChar thou)
        : l_(layout), d_(d), exponent_(exponent), dec_(dec), thou_(thou) {
        // A locale without a thousands separator groups nothing.
        grouped_ = l_.grouped && !thou_.isNull();
        intDigits_ = d.exp > 0 ? d.exp : 0;
        int significantFraction = int(d.digits.size()) - d.exp;
        if (significantFraction < 0)
            significantFraction = 0;
        shownDecimals_ = std::max(l_.minDecimals, std::min(significantFraction, l_.maxDecimals));
    }

    QString write(const QString& section, bool minus) {
        if (minus)
            out_ += QLatin1Char('-');
        bool afterPoint = false;
        for (qsizetype i = 0; i < section.size(); ++i) {
            const QChar c = section[i];
            if (isQuote(c)) {
                qsizetype close = section.indexOf(c, i + 1);
                if (close < 0)
                    close = section.size();
                out_ += section.mid(i + 1, close - i - 1);
                i = close;
            } else if (isExponentAt(section, i)) {
                i = writeExponent(section, i);
            } else if (c == QLatin1Char('0') || c == QLatin1Char('#')) {
                if (afterPoint) {
                    if (fracIndex_ < shownDecimals_)
                        out_ += QLatin1Char(d_.fracDigit(fracIndex_));
                    ++fracIndex_;
                } else {
                    writeIntPlaceholder();
                }
            } else if (c == QLatin1Char('.')) {
                if (!afterPoint) {
                    afterPoint = true;
                    if (intIndex_ == 0)
                        writeAllIntDigits(); // ".##": the integer part still shows
                    if (shownDecimals_ > 0)
                        out_ += dec_;
                }
            } else if (c != QLatin1Char(',')) {
                out_ += c;
            }
        }
        if (intIndex_ == 0 && !afterPoint && l_.hasPlaceholder)
            writeAllIntDigits();
        return out_;
    }

private:
    void writeDigit(int index) { // index from the left of the integer digits
        out_ += QLatin1Char(d_.intDigit(index));
        const int fromRight = intDigits_ - 1 - index;
        if (grouped_ && fromRight > 0 && fromRight % 3 == 0)
            out_ += thou_;
    }

    void writeAllIntDigits() {
        for (int i = 0; i < intDigits_; ++i)
            writeDigit(i);
        intIndex_ = l_.intPlaceholders + 1;
    }

    void writeIntPlaceholder() {
        const int k = intIndex_++;
        const int lead = intDigits_ - l_.intPlaceholders;
        if (k == 0)
            for (int i = 0; i < lead; ++i)
                writeDigit(i);
        const int index = lead + k;
        if (index >= 0) {
            writeDigit(index);
        } else if (l_.firstIntZero >= 0 && k >= l_.firstIntZero) {
            out_ += QLatin1Char('0');
            const int fromRight = intDigits_ - 1 - index;
            if (grouped_ && fromRight % 3 == 0 && fromRight > 0)
                out_ += thou_;
        }
    }

    qsizetype writeExponent(const QString& section, qsizetype i) {
        out_ += section[i];
        const bool alwaysSign = section[i + 1] == QLatin1Char('+');
        i += 1;
        int width = 0;
        while (i + 1 < section.size() && section[i + 1] == QLatin1Char('0')) {
            ++width;
            ++i;
        }
        if (exponent_ < 0)
            out_ += QLatin1Char('-');
        else if (alwaysSign)
            out_ += QLatin1Char('+');
        out_ +=
            QStringLiteral("%1").arg(std::abs(exponent_), std::min(width, 4), 10, QLatin1Char('0'));
        return i;
    }

    const SectionLayout& l_;
    const Decimal& d_;
    int exponent_;
    QChar dec_, thou_;
    bool grouped_ = false;
    int intDigits_ = 0;
    int shownDecimals_ = 0;
    int intIndex_ = 0;
    int fracIndex_ = 0;
    QString out_;
};

struct Prepared {
    Decimal d;
    int exponent = 0;
};

Prepared prepare(double value, const SectionLayout& l) {
    Prepared p;
    p.d = toDecimal(value);
    if (l.scientific) {
        const int intPlaces = std::max(l.intPlaceholders, 1);
        roundToSignificant(p.d, intPlaces + l.maxDecimals);
        if (!p.d.isZero()) {
            p.exponent = p.d.exp - intPlaces;
            p.d.exp = intPlaces;
        }
    } else {
        roundToDecimals(p.d, l.maxDecimals);
    }
    return p;
}

} // namespace

QString FormatGeneralFloat(double value, QChar decimalSep, int precision) {
    if (notFinite(value))
        return notFiniteText(value);
    Decimal d = toDecimal(value, std::clamp(precision, 1, 17));
    if (d.isZero())
        return QStringLiteral("0");
    QString out = d.negative ? QStringLiteral("-") : QString();
    if (d.exp > precision || d.exp < -4) {
        out += QLatin1Char(d.at(0));
        if (d.digits.size() > 1) {
            out += decimalSep;
            out += QString::fromLatin1(d.digits.data() + 1, qsizetype(d.digits.size() - 1));
        }
        out += QLatin1Char('E') + QString::number(d.exp - 1);
        return out;
    }
    if (d.exp <= 0) {
        out += QLatin1Char('0') + QString(decimalSep) + QString(-d.exp, QLatin1Char('0')) +
               QString::fromLatin1(d.digits.data(), qsizetype(d.digits.size()));
        return out;
    }
    for (int i = 0; i < d.exp; ++i)
        out += QLatin1Char(d.intDigit(i));
    if (int(d.digits.size()) > d.exp) {
        out += decimalSep;
        out += QString::fromLatin1(d.digits.data() + d.exp, qsizetype(d.digits.size()) - d.exp);
    }
    return out;
}

QString FormatFixedFloat(double value, int decimals, int precision, bool grouped, QChar decimalSep,
                         QChar thousandSep) {
    if (notFinite(value))
        return notFiniteText(value);
    decimals = std::clamp(decimals, 0, 18);
    Decimal d = toDecimal(value);
    if (d.exp > precision) {
        roundToSignificant(d, precision);
        return exponentText(d, precision, decimalSep);
    }
    // The decimals asked for lie beyond the fifteenth digit (large amounts):
    // take the double's own digits that far, up to the 17 that identify it,
    // rather than showing zeros where it holds cents.
    if (d.exp + decimals > kDoublePrecision)
        d = toDecimal(value, std::min(d.exp + decimals, kExactPrecision));
    roundToDecimals(d, decimals);
    return fixedText(d, decimals, decimalSep, thousandSep, grouped);
}

QString FormatFloatPattern(double value, const QString& pattern, QChar decimalSep,
                           QChar thousandSep) {
    if (notFinite(value))
        return notFiniteText(value);
    const QStringList sections = splitSections(pattern);
    if (pattern.isEmpty())
        return FormatGeneralFloat(value, decimalSep);
    const bool negative = value < 0;
    const bool hasNegativeSection = sections.size() >= 2 && !sections[1].isEmpty();
    const QString& section = negative && hasNegativeSection ? sections[1] : sections[0];
    SectionLayout layout = analyse(section);
    Prepared p = prepare(value, layout);
    if (p.d.isZero() && sections.size() >= 3 && !sections[2].isEmpty()) {
        const SectionLayout zeroLayout = analyse(sections[2]);
        const Prepared zero = prepare(0.0, zeroLayout);
        return SectionWriter(zeroLayout, zero.d, 0, decimalSep, thousandSep)
            .write(sections[2], false);
    }
    const bool minus = negative && !hasNegativeSection && !p.d.isZero();
    return SectionWriter(layout, p.d, p.exponent, decimalSep, thousandSep).write(section, minus);
}

} // namespace vx
