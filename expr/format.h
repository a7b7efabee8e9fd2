#pragma once

// Value formatting: the 32-bit format code of report objects, the fixed
// sample texts and patterns of its categories, and the number and date
// pattern engines used by text objects and by the FORMATFLOAT and
// FORMATDATETIME functions.
//
// Format code bits: 24..27 category (0 text, 1 number, 2 date, 3 time,
// 4 logical), 16..23 sub-format (0..3 predefined, 4 the custom pattern),
// 8..15 decimals of the fixed number formats, 0..7 the character code of the
// decimal separator used by the number formats.
//
// Number patterns: "0" a digit always shown, "#" a digit shown when
// significant, the first "." the place of the decimal separator, "," anywhere
// groups the integer part by threes, "E+" "E-" "e+" "e-" an exponent, quoted
// text copied, ";" separates the sections for positive, negative and zero
// values. Values round to the decimals shown, ties away from zero.
//
// Date patterns: d dd ddd dddd ddddd dddddd, m mm mmm mmmm (minutes right
// after an hour), yy yyyy, h hh, n nn, s ss, z zzz, t tt, c, am/pm a/p ampm,
// "/" the date separator, ":" the time separator, quoted text copied.

#include "expr/variant.h"

#include <QChar>
#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>

namespace vx {

struct LocaleSettings;

enum FormatCategory : int {
    fcText = 0,
    fcNumber = 1,
    fcDate = 2,
    fcTime = 3,
    fcLogical = 4,
};
inline constexpr int kFormatCategoryCount = 5;
inline constexpr int kCustomSubFormat = 4;

constexpr int FormatCategoryOf(int32_t code) {
    return (code >> 24) & 0x0F;
}
constexpr int FormatSubFormatOf(int32_t code) {
    return (code >> 16) & 0xFF;
}
constexpr int FormatDecimalsOf(int32_t code) {
    return (code >> 8) & 0xFF;
}
constexpr int FormatSeparatorCodeOf(int32_t code) {
    return code & 0xFF;
}
constexpr int32_t MakeFormatCode(int category, int subFormat, int decimals, int separatorCode) {
    return int32_t((uint32_t(category & 0x0F) << 24) | (uint32_t(subFormat & 0xFF) << 16) |
                   (uint32_t(decimals & 0xFF) << 8) | uint32_t(separatorCode & 0xFF));
}
// A new object's code: text, sub-format 0, 2 decimals, the system decimal separator.
int32_t DefaultObjectFormatCode();

// "Testo", "Numero", "Data", "Orario", "Logico".
extern const std::array<QString, kFormatCategoryCount> FormatCategoryNames;
// The format dialog's sample texts of a category, sub-formats 0..4 (empty
// entries are not listed). Empty list for a category out of range.
QStringList FormatSampleTexts(int category);
// Predefined patterns: date and time sub-formats 0..3 ("dd/mm/yy", "hh:nn:ss"...),
// number sub-formats 0 and 2 ("0.##", "0,.##"); empty outside the table.
QString PredefinedDatePattern(int subFormat);
QString PredefinedTimePattern(int subFormat);
QString PredefinedNumberPattern(int subFormat);
// The false (0) / true (1) texts of logical sub-formats 0..2; empty otherwise.
QString LogicalText(int subFormat, bool value);

// The text of a value by a format code and custom pattern, with the
// process-wide locale (the time separator is ":" while it runs). A null or
// empty value gives the empty text; a value the category cannot take gets the
// standard conversion. Throws only when the standard conversion itself fails.
QString FormatValue(const Variant& value, int32_t code, const QString& pattern);
inline void FormatValue(const Variant& value, int32_t code, QString& result,
                        const QString& pattern) {
    result = FormatValue(value, code, pattern);
}

// Number texts with explicit separators.
// General form: up to `precision` significant digits, an exponent ("1E20",
// "1,5E-6") only below 0.00001 or beyond `precision` integer digits.
QString FormatGeneralFloat(double value, QChar decimalSep, int precision = 15);
// Fixed form with `decimals` places and at most `precision` significant
// digits; beyond `precision` integer digits an exponent form "1,234E+015".
QString FormatFixedFloat(double value, int decimals, int precision, bool grouped, QChar decimalSep,
                         QChar thousandSep);
// A number pattern (see above).
QString FormatFloatPattern(double value, const QString& pattern, QChar decimalSep,
                           QChar thousandSep);

// A date pattern (see above) applied to a day number. Throws VxError for a
// day number outside the years 1 to 9999.
QString FormatDateTimePattern(double dateTime, const QString& pattern,
                              const LocaleSettings& locale);
// The same with the process-wide locale.
QString FormatDateTimePattern(double dateTime, const QString& pattern);

// Calendar conversions of day numbers (days since 30 December 1899, the
// fraction the time of day). Throw VxError outside the years 1 to 9999, the
// decoding with kMsgDateOutOfRange followed by the day number.
inline constexpr char kMsgDateOutOfRange[] = "Data fuori dall'intervallo 01/01/0001 - 31/12/9999: ";
struct DateTimeParts {
    int year = 1899, month = 12, day = 30;
    int hour = 0, minute = 0, second = 0, msec = 0;
    int dayOfWeek = 0; // 1 Sunday .. 7 Saturday
};
DateTimeParts DecodeDateTime(double dateTime);
double EncodeDate(int year, int month, int day);
double EncodeTime(int hour, int minute, int second, int msec);

// Text to date/time with the locale: a date in the order of the short date
// format ("05/11/1998", "5/11", "5-11-98"), a time "14:30", "2:30:15 PM".
// Throw VxError "'%s' is not a valid date" / "'%s' is not a valid time".
double StrToDate(const QString& text, const LocaleSettings& locale);
double StrToTime(const QString& text, const LocaleSettings& locale);
double StrToDate(const QString& text);
double StrToTime(const QString& text);

} // namespace vx
