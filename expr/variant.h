#pragma once

// vx::Variant: the tagged value of expressions and data.
//
// Kinds: empty (unassigned), null (the database null), signed integers of 8,
// 16, 32 and 64 bits, 64-bit float, currency (a 64-bit integer scaled by
// 10000, so four decimals), date-time (a float counting days from
// 30 December 1899, the fraction being the time of day), boolean and string.
//
// The conversions follow the expression language's value rules: booleans
// count as -1 (true) and 0 (false), real-to-integer conversions round halves
// to even, strings are read with the system decimal separator. A conversion
// that the language rejects throws vx::VxError with the system's message.
// No conversion depends on the C library's locale.

#include <QString>

#include <cstdint>

namespace vx {

enum class VariantKind : std::uint8_t {
    Empty,
    Null,
    Int8,
    Int16,
    Int32,
    Int64,
    Float,
    Currency,
    DateTime,
    Boolean,
    String,
};

// A currency amount: a 64-bit integer counting ten-thousandths.
struct Currency {
    static constexpr std::int64_t kScale = 10000;

    std::int64_t scaled = 0;

    static constexpr Currency fromScaled(std::int64_t v) { return Currency{v}; }
    // Rounds to four decimals, halves to even. Throws VxError when the value
    // does not fit the currency range (about +-922 337 203 685 477).
    static Currency fromDouble(double v);
    static constexpr Currency fromInt(std::int64_t units) { return Currency{units * kScale}; }

    double toDouble() const { return static_cast<double>(scaled) / kScale; }

    friend constexpr bool operator==(Currency a, Currency b) { return a.scaled == b.scaled; }
    friend constexpr auto operator<=>(Currency a, Currency b) { return a.scaled <=> b.scaled; }
};

class Variant {
public:
    Variant() = default; // empty
    Variant(bool v) : kind_(VariantKind::Boolean) { u_.b = v; }
    Variant(int v) : kind_(VariantKind::Int32) { u_.i = v; }
    Variant(long v) : kind_(VariantKind::Int64) { u_.i = v; }
    Variant(long long v) : kind_(VariantKind::Int64) { u_.i = v; }
    Variant(double v) : kind_(VariantKind::Float) { u_.d = v; }
    Variant(Currency v) : kind_(VariantKind::Currency) { u_.i = v.scaled; }
    Variant(const QString& v) : kind_(VariantKind::String), s_(v) {}
    Variant(QString&& v) : kind_(VariantKind::String), s_(std::move(v)) {}
    Variant(const char* utf8) : kind_(VariantKind::String), s_(QString::fromUtf8(utf8)) {}

    static Variant empty() { return Variant(); }
    static Variant null();
    static Variant fromInt8(std::int8_t v);
    static Variant fromInt16(std::int16_t v);
    static Variant fromInt32(std::int32_t v);
    static Variant fromInt64(std::int64_t v);
    static Variant fromDouble(double v) { return Variant(v); }
    static Variant fromCurrency(Currency v) { return Variant(v); }
    static Variant fromDateTime(double days);
    static Variant fromBool(bool v) { return Variant(v); }
    static Variant fromString(const QString& v) { return Variant(v); }

    VariantKind kind() const { return kind_; }
    bool isEmpty() const { return kind_ == VariantKind::Empty; }
    bool isNull() const { return kind_ == VariantKind::Null; }
    bool isInteger() const; // any of the four widths
    bool isFloat() const { return kind_ == VariantKind::Float; }
    bool isCurrency() const { return kind_ == VariantKind::Currency; }
    bool isDateTime() const { return kind_ == VariantKind::DateTime; }
    bool isBool() const { return kind_ == VariantKind::Boolean; }
    bool isString() const { return kind_ == VariantKind::String; }
    // Integer, float, currency or date-time.
    bool isNumeric() const;

    // Raw payloads; valid only for the matching kind.
    std::int64_t intValue() const { return u_.i; }
    double floatValue() const { return u_.d; } // float and date-time
    Currency currencyValue() const { return Currency{u_.i}; }
    bool boolValue() const { return u_.b; }
    const QString& stringValue() const { return s_; }

    // Conversions. Empty converts to the zero of the target (0, "", false);
    // null does not convert and throws, as the language's conversions do.
    double toDouble() const;
    std::int64_t toInt64() const; // floats round halves to even
    std::int32_t toInt32() const; // toInt64 checked against the 32-bit range
    Currency toCurrency() const;  // rounded to four decimals
    double toDateTime() const;    // day number
    bool toBool() const;          // non-zero is true; strings "True"/"False" or a number
    // The standard conversion to text: empty and null give "", integers their
    // digits, floats up to 15 significant digits with the system decimal
    // separator, currency at most 4 decimals, date-times the short date and
    // the time when there is one (a date outside 1/1/1 - 31/12/9999 has no
    // text and throws VxError), booleans "True"/"False", strings themselves.
    QString toString() const;

    // Exact structural equality (same kind and payload); for tests and
    // containers. The language's comparison rules are in the evaluator.
    friend bool operator==(const Variant& a, const Variant& b);

    // The name of the kind as vxtool prints it: empty, null, integer, float,
    // currency, datetime, boolean, string.
    static const char* kindName(VariantKind kind);

private:
    VariantKind kind_ = VariantKind::Empty;
    union {
        std::int64_t i;
        double d;
        bool b;
    } u_{0};
    QString s_;
};

// Text-to-number conversions of the system (locale-aware, blanks around the
// number ignored). They throw VxError with the system's message
// "'%s' is not a valid floating point value" / "'%s' is not a valid integer value".
double StrToFloat(const QString& text);
bool TryStrToFloat(const QString& text, double* out);
std::int64_t StrToInt64(const QString& text);
bool TryStrToInt64(const QString& text, std::int64_t* out);
// "True"/"False" in any case, or a number (non-zero is true).
bool TryStrToBool(const QString& text, bool* out);

// Error messages repeat at most this many characters of the text they
// complain about, so that a huge expression or value gives a short message.
inline constexpr qsizetype kMaxQuotedChars = 100;
// The text as a message quotes it: whole when short, otherwise its first
// kMaxQuotedChars characters followed by "...".
QString ClipForMessage(const QString& text);

// Round to the nearest integer, halves to even. Throws VxError when the value
// is not finite or does not fit 64 bits.
std::int64_t RoundHalfEven(double v);

// The general number format: up to 15 significant digits, no trailing zeros,
// fixed notation for values from 0.00001 below 1E15, scientific ("1,5E-7",
// "1E15") otherwise.
QString FormatFloatGeneral(double v, QChar decimalSeparator);
// A currency amount with at most four decimals and no trailing zeros.
QString FormatCurrencyPlain(Currency v, QChar decimalSeparator);

// The system decimal separator used by string-to-number conversions and by
// the standard conversion to text.
QChar SystemDecimalSeparator();

} // namespace vx
