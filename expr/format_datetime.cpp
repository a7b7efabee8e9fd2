// Date and time texts: day numbers to calendar parts and back, date
// patterns, and the parsing of dates and times typed by users.
#include "expr/evaluator.h"
#include "expr/format.h"
#include "platform/errors.h"
#include "platform/locale_settings.h"

#include <QDate>
#include <QLocale>
#include <QRegularExpression>

#include <algorithm>

#include <cmath>

namespace vx {

namespace {

const QDate kDayZero(1899, 12, 30);
// Day numbers of 1 January 1 and 31 December 9999: the calendar the day
// numbers cover.
constexpr double kMinDay = -693593.0;
constexpr double kMaxDay = 2958465.0;
constexpr qint64 kMsecPerDay = 86400000;
// Locale formats may name other formats ("c", "ddddd", "t"); one level of
// such nesting is all a real format needs, and it bounds a hostile one.
constexpr int kMaxPatternNesting = 2;

[[noreturn]] void invalidDateTime(double value) {
    throw VxError(QString::fromUtf8(kMsgDateOutOfRange) +
                  FormatGeneralFloat(value, SystemDecimalSeparator()));
}

QString name(const QStringList& names, int index, const QString& fallback) {
    return index >= 0 && index < names.size() && !names[index].isEmpty() ? names[index] : fallback;
}

QString twoDigits(int v) {
    return QStringLiteral("%1").arg(v, 2, 10, QLatin1Char('0'));
}

int runLength(const QString& s, qsizetype i, QChar c) {
    int n = 0;
    while (i + n < s.size() && s[i + n].toLower() == c)
        ++n;
    return n;
}

bool startsWithNoCase(const QString& s, qsizetype i, const char* token) {
    // A view, not a copy: this runs at every character of a pattern.
    return QStringView(s).mid(i).startsWith(QLatin1String(token), Qt::CaseInsensitive);
}

// True when the rest of the pattern holds an am/pm specifier (12-hour clock).
bool hasAmPm(const QString& s, qsizetype from) {
    for (qsizetype i = from; i < s.size(); ++i) {
        const QChar c = s[i];
        if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            const qsizetype close = s.indexOf(c, i + 1);
            if (close < 0)
                return false;
            i = close;
        } else if (startsWithNoCase(s, i, "am/pm") || startsWithNoCase(s, i, "a/p") ||
                   startsWithNoCase(s, i, "ampm")) {
            return true;
        }
    }
    return false;
}

class DateWriter {
public:
    DateWriter(const DateTimeParts& parts, const LocaleSettings& locale) : p_(parts), l_(locale) {}

    QString write(const QString& pattern, int depth) {
        if (depth > kMaxPatternNesting)
            return QString();
        QString out;
        const bool twelveHour = hasAmPm(pattern, 0);
        bool lastWasHour = false;
        for (qsizetype i = 0; i < pattern.size();) {
            const QChar c = pattern[i];
            const QChar lc = c.toLower();
            bool hour = false;
            if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
                qsizetype close = pattern.indexOf(c, i + 1);
                if (close < 0)
                    close = pattern.size();
                out += pattern.mid(i + 1, close - i - 1);
                i = close + 1;
            } else if (lc == QLatin1Char('c')) {
                out += write(l_.shortDateFormat, depth + 1);
                if (p_.hour || p_.minute || p_.second || p_.msec)
                    out += QLatin1Char(' ') + write(l_.longTimeFormat, depth + 1);
                ++i;
            } else if (lc == QLatin1Char('d')) {
                const int n = runLength(pattern, i, lc);
                out += dayText(n, depth);
                i += n;
            } else if (lc == QLatin1Char('m')) {
                const int n = runLength(pattern, i, lc);
                if (lastWasHour && n <= 2)
                    out += n == 1 ? QString::number(p_.minute) : twoDigits(p_.minute);
                else
                    out += monthText(n);
                i += n;
            } else if (lc == QLatin1Char('y')) {
                const int n = runLength(pattern, i, lc);
                out += n <= 2 ? twoDigits(p_.year % 100)
                              : QStringLiteral("%1").arg(p_.year, 4, 10, QLatin1Char('0'));
                i += n;
            } else if (lc == QLatin1Char('h')) {
                const int n = runLength(pattern, i, lc);
                int h = p_.hour;
                if (twelveHour) {
                    h %= 12;
                    if (h == 0)
                        h = 12;
                }
                out += n == 1 ? QString::number(h) : twoDigits(h);
                i += n;
                hour = true;
            } else if (lc == QLatin1Char('n') || lc == QLatin1Char('s')) {
                const int n = runLength(pattern, i, lc);
                const int v = lc == QLatin1Char('n') ? p_.minute : p_.second;
                out += n == 1 ? QString::number(v) : twoDigits(v);
                i += n;
            } else if (lc == QLatin1Char('z')) {
                const int n = runLength(pattern, i, lc);
                out += n < 3 ? QString::number(p_.msec)
                             : QStringLiteral("%1").arg(p_.msec, 3, 10, QLatin1Char('0'));
                i += n;
            } else if (lc == QLatin1Char('t')) {
                const int n = runLength(pattern, i, lc);
                out += write(n == 1 ? l_.shortTimeFormat : l_.longTimeFormat, depth + 1);
                i += n;
            } else if (startsWithNoCase(pattern, i, "am/pm")) {
                const QString t = p_.hour < 12 ? QStringLiteral("am") : QStringLiteral("pm");
                out += pattern[i].isUpper() ? t.toUpper() : t;
                i += 5;
            } else if (startsWithNoCase(pattern, i, "a/p")) {
                const QChar t = p_.hour < 12 ? QLatin1Char('a') : QLatin1Char('p');
                out += pattern[i].isUpper() ? t.toUpper() : t;
                i += 3;
            } else if (startsWithNoCase(pattern, i, "ampm")) {
                out += p_.hour < 12 ? l_.timeAMString : l_.timePMString;
                i += 4;
            } else if (c == QLatin1Char('/')) {
                out += l_.dateSeparator;
                ++i;
            } else if (c == QLatin1Char(':')) {
                out += l_.timeSeparator;
                ++i;
            } else {
                out += c;
                ++i;
            }
            // Only letters change the last token: "hh:mm" shows minutes.
            if (c.isLetter())
                lastWasHour = hour;
            // Names and nested formats make the text longer than its
            // pattern; a hostile pattern stops at the cap on built strings.
            if (out.size() > kMaxExprStringLength)
                throw VxError(QStringLiteral("Testo troppo lungo"));
        }
        return out;
    }

private:
    QString dayText(int n, int depth) {
        const QLocale sys = QLocale::system();
        const int qtDay = p_.dayOfWeek == 1 ? 7 : p_.dayOfWeek - 1; // Qt: Monday 1
        switch (n) {
        case 1:
            return QString::number(p_.day);
        case 2:
            return twoDigits(p_.day);
        case 3:
            return name(l_.shortDayNames, p_.dayOfWeek - 1,
                        sys.dayName(qtDay, QLocale::ShortFormat));
        case 4:
            return name(l_.longDayNames, p_.dayOfWeek - 1, sys.dayName(qtDay, QLocale::LongFormat));
        case 5:
            return write(l_.shortDateFormat, depth + 1);
        default:
            return write(l_.longDateFormat, depth + 1);
        }
    }

    QString monthText(int n) {
        const QLocale sys = QLocale::system();
        switch (n) {
        case 1:
            return QString::number(p_.month);
        case 2:
            return twoDigits(p_.month);
        case 3:
            return name(l_.shortMonthNames, p_.month - 1,
                        sys.monthName(p_.month, QLocale::ShortFormat));
        default:
            return name(l_.longMonthNames, p_.month - 1,
                        sys.monthName(p_.month, QLocale::LongFormat));
        }
    }

    const DateTimeParts& p_;
    const LocaleSettings& l_;
};

[[noreturn]] void notADate(const QString& text) {
    throw VxError(QStringLiteral("'%1' is not a valid date").arg(ClipForMessage(text)));
}
[[noreturn]] void notATime(const QString& text) {
    throw VxError(QStringLiteral("'%1' is not a valid time").arg(ClipForMessage(text)));
}

// The digit runs of a text split at any of the given separators; false when
// something else appears or a part is empty or too long.
bool splitNumbers(const QString& text, const QString& separators, QList<int>& numbers) {
    QString current;
    auto flush = [&]() {
        if (current.isEmpty() || current.size() > 4)
            return false;
        numbers << current.toInt();
        current.clear();
        return true;
    };
    for (const QChar c : text) {
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9')) {
            current += c;
        } else if (separators.contains(c)) {
            if (!flush())
                return false;
        } else {
            return false;
        }
    }
    return flush();
}

// Two-digit years fall within the 50 years either side of the current year.
int expandYear(int year, int digits) {
    if (digits > 2)
        return year;
    const int current = QDate::currentDate().year();
    const int threshold = current - 50;
    int full = (threshold / 100) * 100 + year;
    if (full < threshold)
        full += 100;
    return full;
}

} // namespace

DateTimeParts DecodeDateTime(double value) {
    if (!std::isfinite(value) || value < kMinDay || value >= kMaxDay + 1.0)
        invalidDateTime(value);
    double whole = std::trunc(value);
    qint64 ms = qint64(std::llround(std::fabs(value - whole) * double(kMsecPerDay)));
    if (ms >= kMsecPerDay) { // the time rounded up to the next midnight
        ms = 0;
        whole += value < 0 ? -1.0 : 1.0;
    }
    const QDate date = kDayZero.addDays(qint64(whole));
    if (!date.isValid() || date.year() < 1 || date.year() > 9999)
        invalidDateTime(value);
    DateTimeParts p;
    p.year = date.year();
    p.month = date.month();
    p.day = date.day();
    p.dayOfWeek = date.dayOfWeek() % 7 + 1;
    p.hour = int(ms / 3600000);
    p.minute = int(ms / 60000 % 60);
    p.second = int(ms / 1000 % 60);
    p.msec = int(ms % 1000);
    return p;
}

double EncodeDate(int year, int month, int day) {
    const QDate date(year, month, day);
    if (!date.isValid() || year < 1 || year > 9999)
        throw VxError(QStringLiteral("Data non valida: %1/%2/%3").arg(day).arg(month).arg(year));
    return double(kDayZero.daysTo(date));
}

double EncodeTime(int hour, int minute, int second, int msec) {
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59 ||
        msec < 0 || msec > 999)
        throw VxError(QStringLiteral("Ora non valida: %1:%2:%3").arg(hour).arg(minute).arg(second));
    return double(((hour * 60 + minute) * 60 + second) * 1000 + msec) / double(kMsecPerDay);
}

QString FormatDateTimePattern(double dateTime, const QString& pattern,
                              const LocaleSettings& locale) {
    const DateTimeParts parts = DecodeDateTime(dateTime);
    DateWriter writer(parts, locale);
    if (pattern.isEmpty())
        return writer.write(QStringLiteral("c"), 0);
    return writer.write(pattern, 0);
}

QString FormatDateTimePattern(double dateTime, const QString& pattern) {
    return FormatDateTimePattern(dateTime, pattern, localeSettings());
}

double StrToDate(const QString& input, const LocaleSettings& locale) {
    const QString text = input.trimmed();
    QList<int> numbers;
    QString separators = QStringLiteral("/-. ");
    separators += locale.dateSeparator;
    if (!splitNumbers(text, separators, numbers) || numbers.size() < 2 || numbers.size() > 3)
        notADate(input);
    // The order of day, month and year follows the short date format.
    const QString fmt = locale.shortDateFormat.toLower();
    const qsizetype dPos = fmt.indexOf(QLatin1Char('d'));
    const qsizetype mPos = fmt.indexOf(QLatin1Char('m'));
    const qsizetype yPos = fmt.indexOf(QLatin1Char('y'));
    int day = 0, month = 0, year = QDate::currentDate().year();
    int yearDigits = 4;
    const QStringList parts =
        text.split(QRegularExpression(QStringLiteral("[^0-9]+")), Qt::SkipEmptyParts);
    if (numbers.size() == 3) {
        struct Slot {
            qsizetype pos;
            int which; // 0 day, 1 month, 2 year
        };
        QList<Slot> order{
            {dPos < 0 ? 0 : dPos, 0}, {mPos < 0 ? 1 : mPos, 1}, {yPos < 0 ? 2 : yPos, 2}};
        std::sort(order.begin(), order.end(),
                  [](const Slot& a, const Slot& b) { return a.pos < b.pos; });
        for (int i = 0; i < 3; ++i) {
            if (order[i].which == 0)
                day = numbers[i];
            else if (order[i].which == 1)
                month = numbers[i];
            else {
                year = numbers[i];
                yearDigits = int(parts[i].size());
            }
        }
        year = expandYear(year, yearDigits);
    } else {
        const bool monthFirst = mPos >= 0 && dPos >= 0 && mPos < dPos;
        day = monthFirst ? numbers[1] : numbers[0];
        month = monthFirst ? numbers[0] : numbers[1];
    }
    const QDate date(year, month, day);
    if (!date.isValid() || year < 1 || year > 9999)
        notADate(input);
    return double(kDayZero.daysTo(date));
}

double StrToTime(const QString& input, const LocaleSettings& locale) {
    QString text = input.trimmed();
    int ampm = 0; // 1 am, 2 pm
    auto takeSuffix = [&](const QString& suffix, int kind) {
        if (!suffix.isEmpty() && text.endsWith(suffix, Qt::CaseInsensitive)) {
            text.chop(suffix.size());
            text = text.trimmed();
            ampm = kind;
            return true;
        }
        return false;
    };
    takeSuffix(QStringLiteral("AM"), 1) || takeSuffix(QStringLiteral("PM"), 2) ||
        takeSuffix(locale.timeAMString, 1) || takeSuffix(locale.timePMString, 2);
    QString separators = QStringLiteral(":.");
    separators += locale.timeSeparator;
    QList<int> numbers;
    if (!splitNumbers(text, separators, numbers) || numbers.size() < 2 || numbers.size() > 3)
        notATime(input);
    int hour = numbers[0];
    if (ampm != 0) {
        if (hour < 1 || hour > 12)
            notATime(input);
        hour %= 12;
        if (ampm == 2)
            hour += 12;
    }
    const int second = numbers.size() == 3 ? numbers[2] : 0;
    if (hour > 23 || numbers[1] > 59 || second > 59)
        notATime(input);
    return EncodeTime(hour, numbers[1], second, 0);
}

double StrToDate(const QString& text) {
    return StrToDate(text, localeSettings());
}
double StrToTime(const QString& text) {
    return StrToTime(text, localeSettings());
}

} // namespace vx
