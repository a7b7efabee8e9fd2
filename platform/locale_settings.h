#pragma once

// The locale the program formats and parses with: separators, date and time
// formats, currency. One process-wide object, filled from the system locale
// at first use and settable by tests and host programs.
//
// Date and time formats use the report library's pattern letters: d dd ddd
// dddd (day), m mm mmm mmmm (month), yy yyyy (year), h hh (hour), n nn
// (minute), s ss (second), "/" the date separator, ":" the time separator,
// ampm / am/pm, text in quotes copied.

#include <QChar>
#include <QLocale>
#include <QString>
#include <QStringList>

namespace vx {

struct LocaleSettings {
    QChar decimalSeparator = QLatin1Char(',');
    QChar thousandSeparator = QLatin1Char('.');
    QChar dateSeparator = QLatin1Char('/');
    QChar timeSeparator = QLatin1Char(':');
    QString shortDateFormat = QStringLiteral("dd/mm/yyyy");
    QString longDateFormat = QStringLiteral("dddd d mmmm yyyy");
    QString shortTimeFormat = QStringLiteral("hh:nn");
    QString longTimeFormat = QStringLiteral("hh:nn:ss");
    QString timeAMString;
    QString timePMString;
    // Currency: the symbol, its position for positive amounts (0 "€1",
    // 1 "1€", 2 "€ 1", 3 "1 €"), the negative format (0..15, as the
    // platform numbers them: 12 is "€ -1"), and the number of decimals.
    QString currencyString = QStringLiteral("€");
    int currencyFormat = 2;
    int negCurrFormat = 12;
    int currencyDecimals = 2;
    QStringList shortMonthNames; // 12 entries, January first
    QStringList longMonthNames;
    QStringList shortDayNames; // 7 entries, Sunday first
    QStringList longDayNames;

    // The settings of a Qt locale (the system's by default).
    static LocaleSettings fromLocale(const QLocale& locale);
    static LocaleSettings fromSystem() { return fromLocale(QLocale::system()); }
    // Italian settings, the locale the tests assume unless they set another.
    static LocaleSettings italian();
};

// The process-wide settings (filled from the system locale on first use).
LocaleSettings& localeSettings();
void setLocaleSettings(const LocaleSettings& settings);
// Back to the system locale.
void resetLocaleSettings();

// Converts a Qt date/time pattern ("dd.MM.yyyy", "HH:mm:ss") to the library's
// pattern letters.
QString patternFromQt(const QString& qtPattern);

} // namespace vx
