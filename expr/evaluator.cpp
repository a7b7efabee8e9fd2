#include "expr/evaluator.h"

#include "platform/errors.h"
#include "platform/process_state.h"

namespace vx {

// Recursive-descent parser and calculator over one expression text. A group
// is operand, operator, operand, ... up to the end of the text or a ")",
// which it consumes; operators of level 3 bind tightest, level 1 loosest,
// equal levels associate from left to right.
class ExprParser {
public:
    ExprParser(TvxExpr& expr, const QString& text) : expr_(expr), text_(text), end_(text.size()) {}

    Variant parseTopLevel() { return parseGroup(0); }

private:
    struct Operator {
        ExprOp op{};
        int level = 0;
        qsizetype length = 0; // characters consumed, keyword blank included
    };

    // Counts one level of nesting for as long as it lives.
    class NestingGuard {
    public:
        NestingGuard(ExprParser& p) : expr_(p.expr_) {
            if (++expr_.nesting_ > kMaxExprNesting) {
                --expr_.nesting_;
                throw ExprNestingError(QLatin1String(kMsgTooDeep) + p.restOfGroup());
            }
        }
        ~NestingGuard() { --expr_.nesting_; }
        NestingGuard(const NestingGuard&) = delete;
        NestingGuard& operator=(const NestingGuard&) = delete;

    private:
        TvxExpr& expr_;
    };

    static bool isBlank(QChar c) { return c.unicode() >= 1 && c.unicode() <= 32; }
    static bool isLetter(QChar c) {
        const char16_t u = c.unicode();
        return (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z');
    }
    static bool isDigit(QChar c) { return c.unicode() >= '0' && c.unicode() <= '9'; }
    static bool isIdentChar(QChar c) {
        return isLetter(c) || isDigit(c) || c == QLatin1Char('_') || c == QLatin1Char('#') ||
               c == QLatin1Char('.');
    }
    static bool isIdentStart(QChar c) {
        return isLetter(c) || c == QLatin1Char('_') || c == QLatin1Char('#') ||
               c == QLatin1Char('"');
    }

    bool atEnd() const { return pos_ >= end_; }
    QChar cur() const { return text_.at(pos_); }
    void skipBlanks() {
        while (pos_ < end_ && isBlank(text_.at(pos_)))
            ++pos_;
    }
    // Case-insensitive match of an upper-case ASCII word at position p.
    bool matchesWord(qsizetype p, const char* word) const {
        for (; *word; ++word, ++p)
            if (p >= end_ || text_.at(p).toUpper() != QLatin1Char(*word))
                return false;
        return true;
    }

    // The text of the innermost group from its first character to the end,
    // as messages quote it.
    QString restOfGroup() const {
        return ClipForMessage(text_.mid(groupStart_, kMaxQuotedChars + 1));
    }
    [[noreturn]] void failUnknown() const {
        throw VxError(QLatin1String(kMsgUnknownIdentifier) + restOfGroup());
    }

    Variant parseGroup(qsizetype start) {
        const qsizetype savedStart = groupStart_;
        groupStart_ = start;
        Variant v = parseLevel(1);
        // parseLevel stops only at the end, at ")" or at an operator of a
        // lower level; at level 1 only the first two remain.
        if (!atEnd())
            ++pos_; // the ")" that closes the group
        groupStart_ = savedStart;
        return v;
    }

    Variant parseLevel(int minLevel) {
        Variant left = parseOperand();
        for (;;) {
            Operator op;
            if (!peekOperator(&op) || op.level < minLevel)
                return left;
            pos_ += op.length;
            Variant right = parseLevel(op.level + 1);
            left = apply(op.op, left, right);
        }
    }

    // Reads the operator at the cursor (after blanks) without consuming it.
    // False at the end of the text and at ")".
    bool peekOperator(Operator* out) {
        skipBlanks();
        if (atEnd() || cur() == QLatin1Char(')'))
            return false;
        const QChar c = cur();
        const QChar next = pos_ + 1 < end_ ? text_.at(pos_ + 1) : QChar();
        auto set = [out](ExprOp op, int level, qsizetype length) {
            *out = Operator{op, level, length};
            return true;
        };
        switch (c.unicode()) {
        case '=':
            return set(ExprOp::Equal, 1, 1);
        case '<':
            if (next == QLatin1Char('>'))
                return set(ExprOp::NotEqual, 1, 2);
            if (next == QLatin1Char('='))
                return set(ExprOp::LessEqual, 1, 2);
            return set(ExprOp::Less, 1, 1);
        case '>':
            if (next == QLatin1Char('='))
                return set(ExprOp::GreaterEqual, 1, 2);
            return set(ExprOp::Greater, 1, 1);
        case '+':
            return set(ExprOp::Add, 2, 1);
        case '-':
            return set(ExprOp::Subtract, 2, 1);
        case '^':
            return set(ExprOp::Power, 3, 1);
        case '*':
            return set(ExprOp::Multiply, 3, 1);
        case '/':
            return set(ExprOp::Divide, 3, 1);
        default:
            break;
        }
        // Keywords: the letters alone decide; the character after the
        // keyword (a blank in a correct expression) is consumed with it.
        struct Keyword {
            const char* word;
            ExprOp op;
            int level;
        };
        static const Keyword keywords[] = {
            {"AND", ExprOp::And, 3},
            {"DIV", ExprOp::Div, 3},
            {"MOD", ExprOp::Mod, 3},
            {"OR", ExprOp::Or, 2},
        };
        const QChar upper = c.toUpper();
        for (const Keyword& k : keywords) {
            if (upper != QLatin1Char(k.word[0]) || !matchesWord(pos_, k.word))
                continue;
            const qsizetype len = static_cast<qsizetype>(qstrlen(k.word));
            return set(k.op, k.level, pos_ + len < end_ ? len + 1 : len);
        }
        // Two operands side by side, or a word that is not an operator.
        failUnknown();
    }

    Variant apply(ExprOp op, const Variant& left, const Variant& right) {
        try {
            return ApplyOperator(op, left, right);
        } catch (const VxError&) {
            if (expr_.errorMode_ == kExprQuiet)
                return Variant(0);
            throw VxError(QLatin1String(kMsgIncompatibleTypes) + restOfGroup());
        }
    }

    Variant parseOperand() {
        skipBlanks();
        Variant value;
        if (atEnd())
            failUnknown();
        const QChar c = cur();
        if (c == QLatin1Char('(')) {
            NestingGuard guard(*this);
            ++pos_;
            value = parseGroup(pos_);
        } else if (isDigit(c) || c == QLatin1Char('.')) {
            value = parseNumeral();
        } else if (c == QLatin1Char('[')) {
            const qsizetype close = text_.indexOf(QLatin1Char(']'), pos_ + 1);
            if (close < 0) {
                pos_ = end_;
            } else {
                const QString name = text_.mid(pos_ + 1, close - pos_ - 1);
                pos_ = close + 1;
                resolve(name, nullptr, value);
            }
        } else if (c == QLatin1Char('\'')) {
            value = parseStringLiteral();
        } else if (matchesWord(pos_, "NOT") &&
                   (pos_ + 3 >= end_ || !isIdentChar(text_.at(pos_ + 3)))) {
            NestingGuard guard(*this);
            pos_ += 3;
            value = ApplyNot(parseOperand());
        } else if (isIdentStart(c)) {
            parseIdentifier(value);
        } else if (c == QLatin1Char('+') || c == QLatin1Char('-')) {
            // The sign is read as the binary operator after an operand 0.
            value = Variant(0);
        }
        if (value.isEmpty())
            failUnknown();
        return value;
    }

    Variant parseNumeral() {
        const qsizetype start = pos_;
        while (pos_ < end_ && (isDigit(cur()) || cur() == QLatin1Char('.')))
            ++pos_;
        QString numeral = text_.mid(start, pos_ - start);
        // The numeral always uses "." whatever the locale: the first point
        // becomes the system decimal separator before the locale-aware
        // conversion, so a second point makes the numeral invalid.
        const qsizetype point = numeral.indexOf(QLatin1Char('.'));
        if (point >= 0)
            numeral[point] = SystemDecimalSeparator();
        return Variant(StrToFloat(numeral));
    }

    Variant parseStringLiteral() {
        ++pos_; // opening quote
        QString s;
        while (pos_ < end_) {
            const QChar c = cur();
            if (c == QLatin1Char('\'')) {
                if (pos_ + 1 < end_ && text_.at(pos_ + 1) == QLatin1Char('\'')) {
                    s += c;
                    pos_ += 2;
                    continue;
                }
                ++pos_;
                return Variant(std::move(s));
            }
            s += c;
            ++pos_;
        }
        return Variant(std::move(s)); // unterminated: ends with the text
    }

    void parseIdentifier(Variant& value) {
        const qsizetype start = pos_;
        while (pos_ < end_ && isIdentChar(cur()))
            ++pos_;
        if (pos_ < end_ && cur() == QLatin1Char('"')) {
            // A double-quoted part (a field name with blanks) ends the identifier.
            const qsizetype close = text_.indexOf(QLatin1Char('"'), pos_ + 1);
            pos_ = close < 0 ? end_ : close + 1;
        }
        const QString name = text_.mid(start, pos_ - start);
        skipBlanks();
        if (pos_ < end_ && cur() == QLatin1Char('(')) {
            ++pos_;
            const QStringList arguments = splitArguments();
            resolve(name, &arguments, value);
        } else {
            resolve(name, nullptr, value);
        }
    }

    // Splits the raw argument texts after the "(" of a call; consumes the
    // closing ")". Commas inside quotes, brackets or nested calls do not split.
    QStringList splitArguments() {
        QStringList arguments;
        for (;;) {
            const qsizetype start = pos_;
            int open = 1; // the call's own "("
            bool dquote = false, squote = false, bracket = false;
            bool closed = false, comma = false;
            for (; pos_ < end_; ++pos_) {
                const QChar c = cur();
                if (bracket) {
                    if (c == QLatin1Char(']'))
                        bracket = false;
                    continue;
                }
                if (c == QLatin1Char('"') && !squote) {
                    dquote = !dquote;
                } else if (c == QLatin1Char('\'') && !dquote) {
                    squote = !squote;
                } else if (dquote || squote) {
                    continue;
                } else if (c == QLatin1Char('[')) {
                    bracket = true;
                } else if (c == QLatin1Char('(')) {
                    ++open;
                } else if (c == QLatin1Char(')')) {
                    if (--open == 0) {
                        closed = true;
                        break;
                    }
                } else if (c == QLatin1Char(',') && open == 1) {
                    comma = true;
                    break;
                }
            }
            if (pos_ > start)
                arguments.append(text_.mid(start, pos_ - start));
            if (closed || comma)
                ++pos_;
            if (!comma)
                return arguments;
        }
    }

    void resolve(const QString& name, const QStringList* arguments, Variant& value) {
        value = Variant();
        if (expr_.resolver_)
            expr_.resolver_(name, arguments, value);
    }

    TvxExpr& expr_;
    const QString& text_;
    const qsizetype end_;
    qsizetype pos_ = 0;
    qsizetype groupStart_ = 0;
};

// ---------------------------------------------------------------------------

namespace {
// The expressions' part of the library state: the one evaluator, with the
// resolver and error mode installed in it.
struct ExprState : DefaultResetPart<ExprState> {
    TvxExpr Evaluator;
};
} // namespace

TvxExpr& TvxExpr::instance() {
    return libraryState().part<ExprState>().Evaluator;
}

namespace {

// First check: the counts of "(" and ")" outside quotes must agree. Inside one
// kind of quote the other kind is an ordinary character, and a bracketed name
// outside quotes is skipped whole, as argument splitting does: a field such
// as [Dell'Orto] or Dati."Dell'Orto" must not open a quote that hides the ")"
// after it.
bool parenthesesBalanced(const QString& text) {
    bool dquote = false, squote = false, bracket = false;
    qsizetype open = 0, close = 0;
    for (const QChar c : text) {
        if (bracket) {
            bracket = c != QLatin1Char(']');
        } else if (c == QLatin1Char('"') && !squote) {
            dquote = !dquote;
        } else if (c == QLatin1Char('\'') && !dquote) {
            squote = !squote;
        } else if (!dquote && !squote) {
            if (c == QLatin1Char('['))
                bracket = true;
            else if (c == QLatin1Char('('))
                ++open;
            else if (c == QLatin1Char(')'))
                ++close;
        }
    }
    return open == close;
}

} // namespace

void TvxExpr::Evaluate(const QString& source, Variant& value) {
    // A NUL character ends the text, as the end of a C string would.
    const qsizetype nul = source.indexOf(QChar(u'\0'));
    const QString text = nul < 0 ? source : source.left(nul);
    if (text.size() > kMaxExprLength)
        throw VxError(QLatin1String(kMsgTooLong) + ClipForMessage(text));
    if (!parenthesesBalanced(text))
        throw VxError(QLatin1String(kMsgParentheses) + ClipForMessage(text));
    if (text.isEmpty()) {
        value = Variant::null();
        return;
    }
    ExprParser parser(*this, text);
    if (nesting_ == 0)
        builtChars_ = 0;
    if (++nesting_ > kMaxExprNesting) {
        --nesting_;
        throw ExprNestingError(QLatin1String(kMsgTooDeep) + ClipForMessage(text));
    }
    struct Leave {
        int& n;
        ~Leave() { --n; }
    } leave{nesting_};
    value = parser.parseTopLevel();
}

void TvxExpr::ChargeBuiltString(qsizetype length) {
    if (length > kMaxExprStringLength)
        throw VxError(QStringLiteral("String too long"));
    // Outside an evaluation (a caller combining values itself) only the
    // length of the one string counts.
    if (nesting_ == 0)
        return;
    builtChars_ += length;
    if (builtChars_ > kMaxExprBuiltChars)
        throw VxError(QStringLiteral("Too many strings built"));
}

void EvaluateExpression(const QString& text, Variant& value) {
    TvxExpr::instance().Evaluate(text, value);
}

Variant EvaluateExpression(const QString& text) {
    Variant v;
    TvxExpr::instance().Evaluate(text, v);
    return v;
}

void SetExprResolver(ExprResolver resolver) {
    TvxExpr::instance().SetResolver(std::move(resolver));
}

void SetExprErrorMode(std::uint8_t mode) {
    TvxExpr::instance().SetErrorMode(mode);
}

std::uint8_t ExprErrorMode() {
    return TvxExpr::instance().ErrorMode();
}

ScopedExprResolver::ScopedExprResolver(ExprResolver resolver, std::uint8_t mode)
    : saved_(TvxExpr::instance().Resolver()), savedMode_(TvxExpr::instance().ErrorMode()) {
    TvxExpr::instance().SetResolver(std::move(resolver));
    TvxExpr::instance().SetErrorMode(mode);
}

ScopedExprResolver::~ScopedExprResolver() {
    TvxExpr::instance().SetResolver(std::move(saved_));
    TvxExpr::instance().SetErrorMode(savedMode_);
}

} // namespace vx
