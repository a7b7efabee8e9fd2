// vxtool eval 'EXPR': evaluates one expression and prints its kind and value.
//
// Output, one line:
//   empty | null
//   integer N
//   float X        up to 15 significant digits, "." as decimal point, no
//                  trailing zeros, "1E20" style exponent only when needed
//   currency X     at most 4 decimals, "." as decimal point, no trailing zeros
//   datetime YYYY-MM-DDTHH:MM:SS   (".mmm" appended when there are milliseconds;
//                  a date outside 1/1/1 - 31/12/9999 is an error)
//   boolean true|false
//   string TEXT
//   error: MESSAGE  (exit status 1)
#include "app/vxtool/command.h"
#include "app/vxtool/eval_library.h"
#include "expr/evaluator.h"
#include "expr/format.h"
#include "platform/errors.h"

namespace vx::tool {

namespace {

// YYYY-MM-DDTHH:MM:SS[.mmm]; a day number outside the years 1 to 9999 is
// refused with the library's Italian message (DecodeDateTime).
QString formatDateTimeIso(double days) {
    const DateTimeParts p = DecodeDateTime(days);
    const auto pad = [](int v, int width) {
        return QStringLiteral("%1").arg(v, width, 10, QLatin1Char('0'));
    };
    QString out = pad(p.year, 4) + QLatin1Char('-') + pad(p.month, 2) + QLatin1Char('-') +
                  pad(p.day, 2) + QLatin1Char('T') + pad(p.hour, 2) + QLatin1Char(':') +
                  pad(p.minute, 2) + QLatin1Char(':') + pad(p.second, 2);
    if (p.msec != 0)
        out += QLatin1Char('.') + pad(p.msec, 3);
    return out;
}

} // namespace

QString describeVariant(const Variant& v) {
    const QString kind = QLatin1String(Variant::kindName(v.kind()));
    switch (v.kind()) {
    case VariantKind::Empty:
    case VariantKind::Null:
        return kind;
    case VariantKind::Float:
        return kind + QLatin1Char(' ') + FormatFloatGeneral(v.floatValue(), QLatin1Char('.'));
    case VariantKind::Currency:
        return kind + QLatin1Char(' ') + FormatCurrencyPlain(v.currencyValue(), QLatin1Char('.'));
    case VariantKind::DateTime:
        return kind + QLatin1Char(' ') + formatDateTimeIso(v.floatValue());
    case VariantKind::Boolean:
        return kind + (v.boolValue() ? QStringLiteral(" true") : QStringLiteral(" false"));
    case VariantKind::String:
        return kind + QLatin1Char(' ') + v.stringValue();
    default:
        return kind + QLatin1Char(' ') + QString::number(v.intValue());
    }
}

namespace {

int runEval(const QStringList& input, QTextStream& out, QTextStream& err) {
    // The whole library answers names: functions, variables given with
    // --var, the data module "Dati" and FINDLOOKUP/SQL with --db.
    QStringList args = input;
    auto session = EvalSession::open(args, err);
    if (!session)
        return kExitUsage;
    if (args.size() != 1) {
        err << "uso: vxtool eval 'ESPRESSIONE' [--var NOME=ESPR] [--db FILE|URL]\n";
        return kExitUsage;
    }
    try {
        const Variant v = session->evaluate(args.front());
        out << describeVariant(v) << "\n";
        return kExitOk;
    } catch (const VxError& e) {
        out << "error: " << e.message() << "\n";
        return kExitError;
    }
}

const CommandRegistration registration(
    QStringLiteral("eval"),
    Command{QStringLiteral("eval 'ESPRESSIONE' [--var NOME=ESPR] [--db FILE|URL]"), runEval});

} // namespace

} // namespace vx::tool
