#pragma once

// The report's name resolver: answers every name and call the expression
// evaluator meets while a report is current. Plain names are looked up as
// report variables (with OnGetValue first), "PI", dataset fields, dataset
// names, "VALUE"/"VALORE" and the special values ("PAGE#", "DATE", "TIME",
// "LINE#", "LINETHROUGH#", "COLUMN#", "CURRENT#", "TOTALPAGES"); calls go to
// the built-in functions, the aggregates (through the engine's hook),
// FINDLOOKUP and SQL (through the report's SQLConnection); what nothing knows
// goes to OnUserFunction. Boolean answers become the integers 1 and 0.
//
// Errors of functions (wrong argument count, failures inside a function) are
// recorded with SetPreparationError and the name yields nothing; errors while
// argument texts are evaluated for OnUserFunction and failures while a plain
// name is read propagate to the caller. Once ErrorRaised is set, every name
// yields nothing.

#include "expr/evaluator.h"
#include "expr/variant.h"

#include <QString>
#include <QStringList>

namespace vx {

class TvxReport;
class SqlConnection;
class DataSet;
class Field;

inline constexpr char kMsgNoAggregates[] = "Funzione statistica non disponibile: ";

// The resolver running on `report` (the report that registered it, or
// CurrentReport when ExpandValue calls it). `arguments` is nullptr for a plain
// name. value is set to empty first and stays empty for an unknown name.
void ResolveName(TvxReport* report, const QString& name, const QStringList* arguments,
                 Variant& value);

// The evaluator resolver bound to a report (what TvxReport installs with
// SetExprResolver when it is constructed).
ExprResolver MakeReportResolver(TvxReport* report);

// A field's current value as expressions see it: null becomes 0 for numeric,
// date-time and boolean fields and the empty string for string fields.
Variant FieldValueForExpression(const Field& field);
// The field's current value as it is (null stays null).
Variant FieldValue(const Field& field);

} // namespace vx
