// vxtool eval 'EXPR': evaluates one expression and prints its kind and value.
//
// Output, one line:
//   empty | null
//   integer N
//   float X        up to 15 significant digits, "." as decimal point, no
//                  trailing zeros, "1E20" style exponent only when needed
//   currency X     at most 4 decimals, "." as decimal point, no trailing zeros
//   datetime YYYY-MM-DDTHH:MM:SS   (".mmm" appended when there are milliseconds)
//   boolean true|false
//   string TEXT
//   error: MESSAGE  (exit status 1)
#include "app/vxtool/command.h"
#include "app/vxtool/eval_library.h"
#include "expr/evaluator.h"
#include "platform/errors.h"

#include <QDate>
#include <QTime>

#include <cmath>

namespace vx::tool {

namespace {

QString formatDateTimeIso(double days) {
    const double whole = std::trunc(days);
    double ms = std::nearbyint(std::fabs(days - whole) * 86400000.0);
    if (ms >= 86400000.0)
        ms = 86399999.0;
    const QDate date = QDate(1899, 12, 30).addDays(static_cast<qint64>(whole));
    const QTime time = QTime::fromMSecsSinceStartOfDay(static_cast<int>(ms));
    QString out =
        date.toString(Qt::ISODate) + QLatin1Char('T') + time.toString(QStringLiteral("HH:mm:ss"));
    if (time.msec() != 0)
        out += QStringLiteral(".%1").arg(time.msec(), 3, 10, QLatin1Char('0'));
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
