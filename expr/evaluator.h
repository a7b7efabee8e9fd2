#pragma once

// The expression evaluator: turns the text of an expression into a Variant.
//
// The evaluator knows no names. Every identifier, bracketed name and function
// call is handed to one process-wide resolver; the report installs its own.
// Evaluations may nest: a resolver evaluates argument texts by calling
// EvaluateExpression again while the outer evaluation is in progress.

#include "expr/variant.h"
#include "platform/errors.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>

namespace vx {

// The resolver: called with
//   name      - the name exactly as written: bracketed names without their
//               brackets, identifiers with any double-quoted part and its quotes;
//   arguments - nullptr for a plain name; for a call, the raw unevaluated text
//               of each argument (untrimmed; empty arguments are dropped, so
//               F() gives an empty list). The list lives only for the call;
//   value     - set to empty before the call; left empty when the name is
//               unknown, anything else (null included) is an answer.
// Errors the resolver throws propagate unchanged out of EvaluateExpression.
using ExprResolver =
    std::function<void(const QString& name, const QStringList* arguments, Variant& value)>;

enum : std::uint8_t {
    kExprStrict = 0, // an operator applied to unsuitable values raises an error
    kExprQuiet = 1,  // such an operator yields the integer 0 and evaluation goes on
};

// Limits against hostile input.
// Nesting of parenthesised groups and NOT operands plus nested evaluations
// started by the resolver (a variable whose expression names itself). Each
// level costs a few stack frames; 200 levels is far beyond any real template
// and far below what the stack of a worker thread holds.
inline constexpr int kMaxExprNesting = 200;
// Longest expression text accepted, in characters. Templates hold short
// expressions. Each nested call keeps a copy of its argument text while it
// is evaluated, so this bounds the memory of the deepest nesting too
// (kMaxExprNesting copies of at most 64 K characters).
inline constexpr qsizetype kMaxExprLength = 1 << 16;
// Longest string an expression builds (FILLSTR, concatenation with "+", any
// function's result), in characters: far beyond the text of any page, and
// small enough that no expression can exhaust memory.
inline constexpr qsizetype kMaxExprStringLength = 1 << 22;
// Characters all the strings built during one evaluation (with the
// evaluations nested in it) may hold together: bounds the memory of strings
// kept at every nesting level and the time of a long chain of long terms.
inline constexpr qsizetype kMaxExprBuiltChars = 4 * kMaxExprStringLength;

// The fixed beginnings of the evaluator's messages.
inline constexpr const char kMsgParentheses[] = "Numero errato di parentesi nell'espressione : ";
inline constexpr const char kMsgUnknownIdentifier[] = "Identificatore sconosciuto: ";
inline constexpr const char kMsgIncompatibleTypes[] =
    "Tipo di dati incompatibili nell'espressione: ";
inline constexpr const char kMsgTooDeep[] = "Troppi livelli annidati nell'espressione: ";
inline constexpr const char kMsgTooLong[] = "Espressione troppo lunga: ";

// The nesting limit was reached. It passes through the functions whose
// arguments were being evaluated (a failure inside a function otherwise
// becomes that function's parameter error), so the message names the cause.
class ExprNestingError : public VxError {
public:
    using VxError::VxError;
};

// The evaluator (one instance per process, created on first use).
class TvxExpr {
public:
    static TvxExpr& instance();

    void SetResolver(ExprResolver resolver) { resolver_ = std::move(resolver); }
    const ExprResolver& Resolver() const { return resolver_; }
    void SetErrorMode(std::uint8_t mode) { errorMode_ = mode; }
    std::uint8_t ErrorMode() const { return errorMode_; }

    // Evaluates the whole text; throws VxError as described above.
    void Evaluate(const QString& text, Variant& value);

    // Counts a string of `length` characters that an operator or function
    // built: throws VxError when it is longer than kMaxExprStringLength, or
    // when the strings of the evaluation in progress pass kMaxExprBuiltChars.
    void ChargeBuiltString(qsizetype length);

    // Reached through instance(); constructed by the library state.
    TvxExpr() = default;

private:
    friend class ExprParser;

    ExprResolver resolver_;
    std::uint8_t errorMode_ = kExprStrict;
    int nesting_ = 0;          // current nesting across nested evaluations
    qsizetype builtChars_ = 0; // characters built since the outermost evaluation began
};

void EvaluateExpression(const QString& text, Variant& value);
Variant EvaluateExpression(const QString& text);
void SetExprResolver(ExprResolver resolver);
void SetExprErrorMode(std::uint8_t mode);
std::uint8_t ExprErrorMode();

// Installs a resolver (and optionally an error mode) for a scope and restores
// the previous ones on exit; for tests and for code that evaluates with a
// temporary resolver.
class ScopedExprResolver {
public:
    explicit ScopedExprResolver(ExprResolver resolver, std::uint8_t mode = kExprStrict);
    ~ScopedExprResolver();
    ScopedExprResolver(const ScopedExprResolver&) = delete;
    ScopedExprResolver& operator=(const ScopedExprResolver&) = delete;

private:
    ExprResolver saved_;
    std::uint8_t savedMode_;
};

// The binary operators and comparisons of the language, applied to two
// values by the combination rules (boolean results become integers 1/0).
// Exposed for functions that combine values the way "+" and "=" do (SQL joins
// its arguments with "+", IF compares with "="). They throw VxError with a
// plain description on a failed operation (the evaluator replaces it by its
// own message or by 0 in quiet mode).
enum class ExprOp : std::uint8_t {
    Equal,
    NotEqual,
    Less,
    Greater,
    LessEqual,
    GreaterEqual,
    Add,
    Subtract,
    Or,
    Power,
    Multiply,
    Divide,
    And,
    Mod,
    Div,
};
Variant ApplyOperator(ExprOp op, const Variant& left, const Variant& right);
// The NOT operator: the integer 1 when the value is zero, false or empty, 0
// otherwise (null included); floats, currency and date-times are rounded to
// an integer first, strings read as an integer or else as a boolean.
Variant ApplyNot(const Variant& operand);
// One comparison operator (Equal .. GreaterEqual) by the comparison rules.
bool CompareVariants(ExprOp op, const Variant& left, const Variant& right);

} // namespace vx
