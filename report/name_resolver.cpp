// The report's name resolver: plain names, built-in functions, aggregates,
// database functions and the user hooks.
#include "report/name_resolver.h"
#include "expr/functions.h"
#include "platform/database.h"
#include "platform/errors.h"
#include "report/data_refs.h"
#include "report/engine_counters.h"
#include "report/library_state.h"
#include "report/report.h"
#include "report/sql_connection.h"
#include "report/values.h"
#include "report/view.h"

#include <QDate>
#include <QDateTime>

#include <algorithm>
#include <limits>

namespace vx {

namespace {

constexpr double kPi = 3.1415926535897932385;
// FINDLOOKUP binds its key under this parameter name.
const QString kLookupKeyParam = QStringLiteral("vxkey");

// Blanks are the characters 1 to 32, as in expressions; other white space
// (a no-break space, for one) belongs to the name.
QString trimBlanks(const QString& s) {
    auto blank = [](QChar c) { return c.unicode() >= 1 && c.unicode() <= 32; };
    qsizetype b = 0, e = s.size();
    while (b < e && blank(s.at(b)))
        ++b;
    while (e > b && blank(s.at(e - 1)))
        --e;
    return s.mid(b, e - b);
}

bool isAggregate(const QString& upper) {
    return upper == QLatin1String("SUM") || upper == QLatin1String("AVG") ||
           upper == QLatin1String("MIN") || upper == QLatin1String("MAX") ||
           upper == QLatin1String("COUNT");
}

double dateTimeOfText(const QString& text) {
    // SQLite keeps dates as ISO texts.
    QDateTime dt = QDateTime::fromString(text, Qt::ISODateWithMs);
    if (!dt.isValid())
        dt = QDateTime::fromString(text, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    if (dt.isValid())
        return double(QDate(1899, 12, 30).daysTo(dt.date())) +
               dt.time().msecsSinceStartOfDay() / 86400000.0;
    const QDate d = QDate::fromString(text, Qt::ISODate);
    if (d.isValid())
        return double(QDate(1899, 12, 30).daysTo(d));
    throw VxError(QStringLiteral("'%1' is not a valid date").arg(text));
}

// ---- plain names ----

Variant specialValue(const QString& upper, bool* known) {
    *known = true;
    const EngineHooks& hooks = engineHooks();
    if (upper == QLatin1String("PAGE#")) {
        if (PreparingReport && PreparingReport->Collate && PreparingReport->Repaginate) {
            const auto it = std::find(CollateOrder.begin(), CollateOrder.end(), OutputPageIndex);
            if (it != CollateOrder.end())
                return Variant::fromInt32(int32_t(it - CollateOrder.begin()) + 1);
        }
        return Variant::fromInt32(OutputPageIndex + 1);
    }
    if (upper == QLatin1String("DATE"))
        return Variant::fromDateTime(PrintDate);
    if (upper == QLatin1String("TIME"))
        return Variant::fromDateTime(PrintTime);
    if (upper == QLatin1String("LINE#"))
        return Variant::fromInt32(hooks.BandLineNo && CurrentBand ? hooks.BandLineNo(CurrentBand)
                                                                  : 0);
    if (upper == QLatin1String("LINETHROUGH#"))
        return Variant::fromInt32(
            hooks.BandLineThrough && CurrentBand ? hooks.BandLineThrough(CurrentBand) : 0);
    if (upper == QLatin1String("COLUMN#"))
        return Variant::fromInt32(
            hooks.PageCrossColumnNo && CurrentPage ? hooks.PageCrossColumnNo(CurrentPage) : 0);
    if (upper == QLatin1String("CURRENT#"))
        return Variant::fromInt32(
            hooks.PageLineCounter && CurrentPage ? hooks.PageLineCounter(CurrentPage) : 0);
    if (upper == QLatin1String("TOTALPAGES"))
        return Variant::fromInt32(TotalPages);
    *known = false;
    return Variant();
}

// A plain name that is no variable: a field, a dataset name, a system value.
void resolveFromFields(const QString& name, Variant& value) {
    DataSet* dataSet = nullptr;
    Field* field = nullptr;
    FindFieldForName(name, dataSet, field);
    if (field) {
        CurrentField = field;
        value = FieldValueForExpression(*field);
        return;
    }
    const QString upper = name.toUpper();
    if (dataSet) {
        const Component* owner = dataSet->owner();
        const QString qualified =
            owner ? owner->name() + QLatin1Char('.') + dataSet->name() : QString();
        if ((owner && upper == qualified.toUpper()) || upper == dataSet->name().toUpper()) {
            value = Variant(upper);
            return;
        }
    }
    if (upper == QLatin1String("VALUE") || upper == QLatin1String("VALORE")) {
        value = CurrentValue;
        return;
    }
    bool known = false;
    const Variant special = specialValue(upper, &known);
    if (known)
        value = special;
}

void resolvePlain(const QString& name, Variant& value) {
    CurrentField = nullptr;
    TvxReport* report = CurrentReport;
    const TvxValue* variable =
        report && report->Values ? report->Values->FindVariable(name) : nullptr;
    if (variable) {
        if (report->OnGetValue) {
            Variant answer;
            report->OnGetValue(name, answer);
            if (!answer.isEmpty()) {
                value = answer;
                return;
            }
        }
        switch (variable->Kind) {
        case vkNone:
            value = Variant::null();
            return;
        case vkDataField: {
            DataSet* dataSet = nullptr;
            Field* field = nullptr;
            FindFieldForName(variable->DataSetName + QStringLiteral(".\"") + variable->FieldName +
                                 QLatin1Char('"'),
                             dataSet, field);
            if (field) {
                CurrentField = field;
                value = FieldValueForExpression(*field);
                return;
            }
            break;
        }
        case vkSpecial:
            if (variable->SpecialCode == svExpression) {
                value = EvaluateExpression(variable->FieldName);
                return;
            }
            if (const QString fixed = SpecialValueFixedName(variable->SpecialCode);
                !fixed.isEmpty()) {
                resolveFromFields(fixed, value);
                return;
            }
            break;
        default:
            break;
        }
        if (!value.isEmpty())
            return;
    }
    if (name.compare(QLatin1String("PI"), Qt::CaseInsensitive) == 0) {
        value = Variant(kPi);
        return;
    }
    resolveFromFields(name, value);
}

// ---- database functions ----

SqlConnection& connectionOf(TvxReport* report) {
    SqlConnection* connection = ReportSQLConnection(report);
    if (!connection)
        throw VxError(QStringLiteral("Connessione al database non impostata"));
    return *connection;
}

// The key value is bound as a parameter: a key holding quotes or SQL text is
// only ever compared, never run. Table and field names are the template's.
Variant findLookup(TvxReport* report, const FunctionArgs& args) {
    const Variant key = args.value(3);
    if (key.isEmpty() || (key.isString() && key.stringValue().isEmpty()))
        return Variant(QString());
    // The key is taken as a string, and a null value has none.
    if (key.isNull())
        throw VxError(QStringLiteral("Valore nullo"));
    const QString sql = QStringLiteral("SELECT ") + args.asString(2) + QStringLiteral(" FROM ") +
                        args.asString(0).toLower() + QStringLiteral(" WHERE ") + args.asString(1) +
                        QStringLiteral(" = :") + kLookupKeyParam;
    QVariantMap params;
    params.insert(kLookupKeyParam, QVariant(key.toString()));
    return connectionOf(report).QueryFirstValue(sql, params);
}

Variant sqlQuery(TvxReport* report, const FunctionArgs& args) {
    if (args.count() == 0)
        return Variant(QString());
    Variant text;
    for (int i = 0; i < args.count(); ++i)
        text = ApplyOperator(ExprOp::Add,
                             ApplyOperator(ExprOp::Add, text, Variant(QStringLiteral(" "))),
                             args.value(i));
    return connectionOf(report).QueryFirstValue(text.toString(), {});
}

void resolveCall(TvxReport* report, const QString& upper, const QStringList& args, Variant& value) {
    const FunctionEntry* entry = FindBuiltinFunction(upper);
    if (!entry)
        return;
    if (!ArgCountAccepted(*entry, int(args.size()))) {
        SetPreparationError(WrongParamCountMessage(upper));
        return;
    }
    if (isAggregate(upper)) {
        if (engineHooks().Aggregate)
            engineHooks().Aggregate(upper, args, value);
        else
            SetPreparationError(QString::fromUtf8(kMsgNoAggregates) + upper);
        return;
    }
    if (upper == QLatin1String("FINDLOOKUP") || upper == QLatin1String("SQL")) {
        try {
            FunctionArgs fa(args);
            value = upper == QLatin1String("SQL") ? sqlQuery(report, fa) : findLookup(report, fa);
        } catch (const ExprNestingError&) {
            throw;
        } catch (const std::exception&) {
            value = Variant();
            SetPreparationError(BadParamTypesMessage(upper, args));
        }
        return;
    }
    QString message;
    const CallOutcome outcome = CallBuiltinFunction(upper, args, value, &message);
    if (outcome == CallOutcome::WrongArgCount || outcome == CallOutcome::Failed)
        SetPreparationError(message);
}

void userFunction(TvxReport* report, const QString& name, const QStringList* args, Variant& value) {
    Variant p[3];
    if (args)
        for (int i = 0; i < 3 && i < args->size(); ++i)
            p[i] = EvaluateExpression(args->at(i));
    if (!report || !report->OnUserFunction)
        return;
    Variant answer;
    report->OnUserFunction(name, p[0], p[1], p[2], answer);
    if (!answer.isEmpty())
        value = answer;
}

} // namespace

void ResolveName(TvxReport* report, const QString& rawName, const QStringList* arguments,
                 Variant& value) {
    value = Variant();
    if (ErrorRaised)
        return;
    const QString name = trimBlanks(rawName);
    if (arguments)
        resolveCall(report, name.toUpper(), *arguments, value);
    else
        resolvePlain(name, value);
    if (value.isEmpty())
        userFunction(report, name, arguments, value);
    if (value.isBool())
        value = Variant::fromInt32(value.boolValue() ? 1 : 0);
}

ExprResolver MakeReportResolver(TvxReport* report) {
    return [report](const QString& name, const QStringList* arguments, Variant& value) {
        ResolveName(report, name, arguments, value);
    };
}

Variant FieldValue(const Field& field) {
    const QVariant raw = field.value();
    if (!raw.isValid() || raw.isNull())
        return Variant::null();
    switch (field.kind()) {
    case FieldKind::Currency:
        return Variant(Currency::fromDouble(raw.toDouble()));
    case FieldKind::DateTime:
        if (raw.typeId() == QMetaType::QString)
            return Variant::fromDateTime(dateTimeOfText(raw.toString()));
        return VariantFromDatabase(raw);
    case FieldKind::Boolean:
        return Variant(raw.toBool());
    case FieldKind::String:
    case FieldKind::Memo:
        return Variant(raw.toString());
    default:
        return VariantFromDatabase(raw);
    }
}

Variant FieldValueForExpression(const Field& field) {
    Variant v = FieldValue(field);
    if (!v.isNull())
        return v;
    switch (field.kind()) {
    case FieldKind::Integer:
    case FieldKind::Float:
    case FieldKind::Currency:
    case FieldKind::DateTime:
    case FieldKind::Boolean:
        return Variant::fromInt32(0);
    case FieldKind::String:
        return Variant(QString());
    default:
        return v;
    }
}

} // namespace vx
