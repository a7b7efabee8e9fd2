#pragma once

// The built-in function library of the expression language: string, math,
// date and conversion functions, and the registry through which the number
// words and currency functions join it. Functions receive their arguments as
// raw texts and evaluate them only when and as they need them, so IF
// evaluates the one branch it returns.
//
// The functions that need a report (the aggregates SUM, AVG, MIN, MAX,
// COUNT and the database functions FINDLOOKUP and SQL) are dispatched by the
// report's resolver (report/name_resolver.h); their argument rules are in the
// same table so that the count check is made in one place.

#include "expr/variant.h"

#include <QString>
#include <QStringList>

#include <functional>

namespace vx {

inline constexpr char kMsgWrongParamCount[] =
    "E' stato inserito un numero di parametri errato per la funzione : ";
inline constexpr char kMsgBadParamTypes[] = "Tipi di parametri errati nella funzione: ";

// "E' stato inserito un numero di parametri errato per la funzione : NAME".
QString WrongParamCountMessage(const QString& upperName);
// "Tipi di parametri errati nella funzione: NAME (arg1,arg2)", the
// arguments clipped as messages quote texts.
QString BadParamTypesMessage(const QString& upperName, const QStringList& rawArgs);

// The arguments of one call: raw texts, evaluated on demand by the
// evaluator (EvaluateExpression) or by a given evaluation function.
class FunctionArgs {
public:
    using Evaluate = std::function<Variant(const QString& text)>;

    explicit FunctionArgs(const QStringList& raw, Evaluate evaluate = {});

    int count() const { return int(raw_.size()); }
    const QStringList& raw() const { return raw_; }

    // Evaluates argument i (each call evaluates again).
    Variant value(int i) const;
    // Argument i converted as the functions convert: a float or integer by the
    // value rules (integers round halves to even), a string by the standard
    // conversion (a null argument is a failure), a day number.
    double asFloat(int i) const;
    std::int64_t asInteger(int i) const;
    QString asString(int i) const;
    double asDateTime(int i) const;
    Currency asCurrency(int i) const;

private:
    const QStringList& raw_;
    Evaluate evaluate_;
};

// A function body: computes the result from its arguments; any exception it
// throws is a failure of the function ("Tipi di parametri errati ...").
using BuiltinFunction = std::function<Variant(const FunctionArgs& args)>;

inline constexpr int kAnyArgCount = -1;

struct FunctionEntry {
    QString name;    // upper case
    int minArgs = 0; // kAnyArgCount: any number
    int maxArgs = 0;
    BuiltinFunction body; // empty for functions the report dispatches
};

// The entry for an upper-case name, nullptr when the library has none.
const FunctionEntry* FindBuiltinFunction(const QString& upperName);
// Adds or replaces a function (the number words and currency functions are
// registered this way at first use of the table).
void RegisterBuiltinFunction(FunctionEntry entry);
// Names of every function in the table, sorted.
QStringList BuiltinFunctionNames();
bool ArgCountAccepted(const FunctionEntry& entry, int count);

enum class CallOutcome {
    NotBuiltin,    // no such function, or one the report dispatches
    Done,          // result holds the value
    WrongArgCount, // message holds the argument-count error
    Failed,        // message holds the parameter error
};

// Calls a function of the table that has a body. `message` receives the
// Italian error text on WrongArgCount and Failed (the result stays empty); a
// string result counts against the evaluator's limits on built strings
// (TvxExpr::ChargeBuiltString), and passing them is a failure. The nesting
// error of an argument's evaluation is not a failure of the function: it
// propagates.
CallOutcome CallBuiltinFunction(const QString& upperName, const QStringList& rawArgs,
                                Variant& result, QString* message,
                                FunctionArgs::Evaluate evaluate = {});

// Case conversions that touch only the letters A..Z and a..z.
QString AsciiUpper(const QString& text);
QString AsciiLower(const QString& text);
QString NameCase(const QString& text);   // first character upper, the rest lower
QString PhraseCase(const QString& text); // lower, then upper after every non-letter

} // namespace vx
