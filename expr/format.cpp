// The format code of report objects and the text of a value by that code.
#include "expr/format.h"
#include "platform/locale_settings.h"

#include <cmath>

namespace vx {

namespace {

// The time separator is ":" while a value is formatted, whatever the
// system's is; the process-wide setting comes back afterwards, also after a
// failure.
class TimeSeparatorGuard {
public:
    TimeSeparatorGuard() : saved_(localeSettings().timeSeparator) {
        localeSettings().timeSeparator = QLatin1Char(':');
    }
    ~TimeSeparatorGuard() { localeSettings().timeSeparator = saved_; }
    TimeSeparatorGuard(const TimeSeparatorGuard&) = delete;
    TimeSeparatorGuard& operator=(const TimeSeparatorGuard&) = delete;

private:
    QChar saved_;
};

QString textCategory(const Variant& value) {
    if (!value.isDateTime())
        return value.toString();
    const double v = value.floatValue();
    const double day = std::trunc(v);
    const bool hasTime = v != day;
    if (day != 0.0)
        return FormatDateTimePattern(v, hasTime ? QStringLiteral("dd/mm/yyyy hh:nn:ss")
                                                : QStringLiteral("dd/mm/yyyy"));
    return hasTime ? FormatDateTimePattern(v, QStringLiteral("hh:nn:ss")) : QString();
}

QString numberCategory(const Variant& value, int32_t code, const QString& pattern) {
    if (value.isString())
        return value.stringValue();
    const LocaleSettings& locale = localeSettings();
    // A code without a separator character (a damaged or hand-made template)
    // uses the system's rather than writing a NUL character.
    const int sepCode = FormatSeparatorCodeOf(code);
    const QChar sep = sepCode != 0 ? QChar(char16_t(sepCode)) : locale.decimalSeparator;
    const double v = value.toDouble();
    // Integer digits the fixed formats show before they turn to an exponent
    // form: the fifteen a double always holds, so an amount keeps its cents.
    constexpr int kFixedPrecision = 15;
    switch (FormatSubFormatOf(code)) {
    case 0:
        return FormatFloatPattern(v, PredefinedNumberPattern(0), sep, locale.thousandSeparator);
    case 1:
        return FormatFixedFloat(v, FormatDecimalsOf(code), kFixedPrecision, false, sep,
                                locale.thousandSeparator);
    case 2:
        return FormatFloatPattern(v, PredefinedNumberPattern(2), sep, locale.thousandSeparator);
    case 3:
        return FormatFixedFloat(v, FormatDecimalsOf(code), kFixedPrecision, true, sep,
                                locale.thousandSeparator);
    case kCustomSubFormat:
        return FormatFloatPattern(v, pattern, sep, locale.thousandSeparator);
    default:
        return QString();
    }
}

QString dateOrTimeCategory(const Variant& value, int category, int subFormat,
                           const QString& pattern) {
    const double v = value.toDateTime();
    if (subFormat == kCustomSubFormat)
        return FormatDateTimePattern(v, pattern);
    const QString predefined =
        category == fcDate ? PredefinedDatePattern(subFormat) : PredefinedTimePattern(subFormat);
    if (predefined.isEmpty())
        return QString();
    return FormatDateTimePattern(v, predefined);
}

QString logicalCategory(const Variant& value, int subFormat) {
    if (subFormat == 1) {
        // The standard text read as an integer: "x" or "1,5" fail and fall back.
        return StrToInt64(value.toString()) != 0 ? LogicalText(1, true) : LogicalText(1, false);
    }
    if (subFormat != 0 && subFormat != 2)
        return QString();
    // Booleans show their own text (true counts as 1 here, not -1).
    const std::int64_t n = value.isBool() ? (value.boolValue() ? 1 : 0) : value.toInt64();
    if (n == 0 || n == 1)
        return LogicalText(subFormat, n == 1);
    return QString();
}

} // namespace

const std::array<QString, kFormatCategoryCount> FormatCategoryNames = {
    QStringLiteral("Testo"),  QStringLiteral("Numero"), QStringLiteral("Data"),
    QStringLiteral("Orario"), QStringLiteral("Logico"),
};

int32_t DefaultObjectFormatCode() {
    return MakeFormatCode(fcText, 0, 2, localeSettings().decimalSeparator.unicode() & 0xFF);
}

QStringList FormatSampleTexts(int category) {
    switch (category) {
    case fcText:
        return {QStringLiteral("[Nessuno]"), {}, {}, {}, {}};
    case fcNumber:
        return {QStringLiteral("1234,5"), QStringLiteral("1234,50"), QStringLiteral("1.234,5"),
                QStringLiteral("1.234,50"), QStringLiteral("Personalizzato")};
    case fcDate:
        return {QStringLiteral("05/11/98"), QStringLiteral("05/11/1998"),
                QStringLiteral("5 nov 1998"), QStringLiteral("5 novembre 1998"),
                QStringLiteral("Personalizzato")};
    case fcTime:
        return {QStringLiteral("02:43:35"), QStringLiteral("2:43:35"), QStringLiteral("02:43"),
                QStringLiteral("2:43"), QStringLiteral("Personalizzato")};
    case fcLogical:
        return {QStringLiteral("0/1"), QStringLiteral("Si/No"), QStringLiteral("X/_"), {}, {}};
    default:
        return {};
    }
}

QString PredefinedDatePattern(int subFormat) {
    static const char* const patterns[] = {"dd/mm/yy", "dd/mm/yyyy", "d mmm yyyy", "d mmmm yyyy"};
    return subFormat >= 0 && subFormat < 4 ? QString::fromLatin1(patterns[subFormat]) : QString();
}

QString PredefinedTimePattern(int subFormat) {
    static const char* const patterns[] = {"hh:nn:ss", "h:nn:ss", "hh:nn", "h:nn"};
    return subFormat >= 0 && subFormat < 4 ? QString::fromLatin1(patterns[subFormat]) : QString();
}

QString PredefinedNumberPattern(int subFormat) {
    if (subFormat == 0)
        return QStringLiteral("0.##");
    if (subFormat == 2)
        return QStringLiteral("0,.##");
    return QString();
}

QString LogicalText(int subFormat, bool value) {
    static const char* const texts[3][2] = {{"0", "1"}, {"No", "Si"}, {" ", "X"}};
    if (subFormat < 0 || subFormat > 2)
        return QString();
    return QString::fromLatin1(texts[subFormat][value ? 1 : 0]);
}

QString FormatValue(const Variant& value, int32_t code, const QString& pattern) {
    if (value.isNull() || value.isEmpty())
        return QString();
    TimeSeparatorGuard guard;
    const int category = FormatCategoryOf(code);
    const int subFormat = FormatSubFormatOf(code);
    try {
        switch (category) {
        case fcText:
            return textCategory(value);
        case fcNumber:
            return numberCategory(value, code, pattern);
        case fcDate:
        case fcTime:
            return dateOrTimeCategory(value, category, subFormat, pattern);
        case fcLogical:
            return logicalCategory(value, subFormat);
        default:
            return QString();
        }
    } catch (const std::exception&) {
        return value.toString();
    }
}

} // namespace vx
