#include "report/value_expansion.h"
#include "expr/evaluator.h"
#include "expr/format.h"
#include "platform/database.h"
#include "platform/errors.h"
#include "report/data_refs.h"
#include "report/engine_counters.h"
#include "report/library_state.h"
#include "report/memo_view.h"
#include "report/name_resolver.h"
#include "report/report.h"
#include "report/report_hooks.h"
#include "report/values.h"
#include "report/view.h"

namespace vx {

namespace {

// Resolution and evaluation of the expression; throws what they throw.
Variant computeValue(const QString& text) {
    CurrentField = nullptr;
    Variant value;
    // The whole text as a plain name first: a variable, field or system value
    // whose name holds blanks or operator characters is found this way.
    ResolveName(CurrentReport, text, nullptr, value);
    if (value.isEmpty()) {
        EvaluateExpression(text, value);
    } else if (CurrentField) {
        // A null field shows as the empty text, not as the 0 or empty string
        // expressions see.
        if (FieldValue(*CurrentField).isNull())
            value = Variant::null();
    }
    return value;
}

} // namespace

QString ExpandValue(const QString& text, int32_t formatCode, const QString& formatText) {
    if (ErrorRaised)
        return QString();
    Variant value;
    try {
        value = computeValue(text);
    } catch (const VxError& e) {
        SetPreparationError(QStringLiteral("Errore. ") + e.message());
        return QString();
    } catch (const std::exception& e) {
        SetPreparationError(QStringLiteral("Errore. ") + QString::fromUtf8(e.what()));
        return QString();
    }
    if (AggregateBand)
        return QString();
    CurrentValue = value;
    QString result;
    try {
        result = FormatValue(value, formatCode, formatText);
    } catch (const VxError& e) {
        // Not even the standard conversion has a text for the value (a date
        // outside the years 1 to 9999): the text stays empty and the report
        // says why, instead of printing a blank as if all went well.
        SetPreparationError(QStringLiteral("Errore. ") + e.message());
        result.clear();
    } catch (const std::exception&) {
        result.clear();
    }
    if (auto* memo = dynamic_cast<TvxCustomMemoView*>(CurrentView))
        if (result.contains(QStringLiteral("\r\n")))
            memo->HasLineBreaks = 1;
    return result;
}

QString ExpandValue(const QString& text) {
    if (CurrentView)
        return ExpandValue(text, CurrentView->FormatCode, CurrentView->FormatText);
    return ExpandValue(text, DefaultObjectFormatCode(), QString());
}

void FillFromField(TvxReport* report, const QStringList& lines, TvxView* object) {
    if (!report || !object || !report->HasBlobValues || lines.isEmpty())
        return;
    const QString& first = lines.first();
    if (first.size() <= 2 || !first.startsWith(QLatin1Char('[')))
        return;
    const qsizetype close = first.lastIndexOf(QLatin1Char(']'));
    const QString name = close > 0 ? first.mid(1, close - 1) : QString();
    Field* field = nullptr;
    if (const TvxValue* variable = report->Values ? report->Values->FindVariable(name) : nullptr) {
        if (variable->Kind == vkDataField)
            field = variable->BoundField;
    } else {
        DataSet* dataSet = nullptr;
        FindFieldForName(name, dataSet, field);
    }
    if (field && field->isBlob())
        object->LoadFromField(field->value());
}

void InstallNameResolution() {
    ReportHooks& hooks = reportHooks();
    hooks.InstallResolver = [](TvxReport& report) { SetExprResolver(MakeReportResolver(&report)); };
    hooks.ExpandValue = [](const QString& expression, int32_t formatCode,
                           const QString& formatText) {
        return ExpandValue(expression, formatCode, formatText);
    };
}

} // namespace vx
