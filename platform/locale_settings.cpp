#include "platform/locale_settings.h"

#include "platform/platform_state.h"

#include <memory>

namespace vx {

namespace {

std::unique_ptr<LocaleSettings>& storage() {
    return platformState().Locale;
}

// The first character of the pattern that is not a pattern letter or quote:
// the separator the pattern uses between its fields.
QChar firstSeparator(const QString& pattern, QChar fallback) {
    bool quoted = false;
    for (QChar c : pattern) {
        if (c == QLatin1Char('\'')) {
            quoted = !quoted;
            continue;
        }
        if (!quoted && !c.isLetter() && !c.isSpace())
            return c;
    }
    return fallback;
}

} // namespace

QString patternFromQt(const QString& qtPattern) {
    // Qt: d dd ddd dddd, M MM MMM MMMM, yy yyyy, h hh H HH, m mm, s ss, AP ap.
    // Here: d.., m.. (month), yy yyyy, h hh, n nn (minute), s ss, ampm.
    QString out;
    bool quoted = false;
    for (qsizetype i = 0; i < qtPattern.size(); ++i) {
        const QChar c = qtPattern[i];
        if (c == QLatin1Char('\'')) {
            if (i + 1 < qtPattern.size() && qtPattern[i + 1] == QLatin1Char('\'')) {
                out += QLatin1Char('\'');
                ++i;
                continue;
            }
            quoted = !quoted;
            out += QLatin1Char('"');
            continue;
        }
        if (quoted) {
            out += c;
            continue;
        }
        switch (c.unicode()) {
        case 'M':
            out += QLatin1Char('m');
            break;
        case 'm':
            out += QLatin1Char('n');
            break;
        case 'H':
            out += QLatin1Char('h');
            break;
        case 'A':
        case 'a':
            if (i + 1 < qtPattern.size() &&
                (qtPattern[i + 1] == QLatin1Char('P') || qtPattern[i + 1] == QLatin1Char('p'))) {
                out += QStringLiteral("ampm");
                ++i;
            }
            break;
        case 'z': // milliseconds and time zones have no letter here
        case 't':
            break;
        default:
            out += c;
        }
    }
    return out.trimmed();
}

LocaleSettings LocaleSettings::fromLocale(const QLocale& locale) {
    LocaleSettings s;
    s.decimalSeparator =
        locale.decimalPoint().isEmpty() ? QLatin1Char('.') : locale.decimalPoint().at(0);
    s.thousandSeparator =
        locale.groupSeparator().isEmpty() ? QChar() : locale.groupSeparator().at(0);
    const QString shortDate = locale.dateFormat(QLocale::ShortFormat);
    const QString shortTime = locale.timeFormat(QLocale::ShortFormat);
    s.dateSeparator = firstSeparator(shortDate, QLatin1Char('/'));
    s.timeSeparator = firstSeparator(shortTime, QLatin1Char(':'));
    // The stored patterns use "/" and ":" for the locale's separators.
    QString sd = patternFromQt(shortDate);
    sd.replace(s.dateSeparator, QLatin1Char('/'));
    // Four-digit years: two-digit short dates are ambiguous in reports.
    if (!sd.contains(QStringLiteral("yyyy")))
        sd.replace(QStringLiteral("yy"), QStringLiteral("yyyy"));
    s.shortDateFormat = sd;
    s.longDateFormat = patternFromQt(locale.dateFormat(QLocale::LongFormat));
    QString st = patternFromQt(shortTime);
    st.replace(s.timeSeparator, QLatin1Char(':'));
    s.shortTimeFormat = st;
    QString lt = patternFromQt(locale.timeFormat(QLocale::LongFormat));
    lt.replace(s.timeSeparator, QLatin1Char(':'));
    s.longTimeFormat = lt;
    s.timeAMString = locale.amText();
    s.timePMString = locale.pmText();

    s.currencyString = locale.currencySymbol(QLocale::CurrencySymbol);
    const QString positive = locale.toCurrencyString(1.0, s.currencyString, 0);
    const bool symbolFirst = positive.startsWith(s.currencyString);
    const bool blank = positive.contains(QChar(0x00A0)) || positive.contains(QLatin1Char(' ')) ||
                       positive.contains(QChar(0x202F));
    s.currencyFormat = symbolFirst ? (blank ? 2 : 0) : (blank ? 3 : 1);
    // Negative formats: keep the platform's usual choice for each position.
    s.negCurrFormat = symbolFirst ? (blank ? 12 : 1) : (blank ? 8 : 5);
    s.currencyDecimals = 2;

    for (int m = 1; m <= 12; ++m) {
        s.shortMonthNames << locale.monthName(m, QLocale::ShortFormat);
        s.longMonthNames << locale.monthName(m, QLocale::LongFormat);
    }
    // Sunday first, as the library counts days of the week.
    for (int d = 0; d < 7; ++d) {
        const int qtDay = d == 0 ? 7 : d;
        s.shortDayNames << locale.dayName(qtDay, QLocale::ShortFormat);
        s.longDayNames << locale.dayName(qtDay, QLocale::LongFormat);
    }
    return s;
}

LocaleSettings LocaleSettings::italian() {
    LocaleSettings s = fromLocale(QLocale(QLocale::Italian, QLocale::Italy));
    // Italian conventions as the platform's Italian locale gives them.
    s.decimalSeparator = QLatin1Char(',');
    s.thousandSeparator = QLatin1Char('.');
    s.dateSeparator = QLatin1Char('/');
    s.timeSeparator = QLatin1Char(':');
    s.shortDateFormat = QStringLiteral("dd/mm/yyyy");
    s.longDateFormat = QStringLiteral("dddd d mmmm yyyy");
    s.shortTimeFormat = QStringLiteral("hh:nn");
    s.longTimeFormat = QStringLiteral("hh:nn:ss");
    s.timeAMString.clear();
    s.timePMString.clear();
    s.currencyString = QStringLiteral("€");
    s.currencyFormat = 2;
    s.negCurrFormat = 12;
    s.currencyDecimals = 2;
    return s;
}

LocaleSettings& localeSettings() {
    auto& s = storage();
    if (!s)
        s = std::make_unique<LocaleSettings>(LocaleSettings::fromSystem());
    return *s;
}

void setLocaleSettings(const LocaleSettings& settings) {
    storage() = std::make_unique<LocaleSettings>(settings);
}

void resetLocaleSettings() {
    storage().reset();
}

} // namespace vx
