#pragma once

// What `vxtool eval` and `vxtool format` share: a report that answers names
// with the whole function library, variables given on the command line, and
// an optional database registered as the data module "Dati" that also serves
// FINDLOOKUP and SQL.

#include "expr/variant.h"

#include <QString>
#include <QStringList>
#include <QTextStream>

#include <cstdint>

#include <memory>

namespace vx::tool {

class EvalSession {
public:
    // Takes the options "--var NAME=EXPRESSION" (any number) and
    // "--db FILE|URL" out of args. Throws VxError when the database cannot be
    // opened; returns nullptr (after a message on err) on a malformed --var.
    static std::unique_ptr<EvalSession> open(QStringList& args, QTextStream& err);
    ~EvalSession();
    EvalSession(const EvalSession&) = delete;
    EvalSession& operator=(const EvalSession&) = delete;

    // Evaluates an expression through the report's resolver. Throws VxError
    // with the message to show: the evaluator's, or the first error a
    // function recorded.
    Variant evaluate(const QString& text);
    // What a text object with this format code and custom pattern shows for
    // the bracketed expression `text`: the whole text as a name first, a null
    // field as the empty text, then the formatted value. Throws VxError with
    // the first error the expansion recorded.
    QString expand(const QString& text, int32_t formatCode, const QString& formatText);

private:
    EvalSession();
    struct Impl;
    std::unique_ptr<Impl> d;
};

// The text of one evaluation result, as `vxtool eval` prints it.
QString describeVariant(const Variant& v);

} // namespace vx::tool
