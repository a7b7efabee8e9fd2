// The built-in functions of the expression language.
#include "expr/functions.h"
#include "expr/euro.h"
#include "expr/evaluator.h"
#include "expr/format.h"
#include "expr/number_words.h"
#include "platform/errors.h"
#include "platform/locale_settings.h"
#include "platform/process_state.h"

#include <cmath>
#include <limits>
#include <map>

namespace vx {

namespace {

[[noreturn]] void fail(const char* what) {
    throw VxError(QString::fromLatin1(what));
}

double finite(double v) {
    if (!std::isfinite(v))
        fail("risultato non finito");
    return v;
}

// A whole number as the integer functions give it: 32 bits when it fits, 64
// bits beyond (never the low bits of a larger number).
Variant wholeNumber(double v) {
    if (!std::isfinite(v) || v < -9.2233720368547758e18 || v >= 9.2233720368547758e18)
        fail("intero fuori intervallo");
    const auto n = static_cast<std::int64_t>(v);
    if (n >= std::numeric_limits<std::int32_t>::min() &&
        n <= std::numeric_limits<std::int32_t>::max())
        return Variant::fromInt32(std::int32_t(n));
    return Variant::fromInt64(n);
}

Variant int32Result(qsizetype n) {
    return Variant::fromInt32(std::int32_t(n));
}

Variant fnStr(const FunctionArgs& a) {
    return Variant(FormatGeneralFloat(a.asFloat(0), SystemDecimalSeparator()));
}

Variant fnFillStr(const FunctionArgs& a) {
    const std::int64_t n = a.asInteger(0);
    const QString s = a.asString(1);
    if (n <= 0 || s.isEmpty())
        return Variant(QString());
    if (n > kMaxExprStringLength / s.size())
        fail("testo troppo lungo");
    return Variant(s.repeated(qsizetype(n)));
}

Variant fnCeil(const FunctionArgs& a) {
    const double x = finite(a.asFloat(0));
    const double t = std::trunc(x);
    return wholeNumber(x - t > 0 ? t + 1 : t);
}

Variant fnFloor(const FunctionArgs& a) {
    const double x = finite(a.asFloat(0));
    const double t = std::trunc(x);
    return wholeNumber(x - t < 0 ? t - 1 : t);
}

Variant fnIf(const FunctionArgs& a) {
    const Variant condition = a.value(0);
    return CompareVariants(ExprOp::Equal, condition, Variant(1)) ? a.value(1) : a.value(2);
}

Variant fnInt(const FunctionArgs& a) {
    return Variant(std::trunc(finite(a.asFloat(0))));
}

Variant fnFrac(const FunctionArgs& a) {
    const double x = finite(a.asFloat(0));
    return Variant(x - std::trunc(x));
}

template <double (*F)(double)> Variant unaryMath(const FunctionArgs& a) {
    return Variant(finite(F(a.asFloat(0))));
}

double absolute(double x) {
    return std::fabs(x);
}
double square(double x) {
    return x * x;
}

Variant fnLn(const FunctionArgs& a) {
    const double x = a.asFloat(0);
    if (!(x > 0))
        fail("logaritmo di un numero non positivo");
    return Variant(finite(std::log(x)));
}

Variant fnSqrt(const FunctionArgs& a) {
    const double x = a.asFloat(0);
    if (!(x >= 0))
        fail("radice di un numero negativo");
    return Variant(finite(std::sqrt(x)));
}

Variant fnPower(const FunctionArgs& a) {
    const double x = a.asFloat(0);
    const double y = a.asFloat(1);
    if (!(x > 0))
        fail("base non positiva");
    return Variant(finite(std::exp(y * std::log(x))));
}

Variant fnPos(const FunctionArgs& a) {
    const QString needle = a.asString(0);
    const QString haystack = a.asString(1);
    if (needle.isEmpty())
        return int32Result(0);
    return int32Result(haystack.indexOf(needle) + 1);
}

Variant fnLength(const FunctionArgs& a) {
    return int32Result(a.asString(0).size());
}

Variant fnRound(const FunctionArgs& a) {
    return wholeNumber(double(RoundHalfEven(finite(a.asFloat(0)))));
}

Variant fnTrunc(const FunctionArgs& a) {
    return wholeNumber(std::trunc(finite(a.asFloat(0))));
}

Variant fnUpper(const FunctionArgs& a) {
    return Variant(AsciiUpper(a.asString(0)));
}
Variant fnLower(const FunctionArgs& a) {
    return Variant(AsciiLower(a.asString(0)));
}
Variant fnNameCase(const FunctionArgs& a) {
    return Variant(NameCase(a.asString(0)));
}
Variant fnPhraseCase(const FunctionArgs& a) {
    return Variant(PhraseCase(a.asString(0)));
}

Variant fnCopy(const FunctionArgs& a) {
    const QString s = a.asString(0);
    std::int64_t start = a.asInteger(1);
    const std::int64_t count = a.asInteger(2);
    if (start < 1)
        start = 1;
    if (start > s.size() || count <= 0)
        return Variant(QString());
    return Variant(s.mid(qsizetype(start - 1), qsizetype(std::min<std::int64_t>(count, s.size()))));
}

Variant fnVal(const FunctionArgs& a) {
    return Variant(StrToFloat(a.asString(0)));
}

Variant fnStrToDate(const FunctionArgs& a) {
    return Variant::fromDateTime(StrToDate(a.asString(0)));
}
Variant fnStrToTime(const FunctionArgs& a) {
    return Variant::fromDateTime(StrToTime(a.asString(0)));
}

Variant fnFormatFloat(const FunctionArgs& a) {
    const QString pattern = a.asString(0);
    const double v = a.asFloat(1);
    const LocaleSettings& l = localeSettings();
    return Variant(FormatFloatPattern(v, pattern, l.decimalSeparator, l.thousandSeparator));
}

Variant fnFormatDateTime(const FunctionArgs& a) {
    const QString pattern = a.asString(0);
    return Variant(FormatDateTimePattern(a.asDateTime(1), pattern));
}

Variant fnNumberToLetter(const FunctionArgs& a) {
    return Variant(NumberToLetter(a.value(0)));
}
Variant fnEuro(const FunctionArgs& a) {
    return Variant(EuroText(a.value(0)));
}
Variant fnMoney(const FunctionArgs& a) {
    return Variant(MoneyText(a.value(0)));
}
Variant fnMoneyToEuro(const FunctionArgs& a) {
    return Variant(MoneyToEuroText(a.value(0)));
}
Variant fnMoneyToEuroVal(const FunctionArgs& a) {
    return Variant(MoneyToEuroValue(a.value(0)));
}
Variant fnEuroToMoney(const FunctionArgs& a) {
    return Variant(EuroToMoneyText(a.value(0)));
}
Variant fnEuroToMoneyVal(const FunctionArgs& a) {
    return Variant(EuroToMoneyValue(a.value(0)));
}

using Table = std::map<QString, FunctionEntry>;

void add(Table& t, const char* name, int minArgs, int maxArgs, BuiltinFunction body) {
    FunctionEntry e;
    e.name = QString::fromLatin1(name);
    e.minArgs = minArgs;
    e.maxArgs = maxArgs;
    e.body = std::move(body);
    t[e.name] = std::move(e);
}

Table makeTable() {
    Table t;
    // Dispatched by the report (no body): aggregates and database functions.
    add(t, "COUNT", 0, 1, {});
    add(t, "SUM", 1, 1, {});
    add(t, "AVG", 1, 1, {});
    add(t, "MIN", 1, 1, {});
    add(t, "MAX", 1, 1, {});
    add(t, "FINDLOOKUP", 4, 4, {});
    add(t, "SQL", 0, kAnyArgCount, {});

    add(t, "STR", 1, 1, fnStr);
    add(t, "FILLSTR", 2, 2, fnFillStr);
    add(t, "CEIL", 1, 1, fnCeil);
    add(t, "FLOOR", 1, 1, fnFloor);
    add(t, "IF", 3, 3, fnIf);
    add(t, "INT", 1, 1, fnInt);
    add(t, "FRAC", 1, 1, fnFrac);
    add(t, "ABS", 1, 1, unaryMath<absolute>);
    add(t, "ARCTAN", 1, 1, unaryMath<static_cast<double (*)(double)>(std::atan)>);
    add(t, "COS", 1, 1, unaryMath<static_cast<double (*)(double)>(std::cos)>);
    add(t, "EXP", 1, 1, unaryMath<static_cast<double (*)(double)>(std::exp)>);
    add(t, "LN", 1, 1, fnLn);
    add(t, "SIN", 1, 1, unaryMath<static_cast<double (*)(double)>(std::sin)>);
    add(t, "SQR", 1, 1, unaryMath<square>);
    add(t, "SQRT", 1, 1, fnSqrt);
    add(t, "POS", 2, 2, fnPos);
    add(t, "LENGTH", 1, 1, fnLength);
    add(t, "ROUND", 1, 1, fnRound);
    add(t, "TRUNC", 1, 1, fnTrunc);
    add(t, "POWER", 2, 2, fnPower);
    add(t, "UPPERCASE", 1, 1, fnUpper);
    add(t, "LOWERCASE", 1, 1, fnLower);
    add(t, "COPY", 3, 3, fnCopy);
    add(t, "VAL", 1, 1, fnVal);
    add(t, "STRTODATE", 1, 1, fnStrToDate);
    add(t, "STRTOTIME", 1, 1, fnStrToTime);
    add(t, "NAMECASE", 1, 1, fnNameCase);
    add(t, "PHRASECASE", 1, 1, fnPhraseCase);
    add(t, "FORMATFLOAT", 2, 2, fnFormatFloat);
    add(t, "FORMATDATETIME", 2, 2, fnFormatDateTime);
    add(t, "NUMBERTOLETTER", 1, 1, fnNumberToLetter);
    add(t, "EURO", 1, 1, fnEuro);
    add(t, "MONEY", 1, 1, fnMoney);
    add(t, "MONEYTOEURO", 1, 1, fnMoneyToEuro);
    add(t, "MONEYTOEUROVAL", 1, 1, fnMoneyToEuroVal);
    add(t, "EUROTOMONEY", 1, 1, fnEuroToMoney);
    add(t, "EUROTOMONEYVAL", 1, 1, fnEuroToMoneyVal);
    return t;
}

// The function library's part of the library state: the built-in functions
// and those registered after them (registrations made at module
// initialisation come back after a reset through their initialisers).
struct FunctionRegistry : DefaultResetPart<FunctionRegistry> {
    Table functions = makeTable();
};

Table& table() {
    return libraryState().part<FunctionRegistry>().functions;
}

bool isAsciiLetter(QChar c) {
    return (c >= QLatin1Char('a') && c <= QLatin1Char('z')) ||
           (c >= QLatin1Char('A') && c <= QLatin1Char('Z'));
}

} // namespace

QString WrongParamCountMessage(const QString& upperName) {
    return QString::fromUtf8(kMsgWrongParamCount) + upperName;
}

QString BadParamTypesMessage(const QString& upperName, const QStringList& rawArgs) {
    return QString::fromUtf8(kMsgBadParamTypes) + upperName + QStringLiteral(" (") +
           ClipForMessage(rawArgs.join(QLatin1Char(','))) + QLatin1Char(')');
}

FunctionArgs::FunctionArgs(const QStringList& raw, Evaluate evaluate)
    : raw_(raw), evaluate_(std::move(evaluate)) {}

Variant FunctionArgs::value(int i) const {
    if (i < 0 || i >= raw_.size())
        return Variant();
    if (evaluate_)
        return evaluate_(raw_[i]);
    return EvaluateExpression(raw_[i]);
}

double FunctionArgs::asFloat(int i) const {
    return value(i).toDouble();
}
std::int64_t FunctionArgs::asInteger(int i) const {
    return value(i).toInt64();
}
double FunctionArgs::asDateTime(int i) const {
    return value(i).toDateTime();
}
Currency FunctionArgs::asCurrency(int i) const {
    return value(i).toCurrency();
}

QString FunctionArgs::asString(int i) const {
    const Variant v = value(i);
    if (v.isNull())
        throw VxError(QStringLiteral("Valore nullo"));
    return v.toString();
}

const FunctionEntry* FindBuiltinFunction(const QString& upperName) {
    const Table& t = table();
    const auto it = t.find(upperName);
    return it == t.end() ? nullptr : &it->second;
}

void RegisterBuiltinFunction(FunctionEntry entry) {
    QString name = entry.name;
    table()[name] = std::move(entry);
}

QStringList BuiltinFunctionNames() {
    QStringList names;
    for (const auto& [name, entry] : table())
        names << name;
    return names;
}

bool ArgCountAccepted(const FunctionEntry& entry, int count) {
    if (entry.minArgs == kAnyArgCount)
        return true;
    if (count < entry.minArgs)
        return false;
    return entry.maxArgs == kAnyArgCount || count <= entry.maxArgs;
}

CallOutcome CallBuiltinFunction(const QString& upperName, const QStringList& rawArgs,
                                Variant& result, QString* message,
                                FunctionArgs::Evaluate evaluate) {
    result = Variant();
    const FunctionEntry* entry = FindBuiltinFunction(upperName);
    if (!entry || !entry->body)
        return CallOutcome::NotBuiltin;
    if (!ArgCountAccepted(*entry, int(rawArgs.size()))) {
        if (message)
            *message = WrongParamCountMessage(upperName);
        return CallOutcome::WrongArgCount;
    }
    try {
        FunctionArgs args(rawArgs, std::move(evaluate));
        result = entry->body(args);
        // One cap on every string an expression builds, FILLSTR's.
        if (result.isString())
            TvxExpr::instance().ChargeBuiltString(result.stringValue().size());
        return CallOutcome::Done;
    } catch (const ExprNestingError&) {
        throw;
    } catch (const std::exception&) {
        result = Variant();
        if (message)
            *message = BadParamTypesMessage(upperName, rawArgs);
        return CallOutcome::Failed;
    }
}

QString AsciiUpper(const QString& text) {
    QString out = text;
    for (QChar& c : out)
        if (c >= QLatin1Char('a') && c <= QLatin1Char('z'))
            c = QChar(char16_t(c.unicode() - 32));
    return out;
}

QString AsciiLower(const QString& text) {
    QString out = text;
    for (QChar& c : out)
        if (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))
            c = QChar(char16_t(c.unicode() + 32));
    return out;
}

QString NameCase(const QString& text) {
    if (text.isEmpty())
        return text;
    return AsciiUpper(text.left(1)) + AsciiLower(text.mid(1));
}

QString PhraseCase(const QString& text) {
    QString out = AsciiLower(text);
    for (qsizetype i = 0; i < out.size(); ++i)
        if (i == 0 || !isAsciiLetter(out[i - 1]))
            out[i] = AsciiUpper(QString(out[i]))[0];
    return out;
}

} // namespace vx
