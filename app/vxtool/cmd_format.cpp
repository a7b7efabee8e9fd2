// vxtool format CODE VALUE [--text FORMATTEXT]: what a text object with that
// format code (and custom pattern) shows for the value of an expression.
//
// CODE is the 32-bit format code, decimal or hexadecimal with "0x"
// (category << 24 | sub-format << 16 | decimals << 8 | separator character).
// VALUE is the expression a text object holds between square brackets
// ("1234.5", "STRTODATE('05/11/1998')", "Dati.clienti.saldo"): it is first
// looked up as a whole name, so a null field shows as the empty text as it
// does in a report; --var and --db work as for `vxtool eval`.
// Output: the text on one line, or "error: MESSAGE" with exit status 1.
#include "app/vxtool/command.h"
#include "app/vxtool/eval_library.h"
#include "platform/errors.h"

namespace vx::tool {

namespace {

bool parseCode(const QString& text, int32_t* code) {
    bool ok = false;
    const qlonglong v = text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)
                            ? text.mid(2).toLongLong(&ok, 16)
                            : text.toLongLong(&ok, 10);
    if (!ok || v < INT32_MIN || v > UINT32_MAX)
        return false;
    *code = int32_t(uint32_t(v));
    return true;
}

int runFormat(const QStringList& input, QTextStream& out, QTextStream& err) {
    QStringList args = input;
    QString pattern;
    takeOption(args, QStringLiteral("--text"), &pattern);
    auto session = EvalSession::open(args, err);
    if (!session)
        return kExitUsage;
    int32_t code = 0;
    if (args.size() != 2 || !parseCode(args[0], &code)) {
        err << "uso: vxtool format CODICE VALORE [--text FORMATO]\n";
        return kExitUsage;
    }
    try {
        out << session->expand(args[1], code, pattern) << "\n";
        return kExitOk;
    } catch (const VxError& e) {
        out << "error: " << e.message() << "\n";
        return kExitError;
    }
}

const CommandRegistration registration(
    QStringLiteral("format"),
    Command{
        QStringLiteral("format CODICE VALORE [--text FORMATO] [--var NOME=ESPR] [--db FILE|URL]"),
        runFormat});

} // namespace

} // namespace vx::tool
