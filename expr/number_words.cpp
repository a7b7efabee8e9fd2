#include "expr/number_words.h"

namespace vx {

namespace {

// The word tables (fixed, constant-initialised before any code runs).
constexpr const char* kUnits[20] = {
    "",         "uno",    "due",         "tre",      "quattro",
    "cinque",   "sei",    "sette",       "otto",     "nove",
    "dieci",    "undici", "dodici",      "tredici",  "quattordici",
    "quindici", "sedici", "diciassette", "diciotto", "diciannove",
};
constexpr const char* kTens[10] = {
    "",          "",         "venti",    "trenta",  "quaranta",
    "cinquanta", "sessanta", "settanta", "ottanta", "novanta",
};
// Pairs per power of a thousand: a group worth exactly one, a group worth more.
constexpr const char* kPowers[10] = {
    "mille",
    "mila",
    "unmilione",
    "milioni",
    "unmiliardo",
    "miliardi",
    "millemiliardi",
    "miliardi",
    "unmilionedimiliardi",
    "milionidimiliardi",
};
constexpr int kPowerGroups = 5; // groups 1 to 5 have words

int digitAt(const QString& s, qsizetype i) {
    return s.at(i).unicode() - '0';
}

// The words of one group of up to three digits; i counts groups from 0 (units).
QString groupWords(const QString& group, int i, bool digitsLeft) {
    if (i >= 1 && group == QLatin1String("1"))
        return QLatin1String(kPowers[2 * (i - 1)]);
    const QString g = group.rightJustified(3, QLatin1Char('0'));
    const int h = digitAt(g, 0), t = digitAt(g, 1), u = digitAt(g, 2);
    QString words;
    if (t == 1) {
        words = QLatin1String(kUnits[10 + u]);
    } else if (g == QLatin1String("000") && !digitsLeft) {
        words = QStringLiteral("zero");
    } else {
        QString tens = QLatin1String(kTens[t]);
        // "venti" + "uno" make "ventuno", "trenta" + "otto" make "trentotto".
        if ((u == 1 || u == 8) && !tens.isEmpty())
            tens.chop(1);
        words = tens + QLatin1String(kUnits[u]);
    }
    if (h == 1)
        words.prepend(QStringLiteral("cento"));
    else if (h >= 2)
        words.prepend(QLatin1String(kUnits[h]) + QStringLiteral("cento"));
    if (i >= 1 && g != QLatin1String("000"))
        words += QLatin1String(kPowers[2 * (i - 1) + 1]);
    return words;
}

// The words of a run of decimal digits without sign or separator.
QString integerWords(const QString& digits) {
    QString words;
    qsizetype end = digits.size();
    for (int i = 0; end > 0 && i <= kPowerGroups; ++i) {
        const qsizetype start = end >= 3 ? end - 3 : 0;
        words.prepend(groupWords(digits.mid(start, end - start), i, start > 0));
        end = start;
    }
    return words;
}

} // namespace

QString NumberToWords(Currency value) {
    // The general form: no grouping, at most 4 decimals, no trailing zeros.
    QString text = FormatCurrencyPlain(value, QLatin1Char('.'));
    const bool negative = text.startsWith(QLatin1Char('-'));
    if (negative)
        text.remove(0, 1);
    QString decimals;
    const qsizetype point = text.indexOf(QLatin1Char('.'));
    if (point >= 0) {
        const QString digits = text.mid(point + 1);
        text.truncate(point);
        // Leading zeros are spoken one by one: 0.05 is "zerocinque", not
        // "cinque" like 0.5 (read as a whole number, both would be "cinque").
        qsizetype zeros = 0;
        while (zeros < digits.size() && digits.at(zeros) == QLatin1Char('0'))
            ++zeros;
        decimals = QStringLiteral("zero").repeated(zeros) + integerWords(digits.mid(zeros));
    }
    QString words = integerWords(text);
    if (point >= 0)
        words += QStringLiteral(" virgola ") + decimals;
    if (negative)
        words.prepend(QStringLiteral("meno "));
    return words;
}

QString NumberToLetter(const Variant& value) {
    return NumberToWords(value.toCurrency());
}

} // namespace vx
