#include "expr/variant.h"

#include "expr/decimal_text.h"
#include "expr/format.h"
#include "platform/errors.h"
#include "platform/locale_settings.h"

#include <cmath>
#include <limits>
#include <string>

namespace vx {

namespace {

// 2^63 as a double: the first value that no longer fits a signed 64-bit integer.
constexpr double kTwo63 = 9223372036854775808.0;

const char* typeName(VariantKind k) {
    switch (k) {
    case VariantKind::Empty:
        return "Empty";
    case VariantKind::Null:
        return "Null";
    case VariantKind::Int8:
        return "ShortInt";
    case VariantKind::Int16:
        return "SmallInt";
    case VariantKind::Int32:
        return "Integer";
    case VariantKind::Int64:
        return "Int64";
    case VariantKind::Float:
        return "Double";
    case VariantKind::Currency:
        return "Currency";
    case VariantKind::DateTime:
        return "Date";
    case VariantKind::Boolean:
        return "Boolean";
    case VariantKind::String:
        return "String";
    }
    return "Unknown";
}

[[noreturn]] void throwCannotConvert(VariantKind from, const char* to) {
    throw VxError(QStringLiteral("Could not convert variant of type (%1) into type (%2)")
                      .arg(QLatin1String(typeName(from)), QLatin1String(to)));
}

[[noreturn]] void throwOverflow(VariantKind from, const char* to) {
    throw VxError(QStringLiteral("Overflow while converting variant of type (%1) into type (%2)")
                      .arg(QLatin1String(typeName(from)), QLatin1String(to)));
}

bool isBlank(QChar c) {
    return c.unicode() >= 1 && c.unicode() <= 32;
}

QString trimBlanks(const QString& s) {
    qsizetype b = 0, e = s.size();
    while (b < e && isBlank(s.at(b)))
        ++b;
    while (e > b && isBlank(s.at(e - 1)))
        --e;
    return s.mid(b, e - b);
}

bool isDigit(QChar c) {
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

QString formatCurrency(Currency c, QChar decimal) {
    const bool negative = c.scaled < 0;
    // Work on the unsigned magnitude so that the most negative value is safe.
    const std::uint64_t mag =
        negative ? 0 - static_cast<std::uint64_t>(c.scaled) : static_cast<std::uint64_t>(c.scaled);
    QString out = QString::number(mag / Currency::kScale);
    std::uint64_t frac = mag % Currency::kScale;
    if (frac != 0) {
        QString f = QStringLiteral("%1").arg(frac, 4, 10, QLatin1Char('0'));
        while (f.endsWith(QLatin1Char('0')))
            f.chop(1);
        out += decimal + f;
    }
    return negative ? QLatin1Char('-') + out : out;
}

// The standard text of a date-time: the short date, and the long time when
// the value has a time of day; a value that is only a time shows the time
// alone. A day number outside the years 1 to 9999 has no text: DecodeDateTime
// refuses it with its Italian message.
QString formatDateTime(double days) {
    const DateTimeParts parts = DecodeDateTime(days);
    const LocaleSettings& ls = localeSettings();
    const bool hasTime = parts.hour || parts.minute || parts.second || parts.msec;
    const bool hasDay = std::trunc(days) != 0;
    QString out;
    if (hasDay || !hasTime)
        out = FormatDateTimePattern(days, ls.shortDateFormat, ls);
    if (hasTime) {
        if (!out.isEmpty())
            out += QLatin1Char(' ');
        out += FormatDateTimePattern(days, ls.longTimeFormat, ls);
    }
    return out;
}

} // namespace

QString FormatFloatGeneral(double v, QChar decimalSeparator) {
    return FormatGeneralFloat(v, decimalSeparator);
}

QString FormatCurrencyPlain(Currency v, QChar decimalSeparator) {
    return formatCurrency(v, decimalSeparator);
}

// ---------------------------------------------------------------------------
// Currency

Currency Currency::fromDouble(double v) {
    if (!std::isfinite(v))
        throwOverflow(VariantKind::Float, "Currency");
    // The decimal value of the double (the digits that read back as it),
    // rounded to four places: 123456789012345 stays whole, where the binary
    // product v * 10000 would gain a stray fraction.
    DecimalDigits d = ShortestDecimalDigitsOf(v);
    RoundDecimalDigits(d, 4, DecimalTies::ToEven);
    const int places = d.exp + 4; // digits of the scaled integer
    if (places > 19)
        throwOverflow(VariantKind::Float, "Currency");
    std::uint64_t magnitude = 0;
    for (int i = 0; i < places; ++i)
        if (__builtin_mul_overflow(magnitude, std::uint64_t{10}, &magnitude) ||
            __builtin_add_overflow(magnitude, std::uint64_t(d.at(i) - '0'), &magnitude))
            throwOverflow(VariantKind::Float, "Currency");
    const std::uint64_t limit = std::uint64_t{1} << 63;
    if (magnitude > (d.negative ? limit : limit - 1))
        throwOverflow(VariantKind::Float, "Currency");
    return Currency{d.negative ? static_cast<std::int64_t>(0 - magnitude)
                               : static_cast<std::int64_t>(magnitude)};
}

// ---------------------------------------------------------------------------
// Free conversions

QString ClipForMessage(const QString& text) {
    if (text.size() <= kMaxQuotedChars)
        return text;
    // Never half of a character outside the basic plane.
    const qsizetype n =
        text.at(kMaxQuotedChars - 1).isHighSurrogate() ? kMaxQuotedChars - 1 : kMaxQuotedChars;
    return text.left(n) + QStringLiteral("...");
}

QChar SystemDecimalSeparator() {
    return localeSettings().decimalSeparator;
}

std::int64_t RoundHalfEven(double v) {
    // nearbyint follows the current rounding mode, round-to-nearest-even.
    const double r = std::nearbyint(v);
    if (!std::isfinite(r) || r >= kTwo63 || r < -kTwo63)
        throwOverflow(VariantKind::Float, "Int64");
    return static_cast<std::int64_t>(r);
}

bool TryStrToFloat(const QString& text, double* out) {
    const QString t = trimBlanks(text);
    const QChar decimal = SystemDecimalSeparator();
    // The system decimal separator becomes "." for the locale-independent
    // reading; any other character outside the number's grammar refuses it.
    std::string c;
    c.reserve(size_t(t.size()));
    for (const QChar ch : t) {
        if (ch == decimal)
            c += '.';
        else if (isDigit(ch) || ch == QLatin1Char('+') || ch == QLatin1Char('-') ||
                 ch == QLatin1Char('e') || ch == QLatin1Char('E'))
            c += static_cast<char>(ch.unicode());
        else
            return false;
    }
    return ParseDecimalText(c, out);
}

double StrToFloat(const QString& text) {
    double v = 0;
    if (!TryStrToFloat(text, &v))
        throw VxError(
            QStringLiteral("'%1' is not a valid floating point value").arg(ClipForMessage(text)));
    return v;
}

bool TryStrToInt64(const QString& text, std::int64_t* out) {
    const QString t = trimBlanks(text);
    qsizetype i = 0;
    const qsizetype n = t.size();
    bool negative = false;
    if (i < n && (t.at(i) == QLatin1Char('+') || t.at(i) == QLatin1Char('-')))
        negative = t.at(i++) == QLatin1Char('-');
    if (i == n)
        return false;
    std::uint64_t mag = 0;
    for (; i < n; ++i) {
        if (!isDigit(t.at(i)))
            return false;
        const unsigned d = t.at(i).unicode() - '0';
        if (mag > (std::numeric_limits<std::uint64_t>::max() - d) / 10)
            return false;
        mag = mag * 10 + d;
    }
    const std::uint64_t limit = negative ? (std::uint64_t{1} << 63) : (std::uint64_t{1} << 63) - 1;
    if (mag > limit)
        return false;
    *out = negative ? static_cast<std::int64_t>(0 - mag) : static_cast<std::int64_t>(mag);
    return true;
}

std::int64_t StrToInt64(const QString& text) {
    std::int64_t v = 0;
    if (!TryStrToInt64(text, &v))
        throw VxError(
            QStringLiteral("'%1' is not a valid integer value").arg(ClipForMessage(text)));
    return v;
}

bool TryStrToBool(const QString& text, bool* out) {
    const QString t = trimBlanks(text);
    if (t.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0) {
        *out = true;
        return true;
    }
    if (t.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0) {
        *out = false;
        return true;
    }
    double d = 0;
    if (TryStrToFloat(t, &d)) {
        *out = d != 0;
        return true;
    }
    return false;
}

// ---------------------------------------------------------------------------
// Variant

Variant Variant::null() {
    Variant v;
    v.kind_ = VariantKind::Null;
    return v;
}

Variant Variant::fromInt8(std::int8_t x) {
    Variant v(static_cast<long long>(x));
    v.kind_ = VariantKind::Int8;
    return v;
}

Variant Variant::fromInt16(std::int16_t x) {
    Variant v(static_cast<long long>(x));
    v.kind_ = VariantKind::Int16;
    return v;
}

Variant Variant::fromInt32(std::int32_t x) {
    return Variant(static_cast<int>(x));
}

Variant Variant::fromInt64(std::int64_t x) {
    return Variant(static_cast<long long>(x));
}

Variant Variant::fromDateTime(double days) {
    Variant v(days);
    v.kind_ = VariantKind::DateTime;
    return v;
}

bool Variant::isInteger() const {
    return kind_ == VariantKind::Int8 || kind_ == VariantKind::Int16 ||
           kind_ == VariantKind::Int32 || kind_ == VariantKind::Int64;
}

bool Variant::isNumeric() const {
    return isInteger() || isFloat() || isCurrency() || isDateTime();
}

double Variant::toDouble() const {
    switch (kind_) {
    case VariantKind::Empty:
        return 0;
    case VariantKind::Int8:
    case VariantKind::Int16:
    case VariantKind::Int32:
    case VariantKind::Int64:
        return static_cast<double>(u_.i);
    case VariantKind::Float:
    case VariantKind::DateTime:
        return u_.d;
    case VariantKind::Currency:
        return currencyValue().toDouble();
    case VariantKind::Boolean:
        return u_.b ? -1.0 : 0.0;
    case VariantKind::String:
        return StrToFloat(s_);
    case VariantKind::Null:
        break;
    }
    throwCannotConvert(kind_, "Double");
}

std::int64_t Variant::toInt64() const {
    switch (kind_) {
    case VariantKind::Empty:
        return 0;
    case VariantKind::Int8:
    case VariantKind::Int16:
    case VariantKind::Int32:
    case VariantKind::Int64:
        return u_.i;
    case VariantKind::Float:
    case VariantKind::DateTime:
        return RoundHalfEven(u_.d);
    case VariantKind::Currency: {
        // Exact half-to-even rounding of the scaled integer.
        const std::int64_t q = u_.i / Currency::kScale;
        const std::int64_t r = u_.i % Currency::kScale;
        const std::int64_t half = Currency::kScale / 2;
        if (r > half || (r == half && (q & 1)))
            return q + 1;
        if (r < -half || (r == -half && (q & 1)))
            return q - 1;
        return q;
    }
    case VariantKind::Boolean:
        return u_.b ? -1 : 0;
    case VariantKind::String: {
        std::int64_t i = 0;
        if (TryStrToInt64(s_, &i))
            return i;
        double d = 0;
        if (TryStrToFloat(s_, &d))
            return RoundHalfEven(d);
        bool b = false;
        if (TryStrToBool(s_, &b))
            return b ? -1 : 0;
        break;
    }
    case VariantKind::Null:
        break;
    }
    throwCannotConvert(kind_, "Integer");
}

std::int32_t Variant::toInt32() const {
    const std::int64_t v = toInt64();
    if (v < std::numeric_limits<std::int32_t>::min() ||
        v > std::numeric_limits<std::int32_t>::max())
        throwOverflow(kind_, "Integer");
    return static_cast<std::int32_t>(v);
}

Currency Variant::toCurrency() const {
    switch (kind_) {
    case VariantKind::Empty:
        return Currency{};
    case VariantKind::Currency:
        return currencyValue();
    case VariantKind::Int8:
    case VariantKind::Int16:
    case VariantKind::Int32:
    case VariantKind::Int64: {
        std::int64_t scaled = 0;
        if (__builtin_mul_overflow(u_.i, Currency::kScale, &scaled))
            throwOverflow(kind_, "Currency");
        return Currency{scaled};
    }
    case VariantKind::Boolean:
        return Currency::fromInt(u_.b ? -1 : 0);
    case VariantKind::Float:
    case VariantKind::DateTime:
    case VariantKind::String:
        return Currency::fromDouble(toDouble());
    case VariantKind::Null:
        break;
    }
    throwCannotConvert(kind_, "Currency");
}

double Variant::toDateTime() const {
    if (kind_ == VariantKind::Null)
        throwCannotConvert(kind_, "Date");
    return toDouble();
}

bool Variant::toBool() const {
    switch (kind_) {
    case VariantKind::Empty:
        return false;
    case VariantKind::Int8:
    case VariantKind::Int16:
    case VariantKind::Int32:
    case VariantKind::Int64:
    case VariantKind::Currency:
        return u_.i != 0;
    case VariantKind::Float:
    case VariantKind::DateTime:
        return u_.d != 0;
    case VariantKind::Boolean:
        return u_.b;
    case VariantKind::String: {
        bool b = false;
        if (TryStrToBool(s_, &b))
            return b;
        break;
    }
    case VariantKind::Null:
        break;
    }
    throwCannotConvert(kind_, "Boolean");
}

QString Variant::toString() const {
    switch (kind_) {
    case VariantKind::Empty:
    case VariantKind::Null:
        return QString();
    case VariantKind::Int8:
    case VariantKind::Int16:
    case VariantKind::Int32:
    case VariantKind::Int64:
        return QString::number(u_.i);
    case VariantKind::Float:
        return FormatFloatGeneral(u_.d, SystemDecimalSeparator());
    case VariantKind::Currency:
        return formatCurrency(currencyValue(), SystemDecimalSeparator());
    case VariantKind::DateTime:
        return formatDateTime(u_.d);
    case VariantKind::Boolean:
        return u_.b ? QStringLiteral("True") : QStringLiteral("False");
    case VariantKind::String:
        return s_;
    }
    return QString();
}

bool operator==(const Variant& a, const Variant& b) {
    if (a.kind_ != b.kind_)
        return false;
    switch (a.kind_) {
    case VariantKind::Empty:
    case VariantKind::Null:
        return true;
    case VariantKind::Float:
    case VariantKind::DateTime:
        return a.u_.d == b.u_.d;
    case VariantKind::Boolean:
        return a.u_.b == b.u_.b;
    case VariantKind::String:
        return a.s_ == b.s_;
    default:
        return a.u_.i == b.u_.i;
    }
}

const char* Variant::kindName(VariantKind kind) {
    switch (kind) {
    case VariantKind::Empty:
        return "empty";
    case VariantKind::Null:
        return "null";
    case VariantKind::Int8:
    case VariantKind::Int16:
    case VariantKind::Int32:
    case VariantKind::Int64:
        return "integer";
    case VariantKind::Float:
        return "float";
    case VariantKind::Currency:
        return "currency";
    case VariantKind::DateTime:
        return "datetime";
    case VariantKind::Boolean:
        return "boolean";
    case VariantKind::String:
        return "string";
    }
    return "empty";
}

} // namespace vx
